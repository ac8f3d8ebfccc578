// Grids must leave no GDI or USER object behind, however often they paint or are made.
#include "support/GridHarness.h"
#include "support/HandleCensus.h"

#include "plugin/entry/Exports.h"

#include <gtest/gtest.h>

using testing_support::FreeGdiSlots;
using testing_support::FreeUserSlots;

namespace {

// A grid as the column dialog fills it: every kind of cell, a selected row, the editor made.
class GridResources : public testing_support::GridTest {
protected:
    void SetUp() override {
        OnPluginLoad(1033);
        GridTest::SetUp();
        Fill();
    }
    void TearDown() override {
        GridTest::TearDown();
        OnPluginFree();
    }
    void Fill() {
        Layout({40, 160, 75}, 30, SIZE{300, 300});
        grid->SetCellType(0, 1, kGridCellHeader);
        for (int row = 1; row < grid->m_nPageRows; ++row) {
            grid->SetCellType(row, 0, kGridCellCheckbox);
        }
        MakeComboCells(2);
        grid->m_selRows = {2};
    }
};

} // namespace

TEST_F(GridResources, PaintsAndGridsMadeAndFreedLeaveNothing) {
    auto paint = [this](int times) {
        for (int i = 0; i < times; ++i) {
            InvalidateRect(grid->m_hWnd, nullptr, FALSE);
            UpdateWindow(grid->m_hWnd);
        }
    };
    paint(20);
    std::size_t before = FreeGdiSlots();
    paint(500);
    grid->m_nMouseMode = kGridResizing; // with the guide line
    paint(100);
    EXPECT_EQ(FreeGdiSlots(), before);

    auto makeAndFree = [this] {
        for (int i = 0; i < 30; ++i) {
            grid = std::make_unique<TGridCtrl>();
            grid->Create(parent);
            Fill(); // its editor and the editor's list made on the way
            UpdateWindow(grid->m_hWnd);
            grid.reset(); // freed with its window still there
        }
    };
    // Wine fills caches of its own once, up to the most windows it has seen.
    makeAndFree();
    before = FreeGdiSlots();
    const std::size_t userBefore = FreeUserSlots();
    makeAndFree();
    EXPECT_EQ(FreeGdiSlots(), before);
    EXPECT_EQ(FreeUserSlots(), userBefore);
}
