#pragma once
// Owners for GDI handles and scopes for paired GDI/USER calls: every handle made for a
// paint or a window is released by scope, never by a line someone must remember.
#include "base/UniqueHandle.h"

#include <windows.h>

using BrushHandle = UniqueHandle<HBRUSH, ReleaseWith<&DeleteObject>>;
using PenHandle = UniqueHandle<HPEN, ReleaseWith<&DeleteObject>>;
using FontHandle = UniqueHandle<HFONT, ReleaseWith<&DeleteObject>>;
using BitmapHandle = UniqueHandle<HBITMAP, ReleaseWith<&DeleteObject>>;
using MemoryDCHandle = UniqueHandle<HDC, ReleaseWith<&DeleteDC>>;

// Selects an object into a device context and puts the previous one back on scope exit.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectScope() {
        if (m_previous && m_previous != HGDI_ERROR) {
            SelectObject(m_dc, m_previous);
        }
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// GetDC (or GetWindowDC) and ReleaseDC pair. A null window gives the screen's context.
class WindowDC {
public:
    enum class Area { Client, WholeWindow };
    explicit WindowDC(HWND hWnd, Area area = Area::Client)
        : m_hWnd(hWnd), m_dc(area == Area::Client ? GetDC(hWnd) : GetWindowDC(hWnd)) {}
    ~WindowDC() {
        if (m_dc) {
            ReleaseDC(m_hWnd, m_dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_hWnd;
    HDC m_dc;
};

inline BrushHandle MakeSolidBrush(COLORREF colour) {
    return BrushHandle(CreateSolidBrush(colour));
}
inline PenHandle MakeSolidPen(COLORREF colour, int width = 1) {
    return PenHandle(CreatePen(PS_SOLID, width, colour));
}

// Through the context's own brush colour, put back after: no brush made for one fill.
inline void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
    const COLORREF previous = SetDCBrushColor(dc, colour);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, previous);
}

inline void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}
