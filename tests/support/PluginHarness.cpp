#include "support/PluginHarness.h"

#include <sstream>

namespace testing_support {

namespace {

std::string Line(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::ostringstream line;
    line << std::hex << hWnd << ' ' << message << ' ' << wParam << ' ' << lParam << '\n';
    return line.str();
}

} // namespace

LoadedPlugin::LoadedPlugin(host::HostOptions options)
    : host(options), m_library(std::make_unique<host::PluginLibrary>(Env(L"KESTROVA_DLL"))) {}

LoadedPlugin::~LoadedPlugin() {
    if (m_bStarted) {
        Free();
    }
    PumpMessages();
}

void LoadedPlugin::Start(int language, bool nullHost) {
    m_library->Entries().load(language);
    m_library->Entries().init(nullHost ? nullptr : host.PluginManager());
    m_bStarted = true;
}

void LoadedPlugin::Free() {
    m_library->Entries().free();
    m_bStarted = false;
}

std::string TakePosted(UINT first, UINT last) {
    std::string taken;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
        taken += Line(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    return taken;
}

std::string OnceToEach(const std::vector<HWND>& bars, UINT message, LPARAM lParam) {
    std::string expected;
    for (HWND bar : bars) {
        expected += Line(bar, message, 0, lParam);
    }
    return expected;
}

} // namespace testing_support
