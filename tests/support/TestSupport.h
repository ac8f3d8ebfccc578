#pragma once
#include "toolkit/GdiHandle.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Dispatches every message waiting for this thread's windows.
void PumpMessages();
// Pumps for the given time.
void PumpFor(DWORD milliseconds);
// Pumps until the condition holds or the time runs out; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 3000);

// A 32-bit top-down pixel buffer, also usable as a device context to draw into.
class Canvas {
public:
    Canvas(int width, int height);

    HDC dc() const { return m_dc.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF colour);
    // Pixels of colour inside the rectangle.
    int Count(const RECT& rc, COLORREF colour) const;
    // Pixels inside the rectangle whose colour differs from colour.
    int CountOther(const RECT& rc, COLORREF colour) const;

private:
    int m_width;
    int m_height;
    std::uint32_t* m_bits = nullptr;
    MemoryDCHandle m_dc;
    BitmapHandle m_bitmap;
    SelectScope m_selected;
};

// Copies what a window shows from its window DC (PrintWindow does not capture ours on Wine).
void CaptureWindow(HWND hWnd, Canvas& canvas);

// Directory of the test program, with a trailing backslash.
std::wstring ExeDir();
std::string ExeDirA();

std::wstring Wide(const std::string& utf8);

// Reads an environment variable, empty when unset.
std::wstring Env(const wchar_t* name);

} // namespace testing_support
