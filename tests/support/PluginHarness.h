#pragma once
// A loaded plug-in and the host it talks to: the real library from KESTROVA_DLL, loaded
// afresh for each harness, so every test starts from the plug-in's initial state.
#include "host/TestHost.h"
#include "support/TestSupport.h"

#include <memory>
#include <vector>

namespace testing_support {

class LoadedPlugin {
public:
    explicit LoadedPlugin(host::HostOptions options = {});
    ~LoadedPlugin();

    bool Loaded() const { return m_library && m_library->Loaded(); }
    void Load(int language) { m_library->Entries().load(language); }
    void Init() { m_library->Entries().init(host.PluginManager()); }
    void InitWith(void* pluginManager) { m_library->Entries().init(pluginManager); }
    void Free();
    // Load and Init in one go.
    void Start(int language = 2052);
    bool Freed() const { return m_bFreed; }

    host::TestHost host;

private:
    std::unique_ptr<host::PluginLibrary> m_library;
    bool m_bStarted = false;
    bool m_bFreed = false;
};

// The next message of a type posted to a window, taken from the queue without dispatching.
bool TakePosted(HWND hWnd, UINT uMsg, MSG& msg);
// How many messages of a type are waiting for a window; they are removed.
int DrainPosted(HWND hWnd, UINT uMsg);

struct PostedMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
// Every message in the range [first, last] waiting for this thread, whatever its window, in
// the order it was posted; taken from the queue without dispatching.
std::vector<PostedMessage> TakeAllPosted(UINT first, UINT last);

} // namespace testing_support
