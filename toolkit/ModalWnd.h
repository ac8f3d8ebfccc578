#pragma once
#include "base/HostInterfaces.h"
#include "toolkit/Accessible.h"
#include "toolkit/IxFrm.h"

// Borderless top-most window with a drawn caption and close box, run by its own message
// loop until closed. Not a popup of the system's: it makes itself modal by filtering. It takes
// the keyboard focus as it opens (a WM_SETFOCUS that a derived class hands to a control).
// Assistive tools read it as a dialog named by its caption, holding its controls.
class TModalWnd : public TIxFrm, public TAccessibleContent {
public:
    static constexpr int kTitleChars = 40;

    // The main frame, when there is one, is told when the loop starts and ends.
    TModalWnd(HWND hParent, const wchar_t* szTitle, IMainFrame* pMainFrame);
    ~TModalWnd() override;

    // Creates, shows and runs the window; true when it ended accepted.
    bool DoModal();
    // Ends the run: result, running flag, the host told, window destroyed.
    void EndModal(int nResult);

    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    virtual void CreateControls() = 0;
    virtual void PlaceWindow() = 0;
    // Offered each message the loop is about to translate and dispatch: a dialog acts on keys
    // of its own here (moving the focus, say), which then go no further (true). None here.
    virtual bool TranslateDialogKey(const MSG& msg);

    // Draws caption, frame and close box; derived classes draw their content after it.
    void DrawFrame(HDC hDC, const RECT& rcClient);

    // Whether input may reach the window: while a modal loop runs, only its own windows get it.
    static bool LetsInputThrough(HWND hWnd);

    std::vector<LONG> AccChildren(LONG nParent) override;
    bool AccDescribe(LONG nId, AccElement& element) override;
    void AccDoDefaultAction(LONG) override {}

protected:
    // Whether the modal loop lets a message through to its window.
    bool IsOwnWindow(HWND hWnd) const;

    HWND m_hParent = nullptr;
    int m_nCaptionHeight = 30;

private:
    wchar_t m_szTitle[kTitleChars] = {};
    IMainFrame* m_pMainFrame = nullptr;
    RECT m_rcCaption = {};
    RECT m_rcClose = {};
    bool m_bCloseHot = false;
    int m_nResult = 1;
    bool m_bRunning = false;
    // The loop is inside GetMessageW, where messages sent from other threads are handled.
    bool m_bWaiting = false;

    enum class Route { Cancel, Dispatch, Drop };
    Route RouteOf(const MSG& msg) const;
    void RunLoop();

    void OnSize();
    void OnPaint();
    void OnMouseMove();
    void OnLButtonDown(WPARAM wParam, LPARAM lParam);
    void OnLButtonUp();
    void OnMouseLeave();
};
