#include "toolkit/ModalWnd.h"

#include "toolkit/SharedDrawing.h"

#include <oleacc.h>

#include <utility>

namespace {
constexpr COLORREF kFrameColour = RGB(70, 70, 70);
constexpr COLORREF kCaptionColour = RGB(96, 96, 96);
constexpr COLORREF kLightColour = kBackColour; // title, and the close cross under the mouse
constexpr COLORREF kCloseColour = kBorderColour;
// Ancestors through which a message still counts as one of the dialog's own.
constexpr int kOwnAncestorLevels = 3;
// The loop that runs now, the innermost when one runs inside another.
TModalWnd* g_pRunningModal = nullptr;
} // namespace

TModalWnd::TModalWnd(HWND hParent, const wchar_t* szTitle, IMainFrame* pMainFrame)
    : m_hParent(hParent), m_pMainFrame(pMainFrame) {
    lstrcpynW(m_szTitle, szTitle ? szTitle : L"", kTitleChars);
}

TModalWnd::~TModalWnd() {
    // The window, when a run left it up, goes before the object behind it.
    DestroyOwnWindow();
}

bool TModalWnd::DoModal() {
    TIxFrm::Create(L"TModalWnd", m_hParent, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOPMOST);
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, GetClassLongPtrW(m_hParent, GCLP_HBRBACKGROUND));
    CreateControls();
    m_bRunning = true;
    ShowWindow(m_hWnd, SW_SHOWNA);
    if (m_pMainFrame) {
        m_pMainFrame->OnModalBegin();
    }
    // Laid out in one go and drawn once: while the window and its controls take their sizes,
    // nothing of them is drawn (a scroll bar shown, a control moved), then all of it at once.
    SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0);
    PlaceWindow();
    // A null window would redraw the whole desktop.
    if (m_hWnd) {
        SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        // The keys work at once, without a click first; this activates the window.
        SetFocus(m_hWnd);
    }
    RunLoop();
    return m_nResult != 0;
}

void TModalWnd::RunLoop() {
    struct Running {
        explicit Running(TModalWnd* self) : pOuter(std::exchange(g_pRunningModal, self)) {}
        ~Running() { g_pRunningModal = pOuter; }
        TModalWnd* pOuter;
    } running(this);
    MSG msg = {};
    while (m_bRunning) {
        m_bWaiting = true;
        const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        m_bWaiting = false;
        if (bGot <= 0) {
            // A quit (or a failed wait) cancels the dialog like Escape. The quit belongs to
            // the loop that called us, the host's: it is posted again for that loop to see.
            EndModal(0);
            if (bGot == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
            }
            return;
        }
        switch (RouteOf(msg)) {
        case Route::Cancel:
            EndModal(0);
            break;
        case Route::Dispatch:
            if (!TranslateDialogKey(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            break;
        case Route::Drop:
            break;
        }
        // Destroyed by someone else (with its owner, say): nothing could end the run any more.
        if (m_bRunning && !m_hWnd) {
            EndModal(0);
        }
    }
}

TModalWnd::Route TModalWnd::RouteOf(const MSG& msg) const {
    switch (msg.message) {
    case WM_KEYDOWN:
        // Escape cancels wherever the keyboard focus is.
        if (msg.wParam == VK_ESCAPE) {
            return Route::Cancel;
        }
        break;
    case WM_SYSCOMMAND:
        if (msg.wParam == SC_CLOSE && msg.lParam == 0) {
            return Route::Cancel;
        }
        break;
    default:
        // Paint and the plug-in's own notifications reach every window, so the bars stay
        // current under the dialog.
        if (msg.message == WM_PAINT || msg.message >= WM_USER) {
            return Route::Dispatch;
        }
        break;
    }
    return IsOwnWindow(msg.hwnd) ? Route::Dispatch : Route::Drop;
}

bool TModalWnd::TranslateDialogKey(const MSG&) {
    return false;
}

bool TModalWnd::IsOwnWindow(HWND hWnd) const {
    HWND hAncestor = hWnd;
    for (int level = 0; hAncestor && level <= kOwnAncestorLevels; ++level) {
        if (hAncestor == m_hWnd) {
            return true;
        }
        hAncestor = GetParent(hAncestor);
    }
    return false;
}

bool TModalWnd::LetsInputThrough(HWND hWnd) {
    return !g_pRunningModal || g_pRunningModal->IsOwnWindow(hWnd);
}

std::vector<LONG> TModalWnd::AccChildren(LONG nParent) {
    return NumberedElements(nParent == kWindowElement ? AccessibleChildWindows(m_hWnd).size() : 0);
}

bool TModalWnd::AccDescribe(LONG nId, AccElement& element) {
    if (nId == kWindowElement) {
        element.name = m_szTitle;
        element.nRole = ROLE_SYSTEM_DIALOG;
        return true;
    }
    // Its controls, each read through its own window.
    const std::vector<HWND> windows = AccessibleChildWindows(m_hWnd);
    if (nId < 1 || static_cast<std::size_t>(nId) > windows.size()) {
        return false;
    }
    element.hWindow = windows[static_cast<std::size_t>(nId) - 1];
    return true;
}

void TModalWnd::EndModal(int nResult) {
    // The first end holds, however many close paths fire, one inside another's (a host that
    // closes the bar when it hears of the end): the host hears of it once, and a later OK does
    // not turn a cancelled run into a saving one.
    if (!m_bRunning) {
        return;
    }
    m_nResult = nResult;
    m_bRunning = false;
    if (m_pMainFrame) {
        m_pMainFrame->OnModalEnd();
    }
    DestroyOwnWindow();
    // Ended by a message sent to the thread while the loop waits (the host closing the bar, say):
    // the wait goes on after it, so a message is posted to end it.
    if (m_bWaiting) {
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
}

LRESULT TModalWnd::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    default:
        return kNotHandled;
    }
}

void TModalWnd::OnSize() {
    GetClientRect(m_hWnd, &m_rcCaption);
    m_rcCaption.bottom = m_nCaptionHeight;
}

void TModalWnd::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) { DrawFrame(hDC, rc); });
}

void TModalWnd::OnMouseMove() {
    TrackMouseLeave();
    const POINT pt = CursorPoint();
    m_bCloseHot = PtInRect(&m_rcClose, pt) != FALSE;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TModalWnd::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    const POINT pt = CursorPoint();
    // Only a plain press moves the window: Shift or Ctrl held leaves it where it is.
    if (wParam == MK_LBUTTON && PtInRect(&m_rcCaption, pt) && !PtInRect(&m_rcClose, pt)) {
        PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    }
}

void TModalWnd::OnLButtonUp() {
    const POINT pt = CursorPoint();
    if (PtInRect(&m_rcClose, pt)) {
        EndModal(0);
    }
}

void TModalWnd::OnMouseLeave() {
    m_bCloseHot = false;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TModalWnd::DrawFrame(HDC hDC, const RECT& rcClient) {
    SelectScope fontScope(hDC, g_hCaptionFont.get());
    SetBkMode(hDC, TRANSPARENT);

    FillRect(hDC, &rcClient, g_hBackBrush.get());
    {
        BrushHandle frame = MakeSolidBrush(kFrameColour);
        FrameRect(hDC, &rcClient, frame.get());
    }
    FillSolid(hDC, m_rcCaption, kCaptionColour);

    const RECT rcBox = {rcClient.right - 20, 10, rcClient.right - 10, 20};
    {
        PenHandle pen = MakeSolidPen(m_bCloseHot ? kLightColour : kCloseColour);
        SelectScope penScope(hDC, pen.get());
        DrawLine(hDC, rcBox.left, rcBox.top, rcBox.right + 1, rcBox.bottom + 1);
        DrawLine(hDC, rcBox.left, rcBox.bottom, rcBox.right + 1, rcBox.top - 1);
    }
    m_rcClose = rcBox;
    InflateRect(&m_rcClose, 1, 1);

    SIZE extent = {};
    GetTextExtentPoint32W(hDC, m_szTitle, lstrlenW(m_szTitle), &extent);
    RECT rcText = m_rcCaption;
    rcText.top = (m_rcCaption.bottom - extent.cy) / 2;
    SetTextColor(hDC, kLightColour);
    // Without DT_SINGLELINE, DT_BOTTOM has no effect: the text starts at rcText.top.
    DrawTextW(hDC, m_szTitle, -1, &rcText, DT_CENTER | DT_BOTTOM);
}
