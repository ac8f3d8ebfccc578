#pragma once
// Owners for GDI handles and scopes for paired GDI/USER calls: every handle made for a
// paint or a window is released by scope, never by a line someone must remember.
#include <windows.h>

struct GdiObjectRelease {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MemoryDCRelease {
    void operator()(HDC h) const { DeleteDC(h); }
};

template <typename Handle, typename Release> class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(Handle h) : m_h(h) {}
    ~UniqueGdi() { reset(); }
    UniqueGdi(UniqueGdi&& other) noexcept : m_h(other.release()) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;

    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    Handle release() {
        Handle h = m_h;
        m_h = nullptr;
        return h;
    }
    void reset(Handle h = nullptr) {
        if (m_h) {
            Release()(m_h);
        }
        m_h = h;
    }

private:
    Handle m_h = nullptr;
};

using BrushHandle = UniqueGdi<HBRUSH, GdiObjectRelease>;
using PenHandle = UniqueGdi<HPEN, GdiObjectRelease>;
using FontHandle = UniqueGdi<HFONT, GdiObjectRelease>;
using BitmapHandle = UniqueGdi<HBITMAP, GdiObjectRelease>;
using MemoryDCHandle = UniqueGdi<HDC, MemoryDCRelease>;

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

inline void FillSolid(HDC dc, const RECT& rc, COLORREF colour) {
    BrushHandle brush = MakeSolidBrush(colour);
    FillRect(dc, &rc, brush.get());
}

inline void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}
