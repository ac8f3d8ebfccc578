#pragma once
// Input as the user gives it: queued by the system, routed to the window under the cursor or
// with the keyboard focus, and seen by every hook on the way, unlike a message sent by hand.
#include "support/TestSupport.h"

namespace testing_support {

inline void SendMouse(DWORD dwFlags) {
    INPUT input = {INPUT_MOUSE, {}};
    input.mi.dwFlags = dwFlags;
    SendInput(1, &input, sizeof(input));
}

// A left click (or the given button's) at a point of the screen, handled to the end.
inline void ClickAt(POINT screen, DWORD dwDown = MOUSEEVENTF_LEFTDOWN, DWORD dwUp = MOUSEEVENTF_LEFTUP) {
    SetCursorPos(screen.x, screen.y);
    SendMouse(dwDown);
    SendMouse(dwUp);
    PumpMessages();
}

// Two quick left clicks on one point, which the system makes a double click, handled to the end.
inline void DoubleClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    PumpMessages();
}

// A key pressed and released, left in the queue for whichever loop takes it next.
inline void QueueKey(WORD vk) {
    INPUT inputs[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
    inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// A key pressed and released, handled to the end.
inline void PressKey(WORD vk) {
    QueueKey(vk);
    PumpMessages();
}

} // namespace testing_support
