#include "support/TestSupport.h"

#include "host/TestHost.h"

#include "host/Png.h"

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

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<std::uint32_t*>(bits);
    m_previous = SelectObject(m_dc, m_bitmap);
}

Canvas::~Canvas() {
    SelectObject(m_dc, m_previous);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

COLORREF Canvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return CLR_INVALID;
    }
    GdiFlush();
    const std::uint32_t bgra = m_bits[y * m_width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

void Canvas::Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT rc = {0, 0, m_width, m_height};
    FillRect(m_dc, &rc, brush);
    DeleteObject(brush);
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
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF pixel = Pixel(x, y);
            count += (pixel != colour && pixel != CLR_INVALID) ? 1 : 0;
        }
    }
    return count;
}

bool Canvas::SavePng(const std::wstring& path) const {
    GdiFlush();
    return host::WritePng(path, m_bits, m_width, m_height);
}

void CaptureWindow(HWND hWnd, Canvas& canvas) {
    HDC windowDC = GetDC(hWnd);
    BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), windowDC, 0, 0, SRCCOPY);
    ReleaseDC(hWnd, windowDC);
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

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
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
