#include "support/PluginHarness.h"

namespace testing_support {

LoadedPlugin::LoadedPlugin(host::HostOptions options)
    : host(options), m_library(std::make_unique<host::PluginLibrary>(Env(L"KESTROVA_DLL"))) {}

LoadedPlugin::~LoadedPlugin() {
    if (m_bStarted && !m_bFreed) {
        Free();
    }
    PumpMessages();
}

void LoadedPlugin::Start(int language) {
    Load(language);
    Init();
    m_bStarted = true;
}

void LoadedPlugin::Free() {
    m_library->Entries().free();
    m_bFreed = true;
}

bool TakePosted(HWND hWnd, UINT uMsg, MSG& msg) {
    return PeekMessageW(&msg, hWnd, uMsg, uMsg, PM_REMOVE) != 0;
}

int DrainPosted(HWND hWnd, UINT uMsg) {
    int count = 0;
    MSG msg;
    while (TakePosted(hWnd, uMsg, msg)) {
        ++count;
    }
    return count;
}

std::vector<PostedMessage> TakeAllPosted(UINT first, UINT last) {
    std::vector<PostedMessage> taken;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
        taken.push_back(PostedMessage{msg.hwnd, msg.message, msg.wParam, msg.lParam});
    }
    return taken;
}

} // namespace testing_support
