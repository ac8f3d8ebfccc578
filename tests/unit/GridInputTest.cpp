// The grid's mouse and keys, driven with the real cursor: selection by click, right click and
// arrow keys; check boxes; header drags; column resizes with their hot border, cursors and
// guide line, a resize released outside the window included; each with its notices.
#include "support/GridHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::Canvas;
using testing_support::GridTest;

namespace {

using Notices = std::vector<std::string>;

// Columns 40, 160 and 75 pixels, 40 logical rows with check boxes in column 0, 18 a page.
class GridInput : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        Layout({40, 160, 75}, 40, SIZE{400, 400});
        for (int row = 1; row < grid->m_nPageRows; ++row) {
            grid->SetCellType(row, 0, kGridCellCheckbox);
        }
    }
    // Notices posted to the parent arrive once messages are pumped.
    Notices PostedNotices() {
        testing_support::PumpMessages();
        return TakeNotices();
    }
    static bool CursorIs(LPCWSTR id) { return GetCursor() == LoadCursorW(nullptr, id); }
    // A point on the check box of a screen row (hit-test coordinates).
    static POINT BoxPoint(int screenRow) { return POINT{10, screenRow * kRowHeight + 8}; }
};

} // namespace

TEST_F(GridInput, ClicksSelectOneLogicalRowAndReportKindRowAndColumn) {
    struct Step {
        const char* name;
        UINT button; // WM_LBUTTONDOWN for a click, WM_RBUTTONDOWN, or WM_LBUTTONDBLCLK
        POINT pt;
        int vPos;
        Notices told;
        int curRow;
        std::vector<int> selRows;
    } steps[] = {
        {"click on a data row", WM_LBUTTONDOWN, {100, 3 * 22 + 5}, 0, {"click 0 3 1"}, 3, {3}},
        {"click on the header keeps the current row", WM_LBUTTONDOWN, {250, 10}, 0, {"click 0 0 2"}, 3, {}},
        {"click below the last row", WM_LBUTTONDOWN, {100, 398}, 0, {"click 0 -1 1"}, -1, {-1}},
        {"click while scrolled", WM_LBUTTONDOWN, {100, 2 * 22 + 5}, 4, {"click 0 6 1"}, 6, {6}},
        {"click beside the check box", WM_LBUTTONDOWN, {30, 5 * 22 + 5}, 4, {"click 0 9 0"}, 9, {9}},
        {"right click elsewhere", WM_RBUTTONDOWN, {100, 22 + 5}, 4, {"click 1 5 1"}, 5, {5}},
        {"right click on the selected row", WM_RBUTTONDOWN, {300, 22 + 5}, 4, {"click 1 5 -1"}, 5, {5}},
        {"right click on the header", WM_RBUTTONDOWN, {100, 10}, 4, {"click 1 0 1"}, 0, {0}},
        {"double click",
         WM_LBUTTONDBLCLK,
         {100, 4 * 22 + 5},
         0,
         {"click 0 4 1", "click 2 4 1", "click 0 4 1"},
         4,
         {4}},
        {"double click beyond the columns",
         WM_LBUTTONDBLCLK,
         {300, 22 + 5},
         0,
         {"click 0 1 -1", "click 0 1 -1"},
         1,
         {1}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        SetScrollPos(grid->m_hWnd, SB_VERT, step.vPos, FALSE);
        if (step.button == WM_LBUTTONDBLCLK) {
            DoubleClick(step.pt);
        } else if (step.button == WM_RBUTTONDOWN) {
            PointAt(step.pt);
            Send(WM_RBUTTONDOWN, MK_RBUTTON);
        } else {
            Press(step.pt);
            Send(WM_LBUTTONUP, MK_SHIFT | MK_CONTROL); // makes no difference
        }
        EXPECT_EQ(TakeNotices(), step.told);
        EXPECT_EQ(grid->m_nCurRow, step.curRow);
        EXPECT_EQ(grid->m_selRows, step.selRows);
        EXPECT_EQ(GetFocus(), grid->m_hWnd);
    }

    // A double click makes its row current and leaves the selection alone.
    grid->m_selRows = {7};
    PointAt(POINT{100, 2 * 22 + 5});
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
    EXPECT_EQ(TakeNotices(), Notices{"click 2 2 1"});
    EXPECT_EQ(grid->m_nCurRow, 2);
    EXPECT_EQ(grid->m_selRows, std::vector<int>{7});
}

TEST_F(GridInput, CheckBoxClicksToggleTheScreenRowsBoxAndReportTheLogicalRow) {
    grid->m_nCurRow = 8;
    grid->m_selRows = {8};
    Click(BoxPoint(2));
    EXPECT_EQ(TakeNotices(), Notices{"check 2 0 1"});
    EXPECT_TRUE(dynamic_cast<TGridCellCheckbox*>(grid->GetCell(2, 0))->m_bChecked);
    EXPECT_EQ(grid->m_nCurRow, 8);
    EXPECT_EQ(grid->m_selRows, std::vector<int>{8});

    // Two toggles around the double click's own notice.
    DoubleClick(BoxPoint(2));
    EXPECT_EQ(TakeNotices(), (Notices{"check 2 0 0", "click 2 2 0", "check 2 0 1"}));

    // The box's bottom edge is open; scrolled, screen row 2 is logical row 5.
    SetScrollPos(grid->m_hWnd, SB_VERT, 3, FALSE);
    Click(POINT{10, 2 * 22 + 3 + 15});
    Click(BoxPoint(2));
    EXPECT_EQ(TakeNotices(), (Notices{"click 0 5 0", "check 5 0 0"}));
}

TEST_F(GridInput, HeaderDragStartsOnTheFirstMoveAndDropsOnlyOverTheHeader) {
    struct Case {
        const char* name;
        POINT press, release;
        Notices told;
    } cases[] = {
        {"moved one pixel, dropped on the same column", {20, 10}, {21, 10}, {"drop 0 0"}},
        {"onto another column", {20, 10}, {250, 10}, {"drop 0 2"}},
        {"beyond the last column", {100, 10}, {350, 10}, {"drop 1 -1"}},
        {"over a data row", {100, 10}, {100, 100}, {}},
        {"pressed on a data row: a click", {100, 100}, {120, 100}, {"click 0 4 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(c.press);
        MoveTo(c.release);
        EXPECT_EQ(grid->m_nMouseMode, c.press.y < 22 ? kGridHeaderDrag : kGridIdle);
        if (c.press.y < 22) {
            EXPECT_TRUE(CursorIs(IDC_HAND));
            Send(WM_SETCURSOR); // leaves the hand
            EXPECT_TRUE(CursorIs(IDC_HAND));
        }
        Release(c.release);
        EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
        EXPECT_FALSE(grid->m_bPressed);
        EXPECT_TRUE(CursorIs(IDC_ARROW));
        EXPECT_EQ(PostedNotices(), c.told);
    }

    // Moves outside the window change nothing: released without a move inside, a click.
    Press(POINT{20, 10});
    POINT outside = {20, -40};
    ClientToScreen(grid->m_hWnd, &outside);
    SetCursorPos(outside.x, outside.y);
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
    EXPECT_EQ(grid->m_hoverCell.row, -1);
    POINT back = {20, 10};
    ClientToScreen(grid->m_hWnd, &back);
    SetCursorPos(back.x, back.y);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(PostedNotices(), Notices{"click 0 0 0"});
}

TEST_F(GridInput, ColumnBorderResizesToTheReleasePointWithItsCursorsAndGuide) {
    struct Case {
        const char* name;
        int border; // the column whose right border is grabbed
        int pressX;
        POINT release;
        Notices told;
        int width; // of that column afterwards
    } cases[] = {
        {"30 pixels right of the border", 0, 40, {70, 10}, {"resized 0 70"}, 70},
        {"pressed one pixel left of it", 0, 39, {70, 10}, {"resized 0 70"}, 70},
        {"pressed one pixel right, released over a row", 1, 201, {230, 300}, {"resized 1 190"}, 190},
        {"left of the column's left edge", 1, 200, {20, 10}, {"resized 1 1"}, 1},
        {"exactly on the left edge", 2, 275, {200, 10}, {}, 75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout({40, 160, 75}, 40, SIZE{400, 400});
        MoveTo(POINT{c.pressX, 10});
        EXPECT_EQ(grid->m_nMouseMode, kGridOverBorder);
        EXPECT_TRUE(CursorIs(IDC_SIZEWE));
        EXPECT_EQ(grid->m_hoverCell.col, c.border);
        Press(POINT{c.pressX, 10});
        EXPECT_EQ(grid->m_nMouseMode, kGridResizing);
        EXPECT_EQ(grid->m_resizeCell.col, c.border);
        Release(c.release);
        EXPECT_EQ(TakeNotices(), Notices{}); // posted, not sent
        EXPECT_EQ(PostedNotices(), c.told);
        EXPECT_EQ(grid->ColumnWidth(c.border), c.width);
        EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
        EXPECT_TRUE(CursorIs(IDC_ARROW));
    }

    // Off the border the cursor is the arrow again, and WM_SETCURSOR agrees with the mode.
    Layout({40, 160, 75}, 40, SIZE{400, 400});
    MoveTo(POINT{200, 10});
    EXPECT_EQ(Send(WM_SETCURSOR), 0);
    EXPECT_TRUE(CursorIs(IDC_SIZEWE));
    MoveTo(POINT{203, 10});
    EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
    EXPECT_TRUE(CursorIs(IDC_ARROW));
    // Only the header's borders are hot, and the last column's border only on its left side.
    for (const POINT pt : {POINT{200, 30}, POINT{277, 10}, POINT{276, 10}}) {
        MoveTo(pt);
        EXPECT_EQ(grid->m_nMouseMode, kGridIdle) << pt.x << "," << pt.y;
    }
    MoveTo(POINT{275, 10});
    EXPECT_EQ(grid->m_nMouseMode, kGridOverBorder);
    MoveTo(POINT{40, 10});
    Send(WM_SETCURSOR);
    EXPECT_TRUE(CursorIs(IDC_SIZEWE));
}

TEST_F(GridInput, ResizeReleasedOutsideStaysResizingUntilTheNextClickInside) {
    MoveTo(POINT{200, 10});
    Press(POINT{200, 10});
    // Out of the window and let go there: the grid never sees the release.
    PointAt(POINT{200, -50});
    EXPECT_EQ(grid->m_nMouseMode, kGridResizing);

    // Back over the grid the guide follows the pointer.
    MoveTo(POINT{150, 200});
    Send(WM_SETCURSOR);
    EXPECT_TRUE(CursorIs(IDC_SIZEWE));
    UpdateWindow(grid->m_hWnd);
    Canvas canvas(384, 400);
    testing_support::CaptureWindow(grid->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(RECT{150, 0, 151, 400}, RGB(0, 0, 0)), 400);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 150, 400}, RGB(0, 0, 0)), 0);

    // The next click inside ends it at that click's x.
    Click(POINT{250, 300});
    EXPECT_EQ(PostedNotices(), Notices{"resized 1 210"});
    EXPECT_EQ(grid->ColumnWidth(1), 210);
    EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
    EXPECT_EQ(grid->m_nCurRow, -1); // no selection came of it
}

TEST_F(GridInput, ArrowKeysMoveTheCurrentRowWithinTheDataRowsAndScrollItIntoView) {
    struct Step {
        WPARAM key;
        int curRowBefore; // -2 keeps the row the previous step left
        int curRow, vPos;
        Notices told;
    } steps[] = {
        {VK_DOWN, -1, 1, 0, {}},
        {VK_UP, -1, 1, 0, {}},
        {VK_UP, 50, 1, 0, {}},
        {VK_DOWN, 16, 17, 0, {}},
        {VK_DOWN, -2, 18, 1, {"view 1 19"}},
        {VK_UP, 2, 1, 0, {"view 0 18"}},
        {VK_DOWN, 38, 39, 22, {"view 22 39"}},
        {VK_DOWN, -2, 39, 22, {}}, // the last row stays current, on view
        {VK_RIGHT, -2, 39, 22, {}},
        {VK_RETURN, -2, 39, 22, {}},
    };
    for (const Step& step : steps) {
        if (step.curRowBefore != -2) {
            grid->m_nCurRow = step.curRowBefore;
        }
        Send(WM_KEYDOWN, step.key);
        EXPECT_EQ(grid->m_nCurRow, step.curRow) << step.key << " from " << step.curRowBefore;
        EXPECT_EQ(grid->m_selRows, std::vector<int>{step.curRow}) << step.key;
        EXPECT_EQ(VPos(), step.vPos) << step.key << " from " << step.curRowBefore;
        EXPECT_EQ(TakeNotices(), step.told) << step.key << " from " << step.curRowBefore;
    }
}

TEST_F(GridInput, FreedBeforeItsWindowTakesTheWindowWithIt) {
    const HWND hGrid = grid->m_hWnd;
    grid.reset();
    EXPECT_FALSE(IsWindow(hGrid));
    SendMessageW(parent, WM_SIZE, 0, 0); // nothing of the grid is reached any more
}
