// The cells' pixels, exactly: each cell drawn into a memory context is compared pixel for pixel
// with a picture put together from the rule's own numbers (rectangles, colours, and the pixels
// of the box, tick and arrows listed one by one), never by the cell's drawing calls; and where
// a click ticks a check box.
#include "grid/GridCell.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

using testing_support::Canvas;

namespace {

constexpr COLORREF kCanvas = RGB(10, 200, 10), kBack = RGB(243, 243, 243), kSelBack = RGB(50, 112, 195),
                   kBorder = RGB(135, 135, 135), kText = RGB(50, 50, 50), kSelText = RGB(255, 255, 255),
                   kBoxPen = RGB(150, 150, 150), kArrowPen = RGB(70, 70, 70);
constexpr int L = 20, T = 10; // where every cell is drawn
constexpr UINT kLeft = DT_LEFT | DT_SINGLELINE, kRight = DT_RIGHT | DT_SINGLELINE | DT_VCENTER,
               kCentre = DT_CENTER | DT_VCENTER, kMarginTop = GIF_MARGIN | GIF_TEXTTOP, kAllBits = 0x3F9;
const LOGFONTW kFont = {-13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, L"Arial"};

// The check box with its top at Y, from (L + 4, Y - 1): its outline from (L + 5, Y) to
// (L + 20, Y + 15) in a pen two pixels wide covers L + 4 to L + 19 and Y - 1 to Y + 14; the
// tick (v) runs from (L + 8, Y + 7) to (L + 10, Y + 11) to (L + 17, Y + 4), two pixels wide.
// clang-format off
const std::vector<std::string> kBox = {
    "################",
    "################",
    "##............##",
    "##............##",
    "##..........vv##",
    "##.........vvv##",
    "##........vvvv##",
    "##.vv....vvvv.##",
    "##.vvv..vvvv..##",
    "##..vv.vvvv...##",
    "##..vvvvvv....##",
    "##...vvvv.....##",
    "##...vvv......##",
    "##............##",
    "################",
    "################",
};
// The sort arrows from (R - 15, yT) to (R - 5, yT + 5); in a header 22 or 23 high, yT is 9.
const std::vector<std::string> kArrowDown = {
    "#.........#",
    ".#.......#.",
    "..#.....#..",
    "...#...#...",
    "....#.#....",
    ".....#.....",
};
// clang-format on
const std::vector<std::string> kArrowUp(kArrowDown.rbegin(), kArrowDown.rend());

// A picture of a cell of the given size drawn at (L, T), built up piece by piece; rectangles and
// pixels are given from the cell's top left.
class Picture {
public:
    Picture(int width, int height, bool selected) : w(width), h(height), m_selected(selected) {
        m_canvas.Fill(kCanvas);
    }
    const Canvas& canvas() const { return m_canvas; }
    Picture& Fill(RECT rc, COLORREF colour) {
        OffsetRect(&rc, L, T);
        return FillSolid(m_canvas.dc(), rc, colour), *this;
    }
    // The one-pixel frame one pixel past the right and bottom edges, shared with the neighbours.
    Picture& Frame() {
        return Fill({0, 0, w + 1, 1}, kBorder)
            .Fill({0, h, w + 1, h + 1}, kBorder)
            .Fill({0, 0, 1, h + 1}, kBorder)
            .Fill({w, 0, w + 1, h + 1}, kBorder);
    }
    // A plain cell's ground: selected below its top line, which is the frame of the row above.
    Picture& Plain() {
        return Fill({0, 0, w, h}, kBack).Fill({0, m_selected ? 1 : h, w, h}, kSelBack).Frame();
    }
    // A header's ground: selected all over.
    Picture& Header() { return Fill({0, 0, w, h}, m_selected ? kSelBack : kBack).Frame(); }
    Picture& Text(RECT rc, UINT format) {
        const FontHandle font(CreateFontIndirectW(&kFont));
        SelectScope selected(m_canvas.dc(), font.get());
        SetBkMode(m_canvas.dc(), TRANSPARENT);
        SetTextColor(m_canvas.dc(), m_selected ? kSelText : kText);
        OffsetRect(&rc, L, T);
        return DrawTextW(m_canvas.dc(), L"Cash Wj", -1, &rc, format), *this;
    }
    // The pixels marked with one of the inks, the rows' top left at (x, y).
    Picture& Pixels(int x, int y, const std::vector<std::string>& rows, const char* inks, COLORREF colour) {
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (std::size_t column = 0; column < rows[row].size(); ++column) {
                if (std::strchr(inks, rows[row][column])) {
                    SetPixelV(m_canvas.dc(), L + x + int(column), T + y + int(row), colour);
                }
            }
        }
        return *this;
    }
    // The box on the plain ground of the left 22 pixels, with its top at `top`.
    Picture& Box(int top, bool ticked) {
        return Fill({0, 0, 22, h}, kBack).Frame().Pixels(4, top - 1, kBox, ticked ? "#v" : "#", kBoxPen);
    }
    Picture& Arrow(int top, const std::vector<std::string>& arrow) {
        return Pixels(w - 15, top, arrow, "#", kArrowPen);
    }
    const int w, h;

private:
    bool m_selected;
    Canvas m_canvas{140, 60};
};

// Cells with the test's text and font, drawn at (L, T).
struct GridCell : ::testing::Test {
    static TGridCellBase& Dress(TGridCellBase& cell, UINT format, UINT mask, int margin, int textTop,
                                bool selected) {
        wcscpy(cell.m_szText, L"Cash Wj");
        cell.m_lfFont = kFont;
        cell.m_nFormat = format;
        cell.m_nMask = mask;
        cell.m_nMargin = margin;
        cell.m_nTextTop = textTop;
        cell.m_nState = selected ? GCS_SELECTED | 0x1 : 0x1; // bit 0x2 alone means selected
        return cell;
    }
    // Fails with the first pixel, from the cell's top left, that is not as pictured.
    static void ExpectDrawn(TGridCellBase& cell, const Picture& picture) {
        Canvas actual(140, 60);
        actual.Fill(kCanvas);
        cell.Draw(actual.dc(), RECT{L, T, L + picture.w, T + picture.h});
        const std::vector<COLORREF> drawn = actual.Pixels(), expected = picture.canvas().Pixels();
        const auto unlike = std::mismatch(drawn.begin(), drawn.end(), expected.begin());
        const int at = int(unlike.first - drawn.begin());
        EXPECT_TRUE(unlike.first == drawn.end())
            << "the first pixel unlike the picture, at (" << at % 140 - L << ", " << at / 140 - T
            << "), is 0x" << std::hex << *unlike.first << ", not 0x" << *unlike.second;
    }
};

} // namespace

TEST_F(GridCell, PlainTextCentredKeepsOnePixelFromEachSideInsteadOfTheMargin) {
    TGridCellBase cell;
    ExpectDrawn(Dress(cell, kCentre, kAllBits, 9, 4, false),
                Picture(100, 30, false).Plain().Text({1, 4, 99, 30}, kCentre));
}

TEST_F(GridCell, SelectedPlainCellKeepsItsTopLineAndRightTextKeepsTheMarginFromTheRight) {
    TGridCellBase cell;
    ExpectDrawn(Dress(cell, kRight, GIF_MARGIN, 9, 4, true),
                Picture(100, 30, true).Plain().Text({0, 0, 91, 30}, kRight));
}

TEST_F(GridCell, LeftTextKeepsTheMarginFromTheLeftAndMovesDownByTheTextTop) {
    TGridCellBase cell;
    ExpectDrawn(Dress(cell, kLeft, kMarginTop, 9, 6, false),
                Picture(100, 30, false).Plain().Text({9, 6, 100, 30}, kLeft));
}

TEST_F(GridCell, MarginAndTextTopApplyOnlyWithTheirMaskBits) {
    TGridCellBase cell;
    ExpectDrawn(Dress(cell, kLeft, GIF_TEXT, 9, 6, false),
                Picture(100, 30, false).Plain().Text({0, 0, 100, 30}, kLeft));
}

TEST_F(GridCell, ComboCellDrawsAsAPlainCell) {
    TGridCellCombox cell;
    ExpectDrawn(Dress(cell, kLeft, kAllBits, 3, 5, true),
                Picture(90, 25, true).Plain().Text({3, 5, 90, 25}, kLeft));
}

TEST_F(GridCell, CheckBoxIsCentredFivePixelsFromTheLeft) {
    TGridCellCheckbox cell;
    ExpectDrawn(Dress(cell, kRight, kAllBits, 4, 0, false),
                Picture(90, 25, false).Plain().Text({0, 0, 86, 25}, kRight).Box(5, false));
}

TEST_F(GridCell, SelectedCheckBoxCellKeepsThePlainBackgroundInItsLeft22PixelsAndShowsTheTick) {
    TGridCellCheckbox cell;
    cell.m_bChecked = true;
    ExpectDrawn(Dress(cell, kRight, kAllBits, 4, 0, true),
                Picture(90, 25, true).Plain().Text({0, 0, 86, 25}, kRight).Box(5, true));
}

TEST_F(GridCell, CheckBoxStartsAtTheTopOfA14PixelRowAndOnePixelAboveA13PixelRow) {
    TGridCellCheckbox cell;
    cell.m_bChecked = true;
    for (const auto& [height, top] : {std::pair{14, 0}, std::pair{13, -1}}) {
        SCOPED_TRACE(::testing::Message() << "height " << height);
        Dress(cell, kRight, 0, 4, 0, height == 13);
        ExpectDrawn(
            cell, Picture(60, height, height == 13).Plain().Text({0, 0, 60, height}, kRight).Box(top, true));
    }
}

TEST_F(GridCell, HeaderArrowOfOnePointsDownAndRightTextStaysTwoPixelsFurtherLeft) {
    TGridHeader header;
    header.m_nSortArrow = 1;
    ExpectDrawn(Dress(header, kRight, kAllBits, 4, 0, false),
                Picture(100, 22, false).Header().Arrow(9, kArrowDown).Text({0, 0, 84, 22}, kRight));
}

TEST_F(GridCell, HeaderArrowOfZeroPointsUpAndSelectedHeaderIsSelectedToItsTop) {
    TGridHeader header;
    header.m_nSortArrow = 0;
    ExpectDrawn(Dress(header, DT_CENTER, kAllBits, 4, 0, true),
                Picture(100, 22, true).Header().Arrow(9, kArrowUp).Text({1, 0, 89, 22}, DT_CENTER));
}

TEST_F(GridCell, HeaderWithoutArrowGivesItsTextTheArrowsRoom) {
    TGridHeader header;
    header.m_nSortArrow = -1;
    ExpectDrawn(Dress(header, kRight, kAllBits, 4, 3, false),
                Picture(100, 22, false).Header().Text({0, 3, 94, 22}, kRight));
}

TEST_F(GridCell, HeaderWithAnUnknownArrowDrawsNoneButKeepsItsRoom) {
    TGridHeader header;
    header.m_nSortArrow = 7;
    ExpectDrawn(Dress(header, kLeft, kAllBits, 4, 0, true),
                Picture(100, 23, true).Header().Text({4, 0, 90, 23}, kLeft));
}

TEST_F(GridCell, CellsWithoutWidthDrawNothing) {
    TGridCellBase plain;
    TGridCellCheckbox box;
    TGridCellCombox combo;
    TGridHeader header;
    box.m_bChecked = true;
    const char* const names[] = {"plain", "check box", "combo", "header"};
    TGridCellBase* const cells[] = {&plain, &box, &combo, &header};
    for (int kind = 0; kind < 4; ++kind) {
        for (const int width : {0, -20}) {
            SCOPED_TRACE(::testing::Message() << names[kind] << ", width " << width);
            Dress(*cells[kind], kLeft, kAllBits, 0, 0, true);
            ExpectDrawn(*cells[kind], Picture(width, 25, true));
        }
    }
}

TEST_F(GridCell, AClickOnTheBoxTogglesItAndAClickOnItsRightOrBottomEdgeOrBesideItDoesNot) {
    for (const auto& [height, top] : {std::pair{25, 5}, std::pair{13, -1}}) {
        const int y = T + top;
        const RECT rc = {L, T, L + 90, T + height};
        TGridCellCheckbox box;
        for (const POINT probe : {POINT{5, 0}, POINT{19, 14}}) {
            SCOPED_TRACE(::testing::Message() << "height " << height << ", on " << probe.x << "," << probe.y);
            EXPECT_TRUE(box.OnClick(POINT{L + probe.x, y + probe.y}, rc));
            EXPECT_TRUE(box.m_bChecked);
            EXPECT_TRUE(box.OnClick(POINT{L + probe.x, y + probe.y}, rc));
            EXPECT_FALSE(box.m_bChecked);
        }
        box.m_bChecked = true;
        for (const POINT probe : {POINT{20, 0}, POINT{5, 15}, POINT{4, 0}, POINT{5, -1}}) {
            SCOPED_TRACE(::testing::Message()
                         << "height " << height << ", off " << probe.x << "," << probe.y);
            EXPECT_FALSE(box.OnClick(POINT{L + probe.x, y + probe.y}, rc));
            EXPECT_TRUE(box.m_bChecked);
        }
    }
}
