#pragma once
// A loaded plug-in and the host it talks to: the real library from KESTROVA_DLL, loaded
// afresh for each harness, so every test starts from the plug-in's initial state.
#include "host/TestHost.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class LoadedPlugin {
public:
    explicit LoadedPlugin(host::HostOptions options = {});
    ~LoadedPlugin();

    bool Loaded() const { return m_library && m_library->Loaded(); }
    // OnPluginLoad, then OnPluginInit with the host's plug-in manager (or with null).
    void Start(int language = 2052, bool nullHost = false);
    void Free();

    host::TestHost host;

private:
    std::unique_ptr<host::PluginLibrary> m_library;
    bool m_bStarted = false;
};

// Every message in [first, last] waiting for this thread, taken from the queue without
// dispatching: one "window message wParam lParam" line each, in posting order.
std::string TakePosted(UINT first, UINT last);
// What TakePosted gives when each bar, in order, got one such message and nothing else.
std::string OnceToEach(const std::vector<HWND>& bars, UINT message, LPARAM lParam);

} // namespace testing_support
