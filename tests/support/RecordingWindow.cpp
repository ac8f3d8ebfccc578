#include "support/RecordingWindow.h"

namespace testing_support {

namespace {
constexpr const wchar_t* kClassName = L"KestrovaTestRecorder";

void RegisterRecorderClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = RecordingWindow::ClassBrush();
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}
} // namespace

HBRUSH RecordingWindow::ClassBrush() {
    return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
}

RecordingWindow::RecordingWindow(HWND hParent, DWORD dwStyle, const RECT& rc) {
    RegisterRecorderClass();
    const HWND hWnd =
        CreateWindowExW(0, kClassName, nullptr, dwStyle, rc.left, rc.top, rc.right - rc.left,
                        rc.bottom - rc.top, hParent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingWindow::Proc));
    m_hWnd = hWnd;
}

RecordingWindow::~RecordingWindow() {
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
}

int RecordingWindow::Count(UINT uMsg) const {
    return static_cast<int>(Received(uMsg).size());
}

std::vector<RecordingWindow::Message> RecordingWindow::Received(UINT uMsg) const {
    std::vector<Message> found;
    for (const Message& message : m_messages) {
        if (message.uMsg == uMsg) {
            found.push_back(message);
        }
    }
    return found;
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    self->m_messages.push_back(Message{uMsg, wParam, lParam});
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
    }
    if (self->onMessage) {
        self->onMessage(uMsg, wParam, lParam);
    }
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

} // namespace testing_support
