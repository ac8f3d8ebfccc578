// The plug-in as the terminal loads it: start-up calls, the window factory and teardown.
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

using host::Iface;
using testing_support::LoadedPlugin;
namespace slot = host::slot;

namespace {

std::wstring ClassOf(HWND hWnd) {
    wchar_t name[64] = {};
    GetClassNameW(hWnd, name, 64);
    return name;
}

} // namespace

TEST(PluginStartup, RegistersTheFundsBarAndTheCallbackObjectInOrder) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Loaded());
    plugin.Start(1033);

    const std::vector<host::HostCall> calls = plugin.host.Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].iface, Iface::PluginManager);
    EXPECT_EQ(calls[0].wide1, L"MainFrame");
    EXPECT_EQ(calls[0].wide2, L"1.0.0.1");
    EXPECT_EQ(calls[1].iface, Iface::MainFrame);
    EXPECT_EQ(calls[1].slot, slot::RegisterWindowType);
    EXPECT_EQ(calls[1].number, 0x271112);
    EXPECT_EQ(calls[1].wide1, L"Funds Bar");
    EXPECT_NE(calls[1].pointer, nullptr);
    EXPECT_EQ(calls[2].wide1, L"TradeApi");
    EXPECT_EQ(calls[2].wide2, L"1.0.0.1");
    EXPECT_EQ(calls[3].iface, Iface::TradeApi);
    EXPECT_EQ(calls[3].slot, slot::GetTradeData);
    EXPECT_EQ(calls[4].iface, Iface::TradeData);
    EXPECT_EQ(calls[4].slot, slot::RegisterSpi);
    EXPECT_NE(calls[4].pointer, nullptr);
    EXPECT_TRUE(plugin.host.UnexpectedCalls().empty());
}

TEST(PluginStartup, WindowTypeTitleFollowsTheLanguage) {
    const std::pair<int, const wchar_t*> cases[] = {
        {2052, L"资金栏"}, {1028, L"資金欄"}, {1033, L"Funds Bar"}, {0, L"资金栏"}, {1041, L"资金栏"}};
    for (const auto& c : cases) {
        LoadedPlugin plugin;
        plugin.Start(c.first);
        EXPECT_EQ(plugin.host.RegisteredTitle(), c.second) << "language " << c.first;
    }
}

TEST(PluginStartup, NullHostRegistersNothing) {
    LoadedPlugin plugin;
    plugin.Load(2052);
    plugin.InitWith(nullptr);
    EXPECT_TRUE(plugin.host.Calls().empty());
    plugin.Free();
}

TEST(PluginStartup, MissingMainFrameStillRegistersTheCallbackObject) {
    LoadedPlugin plugin(host::HostOptions{false, true, true});
    plugin.Start();
    EXPECT_TRUE(plugin.host.Calls(Iface::MainFrame, slot::RegisterWindowType).empty());
    EXPECT_EQ(plugin.host.Calls(Iface::TradeData, slot::RegisterSpi).size(), 1u);
    EXPECT_EQ(plugin.host.Factory(), nullptr);
}

TEST(PluginStartup, MissingTradeApiRegistersNoCallbackObject) {
    LoadedPlugin plugin(host::HostOptions{true, false, true});
    plugin.Start();
    EXPECT_EQ(plugin.host.Calls(Iface::MainFrame, slot::RegisterWindowType).size(), 1u);
    EXPECT_TRUE(plugin.host.Calls(Iface::TradeApi, slot::GetTradeData).empty());
    EXPECT_EQ(plugin.host.Spi(), nullptr);
}

TEST(FundsBarFactory, RefreshesAccountsThenCreatesAndAttachesAnUnparentedBar) {
    LoadedPlugin plugin;
    plugin.host.accounts.push_back(plugin.host.store.MakeAccount("K1", "1001"));
    plugin.Start();
    plugin.host.ClearCalls();

    const HWND hWnd = plugin.host.OpenWindow();
    ASSERT_TRUE(IsWindow(hWnd));
    EXPECT_EQ(ClassOf(hWnd), L"TKestrovaWnd");
    EXPECT_EQ(GetParent(hWnd), nullptr);
    EXPECT_TRUE(GetWindowLongW(hWnd, GWL_STYLE) & WS_CLIPCHILDREN);

    const std::vector<host::HostCall> calls = plugin.host.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().iface, Iface::TradeData);
    EXPECT_EQ(calls.front().slot, slot::GetAccountRecords);
    EXPECT_EQ(calls.front().narrow1, "");
    EXPECT_EQ(calls.back().iface, Iface::MainFrame);
    EXPECT_EQ(calls.back().slot, slot::AttachWindow);
    EXPECT_EQ(calls.back().pointer, hWnd);
    EXPECT_NE(calls.back().number, 0);
    EXPECT_TRUE(plugin.host.UnexpectedCalls().empty());
}

TEST(FundsBarFactory, BarsWorkWithoutATradeDataObject) {
    const host::HostOptions variants[] = {{true, false, true}, {true, true, false}};
    for (const host::HostOptions& options : variants) {
        LoadedPlugin plugin(options);
        plugin.Start(1033);
        const HWND hWnd = plugin.host.OpenWindow();
        ASSERT_TRUE(IsWindow(hWnd));
        SetWindowPos(hWnd, nullptr, 0, 0, 600, 50, SWP_NOZORDER | SWP_SHOWWINDOW);
        UpdateWindow(hWnd);
        SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageW(hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
        testing_support::PumpMessages();
        EXPECT_TRUE(IsWindow(hWnd));
    }
}

TEST(PluginTeardown, FreeDestroysEveryBarWindow) {
    LoadedPlugin plugin;
    plugin.Start();
    std::vector<HWND> bars;
    for (int i = 0; i < 3; ++i) {
        bars.push_back(plugin.host.OpenWindow());
    }
    plugin.Free();
    for (HWND hWnd : bars) {
        EXPECT_FALSE(IsWindow(hWnd));
    }
}

TEST(PluginTeardown, NotificationsAfterFreeReachNothing) {
    LoadedPlugin plugin;
    plugin.host.accounts.push_back(plugin.host.store.MakeAccount("K1", "1001"));
    void* funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
    plugin.Start();
    const HWND hWnd = plugin.host.OpenWindow();
    plugin.host.OpenWindow();
    // Queued before the free, delivered after it.
    plugin.host.SpiFundsNotice(funds);
    plugin.host.SpiAccountsNotice(1, 0);
    plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    plugin.Free();
    testing_support::PumpMessages();

    plugin.host.SpiFundsNotice(funds);
    plugin.host.SpiAccountsNotice(3, 7);
    plugin.host.SpiCompletionNotice(0, 26);
    plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1002");
    plugin.host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "1003");
    testing_support::PumpMessages();
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(PluginTeardown, PluginCanBeLoadedAgainAfterFree) {
    for (int round = 0; round < 3; ++round) {
        LoadedPlugin plugin;
        plugin.Start(1033);
        const HWND hWnd = plugin.host.OpenWindow();
        ASSERT_TRUE(IsWindow(hWnd)) << "round " << round;
        SetWindowPos(hWnd, nullptr, 0, 0, 300, 50, SWP_NOZORDER | SWP_SHOWWINDOW);
        UpdateWindow(hWnd);
        testing_support::PumpMessages();
    }
}
