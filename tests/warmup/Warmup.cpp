// Starts Wine's desktop and services for the prefix before any test runs. They are
// long-lived background processes; started by a test program they would inherit its output
// pipes and hold CTest until its time-out.
//
// With "hold" it then stays until it is ended. Wine closes the desktop a moment after the
// last program on it has gone: between two test programs, the next one could start on a
// desktop that is closing, and then no window of it opens. A program held on the desktop
// keeps it for the whole run.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"warm-up", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(hWnd);
    if (argc > 1 && std::strcmp(argv[1], "hold") == 0) {
        Sleep(INFINITE);
    }
    return 0;
}
