// The cells' pixels, exactly: each cell drawn into a memory context is compared pixel for pixel
// with a picture made from the cell's geometry alone; and where a click ticks a check box.
#include "grid/GridCell.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

using testing_support::Canvas;

namespace {

constexpr COLORREF kCanvas = RGB(10, 200, 10), kBack = RGB(243, 243, 243), kSelBack = RGB(50, 112, 195),
                   kBorder = RGB(135, 135, 135), kText = RGB(50, 50, 50), kSelText = RGB(255, 255, 255);
constexpr int L = 20, T = 10; // where every cell is drawn
constexpr UINT kLeft = DT_LEFT | DT_SINGLELINE, kRight = DT_RIGHT | DT_SINGLELINE | DT_VCENTER,
               kCentre = DT_CENTER | DT_VCENTER, kMarginTop = GIF_MARGIN | GIF_TEXTTOP;
enum Kind { kPlain, kCheck, kCombo, kHeader };

struct Case {
    const char* name;
    Kind kind;
    int width, height;
    UINT format, mask;
    int margin, textTop;
    bool selected;
    int extra, boxTop; // check box: ticked, and its top from the cell's; header: sort arrow
    RECT text;         // where the text goes, from the cell's top left
};

const LOGFONTW kFont = {-13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, L"Arial"};

// The picture the cell must leave, from the cell's geometry.
void Expected(Canvas& canvas, const Case& c) {
    canvas.Fill(kCanvas);
    if (c.width <= 0) {
        return;
    }
    const HDC dc = canvas.dc();
    const int R = L + c.width, B = T + c.height;
    const RECT frame = {L, T, R + 1, B + 1}; // shared with the neighbours' frames
    const BrushHandle border = MakeSolidBrush(kBorder);
    FillSolid(dc, RECT{L, T, R, B}, c.selected ? kSelBack : kBack);
    FrameRect(dc, &frame, border.get());
    if (c.kind == kHeader && (c.extra == 0 || c.extra == 1)) {
        const int yB = B - (c.height - 5) / 2, yT = yB - 5;
        for (int i = 0; i < 6; ++i) { // two 45-degree strokes meeting at their sixth pixel
            SetPixelV(dc, R - 15 + i, c.extra ? yT + i : yB - i, RGB(70, 70, 70));
            SetPixelV(dc, R - 5 - i, c.extra ? yT + i : yB - i, RGB(70, 70, 70));
        }
    }
    FontHandle font(CreateFontIndirectW(&kFont));
    SelectScope selectedFont(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c.selected ? kSelText : kText);
    RECT text = c.text;
    OffsetRect(&text, L, T);
    DrawTextW(dc, L"Cash Wj", -1, &text, c.format);
    if (c.kind == kCheck) {
        const int y = T + c.boxTop;
        FillSolid(dc, RECT{L, T, L + 22, B}, kBack);
        FrameRect(dc, &frame, border.get());
        PenHandle pen = MakeSolidPen(RGB(150, 150, 150), 2);
        SelectScope selectedPen(dc, pen.get()), hollow(dc, GetStockObject(HOLLOW_BRUSH));
        Rectangle(dc, L + 5, y, L + 20, y + 15);
        if (c.extra) {
            DrawLine(dc, L + 8, y + 7, L + 10, y + 11);
            DrawLine(dc, L + 10, y + 11, L + 17, y + 4);
        }
    }
}

} // namespace

TEST(GridCell, DrawsExactlyItsPictureAndTicksOnlyOnTheBox) {
    std::vector<Case> cases = {
        {"default: centred", kPlain, 100, 30, kCentre, 0x3F9, 9, 4, false, 0, 0, {1, 4, 99, 30}},
        {"right margin, selected", kPlain, 100, 30, kRight, GIF_MARGIN, 9, 4, true, 0, 0, {0, 0, 91, 30}},
        {"left margin, text top", kPlain, 100, 30, kLeft, kMarginTop, 9, 6, false, 0, 0, {9, 6, 100, 30}},
        {"without their bits", kPlain, 100, 30, kLeft, GIF_TEXT, 9, 6, false, 0, 0, {0, 0, 100, 30}},
        {"combo, selected", kCombo, 90, 25, kLeft, 0x3F9, 3, 5, true, 0, 0, {3, 5, 90, 25}},
        {"check box", kCheck, 90, 25, kRight, 0x3F9, 4, 0, false, 0, 5, {0, 0, 86, 25}},
        {"check box ticked, selected", kCheck, 90, 25, kRight, 0x3F9, 4, 0, true, 1, 5, {0, 0, 86, 25}},
        {"check box 14 high", kCheck, 60, 14, kRight, 0, 4, 0, false, 1, 0, {0, 0, 60, 14}},
        {"check box 13 high: above the cell", kCheck, 60, 13, kRight, 0, 4, 0, true, 1, -1, {0, 0, 60, 13}},
        {"header, arrow down", kHeader, 100, 22, kRight, 0x3F9, 4, 0, false, 1, 0, {0, 0, 84, 22}},
        {"header, arrow up, selected", kHeader, 100, 22, DT_CENTER, 0x3F9, 4, 0, true, 0, 0, {1, 0, 89, 22}},
        {"header, no arrow", kHeader, 100, 22, kRight, 0x3F9, 4, 3, false, -1, 0, {0, 3, 94, 22}},
        {"header, unknown arrow", kHeader, 100, 23, kLeft, 0x3F9, 4, 0, true, 7, 0, {4, 0, 90, 23}},
    };
    for (const Kind kind : {kPlain, kCheck, kCombo, kHeader}) {
        for (const int width : {0, -20}) {
            cases.push_back({"no width", kind, width, 25, kLeft, 0x3F9, 0, 0, true, 1, 0, {}});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << ", kind " << c.kind);
        TGridCellBase plain;
        TGridCellCheckbox box;
        TGridCellCombox combo;
        TGridHeader header;
        box.m_bChecked = c.extra != 0;
        header.m_nSortArrow = c.extra;
        TGridCellBase* cells[] = {&plain, &box, &combo, &header};
        TGridCellBase& cell = *cells[c.kind];
        wcscpy(cell.m_szText, L"Cash Wj");
        cell.m_lfFont = kFont;
        cell.m_nFormat = c.format;
        cell.m_nMask = c.mask;
        cell.m_nMargin = c.margin;
        cell.m_nTextTop = c.textTop;
        cell.m_nState = c.selected ? GCS_SELECTED | 0x1 : 0x1; // bit 0x2 alone means selected
        const RECT rc = {L, T, L + c.width, T + c.height};
        Canvas actual(140, 60), expected(140, 60);
        actual.Fill(kCanvas);
        cell.Draw(actual.dc(), rc);
        Expected(expected, c);
        BitBlt(actual.dc(), 0, 0, 140, 60, expected.dc(), 0, 0, SRCINVERT); // black where they agree
        EXPECT_EQ(actual.CountOther(RECT{0, 0, 140, 60}, 0), 0) << "pixels unlike the picture";
        if (c.kind == kCheck && c.width > 0) {
            // A click ticks on the box, its right and bottom edges left out.
            const int y = T + c.boxTop;
            const POINT probes[] = {{5, 0}, {19, 14}, {20, 0}, {5, 15}, {4, 0}, {5, -1}}; // two on the box
            for (int i = 0; i < 6; ++i) {
                const POINT pt = {L + probes[i].x, y + probes[i].y};
                EXPECT_EQ(box.OnClick(pt, rc), i < 2) << pt.x - L << "," << pt.y - y;
                EXPECT_EQ(box.m_bChecked, (c.extra != 0) != (i < 2));
                box.OnClick(pt, rc);
                EXPECT_EQ(box.m_bChecked, c.extra != 0);
            }
        }
    }
}
