#pragma once
#include "toolkit/Accessible.h"
#include "toolkit/IxFrm.h"

// Flat push button: light grey face and grey frame, lit blue under the mouse, a dotted focus
// frame while it has the keyboard focus. A press of the left button, and Space or Enter while it
// has the focus, is reported to the parent at once, with the command number the button was
// created with. Assistive tools read it as a push button named by its caption, whose default
// action presses it.
class TStaticButton : public TIxFrm, public TAccessibleContent {
public:
    static constexpr int kTextChars = 40;

    TStaticButton();
    ~TStaticButton() override;

    // Creates the child window with its caption and command number; the parent places it.
    bool Create(HWND hParent, const wchar_t* szText, int nID);
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Face, hover, focus frame and caption into dc, over the client rectangle.
    void DrawButton(HDC hDC, const RECT& rcClient) const;

    std::vector<LONG> AccChildren(LONG) override { return {}; }
    bool AccDescribe(LONG nId, AccElement& element) override;
    // Pressed as by the left button.
    void AccDoDefaultAction(LONG) override { OnLButtonDown(); }

private:
    int m_nID = 0;
    bool m_bHover = false;
    bool m_bFocus = false;
    HFONT m_hFont = nullptr;
    wchar_t m_szText[kTextChars] = {};

    void OnPaint();
    void OnMouseMove();
    void OnLButtonDown();
    void OnKeyDown(WPARAM nKey);
    // Tells the parent; the button may be gone when it returns.
    void Click();
    void Repaint() const;
};
