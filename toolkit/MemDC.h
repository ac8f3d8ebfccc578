#pragma once
#include "toolkit/GdiHandle.h"

// Double buffer of one WM_PAINT: construct on the stack in the paint handler, draw into
// m_hMemDC, and the destructor copies the whole client area to the window and ends the paint.
class TMemDC {
public:
    explicit TMemDC(HWND hWnd);
    virtual ~TMemDC();
    TMemDC(const TMemDC&) = delete;
    TMemDC& operator=(const TMemDC&) = delete;

    HDC GetSafeHdc() const { return m_hMemDC.get(); }
    void DrawDotFrame(const RECT& rc);

    MemoryDCHandle m_hMemDC;
    HDC m_hDC = nullptr;
    BitmapHandle m_hBitmap;
    HWND m_hWnd = nullptr;
    PAINTSTRUCT m_ps = {};
};

// Dotted focus outline, drawn into any device context.
void DrawDotFrame(HDC dc, const RECT& rc);
