// Bars must leave no GDI or USER object behind, however often they paint or are opened.
#include "support/BarHarness.h"
#include "support/HandleCensus.h"

#include "plugin/Exports.h"

#include <gtest/gtest.h>

using testing_support::BarTest;
using testing_support::FreeGdiSlots;
using testing_support::FreeUserSlots;

namespace {

// A bar that loses one brush on every paint: the census must notice it.
class LeakyBar : public TKestrovaWnd {
public:
    void DrawBar(HDC hDC, const RECT& rcClient) override {
        TKestrovaWnd::DrawBar(hDC, rcClient);
        CreateSolidBrush(RGB(1, 1, 1));
    }
};

void ShowEveryColumn(TKestrovaWnd& bar) {
    for (ColumnSetting& setting : bar.m_vecSettings) {
        setting.bShow = true;
    }
}

void Repaint(HWND hWnd, int times) {
    for (int i = 0; i < times; ++i) {
        InvalidateRect(hWnd, nullptr, FALSE);
        UpdateWindow(hWnd);
    }
}

class BarResources : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        host.accounts.push_back(host.store.MakeAccount("K1", "1001"));
        host.funds.push_back(host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 1.5}}));
    }
};

} // namespace

TEST_F(BarResources, TenThousandPaintsOfAllColumnsLeaveNoGdiObject) {
    TKestrovaWnd* bar = OpenBar(2400, 50);
    ASSERT_NE(bar, nullptr);
    ShowEveryColumn(*bar);
    PointAt(*bar, POINT{5, 5});
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    Repaint(bar->m_hWnd, 20);
    const std::size_t before = FreeGdiSlots();
    Repaint(bar->m_hWnd, 10000);
    EXPECT_EQ(FreeGdiSlots(), before);
}

TEST_F(BarResources, OneObjectLeftBehindPerPaintIsCaught) {
    LeakyBar bar;
    bar.CreateBar();
    SetWindowPos(bar.m_hWnd, HWND_TOP, 0, 0, 800, 50, SWP_SHOWWINDOW);
    Repaint(bar.m_hWnd, 5);
    const std::size_t before = FreeGdiSlots();
    Repaint(bar.m_hWnd, 100);
    EXPECT_EQ(before - FreeGdiSlots(), 100u);
}

TEST_F(BarResources, TwoHundredBarsOpenedAndFreedLeaveNothing) {
    auto openAndFree = [this](int bars) {
        for (int i = 0; i < bars; ++i) {
            TKestrovaWnd* bar = OpenBar(600, 50);
            ASSERT_NE(bar, nullptr);
            // Each bar also shows its account list once.
            ClickCell(*bar, bar->m_rcAccount);
            UpdateWindow(bar->m_pAccountList->m_hWnd);
            ShowWindow(bar->m_pAccountList->m_hWnd, SW_HIDE);
        }
        OnPluginFree();
        testing_support::PumpMessages();
        OnPluginLoad(m_language);
        OnPluginInit(host.PluginManager());
    };
    // Wine keeps a few objects per window it has ever shown in caches of its own that grow
    // once to the largest number of windows seen; a first round fills them.
    openAndFree(200);
    const std::size_t gdiBefore = FreeGdiSlots();
    const std::size_t userBefore = FreeUserSlots();
    openAndFree(200);
    EXPECT_EQ(FreeGdiSlots(), gdiBefore);
    EXPECT_EQ(FreeUserSlots(), userBefore);
}
