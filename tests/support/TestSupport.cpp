#include "support/TestSupport.h"

#include "host/TestHost.h"

namespace testing_support {

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        PumpMessages();
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= milliseconds) {
            return condition();
        }
        PumpMessages();
        Sleep(1);
    }
    return true;
}

namespace {
HBITMAP MakeDibSection(int width, int height, std::uint32_t*& bits) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<std::uint32_t*>(pixels);
    return bitmap;
}
} // namespace

Canvas::Canvas(int width, int height)
    : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr)),
      m_bitmap(MakeDibSection(width, height, m_bits)), m_selected(m_dc.get(), m_bitmap.get()) {}

COLORREF Canvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return CLR_INVALID;
    }
    GdiFlush();
    const std::uint32_t bgra = m_bits[y * m_width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

void Canvas::Fill(COLORREF colour) {
    FillSolid(m_dc.get(), RECT{0, 0, m_width, m_height}, colour);
}

int Canvas::Count(const RECT& rc, COLORREF colour) const {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            count += Pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

int Canvas::CountOther(const RECT& rc, COLORREF colour) const {
    RECT inside = {};
    const RECT all = {0, 0, m_width, m_height};
    IntersectRect(&inside, &rc, &all);
    return (inside.right - inside.left) * (inside.bottom - inside.top) - Count(inside, colour);
}

void CaptureWindow(HWND hWnd, Canvas& canvas) {
    WindowDC source(hWnd);
    BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), source.get(), 0, 0, SRCCOPY);
    GdiFlush();
}

std::wstring ExeDir() {
    return host::ExeDirectory();
}

std::string ExeDirA() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &out[0], size);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[4096] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length > 0 && length < 4096 ? std::wstring(value) : std::wstring();
}

} // namespace testing_support
