#pragma once
#include "toolkit/MemDC.h"

#include <windows.h>

// Result of WndProc for a message the object leaves to DefWindowProcW.
constexpr LRESULT kNotHandled = -1;

// Base of every window object: registers the class, creates the window with the object as
// creation parameter, and routes each message to the object's WndProc.
class TIxFrm {
public:
    HWND m_hWnd = nullptr;

    virtual ~TIxFrm();
    virtual LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;

    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The object behind a window of ours, or null.
    static TIxFrm* FromHandle(HWND hWnd);
    // Window objects made and not yet deleted, on every thread: none once the plug-in has let
    // go of everything.
    static long LiveObjects();

protected:
    TIxFrm();
    TIxFrm(const TIxFrm&) = delete;
    TIxFrm& operator=(const TIxFrm&) = delete;

    void Create(const wchar_t* className, HWND hParent, DWORD dwStyle, DWORD dwExStyle);
    // For an object made with new that lives no longer than its window and that nothing else
    // deletes: it is deleted once the window is gone and none of its handlers is running (a
    // nested message loop runs inside one), so nothing touches it after the handler that saw
    // its window go returns.
    void DeleteWithWindow();
    // Deletes such an object that has no window now, unless one of its handlers is running, in
    // which case it goes as that handler returns.
    void DeleteUnlessHandling();
    // Asks for one WM_MOUSELEAVE when the pointer next leaves the window.
    void TrackMouseLeave() const;
    // WM_SETFOCUS or WM_KILLFOCUS: bFocus keeps whether the window has the keyboard focus, and
    // the window repaints to show it.
    void OnFocusChange(UINT uMsg, bool& bFocus) const;
    // The cursor in client coordinates: mouse handlers go by where the cursor is now.
    POINT CursorPoint() const;
    // A WM_PAINT through a double buffer: draw(hDC, rcClient) draws the whole client area into
    // the buffer, which then reaches the window in one copy.
    template <typename Draw> void PaintBuffered(Draw draw) {
        TMemDC dc(m_hWnd);
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        draw(dc.GetSafeHdc(), rc);
    }
    // Destroys the window while the object is whole. Every class's destructor calls it: a
    // window that outlived its object would route messages to freed memory, and by the time
    // a base's destructor runs, the derived class's handlers are gone.
    void DestroyOwnWindow();

private:
    int m_nRunningHandlers = 0;
    bool m_bDeleteWithWindow = false;
};

// Unregisters the window classes the plug-in registered in the host process (each window object
// registers its class when it first creates a window, unless a class of that name exists, which
// is then never the plug-in's to unregister). A class that still has windows stays registered,
// is reported to a debugger, and is tried again at the next call.
void UnregisterWindowClasses();
