// The real library as the terminal loads it: start-up calls, a host that lacks parts, trade-data
// notices reaching the bars (their queue read without dispatching) and teardown.
#include "support/PluginHarness.h"

#include <thread>
#include <tuple>

using testing_support::LoadedPlugin;
using testing_support::OnceToEach;
using testing_support::Posted;
using testing_support::TakeBarMessages;

namespace {

constexpr UINT kFundsChanged = WM_USER + 111, kAccountsChanged = WM_USER + 112;

// "Interface.slot wide1 wide2 number", one line per call.
std::wstring Describe(const std::vector<host::HostCall>& calls) {
    const wchar_t* names[] = {L"PluginManager", L"MainFrame", L"TradeApi", L"TradeData"};
    std::wstring text;
    for (const host::HostCall& c : calls) {
        text += std::wstring(names[static_cast<int>(c.iface)]) + L"." + std::to_wstring(c.slot) + L" " +
                c.wide1 + L" " + c.wide2 + L" " + std::to_wstring(c.number) + L"\n";
    }
    return text;
}

} // namespace

TEST(PluginStartup, AHostLackingPartsGetsWhatStillWorks) {
    // What the host lacks, then whether the bar type and the callback object are registered.
    const std::tuple<const char*, host::HostOptions, bool, bool> cases[] = {
        {"null host", {}, false, false},
        {"no MainFrame", {false, true, true}, false, true},
        {"no TradeApi", {true, false, true}, true, false},
        {"no trade-data object", {true, true, false}, true, false}};
    for (const auto& [lacking, options, windowType, callback] : cases) {
        SCOPED_TRACE(lacking);
        LoadedPlugin plugin(options);
        plugin.Start(1033, lacking == std::string("null host"));
        EXPECT_EQ(plugin.host.Factory() != nullptr, windowType);
        EXPECT_EQ(plugin.host.Spi() != nullptr, callback);
        if (!windowType) {
            continue;
        }
        // A bar still opens, paints and takes the mouse without a trade-data object.
        const HWND hWnd = plugin.host.OpenWindow();
        ASSERT_TRUE(IsWindow(hWnd));
        SetWindowPos(hWnd, nullptr, 0, 0, 600, 50, SWP_NOZORDER | SWP_SHOWWINDOW);
        UpdateWindow(hWnd);
        SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        testing_support::PumpMessages();
        EXPECT_TRUE(IsWindow(hWnd));
    }
}

// Every round in a library loaded again after the previous round's was freed.
TEST(PluginLifetime, StartsInItsLanguageAndPostsNoticesToOpenBarsUntilTheFree) {
    const std::pair<int, const wchar_t*> titles[] = {
        {2052, L"资金栏"}, {1028, L"資金欄"}, {1033, L"Funds Bar"}, {0, L"资金栏"}, {1041, L"资金栏"}};
    for (const auto& [language, title] : titles) {
        SCOPED_TRACE(language);
        LoadedPlugin plugin;
        plugin.Start(language);
        const std::wstring registered = L"MainFrame.1 " + std::wstring(title) + L"  2560274\n";
        EXPECT_EQ(Describe(plugin.host.Calls()),
                  L"PluginManager.0 MainFrame 1.0.0.1 0\n" + registered +
                      L"PluginManager.0 TradeApi 1.0.0.1 0\nTradeApi.2   0\nTradeData.0   0\n");
        // The factory refreshes the accounts first and hands the host an unparented bar last.
        plugin.host.ClearCalls();
        std::vector<HWND> bars = {plugin.host.OpenWindow(), nullptr};
        ASSERT_TRUE(IsWindow(bars[0]));
        EXPECT_EQ(GetParent(bars[0]), nullptr);
        const std::vector<host::HostCall> calls = plugin.host.Calls();
        EXPECT_EQ(Describe({calls.front(), calls.back()}),
                  L"TradeData.27   0\nMainFrame.12   " + std::to_wstring(calls.back().number) + L"\n");
        EXPECT_EQ(calls.back().pointer, bars[0]);
        // Two more bars closed by the host, and one more open.
        const HWND closed[] = {plugin.host.OpenWindow(), plugin.host.OpenWindow()};
        ASSERT_TRUE(DestroyWindow(closed[0]) && DestroyWindow(closed[1]));
        bars[1] = plugin.host.OpenWindow();
        EXPECT_TRUE(plugin.host.UnexpectedCalls().empty());
        plugin.host.ClearCalls();

        void* funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
        const auto record = reinterpret_cast<std::uintptr_t>(funds);
        EXPECT_FALSE(plugin.host.SpiSlot0());
        for (int slot = 1; slot < host::kTradeSpiSlots; ++slot) {
            if (slot != 2 && slot != 7 && slot != 14) { // with arguments that make 2, 7 or 14 act
                plugin.host.SpiCall(slot, 0, 26, record);
                plugin.host.SpiCall(slot, 1, 7);
                EXPECT_TRUE(TakeBarMessages().empty()) << "slot " << slot;
            }
        }
        // slot, two arguments, the lParam posted to every bar or -1 for nothing posted. 0x103,
        // 0x11A and 0x100 share their low byte with values that act.
        const std::tuple<int, std::uintptr_t, std::uintptr_t, LPARAM> cases[] = {
            {2, 3, 7, 7},   {2, 1, 123456, 123456}, {2, 1, 0, 0},      {2, 0, 7, -1},
            {2, 2, 7, -1},  {2, 0x103, 7, -1},      {7, 0, 26, 0},     {7, 0, 25, -1},
            {7, 1, 26, -1}, {7, 26, 0, -1},         {7, 0, 0x11A, -1}, {7, 0x100, 26, -1}};
        for (const auto& [slot, a, b, lParam] : cases) {
            plugin.host.SpiCall(slot, a, b);
            EXPECT_EQ(TakeBarMessages(), lParam < 0 ? Posted{} : OnceToEach(bars, kAccountsChanged, lParam))
                << "slot " << slot << " (" << a << ", " << b << ")";
        }
        // As the terminal may, from a thread of its own.
        std::thread([&] { plugin.host.SpiCall(14, record); }).join();
        EXPECT_EQ(TakeBarMessages(), OnceToEach(bars, kFundsChanged, static_cast<LPARAM>(record)));
        EXPECT_TRUE(plugin.host.Calls().empty());

        // Queued before the free, delivered after it; then sent after it.
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
        plugin.Free();
        EXPECT_FALSE(IsWindow(bars[0]) || IsWindow(bars[1]));
        testing_support::PumpMessages();
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(3, "KeyboardOrder", "UserNo_Update", "1002");
        EXPECT_TRUE(TakeBarMessages().empty());
    }
}
