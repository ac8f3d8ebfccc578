#pragma once
#include "host/TestHost.h"
#include "toolkit/GdiHandle.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Dispatches every message waiting for this thread's windows.
void PumpMessages();
// Pumps until the condition holds or the time runs out; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 3000);
inline void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// Bounds the calling thread's message loops: unless it is gone first, a thread of its own
// posts WM_QUIT to this one after the given time. Posted messages are taken before paint and
// timers, so even a loop that WM_PAINT keeps busy for ever ends, and its test fails instead of
// hanging.
class QuitAfter {
public:
    explicit QuitAfter(DWORD milliseconds);
    ~QuitAfter();
    QuitAfter(const QuitAfter&) = delete;
    QuitAfter& operator=(const QuitAfter&) = delete;
    // Whether the time ran out and WM_QUIT was posted.
    bool Fired() const { return m_fired; }

private:
    HANDLE m_gone;
    std::atomic<bool> m_fired{false};
    std::thread m_watch;
};

// A 32-bit top-down pixel buffer, also usable as a device context to draw into.
class Canvas {
public:
    Canvas(int width, int height);

    HDC dc() const { return m_dc.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // CLR_INVALID outside the canvas.
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF colour) { FillSolid(m_dc.get(), RECT{0, 0, m_width, m_height}, colour); }
    // Pixels of the canvas inside the rectangle of colour, or with other of any other colour.
    int Count(const RECT& rc, COLORREF colour, bool other = false) const;
    int CountOther(const RECT& rc, COLORREF colour) const { return Count(rc, colour, true); }
    std::vector<COLORREF> Pixels() const;

private:
    int m_width, m_height;
    std::uint32_t* m_bits = nullptr;
    MemoryDCHandle m_dc;
    BitmapHandle m_bitmap;
    SelectScope m_selected;
};

// Copies what a window shows from its window DC (PrintWindow does not capture ours on Wine).
void CaptureWindow(HWND hWnd, Canvas& canvas);

// Directory of the test program, with a trailing backslash.
inline std::wstring ExeDir() {
    return host::ExeDirectory();
}
std::string ExeDirA();

// The "config" folder of the running program, emptied and made on construction and removed on
// destruction; Write puts one of its files there.
struct ConfigFolder {
    ConfigFolder();
    ~ConfigFolder();
    void Write(const char* name, const std::string& iniText) const;
    // The lines "key=value" of section "Kestrova" of the layout file, as they are on disk.
    std::vector<std::string> LayoutLines() const;
    const std::string dir;
};

// Reads an environment variable, empty when unset.
std::wstring Env(const wchar_t* name);

// Whether this run is meant to have a face named "Calibri": the English face's branch of the
// plug-in follows it, and a test runs in both (KESTROVA_CALIBRI=1 in the run that has it).
inline bool CalibriExpected() {
    return Env(L"KESTROVA_CALIBRI") == L"1";
}

} // namespace testing_support
