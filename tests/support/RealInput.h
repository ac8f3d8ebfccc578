#pragma once
// Input as the user gives it: queued by the system, routed to the window under the cursor or
// with the keyboard focus, and seen by every hook on the way, unlike a message sent by hand.
#include "support/TestSupport.h"

#include <vector>

namespace testing_support {

inline void SendMouse(DWORD dwFlags) {
    INPUT input = {INPUT_MOUSE, {}};
    input.mi.dwFlags = dwFlags;
    SendInput(1, &input, sizeof(input));
}

// A left click at a point of the screen, handled to the end.
inline void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpMessages();
}

// Two quick left clicks on one point, stamped with one time so that the system pairs them into
// a double click however long the test waits between them, left in the queue.
inline void QueueDoubleClick(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[4] = {};
    const DWORD now = GetTickCount();
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
        inputs[i].mi.time = now;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

// Two quick left clicks on one point, which the system makes a double click, handled to the end.
inline void DoubleClickAt(POINT screen) {
    QueueDoubleClick(screen);
    PumpMessages();
}

// Keys pressed in order and released in the opposite order (Ctrl+Down: {VK_CONTROL, VK_DOWN}),
// left in the queue for whichever loop takes them next.
inline void QueueKeys(const std::vector<WORD>& keys) {
    const std::size_t n = keys.size();
    std::vector<INPUT> inputs(2 * n, INPUT{INPUT_KEYBOARD, {}});
    for (std::size_t i = 0; i < n; ++i) {
        inputs[i].ki.wVk = inputs[2 * n - 1 - i].ki.wVk = keys[i];
        inputs[2 * n - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
inline void QueueKey(WORD vk) {
    QueueKeys({vk});
}

// A key pressed and released, handled to the end.
inline void PressKey(WORD vk) {
    QueueKey(vk);
    PumpMessages();
}

} // namespace testing_support
