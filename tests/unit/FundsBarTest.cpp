// The funds bar's cells in pixels: layout from the measured texts, colours, separators,
// drop marks and the hot drop cell; and its context menu.
#include "support/BarHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using host::Funds;
using testing_support::BarTest;
using testing_support::Canvas;

namespace {

constexpr COLORREF kBackground = RGB(40, 40, 40);
constexpr COLORREF kSeparator = RGB(84, 81, 46);
constexpr COLORREF kTitle = RGB(0, 220, 220);
constexpr COLORREF kColoured = RGB(243, 203, 8);
constexpr COLORREF kPlain = RGB(235, 229, 190);

// Text is anti-aliased: count pixels close to a colour.
int CountNear(const Canvas& canvas, const RECT& rc, COLORREF colour) {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF p = canvas.Pixel(x, y);
            count += std::abs(GetRValue(p) - GetRValue(colour)) <= 24 &&
                     std::abs(GetGValue(p) - GetGValue(colour)) <= 24 &&
                     std::abs(GetBValue(p) - GetBValue(colour)) <= 24;
        }
    }
    return count;
}

struct Cell {
    int id;
    std::wstring title, value;
};

// Left edges of the cells and the right edge of the last, from the texts' measured widths.
std::vector<int> CellEdges(const std::vector<Cell>& cells) {
    Canvas measure(1, 1);
    auto width = [&](HFONT font, const std::wstring& text) {
        SelectScope selected(measure.dc(), font);
        SIZE size = {};
        GetTextExtentPoint32W(measure.dc(), text.c_str(), int(text.size()), &size);
        return int(size.cx);
    };
    std::vector<int> edges = {0};
    for (const Cell& cell : cells) {
        const int tw = width(g_hTextFont.get(), cell.title) + (cell.id <= 1 ? 19 : 0);
        edges.push_back(edges.back() + 20 + std::max(tw, width(g_hValueFont.get(), cell.value)));
    }
    return edges;
}

// A line of separator colour from y 5 to 44 and no further.
bool IsSeparatorAt(const Canvas& canvas, int x) {
    return canvas.Count(RECT{x, 5, x + 1, 45}, kSeparator) == 40 && canvas.Pixel(x, 4) != kSeparator &&
           canvas.Pixel(x, 45) != kSeparator;
}

int CountSeparators(const Canvas& canvas) {
    int count = 0;
    for (int x = 0; x < canvas.width(); ++x) {
        count += IsSeparatorAt(canvas, x);
    }
    return count;
}

// The given columns (id, shown, coloured) first, then every other id hidden.
std::string LayoutOf(const std::vector<std::tuple<int, bool, bool>>& front) {
    std::ostringstream ini;
    ini << "[Kestrova]\r\n";
    std::vector<bool> placed(36, false);
    int position = 0;
    for (const auto& [id, shown, coloured] : front) {
        ini << position++ << "=" << id << "|" << shown << "|" << coloured << "\r\n";
        placed[id] = true;
    }
    for (int id = 0; id < 36; ++id) {
        if (!placed[id]) {
            ini << position++ << "=" << id << "|0|0\r\n";
        }
    }
    return ini.str();
}

class FundsBarPaint : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        host.accounts.push_back(host.store.MakeAccount("K1", "1001"));
        host.funds.push_back(host.store.MakeFunds("1001", "Base",
                                                  {{Funds::Balance, 1234.5},
                                                   {Funds::Value, 2000.0},
                                                   {Funds::ExchangeFee, -3.25},
                                                   {Funds::NetPnl, 10.0},
                                                   {Funds::PnlRate, 0.1234},
                                                   {Funds::RiskRate, 0.1234}}));
    }

    static void Paint(TKestrovaWnd& bar, Canvas& canvas) {
        canvas.Fill(kBackground);
        bar.DrawBar(canvas.dc(), RECT{0, 0, canvas.width(), canvas.height()});
        GdiFlush();
    }
};

} // namespace

TEST_F(FundsBarPaint, DefaultLayoutDrawsTenCellsAtTheirMeasuredWidths) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1600, 50);
    Paint(*bar, canvas);

    const std::vector<Cell> cells = {{0, L"Account No.", L"1001"},
                                     {1, L"Currency", L"Base"},
                                     {3, L"Account Balance", L"1234.50"},
                                     {4, L"Account Value", L"2000.00"},
                                     {8, L"Exchange Fee", L"-3.25"},
                                     {19, L"Net PnL", L"10.00"},
                                     {20, L"PnL%", L"12.34%"},
                                     {21, L"Unrealized PnL", L"0.00"},
                                     {25, L"Adjustment", L"0.00"},
                                     {26, L"Risk%", L"0.12"}};
    const std::vector<int> edges = CellEdges(cells);
    EXPECT_EQ(CountSeparators(canvas), 9);
    EXPECT_FALSE(IsSeparatorAt(canvas, edges[0]));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(IsSeparatorAt(canvas, edges[i]), i > 0) << "cell " << i << " at " << edges[i];
        EXPECT_GT(CountNear(canvas, RECT{edges[i] + 1, 0, edges[i + 1], 24}, kTitle), 0) << "title " << i;
        EXPECT_GT(CountNear(canvas, RECT{edges[i] + 1, 28, edges[i + 1], 50}, kPlain), 0) << "value " << i;
    }
    EXPECT_EQ(CountNear(canvas, RECT{0, 0, 1600, 50}, kColoured), 0);
    EXPECT_EQ(canvas.CountOther(RECT{edges.back() + 1, 0, 1600, 50}, kBackground), 0);

    // Drop marks of the first two cells: two strokes meeting 15 pixels down.
    for (int cell = 0; cell < 2; ++cell) {
        const int a = edges[cell + 1] - 14;
        EXPECT_EQ(canvas.Pixel(a + 2, 12), kSeparator);
        EXPECT_EQ(canvas.Pixel(a + 5, 15), kSeparator);
        EXPECT_EQ(canvas.Pixel(a + 8, 12), kSeparator);
    }
    const RECT account = {edges[0], 0, edges[1], 50}, currency = {edges[1], 0, edges[2], 50};
    EXPECT_TRUE(EqualRect(&bar->m_rcAccount, &account));
    EXPECT_TRUE(EqualRect(&bar->m_rcCurrency, &currency));
}

TEST_F(FundsBarPaint, StoredLayoutAndIgnoreFileDecideTheCells) {
    // Position 0 is hidden, so even the first visible cell has a separator on its left.
    config.WriteLayout(LayoutOf({{5, false, false}, {26, true, true}, {3, true, false}, {8, true, false}}));
    config.WriteIgnore("[Kestrova]\r\nignorecol=8||\r\n");
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->m_vecSettings[3].nColId, 8);
    EXPECT_TRUE(bar->m_vecSettings[3].bIgnored);
    EXPECT_FALSE(bar->m_vecSettings[3].bShow);

    Canvas canvas(1200, 50);
    Paint(*bar, canvas);
    const std::vector<int> edges = CellEdges({{26, L"Risk%", L"0.12"}, {3, L"Account Balance", L"1234.50"}});
    EXPECT_TRUE(IsSeparatorAt(canvas, edges[0]));
    EXPECT_TRUE(IsSeparatorAt(canvas, edges[1]));
    // Two separators and no drop mark: the account and currency columns are hidden.
    EXPECT_EQ(canvas.Count(RECT{0, 0, 1200, 50}, kSeparator), 80);
    EXPECT_GT(CountNear(canvas, RECT{edges[0] + 1, 28, edges[1], 50}, kColoured), 0);
    EXPECT_EQ(CountNear(canvas, RECT{edges[1] + 1, 28, edges[2], 50}, kColoured), 0);
}

TEST_F(FundsBarPaint, WindowLightsTheDropCellUnderTheMouseUntilItLeaves) {
    TKestrovaWnd* bar = OpenBar(1000, 50);
    ASSERT_NE(bar, nullptr);
    const RECT account = bar->m_rcAccount;
    ASSERT_GT(account.right, 0);
    PointAt(*bar, POINT{(account.left + account.right) / 2, 45});
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    UpdateWindow(bar->m_hWnd);

    Canvas canvas(1000, 50);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_GT(canvas.Count(account, RGB(0, 0, 0)), 200);
    EXPECT_EQ(canvas.Count(bar->m_rcCurrency, RGB(0, 0, 0)), 0);
    EXPECT_GT(canvas.Count(RECT{account.right + 1, 0, 1000, 50}, kBackground), 1000);

    SendMessageW(bar->m_hWnd, WM_MOUSELEAVE, 0, 0);
    UpdateWindow(bar->m_hWnd);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(account, RGB(0, 0, 0)), 0);
}

namespace {

std::wstring g_menuText;
UINT g_menuId = 0;

// Runs inside the menu's own loop: reads the open popup menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    const HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
    if (hMenuWnd && IsWindowVisible(hMenuWnd)) {
        const HMENU hMenu = reinterpret_cast<HMENU>(SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
        wchar_t text[64] = {};
        GetMenuStringW(hMenu, 0, text, 64, MF_BYPOSITION);
        g_menuText = GetMenuItemCount(hMenu) == 1 ? text : L"?";
        g_menuId = GetMenuItemID(hMenu, 0);
        EndMenu();
    }
}

class ChineseBar : public BarTest {
protected:
    ChineseBar() : BarTest(2052) {}
};

} // namespace

TEST_F(ChineseBar, RightClickOffersTheColumnDialog) {
    TKestrovaWnd* bar = OpenBar(800, 50);
    ASSERT_NE(bar, nullptr);
    PointAt(*bar, POINT{100, 20});
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadOpenMenu);
    SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(100, 20));
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_menuText, L"配置列头");
    EXPECT_EQ(g_menuId, 101u);
}

TEST_F(ChineseBar, TitlesDrawRealGlyphs) {
    TKestrovaWnd* bar = OpenBar(1200, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_vecSettings[0].szTitle, L"资金帐号");
    // A missing glyph would draw the same box for two different characters.
    Canvas first(24, 24), second(24, 24);
    for (auto [canvas, text] : {std::pair{&first, L"资"}, std::pair{&second, L"金"}}) {
        canvas->Fill(RGB(255, 255, 255));
        SelectScope font(canvas->dc(), g_hTextFont.get());
        TextOutW(canvas->dc(), 2, 2, text, 1);
    }
    GdiFlush();
    int differing = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            differing += first.Pixel(x, y) != second.Pixel(x, y);
        }
    }
    EXPECT_GT(first.CountOther(RECT{0, 0, 24, 24}, RGB(255, 255, 255)), 10);
    EXPECT_GT(differing, 10);
}
