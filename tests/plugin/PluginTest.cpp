// The real library as the terminal loads it: start-up with and without the host's parts, then
// one lifetime: bars opened and closed, trade-data notices reaching the open ones (their queue
// read without dispatching), the column dialog as the user meets it (its details are the
// white-box tests'), the free, and a second load that shows the saved layout; and the terminal
// quitting or shutting down while the dialog runs.
#include "support/AccessibleTool.h"
#include "support/ModalScript.h"
#include "support/PluginHarness.h"
#include "support/RecordingWindow.h"

#include <optional>
#include <thread>
#include <tuple>

using namespace testing_support;

// Places a bar 1600 x 50 at the screen's corner and counts its pixels of the separator colour:
// the lines between cells and the drop marks.
static int Separators(HWND bar) {
    SetWindowLongPtrW(bar, GWL_STYLE, WS_POPUP);
    SetWindowPos(bar, HWND_TOP, 0, 0, 1600, 50, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(bar);
    Canvas canvas(1600, 50);
    CaptureWindow(bar, canvas);
    return canvas.Count(RECT{0, 0, 1600, 50}, RGB(84, 81, 46));
}

TEST(PluginStartup, RegistersWhatTheHostOffersInItsLanguageAndABarOpensWithoutTradeData) {
    // Language, what the host offers (or no host at all), the bar type's title ("" for none),
    // whether the callback object is registered.
    const std::tuple<int, host::HostOptions, bool, std::wstring, bool> cases[] = {
        {1028, {}, true, L"資金欄", true},
        {1041, {}, true, L"资金栏", true},
        {1033, {}, false, L"", false},
        {1033, {false, true, true}, true, L"", true},
        {1033, {true, false, true}, true, L"Funds Bar", false},
        {1033, {true, true, false}, true, L"Funds Bar", false}};
    for (const auto& [language, options, hosted, title, callback] : cases) {
        SCOPED_TRACE(&language - &std::get<0>(cases[0]));
        LoadedPlugin plugin(options);
        plugin.Start(language, !hosted);
        EXPECT_EQ(plugin.host.RegisteredTitle(), title);
        EXPECT_EQ(plugin.host.Spi() != nullptr, callback);
        if (plugin.host.Factory()) { // a bar opens and paints even without trade data
            EXPECT_EQ(plugin.host.Calls(host::Iface::MainFrame, host::slot::RegisterWindowType)[0].number,
                      0x271112);
            EXPECT_GT(Separators(plugin.host.OpenWindow()), 0);
        }
    }
}

TEST(PluginLifetime, NoticesReachTheOpenBarsTheDialogSavesAndTheNextLoadShowsIt) {
    ConfigFolder config;
    {
        LoadedPlugin plugin;
        plugin.Start(1033);
        plugin.host.ClearCalls();
        // The factory refreshes the accounts first and hands the host an unparented bar last.
        std::vector<HWND> bars = {plugin.host.OpenWindow()};
        const std::vector<host::HostCall> calls = plugin.host.Calls();
        EXPECT_EQ(GetParent(bars[0]), nullptr);
        EXPECT_EQ(calls.front().slot, host::slot::GetAccountRecords);
        EXPECT_TRUE(calls.back().slot == host::slot::AttachWindow && calls.back().pointer == bars[0]);
        // Two more bars closed by the host, and one more open.
        for (int closed = 0; closed < 2; ++closed) {
            ASSERT_TRUE(DestroyWindow(plugin.host.OpenWindow()));
        }
        bars.push_back(plugin.host.OpenWindow());
        plugin.host.ClearCalls();

        void* funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
        const auto record = reinterpret_cast<std::uintptr_t>(funds);
        EXPECT_FALSE(plugin.host.SpiSlot0());
        // slot, two arguments, the lParam posted to every bar or -1 for nothing posted. 0x103,
        // 0x11A and 0x100 share their low byte with values that act; slots 3 and 13 never act.
        const std::tuple<int, std::uintptr_t, std::uintptr_t, LPARAM> cases[] = {
            {2, 3, 7, 7},      {2, 1, 123456, 123456}, {2, 1, 0, 0},   {2, 0, 7, -1},  {2, 2, 7, -1},
            {2, 0x103, 7, -1}, {7, 0, 26, 0},          {7, 0, 25, -1}, {7, 1, 26, -1}, {7, 26, 0, -1},
            {7, 0, 0x11A, -1}, {7, 0x100, 26, -1},     {3, 1, 7, -1},  {13, 0, 26, -1}};
        for (const auto& [slot, a, b, lParam] : cases) {
            plugin.host.SpiCall(slot, a, b);
            EXPECT_EQ(TakeBarMessages(), lParam < 0 ? Posted{} : OnceToEach(bars, WM_USER + 112, lParam))
                << "slot " << slot << " (" << a << ", " << b << ")";
        }
        // As the terminal may, from a thread of its own.
        std::thread([&] { plugin.host.SpiCall(14, record); }).join();
        EXPECT_EQ(TakeBarMessages(), OnceToEach(bars, WM_USER + 111, LPARAM(record)));
        EXPECT_TRUE(plugin.host.Calls().empty());

        // The column dialog on the first bar: Hide All then OK saves.
        EXPECT_GT(Separators(bars[0]), 100);
        constexpr POINT kHideAll = {340, 145}, kOK = {340, 450};
        const auto open = [&] { DoubleClickAt(bars[0], POINT{300, 25}); };
        EXPECT_TRUE(RunModal(
            {[&](HWND hDialog) { ClickAt(hDialog, kHideAll); }, [&](HWND hDialog) { ClickAt(hDialog, kOK); }},
            open));

        // Queued before the free, delivered after it; then sent after it.
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
        plugin.Free();
        EXPECT_FALSE(IsWindow(bars[0]) || IsWindow(bars[1]));
        PumpMessages();
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(3, "KeyboardOrder", "UserNo_Update", "1002");
        EXPECT_TRUE(TakeBarMessages().empty());
    }
    LoadedPlugin again;
    again.Start(1033);
    EXPECT_LT(Separators(again.host.OpenWindow()), 20); // only "Account No." left: its drop mark
}

// The terminal quitting or shutting down while the column dialog runs. A quit ends the dialog as
// Escape does and reaches the terminal's own loop with its exit code; a shutdown that frees the
// plug-in from a message the dialog's loop delivers (WM_ENDSESSION, sent by the system from
// another thread) ends the dialog too, the bar docked in the terminal's frame with a list open.
// Neither saves, and the host hears of every end. Then the terminal unloads the plug-in, closes
// its frame, and loads the plug-in again at another address.
TEST(PluginShutdown, AQuitOrAFreeWhileTheDialogRunsEndsItUnsavedAndThePlugInLoadsAgainElsewhere) {
    ConfigFolder config;
    std::optional<LoadedPlugin> loaded(std::in_place);
    LoadedPlugin& plugin = *loaded;
    plugin.Start(1033);
    const HWND terminal = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 900, 1200, 950});
    const HWND bar = plugin.host.OpenWindow();
    EXPECT_GT(Separators(bar), 0);
    constexpr POINT kHideAll = {340, 145};
    const auto open = [&] { DoubleClickAt(bar, POINT{300, 25}); };

    EXPECT_TRUE(RunModal({[&](HWND hDialog) {
                             ClickAt(hDialog, kHideAll);
                             PostQuitMessage(3);
                         }},
                         open));
    MSG msg = {};
    {
        QuitAfter bound(3000); // a quit with code 0 should the dialog have kept it
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&msg);
        }
    }
    EXPECT_EQ(msg.wParam, 3u); // unsaved and its end told: the checks after the next run count it

    SetWindowLongPtrW(bar, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    SetParent(bar, terminal);
    SetWindowPos(bar, nullptr, 0, 0, 1200, 50, SWP_NOZORDER | SWP_FRAMECHANGED);
    UpdateWindow(terminal);
    ClickAt(bar, POINT{20, 25}); // its account list, owned by the frame
    RecordingWindow::onMessage = [&](const MSG& m) {
        if (m.hwnd == terminal && m.message == WM_ENDSESSION) {
            plugin.Free();
        }
    };
    std::thread shutdown;
    EXPECT_TRUE(RunModal({[&](HWND hDialog) {
                             ClickAt(hDialog, kHideAll);
                             shutdown = std::thread([&] { SendMessageW(terminal, WM_ENDSESSION, TRUE, 0); });
                         }},
                         open));
    shutdown.join();
    RecordingWindow::onMessage = nullptr;
    EXPECT_FALSE(plugin.started || IsWindow(bar));
    EXPECT_EQ(plugin.host.Calls(host::Iface::MainFrame, host::slot::OnModalBegin).size(), 2u);
    EXPECT_EQ(plugin.host.Calls(host::Iface::MainFrame, host::slot::OnModalEnd).size(), 2u);
    EXPECT_TRUE(config.LayoutLines().empty());

    // The frame may go after the library: nothing of the old load may route into it, and a window
    // class left with its old address would crash the next load's first bar.
    const auto* base = reinterpret_cast<const BYTE*>(plugin.library.Module());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const std::size_t size = nt->OptionalHeader.SizeOfImage;
    loaded.reset();
    DestroyWindow(terminal);
    void* const taken = VirtualAlloc(const_cast<BYTE*>(base), size, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(taken, base) << "the old place is not free";
    {
        LoadedPlugin again;
        again.Start(1033);
        EXPECT_NE(reinterpret_cast<const BYTE*>(again.library.Module()), base);
        EXPECT_GT(Separators(again.host.OpenWindow()), 0);
    }
    VirtualFree(taken, 0, MEM_RELEASE);
}

// An assistive tool still holds a bar's object when the terminal frees and unloads the plug-in:
// its calls then fail in its own apartment and none reaches the unloaded library.
TEST(PluginAccessibility, ObjectsAToolHoldsAnswerThatTheyAreGoneOnceThePlugInIsUnloaded) {
    std::optional<LoadedPlugin> plugin(std::in_place);
    plugin->Start(1033);
    const HWND bar = plugin->host.OpenWindow();
    const std::wstring path = Env(L"KESTROVA_DLL");
    std::atomic<bool> held{false}, unloaded{false};
    HRESULT before = E_FAIL, after = S_OK;
    AsTool(
        [&] {
            const AccNode root = FromWindow(bar);
            before = Read(root).hr;
            held = true;
            Eventually([&] { return unloaded.load(); });
            after = Read(root).hr;
            EXPECT_EQ(Read(AccNode{root.acc, 1}).hr, after); // its first cell
            EXPECT_EQ(DoDefault(AccNode{root.acc, 2}), after);
        },
        [&] {
            if (held && !unloaded) {
                plugin.reset();
                EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
                unloaded = true;
            }
        });
    EXPECT_EQ(before, S_OK);
    // What COM answers for an object cut off from its server, which it does not call: not the
    // fault of a call into the unloaded code, which Wine's stub catches and passes on.
    EXPECT_TRUE(after == CO_E_OBJNOTCONNECTED || after == RPC_E_DISCONNECTED ||
                after == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF))
        << std::hex << after;
}
