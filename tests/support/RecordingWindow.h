#pragma once
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace testing_support {

// Plain windows of the test's own: every message they get is added to one log, then handed to
// onMessage. They paint nothing; whoever creates one destroys it.
struct RecordingWindow {
    static HWND Create(HWND hParent, DWORD dwStyle, const RECT& rc) {
        const HINSTANCE hInstance = GetModuleHandleW(nullptr);
        const WNDCLASSW wc = {0,       &Proc,   0,       0,       hInstance,
                              nullptr, nullptr, nullptr, nullptr, L"KestrovaTestRecorder"};
        RegisterClassW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, nullptr, dwStyle, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, hParent, nullptr, hInstance, nullptr);
    }
    static int Count(HWND hWnd, UINT uMsg) {
        return static_cast<int>(std::count_if(
            log.begin(), log.end(), [&](const MSG& msg) { return msg.hwnd == hWnd && msg.message == uMsg; }));
    }
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        const MSG msg = {hWnd, uMsg, wParam, lParam, 0, {}};
        log.push_back(msg);
        if (onMessage) {
            onMessage(msg);
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    static inline std::vector<MSG> log;
    static inline std::function<void(const MSG&)> onMessage;
};

} // namespace testing_support
