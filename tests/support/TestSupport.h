#pragma once
// Helpers every kind of test shares: message pumps, a bound on message loops, pixels, the
// test program's folder and its "config" folder, the environment.
#include "host/TestHost.h"
#include "toolkit/GdiHandle.h"

#include <atomic>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace testing_support {

// Dispatches every message waiting for this thread's windows.
inline void PumpMessages() {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until the condition holds or the time runs out; returns the condition.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 3000) {
    for (const DWORD start = GetTickCount(); !condition() && GetTickCount() - start < milliseconds;
         Sleep(1)) {
        PumpMessages();
    }
    return condition();
}

inline void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// Bounds the calling thread's message loops: unless it is gone first, a thread of its own
// posts WM_QUIT to this one after the given time. Posted messages are taken before paint and
// timers, so even a loop that WM_PAINT keeps busy for ever ends, and its test fails instead of
// hanging.
class QuitAfter {
public:
    explicit QuitAfter(DWORD milliseconds)
        : m_watch([this, thread = GetCurrentThreadId(), milliseconds] {
              m_fired = WaitForSingleObject(m_gone, milliseconds) == WAIT_TIMEOUT &&
                        PostThreadMessageW(thread, WM_QUIT, 0, 0);
          }) {}
    ~QuitAfter() {
        SetEvent(m_gone);
        m_watch.join();
        CloseHandle(m_gone);
    }
    // Whether the time ran out and WM_QUIT was posted.
    bool Fired() const { return m_fired; }

private:
    HANDLE m_gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> m_fired{false};
    std::thread m_watch;
};

// A 32-bit top-down pixel buffer, also usable as a device context to draw into.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        const BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                                 {}};
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0));
        SelectObject(m_dc.get(), m_bitmap.get());
    }

    HDC dc() const { return m_dc.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        const bool inside = x >= 0 && y >= 0 && x < m_width && y < m_height;
        const COLORREF bgr = inside ? Bits()[y * m_width + x] : 0;
        return inside ? RGB(GetBValue(bgr), GetGValue(bgr), GetRValue(bgr)) : CLR_INVALID;
    }
    void Fill(COLORREF colour) { FillSolid(m_dc.get(), RECT{0, 0, m_width, m_height}, colour); }
    // Pixels of the canvas inside the rectangle of colour, or with other of any other colour.
    int Count(const RECT& rc, COLORREF colour, bool other = false) const {
        int count = 0;
        for (int i = 0, w = rc.right - rc.left; i < w * (rc.bottom - rc.top); ++i) {
            const COLORREF pixel = Pixel(rc.left + i % w, rc.top + i / w);
            count += pixel != CLR_INVALID && (pixel == colour) != other ? 1 : 0;
        }
        return count;
    }
    int CountOther(const RECT& rc, COLORREF colour) const { return Count(rc, colour, true); }
    // Every pixel's colour, row after row, as the canvas holds it (0x00RRGGBB). The top byte is
    // not a colour: a copy from the screen may leave anything there (Wine 8 a zero, Wine 10 0xFF).
    std::vector<COLORREF> Pixels() const {
        GdiFlush();
        std::vector<COLORREF> pixels(Bits(), Bits() + m_width * m_height);
        for (COLORREF& pixel : pixels) {
            pixel &= 0x00FFFFFF;
        }
        return pixels;
    }

private:
    const DWORD* Bits() const { return static_cast<const DWORD*>(m_bits); }
    int m_width, m_height;
    void* m_bits = nullptr;
    // The context goes first, so that the bitmap selected into it can go.
    BitmapHandle m_bitmap;
    MemoryDCHandle m_dc{CreateCompatibleDC(nullptr)};
};

// Copies what a window shows from its window DC (PrintWindow does not capture ours on Wine).
inline void CaptureWindow(HWND hWnd, Canvas& canvas) {
    BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), WindowDC(hWnd).get(), 0, 0, SRCCOPY);
}

// Directory of the test program, with a trailing backslash.
inline std::wstring ExeDir() {
    return host::ExeDirectory();
}
inline std::string ExeDirA() {
    char path[MAX_PATH + 1] = {};
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return file.substr(0, file.find_last_of('\\') + 1);
}

// The "config" folder of the running program, emptied and made on construction and removed on
// destruction; Write puts one of its files there.
struct ConfigFolder {
    ConfigFolder() {
        Clear();
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    ~ConfigFolder() { Clear(); }
    void Write(const char* name, const std::string& iniText) const {
        std::ofstream(dir + name, std::ios::binary) << iniText;
    }
    // The lines "key=value" of section "Kestrova" of the layout file, as they are on disk.
    std::vector<std::string> LayoutLines() const {
        const std::string path = dir + "Kestrova.Show.pub";
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
        std::vector<char> section(64 * 1024); // as many lines as there are, and two terminators
        GetPrivateProfileSectionA("Kestrova", section.data(), DWORD(section.size()), path.c_str());
        std::vector<std::string> lines;
        for (const char* line = section.data(); *line; line += lines.back().size() + 1) {
            lines.emplace_back(line);
        }
        return lines;
    }
    void Clear() const {
        for (const char* name : {"Kestrova.Show.pub", "Kestrova.Ignore.pub"}) {
            SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((dir + name).c_str());
        }
        // Flushes the system's cached copy of the files, if any.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, (dir + "Kestrova.Show.pub").c_str());
        RemoveDirectoryA(dir.c_str());
    }
    const std::string dir = ExeDirA() + "config\\";
};

// A file's bytes, empty when it cannot be read; the path narrow or wide.
template <typename Path> std::string FileBytes(const Path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path.c_str(), std::ios::binary).rdbuf();
    return bytes.str();
}

// Reads an environment variable, empty when unset.
inline std::wstring Env(const wchar_t* name) {
    wchar_t value[4096] = {};
    return GetEnvironmentVariableW(name, value, 4096) < 4096 ? value : L"";
}

// Whether this run is meant to have a face named "Calibri": the English face's branch of the
// plug-in follows it, and a test runs in both (KESTROVA_CALIBRI=1 in the run that has it).
inline bool CalibriExpected() {
    return Env(L"KESTROVA_CALIBRI") == L"1";
}

} // namespace testing_support
