#pragma once
// White-box harness of the funds bar: the plug-in's library linked in, started with a test
// host, with the "config" folder beside the test program emptied before and after.
#include "fundsbar/KestrovaWnd.h"
#include "host/TestHost.h"
#include "plugin/entry/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/SharedDrawing.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

class BarTest : public ::testing::Test {
protected:
    explicit BarTest(int language = 1033) : m_language(language) {}
    void SetUp() override {
        ASSERT_EQ(IsFontInstalled(L"Calibri"), CalibriExpected()) << "the prefix has the other face branch";
        OnPluginLoad(m_language);
        OnPluginInit(host.PluginManager());
    }
    void TearDown() override {
        OnPluginFree();
        PumpMessages();
    }
    // Opens a bar through the registered factory and places it as a host would.
    TKestrovaWnd* OpenBar(int width = 1200, int height = 50);
    // Puts the real cursor on a point of the bar (client coordinates).
    static void PointAt(const TKestrovaWnd& bar, POINT pt) {
        ClientToScreen(bar.m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
    }
    // Presses the left button in the middle of a cell, as the user does.
    static void ClickCell(TKestrovaWnd& bar, const RECT& cell) {
        PointAt(bar, POINT{(cell.left + cell.right) / 2, 25});
        SendMessageW(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    }

    host::TestHost host;
    ConfigFolder config;
    int m_language;
};

// Accounts 1001 (key K1) to 1003; funds of 1001 in CNY and Base, of 1002 in USD and Base.
class FundsTest : public BarTest {
protected:
    void SetUp() override;
    void* Record(const char* account, const char* currency, double balance = 1.0) {
        return host.store.MakeFunds(account, currency, {{host::Funds::Balance, balance}});
    }
    void *cny1 = nullptr, *base1 = nullptr, *usd2 = nullptr, *base2 = nullptr;
};

} // namespace testing_support
