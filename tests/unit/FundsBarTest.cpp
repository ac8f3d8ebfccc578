// The funds bar's cells in pixels: layout from the measured texts, colours, separators,
// drop marks and the hot drop cell; and its context menu.
#include "support/BarHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using testing_support::BarTest;
using testing_support::Canvas;

namespace {

constexpr COLORREF kBackground = RGB(40, 40, 40);
constexpr COLORREF kSeparator = RGB(84, 81, 46);
constexpr COLORREF kTitle = RGB(0, 220, 220);
constexpr COLORREF kColoured = RGB(243, 203, 8);
constexpr COLORREF kPlain = RGB(235, 229, 190);

// Text is anti-aliased: count pixels close to a colour.
int CountNear(const Canvas& canvas, const RECT& rc, COLORREF c) {
    int count = 0;
    for (int i = 0, w = rc.right - rc.left; i < w * (rc.bottom - rc.top); ++i) {
        const COLORREF p = canvas.Pixel(rc.left + i % w, rc.top + i / w);
        count += std::max({std::abs(GetRValue(p) - GetRValue(c)), std::abs(GetGValue(p) - GetGValue(c)),
                           std::abs(GetBValue(p) - GetBValue(c))}) <= 24;
    }
    return count;
}

// Left edges of the cells and the right edge of the last, from the texts' measured widths;
// the first `marked` cells' titles leave room for a drop mark.
std::vector<int> CellEdges(const std::vector<std::wstring>& titles, const std::vector<std::wstring>& values,
                           std::size_t marked) {
    Canvas measure(1, 1);
    auto width = [&](HFONT font, const std::wstring& text) {
        SelectScope selected(measure.dc(), font);
        SIZE size = {};
        GetTextExtentPoint32W(measure.dc(), text.c_str(), int(text.size()), &size);
        return int(size.cx);
    };
    std::vector<int> edges = {0};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const int tw = width(g_hTextFont.get(), titles[i]) + (i < marked ? 19 : 0);
        edges.push_back(edges.back() + 20 + std::max(tw, width(g_hValueFont.get(), values[i])));
    }
    return edges;
}

// First and last row (plus one) of a rectangle holding pixels close to a colour; {0, 0} when none.
std::pair<int, int> InkRows(const Canvas& canvas, const RECT& rc, COLORREF c) {
    std::pair<int, int> rows = {0, 0};
    for (int y = rc.top; y < rc.bottom; ++y) {
        if (CountNear(canvas, RECT{rc.left, y, rc.right, y + 1}, c) > 0) {
            rows = {rows.second ? rows.first : y, y + 1};
        }
    }
    return rows;
}

// The rows a single line of text covers when centred vertically between top and bottom as
// DrawTextW centres it: its line box starts half the band's height minus half the font's
// height below the top.
std::pair<int, int> CentredInkRows(HFONT font, const std::wstring& text, COLORREF c, int top, int bottom) {
    Canvas canvas(800, 80);
    canvas.Fill(kBackground);
    SelectScope selected(canvas.dc(), font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(canvas.dc(), &tm);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), c);
    TextOutW(canvas.dc(), 5, top + (bottom - top) / 2 - tm.tmHeight / 2, text.c_str(), int(text.size()));
    GdiFlush();
    return InkRows(canvas, RECT{0, 0, 800, 80}, c);
}

// Both ends within a pixel: rounding of the centring may differ by one between systems.
bool SameRows(std::pair<int, int> drawn, std::pair<int, int> expected) {
    return expected.second > expected.first && std::abs(drawn.first - expected.first) <= 1 &&
           std::abs(drawn.second - expected.second) <= 1;
}

// A line of separator colour from y 5 to 44 and no further.
bool IsSeparatorAt(const Canvas& canvas, int x) {
    return canvas.Count(RECT{x, 5, x + 1, 45}, kSeparator) == 40 && canvas.Pixel(x, 4) != kSeparator &&
           canvas.Pixel(x, 45) != kSeparator;
}

using FundsBarPaint = testing_support::FundsTest;

void Paint(TKestrovaWnd& bar, Canvas& canvas) {
    canvas.Fill(kBackground);
    bar.DrawBar(canvas.dc(), RECT{0, 0, canvas.width(), canvas.height()});
    GdiFlush();
}

} // namespace

TEST_F(FundsBarPaint, DefaultLayoutDrawsTenMeasuredCellsAndLightsTheDropCellUnderTheMouse) {
    TKestrovaWnd* bar = OpenBar(1600, 50);
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1600, 50);
    Paint(*bar, canvas);
    const std::vector<std::wstring> titles = {
        L"Account No.", L"Currency", L"Account Balance", L"Account Value", L"Exchange Fee",
        L"Net PnL",     L"PnL%",     L"Unrealized PnL",  L"Adjustment",    L"Risk%"};
    const std::vector<std::wstring> values = {L"1001",  L"Base",   L"1234.50", L"2000.00", L"-3.25",
                                              L"10.00", L"12.34%", L"0.00",    L"0.00",    L"0.12"};
    const std::vector<int> edges = CellEdges(titles, values, 2);
    // Nine separators and nothing else of their colour below the drop marks.
    EXPECT_EQ(canvas.Count(RECT{0, 20, 1600, 50}, kSeparator), 9 * 25);
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        EXPECT_EQ(IsSeparatorAt(canvas, edges[i]), i > 0) << "cell " << i << " at " << edges[i];
        EXPECT_GT(CountNear(canvas, RECT{edges[i] + 1, 0, edges[i + 1], 24}, kTitle), 0) << "title " << i;
        EXPECT_GT(CountNear(canvas, RECT{edges[i] + 1, 28, edges[i + 1], 50}, kPlain), 0) << "value " << i;
        // Titles centred in the top 30 rows, values in the 30 rows from y 20.
        const RECT cell = {edges[i] + 1, 0, edges[i + 1], 50};
        EXPECT_TRUE(SameRows(InkRows(canvas, cell, kTitle),
                             CentredInkRows(g_hTextFont.get(), titles[i], kTitle, 0, 30)))
            << "title " << i;
        EXPECT_TRUE(SameRows(InkRows(canvas, cell, kPlain),
                             CentredInkRows(g_hValueFont.get(), values[i], kPlain, 20, 50)))
            << "value " << i;
    }
    EXPECT_EQ(CountNear(canvas, RECT{0, 0, 1600, 50}, kColoured), 0);
    EXPECT_EQ(canvas.CountOther(RECT{edges.back() + 1, 0, 1600, 50}, kBackground), 0);
    // Drop marks of the first two cells: two strokes meeting 15 pixels down.
    for (int right : {edges[1] - 14, edges[2] - 14}) {
        EXPECT_EQ(canvas.Pixel(right + 2, 12), kSeparator);
        EXPECT_EQ(canvas.Pixel(right + 5, 15), kSeparator);
        EXPECT_EQ(canvas.Pixel(right + 8, 12), kSeparator);
    }
    const RECT account = {edges[0], 0, edges[1], 50}, currency = {edges[1], 0, edges[2], 50};
    EXPECT_TRUE(EqualRect(&bar->m_rcAccount, &account));
    EXPECT_TRUE(EqualRect(&bar->m_rcCurrency, &currency));

    // The window itself paints the cell under the mouse dark until the mouse leaves.
    PointAt(*bar, POINT{(account.left + account.right) / 2, 45});
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    UpdateWindow(bar->m_hWnd);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_GT(canvas.Count(account, RGB(0, 0, 0)), 200);
    EXPECT_EQ(canvas.Count(currency, RGB(0, 0, 0)), 0);
    EXPECT_GT(canvas.Count(RECT{account.right + 1, 0, 1600, 50}, kBackground), 1000);
    SendMessageW(bar->m_hWnd, WM_MOUSELEAVE, 0, 0);
    UpdateWindow(bar->m_hWnd);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(account, RGB(0, 0, 0)), 0);
}

TEST_F(FundsBarPaint, EveryPaintFollowsTheSettingsValuesAndFontsAsTheyAreNow) {
    TKestrovaWnd* bar = OpenBar(1200, 50);
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1200, 50);
    // Whatever changes the settings, a record's figures or the fonts, and whether or not
    // anything tells the bar, its next paint lays the cells out for what it shows then.
    const std::vector<std::wstring> titles = {L"Account No.", L"Account Balance", L"Risk%"};
    struct Step {
        const char* change;
        std::function<void()> apply;
        std::vector<std::wstring> values;
        bool coloured;
    };
    const Step steps[] = {
        {"three columns shown",
         [&] {
             for (ColumnSetting& setting : bar->m_vecSettings) {
                 setting.bShow = setting.nColId == 0 || setting.nColId == 3 || setting.nColId == 26;
             }
         },
         {L"1001", L"1234.50", L"0.12"},
         false},
        {"balance changed in the record",
         [&] { host::RecordStore::SetDouble(base1, host::Funds::Balance, 98765432.5); },
         {L"1001", L"98765432.50", L"0.12"},
         false},
        {"balance coloured",
         [&] { bar->m_vecSettings[3].bColor = true; },
         {L"1001", L"98765432.50", L"0.12"},
         true},
        {"larger value font",
         [&] { g_hValueFont.reset(CreateFontW(34, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")); },
         {L"1001", L"98765432.50", L"0.12"},
         true},
        {"smaller title font",
         [&] { g_hTextFont.reset(CreateFontW(10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")); },
         {L"1001", L"98765432.50", L"0.12"},
         true},
    };
    for (const Step& step : steps) {
        step.apply();
        InvalidateRect(bar->m_hWnd, nullptr, FALSE);
        UpdateWindow(bar->m_hWnd);
        testing_support::CaptureWindow(bar->m_hWnd, canvas);
        const std::vector<int> edges = CellEdges(titles, step.values, 1);
        EXPECT_TRUE(IsSeparatorAt(canvas, edges[1]) && IsSeparatorAt(canvas, edges[2])) << step.change;
        EXPECT_EQ(canvas.Count(RECT{0, 20, 1200, 50}, kSeparator), 2 * 25) << step.change;
        EXPECT_EQ(CountNear(canvas, RECT{edges[1] + 1, 28, edges[2], 50}, kColoured) > 0, step.coloured)
            << step.change;
        EXPECT_EQ(canvas.CountOther(RECT{edges[3] + 1, 0, 1200, 50}, kBackground), 0) << step.change;
    }
}

TEST_F(FundsBarPaint, StoredLayoutAndIgnoreFileDecideTheCells) {
    // Position 0 is hidden, so even the first visible cell has a separator on its left.
    std::string layout = "[Kestrova]\r\n0=5|0|0\r\n1=26|1|1\r\n2=3|1|0\r\n3=8|1|0\r\n";
    for (int id = 0, key = 4; id < 36; ++id) {
        if (id != 5 && id != 26 && id != 3 && id != 8) {
            layout += std::to_string(key++) + "=" + std::to_string(id) + "|0|0\r\n";
        }
    }
    config.Write("Kestrova.Show.pub", layout);
    config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=8||\r\n");
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);

    Canvas canvas(1200, 50);
    Paint(*bar, canvas);
    const std::vector<int> edges = CellEdges({L"Risk%", L"Account Balance"}, {L"0.12", L"1234.50"}, 0);
    EXPECT_TRUE(IsSeparatorAt(canvas, edges[0]));
    EXPECT_TRUE(IsSeparatorAt(canvas, edges[1]));
    // Two separators, no third for the ignored cell and no drop mark: account and currency are hidden.
    EXPECT_EQ(canvas.Count(RECT{0, 0, 1200, 50}, kSeparator), 80);
    EXPECT_GT(CountNear(canvas, RECT{edges[0] + 1, 28, edges[1], 50}, kColoured), 0);
    EXPECT_EQ(CountNear(canvas, RECT{edges[1] + 1, 28, edges[2], 50}, kColoured), 0);
}

namespace {

std::wstring g_menu; // the open menu's only item, as "text/id"

// Runs inside the menu's own loop: reads the open popup menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    const HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
    if (hMenuWnd && IsWindowVisible(hMenuWnd)) {
        const HMENU hMenu = reinterpret_cast<HMENU>(SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
        wchar_t text[64] = {};
        GetMenuStringW(hMenu, 0, text, 64, MF_BYPOSITION);
        g_menu =
            GetMenuItemCount(hMenu) == 1 ? text + (L"/" + std::to_wstring(GetMenuItemID(hMenu, 0))) : L"?";
        EndMenu();
    }
}

struct ChineseBar : BarTest {
    ChineseBar() : BarTest(2052) {}
};

} // namespace

TEST_F(ChineseBar, OffersTheColumnDialogAndDrawsRealGlyphs) {
    TKestrovaWnd* bar = OpenBar(800, 50);
    ASSERT_NE(bar, nullptr);
    PointAt(*bar, POINT{100, 20});
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadOpenMenu);
    SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(100, 20));
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_menu, L"配置列头/101");

    EXPECT_STREQ(bar->m_vecSettings[0].szTitle, L"资金帐号");
    // A missing glyph would draw the same box for two different characters.
    Canvas glyphs(48, 24);
    glyphs.Fill(RGB(255, 255, 255));
    SelectScope font(glyphs.dc(), g_hTextFont.get());
    TextOutW(glyphs.dc(), 2, 2, L"资", 1);
    TextOutW(glyphs.dc(), 26, 2, L"金", 1);
    GdiFlush();
    int differing = 0;
    for (int i = 0; i < 24 * 24; ++i) {
        differing += glyphs.Pixel(i % 24, i / 24) != glyphs.Pixel(24 + i % 24, i / 24);
    }
    EXPECT_GT(glyphs.CountOther(RECT{0, 0, 24, 24}, RGB(255, 255, 255)), 10);
    EXPECT_GT(differing, 10);
}
