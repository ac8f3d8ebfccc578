#pragma once
#include <windows.h>

// Result of WndProc for a message the object leaves to DefWindowProcW.
constexpr LRESULT kNotHandled = -1;

// Base of every window object: registers the class, creates the window with the object as
// creation parameter, and routes each message to the object's WndProc.
class TIxFrm {
public:
    HWND m_hWnd = nullptr;

    virtual ~TIxFrm() = default;
    virtual LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;

    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The object behind a window of ours, or null.
    static TIxFrm* FromHandle(HWND hWnd);

protected:
    TIxFrm() = default;
    TIxFrm(const TIxFrm&) = delete;
    TIxFrm& operator=(const TIxFrm&) = delete;

    void Create(const wchar_t* className, HWND hParent, DWORD dwStyle, DWORD dwExStyle);
    // The window is gone (its last message handled, m_hWnd null): the last the object hears
    // of it, so an object that lives no longer than its window may delete itself here.
    virtual void OnWindowGone(HWND) {}
    // Asks for one WM_MOUSELEAVE when the pointer next leaves the window.
    void TrackMouseLeave() const;
};

// Class names of every window class the plug-in registers in the host process.
extern const wchar_t* const g_toolkitClassNames[];
extern const int g_toolkitClassCount;
// Unregisters them all; only valid once no window of these classes exists.
void UnregisterToolkitClasses();
