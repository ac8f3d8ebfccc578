#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace testing_support {

// A plain window of the test's own that records every message it gets and paints nothing
// (each WM_PAINT is validated). onMessage runs after a message is recorded.
class RecordingWindow {
public:
    struct Message {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };

    RecordingWindow(HWND hParent, DWORD dwStyle, const RECT& rc);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    // Null once the window is destroyed, by whoever destroyed it.
    HWND hwnd() const { return m_hWnd; }
    int Count(UINT uMsg) const;
    std::vector<Message> Received(UINT uMsg) const;

    std::function<void(UINT, WPARAM, LPARAM)> onMessage;

    // The class background brush, which the modal window copies from its parent.
    static HBRUSH ClassBrush();

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    std::vector<Message> m_messages;
};

} // namespace testing_support
