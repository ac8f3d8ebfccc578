// Starts Wine's desktop and services for the prefix before any test runs. They are
// long-lived background processes; started by a test program they would inherit its output
// pipes and hold CTest until its time-out.
#include <windows.h>

int main() {
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"warm-up", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(hWnd);
    return 0;
}
