// The funds bar's cells in pixels: layout from the measured texts, where each text sits,
// colours, separators, drop marks and the hot drop cell; and its context menu.
#include "base/Texts.h"
#include "support/BarHarness.h"
#include "writer/SampleLayouts.h"

#include <algorithm>
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

// Whether a text's ink in the cell covers, within a pixel of rounding, the rows it covers
// when drawn as DrawTextW centres one line in a band of 30 pixels from `top`: its line box
// 15 pixels less half the font's height below the top.
bool SitsCentred(const Canvas& bar, const RECT& cell, COLORREF colour, HFONT font, const std::wstring& text,
                 int top) {
    Canvas canvas(800, 80);
    SelectScope selected(canvas.dc(), font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(canvas.dc(), &tm);
    SetTextColor(canvas.dc(), kTitle);
    SetBkColor(canvas.dc(), kBackground);
    TextOutW(canvas.dc(), 5, top + 15 - tm.tmHeight / 2, text.c_str(), int(text.size()));
    const std::pair<int, int> drawn = InkRows(bar, cell, colour),
                              expected = InkRows(canvas, {0, 0, 800, 80}, kTitle);
    return expected.second > expected.first && std::abs(drawn.first - expected.first) <= 1 &&
           std::abs(drawn.second - expected.second) <= 1;
}

int Width(HFONT font, const std::wstring& text) {
    Canvas canvas(1, 1);
    SelectScope selected(canvas.dc(), font);
    SIZE size = {};
    GetTextExtentPoint32W(canvas.dc(), text.c_str(), int(text.size()), &size);
    return size.cx;
}

using Texts = std::vector<std::wstring>;

// Checks the cells of a painted bar: their edges from the measured texts (a drop mark in each
// of the first `marked` cells takes 19 pixels more), a separator on each edge but the first
// setting's, titles and values in their colours (the value of cell `coloured` highlighted)
// where centring puts them, drop marks, and nothing right of the last cell. Returns the edges.
std::vector<int> ExpectCells(const Canvas& canvas, const Texts& titles, const Texts& values,
                             std::size_t marked, std::size_t coloured, bool firstSeparator,
                             const char* what) {
    std::vector<int> edges = {0};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        SCOPED_TRACE(std::string(what) + ", cell " + std::to_string(i));
        const int x = edges.back(), title = Width(g_hTextFont.get(), titles[i]) + (i < marked ? 19 : 0);
        edges.push_back(x + 20 + std::max(title, Width(g_hValueFont.get(), values[i])));
        const RECT rc = {x + 1, 0, edges.back(), 50};
        const int separator = i || firstSeparator ? 40 : 0;
        EXPECT_EQ(canvas.Count({x, 0, x + 1, 50}, kSeparator), separator);
        EXPECT_EQ(canvas.Count({x, 5, x + 1, 45}, kSeparator), separator);
        EXPECT_TRUE(SitsCentred(canvas, rc, kTitle, g_hTextFont.get(), titles[i], 0));
        EXPECT_TRUE(
            SitsCentred(canvas, rc, i == coloured ? kColoured : kPlain, g_hValueFont.get(), values[i], 20));
        // Two strokes meeting 15 pixels down, ending 3 pixels short of the cell's margin.
        EXPECT_EQ(canvas.Pixel(rc.right - 12, 12) == kSeparator &&
                      canvas.Pixel(rc.right - 9, 15) == kSeparator &&
                      canvas.Pixel(rc.right - 6, 12) == kSeparator,
                  i < marked);
    }
    // Below the drop marks, separators and nothing else of their colour.
    EXPECT_EQ(canvas.Count({0, 20, canvas.width(), 50}, kSeparator),
              25 * int(titles.size() - !firstSeparator))
        << what;
    EXPECT_EQ(canvas.CountOther({edges.back() + 1, 0, canvas.width(), 50}, kBackground), 0) << what;
    return edges;
}

std::wstring g_menu; // the open menu's first item and the number of items, as "text/id/count"

// Runs inside the menu's own loop: reads the open popup menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    const HMENU hMenu =
        reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
    wchar_t text[64] = {};
    if (hMenu && GetMenuStringW(hMenu, 0, text, 64, MF_BYPOSITION)) {
        g_menu = text + (L"/" + std::to_wstring(GetMenuItemID(hMenu, 0)) + L"/" +
                         std::to_wstring(GetMenuItemCount(hMenu)));
        EndMenu();
    }
}

using FundsBarPaint = testing_support::FundsTest;

} // namespace

TEST_F(FundsBarPaint, CellsFollowLayoutFilesFiguresFontsAndLanguageAndTheDropCellUnderTheMouseIsLit) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    Canvas wide(1600, 50), canvas(1200, 50); // the cells may not fit the screen: drawn off it first
    wide.Fill(kBackground);
    bar->DrawBar(wide.dc(), RECT{0, 0, 1600, 50});
    const std::vector<int> edges = ExpectCells(
        wide,
        {L"Account No.", L"Currency", L"Account Balance", L"Account Value", L"Exchange Fee", L"Net PnL",
         L"PnL%", L"Unrealized PnL", L"Adjustment", L"Risk%"},
        {L"1001", L"Base", L"1234.50", L"2000.00", L"-3.25", L"10.00", L"12.34%", L"0.00", L"0.00", L"0.12"},
        2, -1, false, "default layout");
    const RECT account = {edges[0], 0, edges[1], 50};

    // The drop cell under the mouse is dark until the mouse leaves.
    PointAt(*bar, POINT{(account.left + account.right) / 2, 45});
    for (const UINT uMsg : {WM_MOUSEMOVE, WM_MOUSELEAVE}) {
        SendMessageW(bar->m_hWnd, uMsg, 0, 0);
        UpdateWindow(bar->m_hWnd);
        testing_support::CaptureWindow(bar->m_hWnd, canvas);
        const int dark = canvas.Count(account, RGB(0, 0, 0));
        EXPECT_TRUE(uMsg == WM_MOUSEMOVE ? dark > 200 : dark == 0) << dark;
        EXPECT_EQ(canvas.Count({account.right, 0, 1200, 50}, RGB(0, 0, 0)), 0);
    }

    // Whatever changes a record's figures or the fonts, and whether or not anything tells the
    // bar, its next paint lays the cells out for what it shows then.
    config.Write("Kestrova.Show.pub",
                 LayoutIni(OrderedLayout([](int id) { return id == 0 || id == 3 || id == 26; }, 3)));
    DestroyWindow(bar->m_hWnd);
    bar = OpenBar();
    const auto arial = [](int height, int weight) {
        return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
    };
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"three columns shown, the balance coloured", [] {}},
        {"balance changed", [&] { host::RecordStore::SetDouble(base1, host::Funds::Balance, 98765432.5); }},
        {"larger values", [&] { g_hValueFont.reset(arial(24, FW_BOLD)); }},
        {"smaller titles", [&] { g_hTextFont.reset(arial(10, FW_NORMAL)); }},
    };
    for (std::size_t step = 0; step < std::size(changes); ++step) {
        changes[step].second();
        RedrawWindow(bar->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        testing_support::CaptureWindow(bar->m_hWnd, canvas);
        ExpectCells(canvas, {L"Account No.", L"Account Balance", L"Risk%"},
                    {L"1001", step ? L"98765432.50" : L"1234.50", L"0.12"}, 1, 1, false, changes[step].first);
    }

    // Currency hidden at position 0, then Excess Cash highlighted, Account Balance and the
    // ignored Account No.: two cells, a separator left of each, no drop mark.
    auto stored = OrderedLayout([](int id) { return id == 0 || id == 2 || id == 3; }, 2);
    std::rotate(stored.begin(), stored.begin() + 1, stored.begin() + 4); // Account No. fourth
    config.Write("Kestrova.Show.pub", LayoutIni(stored));
    config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=0||\r\n");
    testing_support::CaptureWindow(OpenBar()->m_hWnd, canvas);
    ExpectCells(canvas, {L"Excess Cash", L"Account Balance"}, {L"0.00", L"98765432.50"}, 0, 0, true,
                "stored layout");

    // In Chinese, a right click offers the column dialog, and the face has the characters of
    // the texts, not boxes in their place.
    OnPluginFree();
    OnPluginLoad(2052);
    OnPluginInit(host.PluginManager());
    bar = OpenBar();
    // A release whose press was elsewhere (it closed another menu, say), or that left the bar
    // after its press, offers nothing; the release of a press on the bar offers the dialog.
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadOpenMenu);
    for (const UINT uMsg : {WM_MOUSELEAVE, WM_CAPTURECHANGED, WM_NULL}) {
        SendMessageW(bar->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        SendMessageW(bar->m_hWnd, uMsg, 0, 0);
        SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, 0);
        EXPECT_EQ(g_menu, uMsg == WM_NULL ? L"配置列头/101/1" : L"") << uMsg;
    }
    KillTimer(nullptr, timer);
    SelectScope font(canvas.dc(), g_hTextFont.get());
    WORD glyphs[4] = {};
    const wchar_t* title = GetColumnTitle(bar->Settings()[3].nColId); // the stored layout's
    GetGlyphIndicesW(canvas.dc(), title, 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_STREQ(title, L"资金帐号");
    EXPECT_EQ(std::count(glyphs, glyphs + 4, 0xFFFF), 0);
}
