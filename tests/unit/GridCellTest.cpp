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
#include <tuple>
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
    Picture(int width, int height, bool selected) : w(width), h(height), selected(selected) {
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
    Picture& Plain() { return Fill({0, 0, w, h}, kBack).Fill({0, selected ? 1 : h, w, h}, kSelBack).Frame(); }
    // A header's ground: selected all over.
    Picture& Header() { return Fill({0, 0, w, h}, selected ? kSelBack : kBack).Frame(); }
    Picture& Text(RECT rc, UINT format) {
        const FontHandle font(CreateFontIndirectW(&kFont));
        SelectScope inUse(m_canvas.dc(), font.get());
        SetBkMode(m_canvas.dc(), TRANSPARENT);
        SetTextColor(m_canvas.dc(), selected ? kSelText : kText);
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
    const bool selected;

private:
    Canvas m_canvas{140, 60};
};

using GridCell = ::testing::Test;

// Gives the cell the test's text and font and the picture's selection, draws it at (L, T), and
// fails with the first pixel, from the cell's top left, that is not as pictured.
void ExpectDrawn(TGridCellBase& cell, UINT format, UINT mask, int margin, int textTop,
                 const Picture& picture) {
    wcscpy(cell.m_szText, L"Cash Wj");
    cell.m_lfFont = kFont;
    cell.m_nFormat = format;
    cell.m_nMask = mask;
    cell.m_nMargin = margin;
    cell.m_nTextTop = textTop;
    cell.m_nState = picture.selected ? GCS_SELECTED | 0x1 : 0x1; // bit 0x2 alone means selected
    Canvas actual(140, 60);
    actual.Fill(kCanvas);
    cell.Draw(actual.dc(), RECT{L, T, L + picture.w, T + picture.h});
    const std::vector<COLORREF> drawn = actual.Pixels(), expected = picture.canvas().Pixels();
    const auto unlike = std::mismatch(drawn.begin(), drawn.end(), expected.begin());
    const int at = int(unlike.first - drawn.begin());
    EXPECT_TRUE(unlike.first == drawn.end())
        << "the first pixel unlike the picture, at (" << at % 140 - L << ", " << at / 140 - T << "), is 0x"
        << std::hex << *unlike.first << ", not 0x" << *unlike.second;
}

} // namespace

TEST_F(GridCell, PlainTextCentredKeepsOnePixelFromEachSideInsteadOfTheMargin) {
    TGridCellBase cell;
    ExpectDrawn(cell, kCentre, kAllBits, 9, 4, Picture(100, 30, false).Plain().Text({1, 4, 99, 30}, kCentre));
}

TEST_F(GridCell, SelectedPlainCellKeepsItsTopLineAndRightTextKeepsTheMarginFromTheRight) {
    TGridCellBase cell;
    ExpectDrawn(cell, kRight, GIF_MARGIN, 9, 4, Picture(100, 30, true).Plain().Text({0, 0, 91, 30}, kRight));
}

TEST_F(GridCell, LeftTextKeepsTheMarginFromTheLeftAndMovesDownByTheTextTop) {
    TGridCellBase cell;
    ExpectDrawn(cell, kLeft, kMarginTop, 9, 6, Picture(100, 30, false).Plain().Text({9, 6, 100, 30}, kLeft));
}

TEST_F(GridCell, MarginAndTextTopApplyOnlyWithTheirMaskBits) {
    TGridCellBase cell;
    ExpectDrawn(cell, kLeft, GIF_TEXT, 9, 6, Picture(100, 30, false).Plain().Text({0, 0, 100, 30}, kLeft));
}

TEST_F(GridCell, ComboCellDrawsAsAPlainCell) {
    TGridCellCombox cell;
    ExpectDrawn(cell, kLeft, kAllBits, 3, 5, Picture(90, 25, true).Plain().Text({3, 5, 90, 25}, kLeft));
}

TEST_F(GridCell, CheckBoxIsCentredFivePixelsFromTheLeft) {
    TGridCellCheckbox cell;
    ExpectDrawn(cell, kRight, kAllBits, 4, 0,
                Picture(90, 25, false).Plain().Text({0, 0, 86, 25}, kRight).Box(5, false));
}

TEST_F(GridCell, SelectedCheckBoxCellKeepsThePlainBackgroundInItsLeft22PixelsAndShowsTheTick) {
    TGridCellCheckbox cell;
    cell.m_bChecked = true;
    ExpectDrawn(cell, kRight, kAllBits, 4, 0,
                Picture(90, 25, true).Plain().Text({0, 0, 86, 25}, kRight).Box(5, true));
}

TEST_F(GridCell, CheckBoxStartsAtTheTopOfA14PixelRowAndOnePixelAboveA13PixelRow) {
    TGridCellCheckbox cell;
    cell.m_bChecked = true;
    for (const auto& [height, top] : {std::pair{14, 0}, std::pair{13, -1}}) {
        SCOPED_TRACE(::testing::Message() << "height " << height);
        ExpectDrawn(
            cell, kRight, 0, 4, 0,
            Picture(60, height, height == 13).Plain().Text({0, 0, 60, height}, kRight).Box(top, true));
    }
}

TEST_F(GridCell, HeaderArrowOfOnePointsDownAndRightTextStaysTwoPixelsFurtherLeft) {
    TGridHeader header;
    header.m_nSortArrow = 1;
    ExpectDrawn(header, kRight, kAllBits, 4, 0,
                Picture(100, 22, false).Header().Arrow(9, kArrowDown).Text({0, 0, 84, 22}, kRight));
}

TEST_F(GridCell, HeaderArrowOfZeroPointsUpAndSelectedHeaderIsSelectedToItsTop) {
    TGridHeader header;
    header.m_nSortArrow = 0;
    ExpectDrawn(header, DT_CENTER, kAllBits, 4, 0,
                Picture(100, 22, true).Header().Arrow(9, kArrowUp).Text({1, 0, 89, 22}, DT_CENTER));
}

TEST_F(GridCell, HeaderWithoutArrowGivesItsTextTheArrowsRoom) {
    TGridHeader header;
    header.m_nSortArrow = -1;
    ExpectDrawn(header, kRight, kAllBits, 4, 3,
                Picture(100, 22, false).Header().Text({0, 3, 94, 22}, kRight));
}

TEST_F(GridCell, HeaderWithAnUnknownArrowDrawsNoneButKeepsItsRoom) {
    TGridHeader header;
    header.m_nSortArrow = 7;
    ExpectDrawn(header, kLeft, kAllBits, 4, 0, Picture(100, 23, true).Header().Text({4, 0, 90, 23}, kLeft));
}

TEST_F(GridCell, CellsWithoutWidthDrawNothing) {
    TGridCellBase plain;
    TGridCellCheckbox box;
    TGridCellCombox combo;
    TGridHeader header;
    box.m_bChecked = true;
    const std::pair<const char*, TGridCellBase*> cells[] = {
        {"plain", &plain}, {"check box", &box}, {"combo", &combo}, {"header", &header}};
    for (const auto& [name, cell] : cells) {
        for (const int width : {0, -20}) {
            SCOPED_TRACE(::testing::Message() << name << ", width " << width);
            ExpectDrawn(*cell, kLeft, kAllBits, 0, 0, Picture(width, 25, true));
        }
    }
}

// A click on the box's corners toggles it either way; one pixel right, below, left of or above
// the box does not.
TEST_F(GridCell, AClickOnTheBoxTogglesItAndAClickOnItsRightOrBottomEdgeOrBesideItDoesNot) {
    const std::tuple<int, int, bool> probes[] = {{5, 0, true},   {19, 14, true}, {5, 0, true},
                                                 {20, 0, false}, {5, 15, false}, {4, 0, false},
                                                 {5, -1, false}};
    for (const auto& [height, top] : {std::pair{25, 5}, std::pair{13, -1}}) {
        const RECT rc = {L, T, L + 90, T + height};
        TGridCellCheckbox box;
        for (const auto& [x, y, toggles] : probes) {
            SCOPED_TRACE(::testing::Message() << "height " << height << ", at " << x << "," << y);
            const bool checked = box.m_bChecked;
            EXPECT_EQ(box.OnClick(POINT{L + x, T + top + y}, rc), toggles);
            EXPECT_EQ(box.m_bChecked, checked != toggles);
        }
    }
}
