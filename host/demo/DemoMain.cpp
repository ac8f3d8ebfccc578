// The demo terminal: loads Kestrova.dll from its own folder as the trading terminal does,
// opens funds bars in its main frame and feeds them from a simulated back office.
#include "host/TestHost.h"
#include "host/demo/BackOffice.h"
#include "host/demo/DemoFrame.h"
#include "host/demo/DemoOptions.h"
#include "host/demo/Feed.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Fail(const std::wstring& text) {
    std::fwprintf(stderr, L"kestrova_demo: %ls\n", text.c_str());
    return 1;
}

int RunMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const demo::ParsedOptions parsed = demo::ParseOptions(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fwprintf(stderr, L"%ls", demo::kUsage);
        return Fail(parsed.error);
    }
    const demo::DemoOptions& options = parsed.options;
    if (options.help) {
        std::fwprintf(stdout, L"%ls", demo::kUsage);
        return 0;
    }
    const std::uint32_t seed = options.seeded ? options.seed : GetTickCount();

    // The plug-in keeps its column settings in "config" beside the terminal's executable.
    const std::wstring folder = host::ExeDirectory();
    CreateDirectoryW((folder + L"config").c_str(), nullptr);

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    host::PluginLibrary plugin(folder + L"Kestrova.dll");
    if (!plugin.Loaded()) {
        return Fail(L"cannot load " + folder + L"Kestrova.dll with its three entry points");
    }

    demo::BackOffice office(seed);
    host::TestHost host;
    host.accounts = office.AccountRecords();
    host.currencies = office.CurrencyRecords();
    host.funds = office.KnownFunds();
    demo::Feed feed(office, host);

    plugin.Entries().load(options.language);
    plugin.Entries().init(host.PluginManager());

    int exitCode = 0;
    {
        demo::DemoFrame frame(host, office, feed);
        demo::FrameSettings settings;
        settings.bars = options.bars;
        settings.quitAfterSeconds = options.seconds;
        settings.screenshot = options.screenshot;
        settings.openConfigDialog = options.configDialog;
        settings.note = L"Language " + std::to_wstring(options.language) + L", seed " + std::to_wstring(seed);
        if (!frame.Create(settings)) {
            plugin.Entries().free();
            return Fail(L"cannot create the main frame");
        }
        for (int i = 0; i < options.bars; ++i) {
            frame.OpenBar();
        }
        feed.Start();
        exitCode = RunMessageLoop();
        feed.Stop();
    }
    plugin.Entries().free();
    if (exitCode == 0 && !options.screenshot.empty()) {
        std::fwprintf(stdout, L"kestrova_demo: screenshot written to %ls\n", options.screenshot.c_str());
    }
    std::fwprintf(stdout, L"kestrova_demo: seed %u (--seed %u repeats this feed)\n", seed, seed);
    return exitCode;
}
