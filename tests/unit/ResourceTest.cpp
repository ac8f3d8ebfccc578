// Bars must leave no GDI or USER object behind, however often they paint or are opened. A few
// hundred paints and a few dozen bars catch one object lost per paint or per bar; `make soak`
// paints ten thousand times and opens hundreds of bars.
#include "support/BarHarness.h"
#include "support/HandleCensus.h"

#include <gtest/gtest.h>

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

// GDI objects lost over the given number of paints, after a few to settle the caches.
std::size_t LostOverPaints(HWND hWnd, int times) {
    std::size_t before = 0;
    for (int i = -20; i < times; ++i) {
        before = i == 0 ? FreeGdiSlots() : before;
        InvalidateRect(hWnd, nullptr, FALSE);
        UpdateWindow(hWnd);
    }
    return before - FreeGdiSlots();
}

using BarResources = testing_support::FundsTest;

} // namespace

TEST_F(BarResources, PaintsOfAllColumnsLeaveNoGdiObjectAndOneLostPerPaintIsCaught) {
    TKestrovaWnd* bar = OpenBar(2400, 50);
    ASSERT_NE(bar, nullptr);
    for (ColumnSetting& setting : bar->m_vecSettings) {
        setting.bShow = true;
    }
    PointAt(*bar, POINT{5, 5});
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(LostOverPaints(bar->m_hWnd, 300), 0u);

    LeakyBar leaky;
    leaky.CreateBar();
    SetWindowPos(leaky.m_hWnd, HWND_TOP, 0, 0, 800, 50, SWP_SHOWWINDOW);
    EXPECT_EQ(LostOverPaints(leaky.m_hWnd, 50), 50u);
}

TEST_F(BarResources, BarsOpenedAndFreedLeaveNothing) {
    auto openAndFree = [this] {
        for (int i = 0; i < 20; ++i) {
            TKestrovaWnd* bar = OpenBar(600, 50);
            ASSERT_NE(bar, nullptr);
            // Each bar also shows its account list once.
            ClickCell(*bar, bar->m_rcAccount);
            UpdateWindow(bar->m_pAccountList->m_hWnd);
            ShowWindow(bar->m_pAccountList->m_hWnd, SW_HIDE);
        }
        TearDown();
        SetUp();
    };
    // Wine keeps a few objects per window it has ever shown in caches of its own that grow
    // once to the largest number of windows seen; a first round fills them.
    openAndFree();
    const std::size_t gdiBefore = FreeGdiSlots(), userBefore = FreeUserSlots();
    openAndFree();
    EXPECT_EQ(FreeGdiSlots(), gdiBefore);
    EXPECT_EQ(FreeUserSlots(), userBefore);
}
