#pragma once
// Drives a modal dialog from inside its own message loop, which passes on every message from
// WM_USER up whatever window it is for: each step runs in the handler of a message posted to a
// window of the script's own, and posts the message of the next step when it is done, so that
// whatever a step posted (a combo box's notification) is handled before the next step runs.
// The dialog must be open when the first step's message comes (start the script just before
// the action that opens it); a dialog still open 10 s after that gets WM_QUIT, which ends its
// loop: a script that cannot close its dialog fails instead of hanging.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace testing_support {

class ModalScript {
public:
    using Step = std::function<void(HWND hDialog)>;

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        const WNDCLASSW wc = {0,       &Proc,   0,       0,       GetModuleHandleW(nullptr),
                              nullptr, nullptr, nullptr, nullptr, L"KestrovaTestModalScript"};
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ModalScript() { DestroyWindow(m_hWnd); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Call right before the action that opens the dialog.
    void Start() { PostMessageW(m_hWnd, kStepMessage, 0, 0); }
    // Every step ran, and the dialog was not ended by the watchdog.
    bool Finished() const { return m_next == m_steps.size() && !s_timedOut; }
    bool Opened() const { return m_dialog != nullptr; }

private:
    static constexpr UINT kStepMessage = WM_APP + 0x4B;
    static constexpr UINT_PTR kWatchdog = 0x4B53;
    static constexpr UINT kWatchdogMs = 10000;

    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ModalScript*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == kStepMessage && self) {
            self->RunStep();
            return 0;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    void RunStep() {
        if (!m_dialog) {
            const HWND hDialog = FindWindowW(L"TModalWnd", nullptr);
            if (!hDialog || !IsWindowVisible(hDialog)) {
                return;
            }
            m_dialog = hDialog;
            s_timedOut = false;
            SetTimer(m_dialog, kWatchdog, kWatchdogMs, [](HWND, UINT, UINT_PTR, DWORD) {
                s_timedOut = true;
                PostQuitMessage(0);
            });
        }
        if (!IsWindow(m_dialog) || m_next >= m_steps.size()) {
            return;
        }
        m_steps[m_next++](m_dialog);
        if (m_next < m_steps.size()) {
            PostMessageW(m_hWnd, kStepMessage, 0, 0);
        }
    }

    std::vector<Step> m_steps;
    HWND m_hWnd = nullptr;
    HWND m_dialog = nullptr;
    std::size_t m_next = 0;
    static inline bool s_timedOut = false;
};

// The user's mouse on a point of the screen: the real cursor moves there and the window under
// it gets the messages, in its own client coordinates (our handlers read the cursor).
inline HWND WindowAt(POINT screen, POINT& client) {
    SetCursorPos(screen.x, screen.y);
    const HWND hWnd = WindowFromPoint(screen);
    client = screen;
    ScreenToClient(hWnd, &client);
    return hWnd;
}

inline POINT ScreenPoint(HWND hWnd, POINT client) {
    ClientToScreen(hWnd, &client);
    return client;
}

// Presses the left button at a point of a window's client area, and releases it there unless
// the press closed the window.
inline void ClickAt(HWND hWnd, POINT pt, bool bRelease = true) {
    POINT client = {};
    const HWND hTarget = WindowAt(ScreenPoint(hWnd, pt), client);
    SendMessageW(hTarget, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    if (bRelease && IsWindow(hTarget)) {
        SendMessageW(hTarget, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    }
}

// Down, up, double click, up: what a double click gives a window whose class has CS_DBLCLKS.
inline void DoubleClickAt(HWND hWnd, POINT pt) {
    POINT client = {};
    const HWND hTarget = WindowAt(ScreenPoint(hWnd, pt), client);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    SendMessageW(hTarget, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hTarget, WM_LBUTTONUP, 0, at);
    SendMessageW(hTarget, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(hTarget, WM_LBUTTONUP, 0, at);
}

} // namespace testing_support
