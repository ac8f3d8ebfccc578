#include "fundsbar/KestrovaWnd.h"

#include "toolkit/MemDC.h"

namespace {
constexpr COLORREF kBarBackground = RGB(40, 40, 40);
}

TKestrovaWnd::TKestrovaWnd() = default;

TKestrovaWnd::~TKestrovaWnd() = default;

bool TKestrovaWnd::CreateBar() {
    Create(L"TKestrovaWnd", nullptr, WS_CLIPCHILDREN, 0);
    return true;
}

LRESULT TKestrovaWnd::WndProc(UINT uMsg, WPARAM, LPARAM) {
    switch (uMsg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    default:
        return kNotHandled;
    }
}

void TKestrovaWnd::OnPaint() {
    TMemDC dc(m_hWnd);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    FillSolid(dc.GetSafeHdc(), rc, kBarBackground);
}
