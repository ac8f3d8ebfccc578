// The funds bar's cells in pixels: layout from the measured texts, where each text sits,
// colours, separators, drop marks and the hot drop cell; and its context menu.
#include "support/BarHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

using testing_support::Canvas;

namespace {

constexpr COLORREF kBackground = RGB(40, 40, 40), kSeparator = RGB(84, 81, 46), kTitle = RGB(0, 220, 220),
                   kColoured = RGB(243, 203, 8), kPlain = RGB(235, 229, 190);

// The rows (first, last + 1) of a rectangle holding pixels close to a colour (text is
// anti-aliased); {0, 0} when none.
std::pair<int, int> InkRows(const Canvas& canvas, const RECT& rc, COLORREF c) {
    std::pair<int, int> rows = {0, 0};
    for (int i = 0, w = rc.right - rc.left; i < w * (rc.bottom - rc.top); ++i) {
        const COLORREF p = canvas.Pixel(rc.left + i % w, rc.top + i / w);
        if (std::max({std::abs(GetRValue(p) - GetRValue(c)), std::abs(GetGValue(p) - GetGValue(c)),
                      std::abs(GetBValue(p) - GetBValue(c))}) <= 24) {
            rows = {rows.second ? rows.first : rc.top + i / w, rc.top + i / w + 1};
        }
    }
    return rows;
}

int Width(HFONT font, const std::wstring& text) {
    Canvas canvas(1, 1);
    SelectScope selected(canvas.dc(), font);
    SIZE size = {};
    GetTextExtentPoint32W(canvas.dc(), text.c_str(), int(text.size()), &size);
    return size.cx;
}

// The rows a line of text covers when DrawTextW centres it in a band 30 pixels high: its
// line box starts 15 pixels minus half the font's height below the band's top.
std::pair<int, int> CentredRows(HFONT font, const std::wstring& text, int top) {
    Canvas canvas(800, 80);
    canvas.Fill(kBackground);
    SelectScope selected(canvas.dc(), font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(canvas.dc(), &tm);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), kTitle);
    TextOutW(canvas.dc(), 5, top + 15 - tm.tmHeight / 2, text.c_str(), int(text.size()));
    return InkRows(canvas, RECT{0, 0, 800, 80}, kTitle);
}

struct Cell {
    std::wstring title, value;
    bool marked, coloured;
};

// Checks every cell of a painted bar: its edges from the measured texts (a drop mark takes
// 19 pixels more), a separator on each edge but the first setting's, title and value in
// their colours where centring puts them (within a pixel of rounding), drop marks, and
// nothing right of the last cell. Returns the cells' edges.
std::vector<int> ExpectCells(const Canvas& canvas, const std::vector<Cell>& cells, bool firstSeparator,
                             const char* what) {
    std::vector<int> edges = {0};
    for (const Cell& cell : cells) {
        const int title = Width(g_hTextFont.get(), cell.title) + (cell.marked ? 19 : 0);
        edges.push_back(edges.back() + 20 + std::max(title, Width(g_hValueFont.get(), cell.value)));
    }
    const auto sameRows = [](std::pair<int, int> drawn, std::pair<int, int> expected) {
        return expected.second > expected.first && std::abs(drawn.first - expected.first) <= 1 &&
               std::abs(drawn.second - expected.second) <= 1;
    };
    int separators = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const int x = edges[i], right = edges[i + 1];
        if (i > 0 || firstSeparator) {
            ++separators;
            EXPECT_TRUE(canvas.Count(RECT{x, 5, x + 1, 45}, kSeparator) == 40 &&
                        canvas.Pixel(x, 4) != kSeparator && canvas.Pixel(x, 45) != kSeparator)
                << what << ": separator " << i << " at " << x;
        }
        const RECT rc = {x + 1, 0, right, 50};
        EXPECT_TRUE(sameRows(InkRows(canvas, rc, kTitle), CentredRows(g_hTextFont.get(), cells[i].title, 0)))
            << what << ": title " << i;
        EXPECT_TRUE(sameRows(InkRows(canvas, rc, cells[i].coloured ? kColoured : kPlain),
                         CentredRows(g_hValueFont.get(), cells[i].value, 20)))
            << what << ": value " << i;
        // Two strokes meeting 15 pixels down, ending 3 pixels short of the cell's margin.
        const bool mark = canvas.Pixel(right - 12, 12) == kSeparator &&
                          canvas.Pixel(right - 9, 15) == kSeparator &&
                          canvas.Pixel(right - 6, 12) == kSeparator;
        EXPECT_EQ(mark, cells[i].marked) << what << ": drop mark " << i;
    }
    // Below the drop marks, separators and nothing else of their colour.
    EXPECT_EQ(canvas.Count(RECT{0, 20, canvas.width(), 50}, kSeparator), 25 * separators) << what;
    EXPECT_EQ(canvas.CountOther(RECT{edges.back() + 1, 0, canvas.width(), 50}, kBackground), 0) << what;
    return edges;
}

using FundsBarPaint = testing_support::FundsTest;

void Paint(TKestrovaWnd& bar, Canvas& canvas) {
    canvas.Fill(kBackground);
    bar.DrawBar(canvas.dc(), RECT{0, 0, canvas.width(), canvas.height()});
    GdiFlush();
}

} // namespace

TEST_F(FundsBarPaint, DefaultCellsFollowEveryChangeAndTheDropCellUnderTheMouseIsLit) {
    TKestrovaWnd* bar = OpenBar(1600, 50);
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1600, 50);
    Paint(*bar, canvas);
    const std::vector<int> edges = ExpectCells(canvas,
                                               {{L"Account No.", L"1001", true, false},
                                                {L"Currency", L"Base", true, false},
                                                {L"Account Balance", L"1234.50", false, false},
                                                {L"Account Value", L"2000.00", false, false},
                                                {L"Exchange Fee", L"-3.25", false, false},
                                                {L"Net PnL", L"10.00", false, false},
                                                {L"PnL%", L"12.34%", false, false},
                                                {L"Unrealized PnL", L"0.00", false, false},
                                                {L"Adjustment", L"0.00", false, false},
                                                {L"Risk%", L"0.12", false, false}},
                                               false, "default layout");
    const RECT account = {edges[0], 0, edges[1], 50}, currency = {edges[1], 0, edges[2], 50};
    EXPECT_TRUE(EqualRect(&bar->m_rcAccount, &account) && EqualRect(&bar->m_rcCurrency, &currency));

    // The window paints the drop cell under the mouse dark until the mouse leaves.
    PointAt(*bar, POINT{(account.left + account.right) / 2, 45});
    for (const UINT uMsg : {WM_MOUSEMOVE, WM_MOUSELEAVE}) {
        SendMessageW(bar->m_hWnd, uMsg, 0, 0);
        UpdateWindow(bar->m_hWnd);
        testing_support::CaptureWindow(bar->m_hWnd, canvas);
        const int black = canvas.Count(account, RGB(0, 0, 0));
        EXPECT_TRUE(uMsg == WM_MOUSEMOVE ? black > 200 : black == 0) << black;
        EXPECT_EQ(canvas.Count(RECT{account.right, 0, 1600, 50}, RGB(0, 0, 0)), 0);
    }

    // Whatever changes the settings, a record's figures or the fonts, and whether or not
    // anything tells the bar, its next paint lays the cells out for what it shows then.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"three columns shown",
         [&] {
             for (ColumnSetting& setting : bar->m_vecSettings) {
                 setting.bShow = setting.nColId == 0 || setting.nColId == 3 || setting.nColId == 26;
             }
         }},
        {"balance changed in the record",
         [&] { host::RecordStore::SetDouble(base1, host::Funds::Balance, 98765432.5); }},
        {"balance coloured", [&] { bar->m_vecSettings[3].bColor = true; }},
        {"larger value font",
         [&] { g_hValueFont.reset(CreateFontW(24, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")); }},
        {"smaller title font",
         [&] { g_hTextFont.reset(CreateFontW(10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")); }},
    };
    for (std::size_t step = 0; step < std::size(changes); ++step) {
        changes[step].second();
        InvalidateRect(bar->m_hWnd, nullptr, FALSE);
        UpdateWindow(bar->m_hWnd);
        testing_support::CaptureWindow(bar->m_hWnd, canvas);
        const std::wstring balance = step ? L"98765432.50" : L"1234.50";
        ExpectCells(canvas,
                    {{L"Account No.", L"1001", true, false},
                     {L"Account Balance", balance, false, step >= 2},
                     {L"Risk%", L"0.12", false, false}},
                    false, changes[step].first);
    }
}

TEST_F(FundsBarPaint, StoredLayoutAndIgnoreFileDecideTheCells) {
    // Position 0 hidden, Risk% coloured, Account Balance, then the ignored Adjustment.
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
    ExpectCells(canvas, {{L"Risk%", L"0.12", false, true}, {L"Account Balance", L"1234.50", false, false}},
                true, "stored layout");
    EXPECT_EQ(canvas.Count(RECT{0, 0, 1200, 20}, kSeparator), 2 * 15);
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

// The ink of one character drawn black on white.
std::vector<COLORREF> Glyph(const wchar_t* character) {
    Canvas glyph(24, 24);
    glyph.Fill(RGB(255, 255, 255));
    SelectScope font(glyph.dc(), g_hTextFont.get());
    TextOutW(glyph.dc(), 2, 2, character, 1);
    GdiFlush();
    return glyph.Pixels();
}

} // namespace

TEST_F(FundsBarPaint, InChineseOffersTheColumnDialogAndDrawsRealGlyphs) {
    OnPluginFree();
    OnPluginLoad(2052);
    OnPluginInit(host.PluginManager());
    TKestrovaWnd* bar = OpenBar(800, 50);
    ASSERT_NE(bar, nullptr);
    PointAt(*bar, POINT{100, 20});
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadOpenMenu);
    SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(100, 20));
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_menu, L"配置列头/101");

    EXPECT_STREQ(bar->m_vecSettings[0].szTitle, L"资金帐号");
    // A missing glyph would draw the same box for two different characters.
    const std::vector<COLORREF> first = Glyph(L"资"), second = Glyph(L"金");
    EXPECT_GT(std::count_if(first.begin(), first.end(), [](COLORREF p) { return p != RGB(255, 255, 255); }),
              10);
    EXPECT_NE(first, second);
}
