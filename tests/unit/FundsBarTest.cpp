// The funds bar as the host drives it: layout and painting of its cells, and which
// account, currency and record it shows as the user and the host change them.
#include "support/BarHarness.h"

#include "plugin/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

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

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int CountNear(const Canvas& canvas, const RECT& rc, COLORREF colour) {
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            count += Near(canvas.Pixel(x, y), colour) ? 1 : 0;
        }
    }
    return count;
}

int TextWidth(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return size.cx;
}

struct Cell {
    int id;
    std::wstring title;
    std::wstring value;
};

// Left edges of the cells and the right edge of the last, from the texts' measured widths.
std::vector<int> CellEdges(const std::vector<Cell>& cells) {
    std::vector<int> edges = {0};
    for (const Cell& cell : cells) {
        const int tw = TextWidth(g_hTextFont.get(), cell.title);
        const int vw = TextWidth(g_hValueFont.get(), cell.value);
        const int w = (cell.id <= 1) ? std::max(tw + 19, vw) : std::max(tw, vw);
        edges.push_back(edges.back() + 20 + w);
    }
    return edges;
}

// A column of separator colour from y 5 to 44.
bool IsSeparatorAt(const Canvas& canvas, int x) {
    for (int y = 5; y < 45; ++y) {
        if (canvas.Pixel(x, y) != kSeparator) {
            return false;
        }
    }
    return canvas.Pixel(x, 4) != kSeparator && canvas.Pixel(x, 45) != kSeparator;
}

int CountSeparators(const Canvas& canvas) {
    int count = 0;
    for (int x = 0; x < canvas.width(); ++x) {
        count += IsSeparatorAt(canvas, x) ? 1 : 0;
    }
    return count;
}

std::string Layout(const std::vector<std::string>& values) {
    std::ostringstream ini;
    ini << "[Kestrova]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        ini << i << "=" << values[i] << "\r\n";
    }
    return ini.str();
}

struct Stored {
    int id;
    bool shown;
    bool coloured;
};

// The given columns first, then every other id hidden, in id order.
std::string LayoutOf(const std::vector<Stored>& front) {
    std::vector<std::string> values;
    std::vector<bool> placed(36, false);
    for (const Stored& column : front) {
        values.push_back(std::to_string(column.id) + "|" + (column.shown ? "1" : "0") + "|" +
                         (column.coloured ? "1" : "0"));
        placed[column.id] = true;
    }
    for (int id = 0; id < 36; ++id) {
        if (!placed[id]) {
            values.push_back(std::to_string(id) + "|0|0");
        }
    }
    return Layout(values);
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

    void Paint(TKestrovaWnd& bar, Canvas& canvas) {
        canvas.Fill(kBackground);
        const RECT rc = {0, 0, canvas.width(), canvas.height()};
        bar.DrawBar(canvas.dc(), rc);
        GdiFlush();
    }
};

} // namespace

TEST_F(FundsBarPaint, DefaultLayoutDrawsTenCellsAtTheirMeasuredWidths) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1600, 50);
    Paint(*bar, canvas);

    const std::vector<Cell> cells = {{0, L"Account No.", L"1001"},    {1, L"Currency", L"Base"},
                                     {3, L"Account Balance", L"1234.50"}, {4, L"Account Value", L"2000.00"},
                                     {8, L"Exchange Fee", L"-3.25"},  {19, L"Net PnL", L"10.00"},
                                     {20, L"PnL%", L"12.34%"},        {21, L"Unrealized PnL", L"0.00"},
                                     {25, L"Adjustment", L"0.00"},    {26, L"Risk%", L"0.12"}};
    const std::vector<int> edges = CellEdges(cells);
    EXPECT_EQ(CountSeparators(canvas), 9);
    EXPECT_FALSE(IsSeparatorAt(canvas, edges[0]));
    for (std::size_t i = 1; i < cells.size(); ++i) {
        EXPECT_TRUE(IsSeparatorAt(canvas, edges[i])) << "cell " << i << " at " << edges[i];
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const RECT titleBand = {edges[i] + 1, 0, edges[i + 1], 24};
        const RECT valueBand = {edges[i] + 1, 28, edges[i + 1], 50};
        EXPECT_GT(CountNear(canvas, titleBand, kTitle), 0) << "title of cell " << i;
        EXPECT_GT(CountNear(canvas, valueBand, kPlain), 0) << "value of cell " << i;
        EXPECT_EQ(CountNear(canvas, valueBand, kColoured), 0) << "value of cell " << i;
    }
    // Nothing is drawn beyond the last cell.
    EXPECT_EQ(canvas.CountOther(RECT{edges.back() + 1, 0, 1600, 50}, kBackground), 0);

    // Drop marks of the first two cells: two strokes meeting 15 pixels down.
    for (int cell = 0; cell < 2; ++cell) {
        const int a = edges[cell + 1] - 9 - 5;
        EXPECT_EQ(canvas.Pixel(a + 2, 12), kSeparator);
        EXPECT_EQ(canvas.Pixel(a + 5, 15), kSeparator);
        EXPECT_EQ(canvas.Pixel(a + 8, 12), kSeparator);
    }
    EXPECT_EQ(bar->m_rcAccount.left, edges[0]);
    EXPECT_EQ(bar->m_rcAccount.right, edges[1]);
    EXPECT_EQ(bar->m_rcAccount.bottom, 50);
    EXPECT_EQ(bar->m_rcCurrency.left, edges[1]);
    EXPECT_EQ(bar->m_rcCurrency.right, edges[2]);
}

TEST_F(FundsBarPaint, StoredLayoutDecidesOrderShownCellsAndColour) {
    // Position 0 hidden, so even the first visible cell has a separator on its left.
    config.WriteLayout(LayoutOf({{5, false, false}, {26, true, true}, {0, true, false}, {3, true, false}}));

    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    Canvas canvas(1200, 50);
    Paint(*bar, canvas);

    const std::vector<Cell> cells = {{26, L"Risk%", L"0.12"}, {0, L"Account No.", L"1001"},
                                     {3, L"Account Balance", L"1234.50"}};
    const std::vector<int> edges = CellEdges(cells);
    EXPECT_EQ(CountSeparators(canvas), 3);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_TRUE(IsSeparatorAt(canvas, edges[i])) << "cell " << i;
    }
    EXPECT_GT(CountNear(canvas, RECT{edges[0] + 1, 28, edges[1], 50}, kColoured), 0);
    EXPECT_EQ(CountNear(canvas, RECT{edges[1] + 1, 28, edges[3], 50}, kColoured), 0);
}

TEST_F(FundsBarPaint, IgnoredColumnDisappearsAndKeepsItsPlace) {
    config.WriteIgnore("[Kestrova]\r\nignorecol=3|26\r\n");
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->m_vecSettings.size(), 36u);
    EXPECT_TRUE(bar->m_vecSettings[3].bIgnored);
    EXPECT_FALSE(bar->m_vecSettings[3].bShow);
    EXPECT_TRUE(bar->m_vecSettings[26].bIgnored);
    EXPECT_EQ(bar->m_vecSettings[26].nColId, 26);
    Canvas canvas(1600, 50);
    Paint(*bar, canvas);
    EXPECT_EQ(CountSeparators(canvas), 7);
}

TEST_F(FundsBarPaint, HiddenAccountColumnDrawsNoDropMark) {
    config.WriteLayout(LayoutOf({{1, false, false}, {3, true, false}}));
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    Canvas canvas(600, 50);
    Paint(*bar, canvas);
    // Only the separator left of the one cell has the separator colour.
    int separatorPixels = canvas.Count(RECT{0, 0, 600, 50}, kSeparator);
    EXPECT_EQ(separatorPixels, 40);
}

TEST_F(FundsBarPaint, WindowShowsTheBarAndLightsTheDropCellUnderTheMouse) {
    TKestrovaWnd* bar = OpenBar(1000, 50);
    ASSERT_NE(bar, nullptr);
    testing_support::PumpMessages();
    const RECT account = bar->m_rcAccount;
    ASSERT_GT(account.right, 0);

    POINT centre = {(account.left + account.right) / 2, 45};
    ClientToScreen(bar->m_hWnd, &centre);
    SetCursorPos(centre.x, centre.y);
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    UpdateWindow(bar->m_hWnd);
    EXPECT_TRUE(bar->m_bAccountHot);
    EXPECT_FALSE(bar->m_bCurrencyHot);

    Canvas canvas(1000, 50);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_GT(canvas.Count(RECT{account.left, 0, account.right, 50}, RGB(0, 0, 0)), 200);
    EXPECT_EQ(canvas.Count(bar->m_rcCurrency, RGB(0, 0, 0)), 0);
    EXPECT_GT(canvas.Count(RECT{account.right + 1, 0, 1000, 50}, kBackground), 1000);

    SendMessageW(bar->m_hWnd, WM_MOUSELEAVE, 0, 0);
    UpdateWindow(bar->m_hWnd);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(RECT{account.left, 0, account.right, 50}, RGB(0, 0, 0)), 0);
}

namespace {

struct MenuSeen {
    std::wstring text;
    UINT id = 0;
    int items = 0;
};
MenuSeen g_menuSeen;

// Runs inside the menu's own loop: reads the open popup menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
    if (!hMenuWnd || !IsWindowVisible(hMenuWnd)) {
        return;
    }
    const HMENU hMenu = reinterpret_cast<HMENU>(SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
    wchar_t text[64] = {};
    GetMenuStringW(hMenu, 0, text, 64, MF_BYPOSITION);
    g_menuSeen = MenuSeen{text, GetMenuItemID(hMenu, 0), GetMenuItemCount(hMenu)};
    KillTimer(nullptr, timer);
    EndMenu();
}

class FundsBarMenu : public BarTest {
protected:
    FundsBarMenu() : BarTest(2052) {}
};

} // namespace

TEST_F(FundsBarMenu, RightClickOffersTheColumnDialogInTheBarsLanguage) {
    TKestrovaWnd* bar = OpenBar(800, 50);
    ASSERT_NE(bar, nullptr);
    SetCursorPos(100, 20);
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ReadOpenMenu);
    SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(100, 20));
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_menuSeen.items, 1);
    EXPECT_EQ(g_menuSeen.id, 101u);
    EXPECT_EQ(g_menuSeen.text, L"配置列头");

    // The command, and a double click, leave the columns as they are while no dialog exists.
    const std::vector<ColumnSetting> before = bar->m_vecSettings;
    SendMessageW(bar->m_hWnd, WM_COMMAND, 101, 0);
    SendMessageW(bar->m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ASSERT_EQ(bar->m_vecSettings.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(bar->m_vecSettings[i].nColId, before[i].nColId);
        EXPECT_EQ(bar->m_vecSettings[i].bShow, before[i].bShow);
    }
}

TEST_F(FundsBarMenu, ChineseTitlesDrawRealGlyphs) {
    TKestrovaWnd* bar = OpenBar(1200, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_vecSettings[0].szTitle, L"资金帐号");
    // Two different characters drawn with the bar's font must differ: a missing glyph
    // would draw the same box for both.
    auto draw = [](const wchar_t* text, Canvas& canvas) {
        canvas.Fill(RGB(255, 255, 255));
        HGDIOBJ previous = SelectObject(canvas.dc(), g_hTextFont.get());
        TextOutW(canvas.dc(), 2, 2, text, 1);
        SelectObject(canvas.dc(), previous);
        GdiFlush();
    };
    Canvas first(24, 24), second(24, 24);
    draw(L"资", first);
    draw(L"金", second);
    int differing = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            differing += first.Pixel(x, y) != second.Pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(first.CountOther(RECT{0, 0, 24, 24}, RGB(255, 255, 255)), 10);
    EXPECT_GT(differing, 10);
}
