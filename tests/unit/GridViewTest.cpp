// The grid's view: scroll ranges, steps and their notices on both axes, a thumb dragged with
// the real mouse, and what a paint puts on screen (rows from client (1, 1), the selection
// rule, a row cut short by a missing cell, the background around the cells).
#include "support/GridHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

using testing_support::Canvas;
using testing_support::GridTest;

namespace {

constexpr COLORREF kGridBack = RGB(240, 240, 240);
constexpr COLORREF kCellBack = RGB(243, 243, 243);
constexpr COLORREF kSelBack = RGB(50, 112, 195);
constexpr COLORREF kBorder = RGB(135, 135, 135);

using Notices = std::vector<std::string>;
using GridScroll = GridTest;
using GridPaint = GridTest;

std::string View(int first, int last) {
    return "view " + std::to_string(first) + " " + std::to_string(last);
}

} // namespace

TEST_F(GridScroll, VerticalStepsMoveByRowsAndPagesAndAnnounceOnlyMovesExceptTheWheel) {
    Layout({40, 160, 75}, 40, SIZE{400, 400});
    ASSERT_EQ(grid->m_nPageRows, 18);
    EXPECT_TRUE(grid->m_bVScroll);
    EXPECT_FALSE(grid->m_bHScroll);
    const SCROLLINFO si = Bar(SB_VERT);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 39);
    EXPECT_EQ(si.nPage, 18u);

    // Row by row to the last position, where screen rows 1 to 17 show logical rows 23 to 39.
    for (int pos = 1; pos <= 22; ++pos) {
        Scroll(WM_VSCROLL, SB_LINEDOWN);
        EXPECT_EQ(TakeNotices(), Notices{View(pos, std::min(pos + 18, 39))});
    }
    EXPECT_EQ(grid->HitTest(POINT{10, 23}).row, 23);
    EXPECT_EQ(grid->HitTest(POINT{10, 17 * 22 + 1}).row, 39);

    struct Step {
        UINT uMsg;
        int code; // a scroll code, or a wheel delta for WM_MOUSEWHEEL
        int pos;
        bool announced;
    } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 22, false}, // at the end: nothing moves, nothing is said
        {WM_MOUSEWHEEL, -120, 22, true},      // the wheel is always announced
        {WM_VSCROLL, SB_PAGEUP, 4, true},     // a page is m_nPageRows, the header included
        {WM_MOUSEWHEEL, -240, 7, true},       // three rows whatever the delta
        {WM_MOUSEWHEEL, 1, 4, true},           {WM_MOUSEWHEEL, 0, 1, true},
        {WM_MOUSEWHEEL, 120, 0, true},         {WM_MOUSEWHEEL, 120, 0, true},
        {WM_VSCROLL, SB_LINEUP, 0, false},     {WM_VSCROLL, SB_PAGEDOWN, 18, true},
        {WM_VSCROLL, SB_PAGEDOWN, 22, true},   {WM_VSCROLL, SB_TOP, 22, false},
        {WM_VSCROLL, SB_ENDSCROLL, 22, false}, {WM_VSCROLL, SB_THUMBTRACK, 22, false}, // nothing tracked
        {WM_VSCROLL, SB_LINEUP, 21, true},
    };
    for (const Step& step : steps) {
        if (step.uMsg == WM_MOUSEWHEEL) {
            Wheel(step.code);
        } else {
            Scroll(step.uMsg, step.code);
        }
        EXPECT_EQ(VPos(), step.pos) << step.code;
        EXPECT_EQ(TakeNotices(),
                  step.announced ? Notices{View(step.pos, std::min(step.pos + 18, 39))} : Notices{})
            << step.code;
    }

    // Fewer rows than the page: the bar goes, the position is clamped unannounced, the wheel
    // does nothing.
    grid->m_nRows = 12;
    grid->UpdateScrollBars();
    EXPECT_FALSE(grid->m_bVScroll);
    EXPECT_FALSE(GetWindowLongW(grid->m_hWnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(VPos(), 0);
    Wheel(-120);
    Wheel(120);
    EXPECT_EQ(TakeNotices(), Notices{});
}

TEST_F(GridScroll, HorizontalBarFollowsTheColumnsAndMovesByPixelsUnannounced) {
    Layout({40, 160, 75}, 3, SIZE{300, 200});
    EXPECT_FALSE(grid->m_bHScroll);
    EXPECT_FALSE(GetWindowLongW(grid->m_hWnd, GWL_STYLE) & WS_HSCROLL);

    grid->SetColumnWidth(1, 300);
    grid->UpdateScrollBars();
    EXPECT_TRUE(grid->m_bHScroll);
    EXPECT_TRUE(GetWindowLongW(grid->m_hWnd, GWL_STYLE) & WS_HSCROLL);
    SCROLLINFO si = Bar(SB_HORZ);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 415);
    EXPECT_EQ(si.nPage, 300u);

    struct Step {
        int code, pos;
    } steps[] = {
        {SB_LINERIGHT, 5},  {SB_LINERIGHT, 10}, {SB_PAGERIGHT, 116}, {SB_LINERIGHT, 116},
        {SB_LINELEFT, 111}, {SB_PAGELEFT, 0},   {SB_LINELEFT, 0},    {SB_ENDSCROLL, 0},
    };
    for (const Step& step : steps) {
        Scroll(WM_HSCROLL, step.code);
        EXPECT_EQ(HPos(), step.pos) << step.code;
    }
    EXPECT_EQ(TakeNotices(), Notices{});

    // With the vertical bar too, the horizontal range takes in its width.
    grid->m_nRows = 40;
    grid->UpdateScrollBars();
    EXPECT_TRUE(grid->m_bVScroll);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    si = Bar(SB_HORZ);
    EXPECT_EQ(si.nMax, 415 + bar);
    EXPECT_EQ(si.nPage, UINT(300 - bar));
}

TEST_F(GridScroll, DraggedThumbMovesTheViewWhileItMoves) {
    Layout({40, 160, 75}, 40, SIZE{400, 400});
    RECT rcWindow = {};
    GetWindowRect(grid->m_hWnd, &rcWindow);
    const int x = rcWindow.right - GetSystemMetrics(SM_CXVSCROLL) / 2;
    const int y = rcWindow.top + GetSystemMetrics(SM_CYVSCROLL) + 20; // on the thumb at position 0
    auto at = [](int px, int py, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(px, 65536, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = MulDiv(py, 65536, GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return input;
    };
    // A key between the two moves keeps the queue from merging them into one.
    INPUT shift = {};
    shift.type = INPUT_KEYBOARD;
    shift.ki.wVk = VK_SHIFT;
    INPUT shiftUp = shift;
    shiftUp.ki.dwFlags = KEYEVENTF_KEYUP;
    INPUT inputs[] = {at(x, y, 0),       at(x, y, MOUSEEVENTF_LEFTDOWN),    at(x, y + 60, 0), shift, shiftUp,
                      at(x, y + 120, 0), at(x, y + 120, MOUSEEVENTF_LEFTUP)};
    SetForegroundWindow(parent);
    SendInput(static_cast<UINT>(std::size(inputs)), inputs, sizeof(INPUT));
    ASSERT_TRUE(
        testing_support::PumpUntil([&] { return VPos() > 0 && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }));
    testing_support::PumpFor(100);
    // Announced on the way, not only where the thumb was let go.
    const Notices told = TakeNotices();
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told.back(), View(VPos(), std::min(VPos() + 18, 39)));
    EXPECT_NE(told.front(), told.back());
}

TEST_F(GridPaint, RowsStartOnePixelInAndOnlySelectedDataRowsShowTheSelection) {
    Layout({40, 160, 75}, 40, SIZE{400, 400});
    grid->m_selRows = {0, 2}; // the header is never painted selected
    Canvas canvas(400, 400);
    auto paint = [&]() -> const Canvas& {
        InvalidateRect(grid->m_hWnd, nullptr, FALSE);
        UpdateWindow(grid->m_hWnd);
        testing_support::CaptureWindow(grid->m_hWnd, canvas);
        return canvas;
    };
    // Middle of the screen row's interior, in client pixels.
    auto rowY = [](int screenRow) { return 1 + screenRow * 22 + 11; };
    paint();
    EXPECT_EQ(canvas.Pixel(0, rowY(1)), kGridBack);
    EXPECT_EQ(canvas.Pixel(1, rowY(1)), kBorder);
    EXPECT_EQ(canvas.Pixel(20, 0), kGridBack);
    EXPECT_EQ(canvas.Pixel(20, 1), kBorder);
    EXPECT_EQ(canvas.Pixel(41, rowY(1)), kBorder);  // shared by columns 0 and 1
    EXPECT_EQ(canvas.Pixel(276, rowY(1)), kBorder); // the last column's right line
    EXPECT_EQ(canvas.Pixel(277, rowY(1)), kGridBack);
    EXPECT_EQ(canvas.Pixel(20, rowY(0)), kCellBack);
    EXPECT_EQ(canvas.Pixel(20, rowY(1)), kCellBack);
    for (const int x : {20, 100, 250}) {
        EXPECT_EQ(canvas.Pixel(x, rowY(2)), kSelBack) << x;
    }
    // Eighteen rows of 22 pixels, then a strip of background shorter than a row.
    EXPECT_EQ(canvas.Pixel(20, 1 + 18 * 22), kBorder);
    EXPECT_EQ(canvas.Pixel(20, 2 + 18 * 22), kGridBack);

    // A missing cell ends its row's painting; the columns right of it show the background.
    grid->SetCell(3, 1, nullptr);
    paint();
    EXPECT_EQ(canvas.Pixel(20, rowY(3)), kCellBack);
    EXPECT_EQ(canvas.Pixel(100, rowY(3)), kGridBack);
    EXPECT_EQ(canvas.Pixel(250, rowY(3)), kGridBack);
    EXPECT_EQ(canvas.Pixel(250, rowY(4)), kCellBack);

    // The selection is a logical row: gone while scrolled away, back when it returns.
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(paint().Count(RECT{0, 0, 400, 400}, kSelBack), 0);
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_LINEDOWN); // logical row 2 on screen row 1
    EXPECT_EQ(paint().Pixel(100, rowY(1)), kSelBack);

    // With fewer rows than the page only those rows are painted.
    grid->m_nRows = 3;
    grid->UpdateScrollBars();
    grid->m_crBkgnd = RGB(200, 10, 10);
    paint();
    EXPECT_EQ(canvas.Pixel(20, rowY(2)), kSelBack);
    EXPECT_EQ(canvas.Pixel(20, rowY(3)), RGB(200, 10, 10));
}
