#include "toolkit/PopupWnd.h"

#include "toolkit/SharedDrawing.h"

TPopupWnd::~TPopupWnd() {
    DestroyOwnWindow();
}

bool TPopupWnd::Create(HWND hOwner) {
    m_hParent = hOwner;
    TIxFrm::Create(L"TPopupWnd", hOwner, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW);
    return true;
}

void TPopupWnd::SetPos(int& x, int& y, int& nWidth, int& nHeight) {
    SetWindowPos(m_hWnd, nullptr, x, y, nWidth, nHeight, SWP_NOZORDER);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void TPopupWnd::DrawContent(HDC, const RECT&) {}

LRESULT TPopupWnd::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        HideIfOutside(PointOf(lParam));
        return 0;
    default:
        return kNotHandled;
    }
}

void TPopupWnd::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE && m_bAutoHide) {
        ShowWindow(m_hWnd, SW_HIDE);
    }
}

void TPopupWnd::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) { DrawPopup(hDC, rc); });
}

void TPopupWnd::DrawPopup(HDC hDC, const RECT& rcClient) {
    FillRect(hDC, &rcClient, g_hBackBrush.get());
    FrameRect(hDC, &rcClient, g_hBorderBrush.get());
    DrawContent(hDC, rcClient);
}

bool TPopupWnd::HideIfOutside(POINT pt) {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (PtInRect(&rc, pt) || !m_bAutoHide) {
        return false;
    }
    ShowWindow(m_hWnd, SW_HIDE);
    return true;
}

POINT TPopupWnd::PointOf(LPARAM lParam) {
    // Both words unsigned: a point left of or above the window reads as far outside it.
    return POINT{static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
}
