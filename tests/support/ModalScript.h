#pragma once
// Drives a modal dialog from inside its own message loop: each step runs on a timer of the
// dialog's own, so it comes once the dialog is idle, what the previous step posted (a combo
// box's notification) and every paint handled.
#include "support/TestSupport.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

using ModalStep = std::function<void(HWND hDialog)>;

// The steps of the run under way, and the next to run.
inline const std::vector<ModalStep>* g_modalSteps = nullptr;
inline std::size_t g_nextModalStep = 0;

inline void CALLBACK ModalScriptTick(HWND hDialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(hDialog, id);
    if (g_modalSteps && g_nextModalStep < g_modalSteps->size()) {
        (*g_modalSteps)[g_nextModalStep++](hDialog);
        if (IsWindow(hDialog)) {
            SetTimer(hDialog, id, 1, &ModalScriptTick);
        }
    }
}

// The first step's timer is set as the dialog's window is made, however its opening came.
inline LRESULT CALLBACK ModalScriptHook(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t name[16] = {};
    const HWND hWnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && GetClassNameW(hWnd, name, 16) && std::wstring(name) == L"TModalWnd") {
        SetTimer(hWnd, 0x4B53, 1, &ModalScriptTick);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs open, which must open the dialog before it returns (a double click, a sent command), and
// the steps in it; true when every step ran. A dialog still open after 10 s gets WM_QUIT, which
// ends its loop: a script that cannot close its dialog fails instead of hanging.
inline bool RunModal(const std::vector<ModalStep>& steps, const std::function<void()>& open) {
    g_modalSteps = &steps;
    g_nextModalStep = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &ModalScriptHook, nullptr, GetCurrentThreadId());
    bool late = false;
    {
        QuitAfter bound(10000);
        open();
        late = bound.Fired();
    }
    UnhookWindowsHookEx(hook);
    g_modalSteps = nullptr;
    return g_nextModalStep == steps.size() && !late;
}

// The user's mouse: the real cursor is put on a client point of a window (our handlers read
// it) and the window under it gets the messages, in its own client coordinates, until one of
// them closes it. {WM_LBUTTONDOWN, WM_LBUTTONUP} is a click; a double click adds
// WM_LBUTTONDBLCLK and WM_LBUTTONUP, as for a class with CS_DBLCLKS.
inline void Mouse(HWND hWnd, POINT pt, std::initializer_list<UINT> messages) {
    ClientToScreen(hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
    const HWND hTarget = WindowFromPoint(pt);
    ScreenToClient(hTarget, &pt);
    for (UINT uMsg : messages) {
        if (IsWindow(hTarget)) {
            SendMessageW(hTarget, uMsg, uMsg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        }
    }
}
inline void ClickAt(HWND hWnd, POINT pt) {
    Mouse(hWnd, pt, {WM_LBUTTONDOWN, WM_LBUTTONUP});
}
inline void DoubleClickAt(HWND hWnd, POINT pt) {
    Mouse(hWnd, pt, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
}

} // namespace testing_support
