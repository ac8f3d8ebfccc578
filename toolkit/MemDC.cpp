#include "toolkit/MemDC.h"

namespace {
SIZE ClientSize(HWND hWnd) {
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}
} // namespace

TMemDC::TMemDC(HWND hWnd) : m_hWnd(hWnd) {
    m_hDC = BeginPaint(hWnd, &m_ps);
    SetBkMode(m_hDC, TRANSPARENT);
    const SIZE size = ClientSize(hWnd);
    m_hMemDC.reset(CreateCompatibleDC(m_hDC));
    m_hBitmap.reset(CreateCompatibleBitmap(m_hDC, size.cx, size.cy));
    // The memory context's original bitmap is a stock object; it needs no restoring.
    SelectObject(m_hMemDC.get(), m_hBitmap.get());
}

TMemDC::~TMemDC() {
    const SIZE size = ClientSize(m_hWnd);
    BitBlt(m_hDC, 0, 0, size.cx, size.cy, m_hMemDC.get(), 0, 0, SRCCOPY);
    // The context goes before the bitmap that is still selected into it.
    m_hMemDC.reset();
    m_hBitmap.reset();
    EndPaint(m_hWnd, &m_ps);
}

void TMemDC::DrawDotFrame(const RECT& rc) {
    ::DrawDotFrame(m_hMemDC.get(), rc);
}

void DrawDotFrame(HDC dc, const RECT& rc) {
    LOGBRUSH lb = {};
    lb.lbStyle = BS_SOLID;
    lb.lbColor = RGB(50, 50, 50);
    PenHandle pen(ExtCreatePen(PS_GEOMETRIC | PS_DOT, 1, &lb, 0, nullptr));
    SelectScope penScope(dc, pen.get());
    SelectScope brushScope(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
}
