// The plug-in as the terminal loads it: start-up calls, a host that lacks parts, teardown.
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>

using testing_support::LoadedPlugin;

namespace {

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

TEST(PluginStartup, RegistersTheBarTypeInItsLanguageThenTheCallbackObject) {
    const std::pair<int, const wchar_t*> titles[] = {
        {2052, L"资金栏"}, {1028, L"資金欄"}, {1033, L"Funds Bar"}, {0, L"资金栏"}, {1041, L"资金栏"}};
    for (const auto& [language, title] : titles) {
        SCOPED_TRACE(language);
        LoadedPlugin plugin;
        ASSERT_TRUE(plugin.Loaded());
        plugin.Start(language);
        const std::wstring registered = L"MainFrame.1 " + std::wstring(title) + L"  2560274\n";
        EXPECT_EQ(Describe(plugin.host.Calls()),
                  L"PluginManager.0 MainFrame 1.0.0.1 0\n" + registered +
                      L"PluginManager.0 TradeApi 1.0.0.1 0\nTradeApi.2   0\nTradeData.0   0\n");

        // The factory refreshes the accounts first and hands the host an unparented bar last.
        plugin.host.ClearCalls();
        const HWND hWnd = plugin.host.OpenWindow();
        ASSERT_TRUE(IsWindow(hWnd));
        EXPECT_EQ(GetParent(hWnd), nullptr);
        const std::vector<host::HostCall> calls = plugin.host.Calls();
        EXPECT_EQ(Describe({calls.front(), calls.back()}),
                  L"TradeData.27   0\nMainFrame.12   " + std::to_wstring(calls.back().number) + L"\n");
        EXPECT_EQ(calls.back().pointer, hWnd);
        EXPECT_TRUE(plugin.host.UnexpectedCalls().empty());
    }
}

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

// Twice over, so that the second round runs in a library loaded again after a free.
TEST(PluginTeardown, FreeClosesEveryBarAndLaterNoticesReachNothing) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        LoadedPlugin plugin;
        plugin.Start();
        void* funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
        const HWND bars[] = {plugin.host.OpenWindow(), plugin.host.OpenWindow(), plugin.host.OpenWindow()};
        ASSERT_TRUE(IsWindow(bars[2]));
        // Queued before the free, delivered after it.
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
        plugin.Free();
        EXPECT_FALSE(std::any_of(std::begin(bars), std::end(bars), IsWindow));
        testing_support::PumpMessages();
        plugin.host.SpiFundsNotice(funds);
        plugin.host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "1002");
        EXPECT_EQ(testing_support::TakePosted(WM_USER + 110, WM_USER + 113), "");
    }
}
