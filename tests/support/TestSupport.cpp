#include "support/TestSupport.h"

#include <fstream>

namespace testing_support {

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(1)) {
        if (GetTickCount() - start >= milliseconds) {
            return condition();
        }
        PumpMessages();
    }
    return true;
}

QuitAfter::QuitAfter(DWORD milliseconds) : m_gone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    const DWORD thread = GetCurrentThreadId();
    m_watch = std::thread([this, thread, milliseconds] {
        if (WaitForSingleObject(m_gone, milliseconds) == WAIT_TIMEOUT) {
            m_fired = true;
            PostThreadMessageW(thread, WM_QUIT, 0, 0);
        }
    });
}

QuitAfter::~QuitAfter() {
    SetEvent(m_gone);
    m_watch.join();
    CloseHandle(m_gone);
}

static HBITMAP MakeDibSection(int width, int height, std::uint32_t*& bits) {
    const BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
}

Canvas::Canvas(int width, int height)
    : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr)),
      m_bitmap(MakeDibSection(width, height, m_bits)), m_selected(m_dc.get(), m_bitmap.get()) {}

COLORREF Canvas::Pixel(int x, int y) const {
    GdiFlush();
    const bool inside = x >= 0 && y >= 0 && x < m_width && y < m_height;
    const COLORREF bgr = inside ? m_bits[y * m_width + x] : 0;
    return inside ? RGB(GetBValue(bgr), GetGValue(bgr), GetRValue(bgr)) : CLR_INVALID;
}

int Canvas::Count(const RECT& rc, COLORREF colour, bool other) const {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF pixel = Pixel(x, y);
            count += pixel != CLR_INVALID && (pixel == colour) != other ? 1 : 0;
        }
    }
    return count;
}

std::vector<COLORREF> Canvas::Pixels() const {
    std::vector<COLORREF> pixels;
    for (int i = 0; i < m_width * m_height; ++i) {
        pixels.push_back(Pixel(i % m_width, i / m_width));
    }
    return pixels;
}

void CaptureWindow(HWND hWnd, Canvas& canvas) {
    WindowDC source(hWnd);
    BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), source.get(), 0, 0, SRCCOPY);
}

std::string ExeDirA() {
    char path[MAX_PATH + 1] = {};
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return file.substr(0, file.find_last_of('\\') + 1);
}

static void ClearFolder(const std::string& dir) {
    for (const char* name : {"Kestrova.Show.pub", "Kestrova.Ignore.pub"}) {
        SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((dir + name).c_str());
    }
    // Flushes the system's cached copy of the files, if any.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (dir + "Kestrova.Show.pub").c_str());
    RemoveDirectoryA(dir.c_str());
}

ConfigFolder::ConfigFolder() : dir(ExeDirA() + "config\\") {
    ClearFolder(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
}

ConfigFolder::~ConfigFolder() {
    ClearFolder(dir);
}

void ConfigFolder::Write(const char* name, const std::string& iniText) const {
    std::ofstream(dir + name, std::ios::binary) << iniText;
}

std::vector<std::string> ConfigFolder::LayoutLines() const {
    const std::string path = dir + "Kestrova.Show.pub";
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    std::vector<char> section(64 * 1024);
    const DWORD size = GetPrivateProfileSectionA("Kestrova", section.data(),
                                                 static_cast<DWORD>(section.size()), path.c_str());
    std::vector<std::string> lines;
    for (const char* line = section.data(); line < section.data() + size && *line;
         line += lines.back().size() + 1) {
        lines.emplace_back(line);
    }
    return lines;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[4096] = {};
    return GetEnvironmentVariableW(name, value, 4096) < 4096 ? value : L"";
}

} // namespace testing_support
