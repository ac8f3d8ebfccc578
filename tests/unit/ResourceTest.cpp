// Bars must leave no GDI or USER object behind, however often they paint or are opened: a few
// hundred paints and a few dozen bars catch one object lost per paint or per bar. `make soak`
// paints ten thousand times and opens hundreds of bars.
#include "support/BarHarness.h"
#include "support/HandleCensus.h"

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

    const auto openAndFree = [&] {
        for (int i = 0; i < 20; ++i) { // each showing its account list once
            bar = OpenBar(600, 50);
            PointAt(*bar, POINT{20, 25});
            SendMessageW(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            UpdateWindow(bar->m_pAccountList->m_hWnd);
        }
        TearDown();
        SetUp();
    };
    // Wine keeps a few objects per window it has ever shown in caches of its own that grow
    // once to the largest number of windows seen: a first round of bars fills them.
    openAndFree();
    const std::size_t gdi = FreeGdiSlots(), user = FreeUserSlots();
    openAndFree();
    EXPECT_TRUE(FreeGdiSlots() == gdi && FreeUserSlots() == user) << "lost over 20 bars";
}
