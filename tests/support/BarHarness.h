#pragma once
// White-box harness of the funds bar: the plug-in's library linked in, started with a test
// host, with the "config" folder beside the test program emptied before and after.
#include "fundsbar/KestrovaWnd.h"
#include "plugin/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/SharedDrawing.h"

#include <gtest/gtest.h>

namespace testing_support {

class BarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(IsFontInstalled(L"Calibri"), CalibriExpected()) << "the prefix has the other face branch";
        OnPluginLoad(1033);
        OnPluginInit(host.PluginManager());
    }
    void TearDown() override {
        OnPluginFree();
        PumpMessages();
    }
    // Opens a bar through the registered factory and places it as a host would: without a caption.
    TKestrovaWnd* OpenBar(int width = 1200, int height = 50) {
        const HWND hWnd = host.OpenWindow();
        SetWindowLongPtrW(hWnd, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
        SetWindowPos(hWnd, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        UpdateWindow(hWnd);
        return hWnd ? dynamic_cast<TKestrovaWnd*>(TIxFrm::FromHandle(hWnd)) : nullptr;
    }
    // Puts the real cursor on a point of the bar (client coordinates).
    static void PointAt(const TKestrovaWnd& bar, POINT pt) {
        ClientToScreen(bar.m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
    }

    host::TestHost host;
    ConfigFolder config;
};

// Accounts 1001 (key K1) to 1003; funds of 1001 in CNY and Base, of 1002 in USD and Base.
class FundsTest : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        host.accounts = {host.store.MakeAccount("K1", "1001"), host.store.MakeAccount("K2", "1002"),
                         host.store.MakeAccount("K3", "1003")};
        for (const char* code : {"Base", "CNY", "USD", "CNY", "HKD"}) {
            host.currencies.push_back(host.store.MakeCurrency(code));
        }
        using host::Funds;
        // clang-format off
        base1 = host.store.MakeFunds("1001", "Base", {{Funds::Balance, 1234.5}, {Funds::Value, 2000.0},
            {Funds::ExchangeFee, -3.25}, {Funds::NetPnl, 10.0}, {Funds::PnlRate, 0.1234}, {Funds::RiskRate, 0.1234}});
        // clang-format on
        host.funds = {cny1 = Record("1001", "CNY"), base1, usd2 = Record("1002", "USD"),
                      base2 = Record("1002", "Base")};
    }
    void* Record(const char* account, const char* currency, double balance = 1.0) {
        return host.store.MakeFunds(account, currency, {{host::Funds::Balance, balance}});
    }
    void *cny1 = nullptr, *base1 = nullptr, *usd2 = nullptr, *base2 = nullptr;
};

} // namespace testing_support
