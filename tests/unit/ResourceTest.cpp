// Bars must leave no GDI or USER object behind, however often they paint or are opened: a few
// hundred paints and a few dozen bars catch one object lost per paint or per bar. `make soak`
// paints ten thousand times and opens hundreds of bars.
#include "support/BarHarness.h"
#include "support/HandleCensus.h"

#include <gtest/gtest.h>

using testing_support::FreeGdiSlots;
using testing_support::FreeUserSlots;

using BarResources = testing_support::FundsTest;

TEST_F(BarResources, PaintsAndBarsLeaveNoGdiOrUserObject) {
    TKestrovaWnd* bar = OpenBar(2400, 50);
    ASSERT_NE(bar, nullptr);
    for (ColumnSetting& setting : bar->m_vecSettings) {
        setting.bShow = true;
    }
    PointAt(*bar, POINT{5, 5}); // the account cell lit
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    std::size_t before = 0;
    for (int i = -20; i < 300; ++i) { // a few first to settle the caches
        before = i == 0 ? FreeGdiSlots() : before;
        InvalidateRect(bar->m_hWnd, nullptr, FALSE);
        UpdateWindow(bar->m_hWnd);
    }
    EXPECT_EQ(before - FreeGdiSlots(), 0u) << "lost over 300 paints";

    const auto openAndFree = [this] {
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
