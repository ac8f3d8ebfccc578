// Which account, currency and funds record a bar shows, as the user picks from its lists
// and the host reports changes.
#include "support/BarHarness.h"

#include "plugin/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

using Names = std::vector<std::wstring>;
using Queried = std::vector<std::pair<std::string, std::string>>;

namespace {

class FundsSelection : public testing_support::FundsTest {
protected:
    // Picks a row by name from one of the bar's lists, as a click on the row does.
    static void Pick(TKestrovaWnd& bar, bool account, const wchar_t* name) {
        TComboxList& list = account ? *bar.m_pAccountList : *bar.m_pCurrencyList;
        std::vector<ComboItem> rows;
        account ? bar.BuildAccountItems(rows) : bar.BuildCurrencyItems(rows);
        list.SetItems(rows);
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const ComboItem& r) { return r.name == std::wstring(name); });
        SendMessageW(bar.m_hWnd, TCM_SELCHANGED, reinterpret_cast<WPARAM>(list.m_hWnd), row - rows.begin());
    }
    // The names of a list's rows, after a click on the cell that must open it.
    static Names OpenList(TKestrovaWnd& bar, const RECT& cell, TComboxList& list) {
        ClickCell(bar, cell);
        Names names;
        for (const ComboItem& row : list.m_vecItems) {
            names.push_back(row.name);
        }
        const bool shown = IsWindowVisible(list.m_hWnd);
        ShowWindow(list.m_hWnd, SW_HIDE);
        return shown ? names : Names{L"(closed)"};
    }
    Queried Queries() const {
        Queried queries;
        for (const host::HostCall& call : host.Calls(host::Iface::TradeApi, host::slot::QueryFunds)) {
            queries.emplace_back(call.narrow1, call.narrow2);
        }
        return queries;
    }
    void Settle() { testing_support::PumpMessages(); }
};

} // namespace

TEST_F(FundsSelection, BaseFirstThenTheChosenCurrencyThenBaseOfTheNextAndQueriesForAnAccountWithout) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "1001");
    EXPECT_EQ(bar->m_pFunds, base1);
    Pick(*bar, false, L"CNY");
    EXPECT_EQ(bar->m_pFunds, cny1);

    // Picking what is shown changes nothing and paints nothing.
    ValidateRect(bar->m_hWnd, nullptr);
    Pick(*bar, true, L"1001");
    Pick(*bar, false, L"CNY");
    EXPECT_EQ(bar->m_pFunds, cny1);
    EXPECT_FALSE(GetUpdateRect(bar->m_hWnd, nullptr, FALSE));

    Pick(*bar, true, L"1002");
    EXPECT_EQ(bar->m_pFunds, base2);
    host.funds = {usd2};
    SendMessageW(bar->m_hWnd, FBM_ACCOUNTSCHANGED, 0, 0);
    EXPECT_EQ(bar->m_pFunds, usd2);
    EXPECT_TRUE(Queries().empty());

    Pick(*bar, true, L"1003");
    EXPECT_EQ(bar->m_pFunds, nullptr);
    EXPECT_EQ(Queries(), (Queried{{"1003", "K3"}}));
    void* base3 = Record("1003", "Base");
    host.SpiFundsNotice(base3);
    Settle();
    EXPECT_EQ(bar->m_pFunds, base3);
    EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(FundsSelection, ListsOpenBelowTheirCellsWithListableAccountsAndEachCurrencyOnce) {
    host.accounts.push_back(host.store.MakeAccount("K4", "1004", false));
    host.accounts.push_back(host.store.MakeAccount("K5", "1005", true, false));
    TKestrovaWnd* bar = OpenBar(1000, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(OpenList(*bar, bar->m_rcAccount, *bar->m_pAccountList),
              (Names{L"1001", L"1002", L"1003", L"", L""}));
    EXPECT_EQ(bar->m_pAccountList->m_vecItems[4].data, 4);
    RECT list = {};
    GetWindowRect(bar->m_pAccountList->m_hWnd, &list);
    POINT corner = {bar->m_rcAccount.left, bar->m_rcAccount.bottom};
    ClientToScreen(bar->m_hWnd, &corner);
    EXPECT_TRUE(list.left == corner.x && list.top == corner.y);
    EXPECT_EQ(OpenList(*bar, bar->m_rcCurrency, *bar->m_pCurrencyList), (Names{L"Base", L"CNY"}));

    // Once the currency column is hidden, its old place opens nothing.
    const RECT oldCurrency = bar->m_rcCurrency;
    bar->m_vecSettings[1].bShow = false;
    SendMessageW(bar->m_hWnd, FBM_COLUMNSCHANGED, 0, 0);
    EXPECT_EQ(OpenList(*bar, oldCurrency, *bar->m_pCurrencyList), Names{L"(closed)"});
}

TEST_F(FundsSelection, NoUsableFirstAccountShowsDashesAndQueriesWithEmptyTexts) {
    for (std::vector<void*> accounts :
         {std::vector<void*>{}, std::vector<void*>{nullptr, host.accounts[0]}}) {
        host.accounts = accounts;
        host.funds.clear();
        host.ClearCalls();
        TKestrovaWnd* bar = OpenBar(1000, 50);
        ASSERT_NE(bar, nullptr);
        Names shown;
        for (int id : {0, 1, 3}) {
            wchar_t text[260] = {};
            bar->FormatFundsValue(id, text);
            shown.push_back(text);
        }
        EXPECT_EQ(shown, (Names{L"--", L"", L"0.00"}));
        EXPECT_EQ(Queries(), (Queried{{"", ""}}));
        EXPECT_EQ(OpenList(*bar, bar->m_rcAccount, *bar->m_pAccountList) == Names{L"(closed)"},
                  accounts.empty());
    }
}

TEST_F(FundsSelection, LongAccountNumberIsCutWithoutSplittingACharacterAndQueriedAsShown) {
    // 23 ASCII bytes, then two double-byte characters: the first would straddle byte 24.
    const std::string longNumber = std::string("12345678901234567890123") + "\xD5\xCB\xBB\xA7";
    host.accounts = {host.store.MakeAccount("KL", longNumber)};
    host.funds.clear();
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "12345678901234567890123");
    EXPECT_EQ(Queries(), (Queried{{"12345678901234567890123", "KL"}}));
    void* base = Record(longNumber.c_str(), "Base");
    host.SpiFundsNotice(base);
    Settle();
    EXPECT_EQ(bar->m_pFunds, base);
}

TEST_F(FundsSelection, AnnouncedAccountMovesEveryBarButAPickMovesOnlyItsOwn) {
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    Pick(*first, true, L"1002");
    EXPECT_STREQ(second->m_szAccount, "1001");
    Pick(*second, false, L"CNY");
    host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1002");
    Settle();
    // The currency choice stays, and account 1002 has no CNY record.
    EXPECT_STREQ(second->m_szAccount, "1002");
    EXPECT_EQ(second->m_pFunds, nullptr);
    EXPECT_EQ(first->m_pFunds, base2);
    host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "UserNo=");
    Settle();
    EXPECT_STREQ(first->m_szAccount, "1002");
}

TEST_F(FundsSelection, FundsNoticesAddNewNonEmptyRecordsOnceAndChooseAgain) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const int listed = FundsList().Count();
    void* hkd2 = Record("1002", "HKD");
    host.SpiFundsNotice(hkd2);
    host.SpiFundsNotice(hkd2);
    Settle();
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_EQ(bar->m_pFunds, base1);

    // An empty record adds nothing but repaints: only the notices are delivered, no paint.
    ValidateRect(bar->m_hWnd, nullptr);
    host.SpiFundsNotice(host.store.MakeFunds("1001", "USD", {{host::Funds::Premium, 7.0}}));
    for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE);) {
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_TRUE(GetUpdateRect(bar->m_hWnd, nullptr, FALSE));

    // A base record for an account shown in a chosen currency does not take over.
    Pick(*bar, false, L"CNY");
    host.SpiFundsNotice(Record("1001", "XBase"));
    Settle();
    EXPECT_EQ(bar->m_pFunds, cny1);
}

TEST_F(FundsSelection, RefreshDropsEmptyRecordsAdjacentOnesIncluded) {
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{host::Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{host::Funds::Value, std::nan("")}});
    host.funds = {emptyA, emptyB, cny1, nanRecord, base1};
    ASSERT_NE(OpenBar(), nullptr);
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1}));
    host.funds = {base1, emptyA, emptyB};
    host.SpiCompletionNotice(0, 26);
    Settle();
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{base1}));
}

namespace {

// Whether the window shows what its state draws now, and whether that differs from before.
struct Screen {
    using Pixels = std::vector<COLORREF>;
    static Pixels Of(const testing_support::Canvas& canvas) {
        Pixels pixels;
        for (int i = 0; i < canvas.width() * canvas.height(); ++i) {
            pixels.push_back(canvas.Pixel(i % canvas.width(), i / canvas.width()));
        }
        return pixels;
    }
    // The window's pixels now, taken without letting it paint first.
    Pixels Take() const {
        testing_support::Canvas shot(900, 50);
        testing_support::CaptureWindow(bar.m_hWnd, shot);
        return Of(shot);
    }
    bool ShowsCurrentState() const {
        testing_support::Canvas drawn(900, 50);
        drawn.Fill(RGB(40, 40, 40));
        bar.DrawBar(drawn.dc(), RECT{0, 0, 900, 50});
        return Take() == Of(drawn);
    }
    TKestrovaWnd& bar;
};

} // namespace

TEST_F(FundsSelection, AnotherAccountCurrencyOrRecordIsOnScreenAtOnce) {
    TKestrovaWnd* bar = OpenBar(900, 50);
    ASSERT_NE(bar, nullptr);
    PointAt(*bar, POINT{890, 200}); // below the bar: no cell is lit
    const Screen screen{*bar};
    void* base3 = Record("1003", "Base", 777.0);
    // Each change is followed by a look at the window before any other message is handled.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"an account without funds", [&] { Pick(*bar, true, L"1003"); }},
        {"its funds arriving", [&] { SendMessageW(bar->m_hWnd, FBM_FUNDSCHANGED, 0, LPARAM(base3)); }},
        {"an announced account",
         [&] {
             g_strUserNo.Set("1001");
             SendMessageW(bar->m_hWnd, FBM_USERNOUPDATE, 0, 0);
         }},
        {"a currency", [&] { Pick(*bar, false, L"CNY"); }},
    };
    for (const auto& [change, apply] : changes) {
        UpdateWindow(bar->m_hWnd);
        const Screen::Pixels before = screen.Take();
        apply();
        EXPECT_TRUE(screen.ShowsCurrentState()) << change;
        EXPECT_NE(before, screen.Take()) << change;
    }
    EXPECT_EQ(bar->m_pFunds, cny1);
}

TEST_F(FundsSelection, ANoticeRepaintsOnlyTheBarsShowingItsAccount) {
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    Pick(*second, true, L"1002");
    // Which bars have something to paint after each notice: first shows 1001, second 1002.
    const std::tuple<const char*, UINT, void*, bool, bool> notices[] = {
        {"the first bar's record", FBM_FUNDSCHANGED, base1, true, false},
        {"a new currency of the second bar's account", FBM_FUNDSCHANGED, Record("1002", "HKD"), false, true},
        {"an account neither shows", FBM_FUNDSCHANGED, Record("1003", "Base"), false, false},
        {"an empty record of the first bar's account", FBM_FUNDSCHANGED, host.store.MakeFunds("1001", "EUR"),
         true, false},
        {"a null record", FBM_FUNDSCHANGED, nullptr, false, false},
        {"accounts changed", FBM_ACCOUNTSCHANGED, nullptr, true, true},
    };
    for (const auto& [notice, uMsg, record, firstPaints, secondPaints] : notices) {
        Settle();
        PostToAllBars(uMsg, reinterpret_cast<LPARAM>(record));
        for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
        EXPECT_EQ(GetUpdateRect(first->m_hWnd, nullptr, FALSE) != FALSE, firstPaints) << notice;
        EXPECT_EQ(GetUpdateRect(second->m_hWnd, nullptr, FALSE) != FALSE, secondPaints) << notice;
    }
    EXPECT_EQ(first->m_pFunds, base1);
    EXPECT_EQ(second->m_pFunds, base2);
}
