// The cells' pixels, exactly: each cell drawn into a memory context is compared pixel for pixel
// with a picture put together from the rule's own numbers (rectangles, colours, and the pixels
// of the box and tick listed one by one), never by the cell's drawing calls; and where a click
// ticks a check box.
#include "grid/GridCell.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using testing_support::Canvas;

namespace {

constexpr COLORREF kCanvas = RGB(10, 200, 10), kBack = RGB(243, 243, 243), kSelBack = RGB(50, 112, 195),
                   kBorder = RGB(135, 135, 135), kText = RGB(50, 50, 50), kSelText = RGB(255, 255, 255),
                   kBoxPen = RGB(150, 150, 150);
constexpr int L = 20, T = 10; // where every cell is drawn
constexpr UINT kLeft = DT_LEFT | DT_SINGLELINE, kRight = DT_RIGHT | DT_SINGLELINE | DT_VCENTER,
               kCentre = DT_CENTER | DT_VCENTER;
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
// clang-format on

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
    const int w, h;
    const bool selected;

private:
    Canvas m_canvas{140, 60};
};

using GridCell = ::testing::Test;

// Gives the cell the test's text and font and the picture's selection, as a grid does: through
// an item, on a plain cell whose attributes the cell of its kind takes over. Draws it at (L, T)
// and fails with the first pixel, from the cell's top left, that is not as pictured.
void ExpectDrawn(TGridCellBase& cell, UINT format, int margin, int textTop, const Picture& picture) {
    const UINT mask = GIF_TEXT | GIF_FONT | GIF_FORMAT | GIF_MARGIN | GIF_TEXTTOP;
    GridItem item = {0, 0, L"Cash Wj", textTop, margin, mask, format, kFont, 0, 0, 0};
    TGridCellBase plain;
    plain.Apply(item);
    plain.SetSelected(picture.selected);
    cell.CopyAttributes(plain);
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

TEST_F(GridCell, TextKeepsTheMarginOnItsSideOrOnePixelCentredAndMovesDownByTheTextTop) {
    TGridCellBase plain;
    ExpectDrawn(plain, kCentre, 9, 4, Picture(100, 30, false).Plain().Text({1, 4, 99, 30}, kCentre));
    ExpectDrawn(plain, kRight, 9, 0, Picture(100, 30, true).Plain().Text({0, 0, 91, 30}, kRight));
    ExpectDrawn(plain, kLeft, 9, 6, Picture(100, 30, false).Plain().Text({9, 6, 100, 30}, kLeft));
}

// Centred five pixels from the left on the plain ground of the left 22 pixels, selected or not;
// in a 14 pixel row from its top, in a 13 pixel row one pixel above it. A click ticks it.
TEST_F(GridCell, CheckBoxSitsOnThePlainGroundAndShowsTheTickOnceClicked) {
    const struct {
        int width, height, top;
        bool ticked;
    } looks[] = {{90, 25, 5, false}, {90, 25, 5, true}, {60, 14, 0, true}, {60, 13, -1, true}};
    for (const auto& [w, h, top, ticked] : looks) {
        SCOPED_TRACE(::testing::Message() << "height " << h << ", ticked " << ticked);
        TGridCellCheckbox box;
        if (ticked) {
            ASSERT_TRUE(box.OnClick(POINT{L + 12, T + top + 7}, RECT{L, T, L + w, T + h}));
        }
        ExpectDrawn(box, kRight, 4, 0,
                    Picture(w, h, ticked).Plain().Text({0, 0, w - 4, h}, kRight).Box(top, ticked));
    }
}

TEST_F(GridCell, CellsWithoutWidthDrawNothing) {
    TGridCellBase plain;
    TGridCellCheckbox box;
    for (const int width : {0, -20}) {
        ExpectDrawn(plain, kLeft, 0, 0, Picture(width, 25, true));
        ExpectDrawn(box, kLeft, 0, 0, Picture(width, 25, true));
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
            EXPECT_EQ(box.OnClick(POINT{L + x, T + top + y}, rc), toggles);
        }
    }
}
