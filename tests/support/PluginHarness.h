#pragma once
// A loaded plug-in and the host it talks to: the real library from KESTROVA_DLL, loaded
// afresh for each harness, so every test starts from the plug-in's initial state.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace testing_support {

struct LoadedPlugin {
    explicit LoadedPlugin(host::HostOptions options = {}) : host(options) {}
    ~LoadedPlugin() {
        Free();
        PumpMessages();
    }
    // OnPluginLoad, then OnPluginInit with the host's plug-in manager (or with null).
    void Start(int language = 2052, bool nullHost = false) {
        ASSERT_TRUE(library.Loaded());
        library.Entries().load(language);
        library.Entries().init(nullHost ? nullptr : host.PluginManager());
        started = true;
    }
    void Free() {
        if (std::exchange(started, false)) {
            library.Entries().free();
        }
    }

    host::TestHost host;
    host::PluginLibrary library{Env(L"KESTROVA_DLL")};
    bool started = false;
};

// Window, message, wParam and lParam of posted messages, in posting order.
using Posted = std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>>;

// Every funds bar message waiting for this thread, taken from the queue without dispatching.
inline Posted TakeBarMessages() {
    Posted taken;
    for (MSG m; PeekMessageW(&m, nullptr, WM_USER + 110, WM_USER + 113, PM_REMOVE);) {
        taken.emplace_back(m.hwnd, m.message, m.wParam, m.lParam);
    }
    return taken;
}

// What TakeBarMessages gives when each window, in order, got one such message and nothing else.
inline Posted OnceToEach(const std::vector<HWND>& windows, UINT message, LPARAM lParam) {
    Posted expected;
    for (HWND hWnd : windows) {
        expected.emplace_back(hWnd, message, 0, lParam);
    }
    return expected;
}

} // namespace testing_support
