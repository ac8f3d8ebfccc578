// Grids must leave no GDI or USER object behind, however often they paint or are made.
#include "support/GridHarness.h"
#include "support/HandleCensus.h"

#include "plugin/entry/Exports.h"
#include "toolkit/SharedDrawing.h"

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
        Fill(*grid);
    }
    void TearDown() override {
        GridTest::TearDown();
        OnPluginFree();
    }
    void Fill(TGridCtrl& target) {
        target.m_nCols = 3;
        for (int c = 0; c < 3; ++c) {
            target.SetColumnWidth(c, 80);
        }
        target.SetRowHeight(0);
        target.m_nRows = 30;
        MoveWindow(target.m_hWnd, 0, 0, 300, 300, TRUE);
        target.SetCellType(0, 1, kGridCellHeader);
        for (int row = 0; row < target.m_nPageRows; ++row) {
            target.SetRowHeight(row);
            target.SetCellType(row, 0, kGridCellCheckbox);
            target.SetCellType(row, 2, kGridCellCombox);
            GridItem item = {};
            item.row = row;
            item.col = 2;
            item.mask = GIF_TEXT | GIF_FONT;
            lstrcpynW(item.text, L"Yes", 261);
            GetObjectW(g_hTextFont.get(), sizeof(item.lfFont), &item.lfFont);
            target.SetItem(&item);
        }
        target.SetEditorItems({L"Yes", L"No"});
        target.m_selRows = {2};
        target.UpdateScrollBars();
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
            TGridCtrl other;
            other.Create(parent);
            Fill(other); // its editor and the editor's list made on the way
            UpdateWindow(other.m_hWnd);
            // Freed with its window still there.
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
