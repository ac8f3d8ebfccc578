// The grid's cells in pixels, drawn into a memory context as the grid draws them: frames one
// pixel past the rectangle, selection colours, text placement by mask, the check box with its
// cleared strip and tick, the header's sort arrows, and the check box's click edges.
#include "grid/GridCell.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

using testing_support::Canvas;

namespace {

constexpr COLORREF kCanvas = RGB(10, 200, 10);
constexpr COLORREF kBack = RGB(243, 243, 243);
constexpr COLORREF kSelBack = RGB(50, 112, 195);
constexpr COLORREF kBorder = RGB(135, 135, 135);
constexpr COLORREF kText = RGB(50, 50, 50);
constexpr COLORREF kSelText = RGB(255, 255, 255);
constexpr COLORREF kBoxPen = RGB(150, 150, 150);
constexpr COLORREF kArrowPen = RGB(70, 70, 70);

LOGFONTW TestFont() {
    LOGFONTW lf = {};
    lf.lfHeight = -13;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    wcscpy(lf.lfFaceName, L"Arial");
    return lf;
}

template <typename Cell> Cell MakeCell(const wchar_t* text) {
    Cell cell;
    wcscpy(cell.m_szText, text);
    cell.m_lfFont = TestFont();
    return cell;
}

// Smallest rectangle holding every pixel of a colour inside area; empty when there is none.
RECT InkBox(const Canvas& canvas, const RECT& area, COLORREF colour) {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (canvas.Pixel(x, y) == colour) {
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
            }
        }
    }
    return box.left < box.right ? box : RECT{};
}

// Where DrawTextW alone puts the ink of a text drawn into rc with a format.
RECT ReferenceInk(const wchar_t* text, RECT rc, UINT format, int canvasWidth, int canvasHeight) {
    Canvas canvas(canvasWidth, canvasHeight);
    canvas.Fill(kCanvas);
    const LOGFONTW lf = TestFont();
    FontHandle font(CreateFontIndirectW(&lf));
    SelectScope selected(canvas.dc(), font.get());
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), kText);
    DrawTextW(canvas.dc(), text, -1, &rc, format);
    return InkBox(canvas, RECT{0, 0, canvasWidth, canvasHeight}, kText);
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "{" << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom
           << "} instead of {" << expected.left << "," << expected.top << "," << expected.right << ","
           << expected.bottom << "}";
}

// The frame of a cell at rc: the lines x = left, x = right, y = top and y = bottom.
bool FramedAt(const Canvas& canvas, const RECT& rc) {
    const int width = rc.right - rc.left + 1, height = rc.bottom - rc.top + 1;
    return canvas.Count(RECT{rc.left, rc.top, rc.right + 1, rc.top + 1}, kBorder) == width &&
           canvas.Count(RECT{rc.left, rc.bottom, rc.right + 1, rc.bottom + 1}, kBorder) == width &&
           canvas.Count(RECT{rc.left, rc.top, rc.left + 1, rc.bottom + 1}, kBorder) == height &&
           canvas.Count(RECT{rc.right, rc.top, rc.right + 1, rc.bottom + 1}, kBorder) == height;
}

} // namespace

TEST(GridCell, TextCellPaintsBackgroundSharedFrameAndPlacesItsTextByMask) {
    const RECT rc = {20, 10, 120, 40};
    const UINT kTop = DT_TOP | DT_SINGLELINE;
    struct Case {
        const char* name;
        UINT format, mask;
        int margin, textTop;
        bool selected;
        RECT text; // where DrawTextW alone must put the text
    } cases[] = {
        {"centred: one pixel in from both sides, margin unused",
         DT_CENTER | kTop,
         GIF_MARGIN,
         9,
         0,
         false,
         {21, 10, 119, 40}},
        {"right: margin from the right", DT_RIGHT | kTop, GIF_MARGIN, 9, 0, false, {20, 10, 111, 40}},
        {"left: margin from the left", DT_LEFT | kTop, GIF_MARGIN, 9, 0, false, {29, 10, 120, 40}},
        {"no margin bit: margin unused", DT_LEFT | kTop, 0, 9, 0, false, {20, 10, 120, 40}},
        {"text top by mask", DT_LEFT | kTop, GIF_TEXTTOP | GIF_MARGIN, 3, 6, false, {23, 16, 120, 40}},
        {"no text top bit: top unused", DT_LEFT | kTop, GIF_MARGIN, 3, 6, false, {23, 10, 120, 40}},
        {"selected: selection colours", DT_LEFT | kTop, 0x3F9, 3, 6, true, {23, 16, 120, 40}},
        {"default mask and format: centred, not single line",
         DT_CENTER | DT_VCENTER,
         0x3F9,
         0,
         4,
         false,
         {21, 14, 119, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGridCellBase cell = MakeCell<TGridCellBase>(L" Cash ");
        cell.m_nFormat = c.format;
        cell.m_nMask = c.mask;
        cell.m_nMargin = c.margin;
        cell.m_nTextTop = c.textTop;
        cell.m_nState = c.selected ? GCS_SELECTED | 0x1 : 0x1; // only bit 0x2 counts
        Canvas canvas(140, 60);
        canvas.Fill(kCanvas);
        cell.Draw(canvas.dc(), rc);

        const COLORREF fill = c.selected ? kSelBack : kBack, ink = c.selected ? kSelText : kText;
        EXPECT_TRUE(FramedAt(canvas, rc));
        const RECT inside = {rc.left + 1, rc.top + 1, rc.right, rc.bottom};
        EXPECT_EQ(canvas.Count(inside, fill) + canvas.Count(inside, ink), 99 * 29);
        // Nothing beyond the frame.
        EXPECT_EQ(canvas.CountOther(RECT{0, 0, 140, 60}, kCanvas), 101 * 31);
        const RECT expected = ReferenceInk(L" Cash ", c.text, c.format, 140, 60);
        ASSERT_GT(expected.right - expected.left, 10);
        EXPECT_TRUE(SameRect(InkBox(canvas, inside, ink), expected));
    }
}

TEST(GridCell, NoWidthDrawsNothingForEveryKind) {
    TGridCellBase text = MakeCell<TGridCellBase>(L"x");
    TGridCellCheckbox box = MakeCell<TGridCellCheckbox>(L"x");
    box.m_bChecked = true;
    TGridCellCombox combo = MakeCell<TGridCellCombox>(L"x");
    TGridHeader header = MakeCell<TGridHeader>(L"x");
    TGridCellBase* cells[] = {&text, &box, &combo, &header};
    for (TGridCellBase* cell : cells) {
        for (const RECT rc : {RECT{30, 5, 30, 30}, RECT{30, 5, 10, 30}}) {
            Canvas canvas(60, 40);
            canvas.Fill(kCanvas);
            cell->m_nState = GCS_SELECTED;
            cell->Draw(canvas.dc(), rc);
            EXPECT_EQ(canvas.CountOther(RECT{0, 0, 60, 40}, kCanvas), 0) << rc.right - rc.left;
        }
    }
}

TEST(GridCell, CheckBoxSitsOnAClearedStripCentredByTruncationAndTicksWhenChecked) {
    struct Case {
        int height;
        bool checked, selected;
        int boxTop; // Y, relative to the cell's top
    } cases[] = {
        {25, false, false, 5}, {25, true, false, 5},   {25, true, true, 5},
        {26, false, true, 5},  {14, false, false, 0}, // (14 - 15) / 2 truncates to 0
        {13, true, false, -1}, {12, false, false, -1}, {40, true, false, 12},
    };
    const int left = 30, top = 20;
    // Where the box outline falls for a box whose top is at Y: the 2-pixel pen straddles it.
    int penOffset = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "height " << c.height << (c.checked ? " checked" : "")
                                          << (c.selected ? " selected" : ""));
        TGridCellCheckbox cell = MakeCell<TGridCellCheckbox>(L"");
        cell.m_bChecked = c.checked;
        cell.m_nState = c.selected ? GCS_SELECTED : 0;
        const RECT rc = {left, top, left + 60, top + c.height};
        Canvas canvas(120, 80);
        canvas.Fill(kCanvas);
        cell.Draw(canvas.dc(), rc);

        const int y = top + c.boxTop;
        // The outline: topmost pen row at the same distance from Y at every height.
        const RECT pen = InkBox(canvas, RECT{0, 0, 120, 80}, kBoxPen);
        ASSERT_GE(pen.right - pen.left, 15);
        if (&c == &cases[0]) {
            penOffset = pen.top - y;
        }
        EXPECT_EQ(pen.top - y, penOffset);
        EXPECT_EQ(pen.left - (left + 5), pen.top - y);
        EXPECT_EQ(pen.right - (left + 20), pen.bottom - (y + 15));
        EXPECT_LE(pen.right - pen.left, 17);
        // The box is hollow; the tick alone lies inside it.
        const RECT hollow = {left + 8, y + 3, left + 18, y + 13};
        EXPECT_EQ(canvas.Count(hollow, kBoxPen) > 0, c.checked);
        EXPECT_EQ(canvas.Pixel(left + 9, y + 9) == kBoxPen, c.checked);  // on the first stroke
        EXPECT_EQ(canvas.Pixel(left + 14, y + 7) == kBoxPen, c.checked); // on the second stroke
        if (c.height >= 17) {
            // The strip left of x + 22 keeps the plain background; the selection starts there.
            EXPECT_EQ(canvas.Pixel(left + 2, top + 1), kBack);
            EXPECT_EQ(canvas.Pixel(left + 21, rc.bottom - 1), kBack);
            EXPECT_EQ(canvas.Pixel(left + 22, rc.bottom - 1), c.selected ? kSelBack : kBack);
            EXPECT_EQ(canvas.Pixel(left + 59, top + 1), c.selected ? kSelBack : kBack);
            EXPECT_TRUE(FramedAt(canvas, rc));
        }
    }
}

TEST(GridCell, CheckBoxClickTogglesOnTheBoxWithItsRightAndBottomEdgesOpen) {
    for (const int height : {25, 13}) {
        const RECT rc = {40, 100, 100, 100 + height};
        const int y = 100 + (height - 15) / 2;
        struct Case {
            POINT pt;
            bool toggles;
        } cases[] = {
            {{45, y}, true},       {{59, y + 14}, true}, {{52, y + 7}, true},  {{60, y}, false},
            {{45, y + 15}, false}, {{44, y + 7}, false}, {{52, y - 1}, false}, {{80, y + 7}, false},
        };
        for (const Case& c : cases) {
            TGridCellCheckbox cell;
            EXPECT_EQ(cell.OnClick(c.pt, rc), c.toggles) << c.pt.x << "," << c.pt.y << " height " << height;
            EXPECT_EQ(cell.m_bChecked, c.toggles);
            if (c.toggles) {
                EXPECT_TRUE(cell.OnClick(c.pt, rc));
                EXPECT_FALSE(cell.m_bChecked);
            }
        }
        const RECT box = TGridCellCheckbox::BoxRect(rc);
        EXPECT_TRUE(SameRect(box, RECT{45, y, 60, y + 15}));
    }
    // Plain cells never change on a click.
    TGridCellBase plain;
    EXPECT_FALSE(plain.OnClick(POINT{45, 110}, RECT{40, 100, 100, 125}));
}

TEST(GridCell, HeaderDrawsSortArrowsAndKeepsRightAlignedTextTwoPixelsFurtherIn) {
    const RECT rc = {10, 10, 110, 32};
    const int yB = 32 - (22 - 5) / 2, yT = yB - 5, xL = 110 - 15, xR = 110 - 5;
    struct Case {
        int arrow;
        bool selected;
    } cases[] = {{1, false}, {0, false}, {-1, false}, {7, true}, {1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "arrow " << c.arrow << (c.selected ? " selected" : ""));
        TGridHeader header = MakeCell<TGridHeader>(L"");
        header.m_nSortArrow = c.arrow;
        header.m_nState = c.selected ? GCS_SELECTED : 0;
        Canvas canvas(130, 50);
        canvas.Fill(kCanvas);
        header.Draw(canvas.dc(), rc);
        EXPECT_TRUE(FramedAt(canvas, rc));
        EXPECT_EQ(canvas.Pixel(rc.left + 1, rc.top + 1), c.selected ? kSelBack : kBack);
        // Two 45-degree strokes of six pixels each, their end points left out, meeting in one.
        int expected = 0;
        for (int i = 0; i < 6; ++i) {
            if (c.arrow == 1) {
                EXPECT_EQ(canvas.Pixel(xL + i, yT + i), kArrowPen) << i;
                EXPECT_EQ(canvas.Pixel(xR - i, yT + i), kArrowPen) << i;
                expected = 11;
            } else if (c.arrow == 0) {
                EXPECT_EQ(canvas.Pixel(xL + i, yB - i), kArrowPen) << i;
                EXPECT_EQ(canvas.Pixel(xR - i, yB - i), kArrowPen) << i;
                expected = 11;
            }
        }
        EXPECT_EQ(canvas.Count(RECT{0, 0, 130, 50}, kArrowPen), expected);
    }

    // Right-aligned with the same margin: two pixels further from the edge than a plain cell;
    // with an arrow, ten more.
    for (const int arrow : {-1, 1}) {
        TGridHeader header = MakeCell<TGridHeader>(L"Title");
        header.m_nFormat = DT_RIGHT | DT_SINGLELINE;
        header.m_nMargin = 4;
        header.m_nSortArrow = arrow;
        TGridCellBase plain = MakeCell<TGridCellBase>(L"Title");
        plain.m_nFormat = header.m_nFormat;
        plain.m_nMargin = 4;
        Canvas headerCanvas(130, 50), plainCanvas(130, 50);
        header.Draw(headerCanvas.dc(), rc);
        plain.Draw(plainCanvas.dc(), rc);
        const RECT inside = {rc.left + 1, rc.top + 1, rc.right, rc.bottom};
        const RECT headerInk = InkBox(headerCanvas, inside, kText),
                   plainInk = InkBox(plainCanvas, inside, kText);
        ASSERT_GT(plainInk.right, 0);
        EXPECT_EQ(plainInk.right - headerInk.right, arrow == -1 ? 2 : 12);
    }
}

TEST(GridCell, FontsOfAPaintLeaveEveryPixelAsTheCellsOwnFontDoes) {
    TGridHeader header = MakeCell<TGridHeader>(L"Title");
    TGridCellCheckbox box = MakeCell<TGridCellCheckbox>(L"Show");
    box.m_nFormat = DT_RIGHT | DT_SINGLELINE;
    TGridCellBase* cells[] = {&header, &box};
    LOGFONTW other = TestFont();
    other.lfHeight = -20;
    for (TGridCellBase* cell : cells) {
        Canvas own(120, 40), shared(120, 40), mismatched(120, 40);
        for (Canvas* canvas : {&own, &shared, &mismatched}) {
            canvas->Fill(kCanvas);
        }
        const RECT rc = {5, 5, 105, 30};
        cell->Draw(own.dc(), rc);
        TCellFonts fonts;
        fonts.Select(shared.dc(), cell->m_lfFont);
        cell->Draw(shared.dc(), rc);
        TCellFonts otherFonts;
        otherFonts.Select(mismatched.dc(), other); // a font made from another LOGFONT is not used
        cell->Draw(mismatched.dc(), rc);
        const RECT all = {0, 0, 120, 40};
        ASSERT_GT(own.Count(all, kText), 10);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 120; ++x) {
                ASSERT_EQ(shared.Pixel(x, y), own.Pixel(x, y)) << x << "," << y;
                ASSERT_EQ(mismatched.Pixel(x, y), own.Pixel(x, y)) << x << "," << y;
            }
        }
    }
}
