// Which account, currency and funds record a bar shows, as the user picks from its lists
// and the host reports changes.
#include "support/BarHarness.h"

#include "fundsbar/FundsFields.h"
#include "plugin/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <cmath>

using host::Funds;
using host::Iface;
using testing_support::BarTest;
namespace slot = host::slot;

namespace {

class FundsSelection : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        host.accounts = {host.store.MakeAccount("K1", "1001"), host.store.MakeAccount("K2", "1002"),
                         host.store.MakeAccount("K3", "1003")};
        host.currencies = {host.store.MakeCurrency("Base"), host.store.MakeCurrency("CNY"),
                           host.store.MakeCurrency("USD"), host.store.MakeCurrency("CNY"),
                           host.store.MakeCurrency("HKD")};
        cny1 = MakeFunds("1001", "CNY", 1.0);
        base1 = MakeFunds("1001", "Base", 2.0);
        usd2 = MakeFunds("1002", "USD", 3.0);
        base2 = MakeFunds("1002", "Base", 4.0);
        host.funds = {cny1, base1, usd2, base2};
    }

    void* MakeFunds(const char* account, const char* currency, double balance) {
        return host.store.MakeFunds(account, currency, {{Funds::Balance, balance}});
    }

    // Picks a row of one of the bar's lists as a click on it would.
    static void Pick(TKestrovaWnd& bar, TComboxList& list, const std::vector<ComboItem>& rows, const wchar_t* name) {
        list.SetItems(rows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (std::wstring(rows[i].name) == name) {
                SendMessageW(bar.m_hWnd, TCM_SELCHANGED, reinterpret_cast<WPARAM>(list.m_hWnd), LPARAM(i));
                return;
            }
        }
        ADD_FAILURE() << "no row " << testing_support::Utf8(name);
    }
    static void PickAccount(TKestrovaWnd& bar, const wchar_t* name) {
        std::vector<ComboItem> rows;
        bar.BuildAccountItems(rows);
        Pick(bar, *bar.m_pAccountList, rows, name);
    }
    static void PickCurrency(TKestrovaWnd& bar, const wchar_t* name) {
        std::vector<ComboItem> rows;
        bar.BuildCurrencyItems(rows);
        Pick(bar, *bar.m_pCurrencyList, rows, name);
    }
    static std::vector<std::wstring> Names(const std::vector<ComboItem>& rows) {
        std::vector<std::wstring> names;
        for (const ComboItem& row : rows) {
            names.push_back(row.name);
        }
        return names;
    }
    static bool NeedsRepaint(const TKestrovaWnd& bar) { return GetUpdateRect(bar.m_hWnd, nullptr, FALSE) != 0; }
    // Delivers the bars' queued notifications, and nothing else: no paint runs.
    static void DeliverNotices() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }

    std::vector<host::HostCall> Queries() const { return host.Calls(Iface::TradeApi, slot::QueryFunds); }

    void* cny1 = nullptr;
    void* base1 = nullptr;
    void* usd2 = nullptr;
    void* base2 = nullptr;
};

} // namespace

TEST_F(FundsSelection, BaseRecordFirstThenTheChosenCurrencyThenBaseOfTheNextAccount) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "1001");
    EXPECT_EQ(bar->m_pFunds, base1);
    EXPECT_TRUE(Queries().empty());

    PickCurrency(*bar, L"CNY");
    EXPECT_EQ(bar->m_strCurrency, "CNY");
    EXPECT_FALSE(bar->m_bPreferBase);
    EXPECT_EQ(bar->m_pFunds, cny1);

    PickAccount(*bar, L"1002");
    EXPECT_STREQ(bar->m_szAccount, "1002");
    EXPECT_TRUE(bar->m_strCurrency.empty());
    EXPECT_EQ(bar->m_pFunds, base2);
}

TEST_F(FundsSelection, AccountWithoutBaseShowsItsFirstRecord) {
    host.funds = {usd2, cny1};
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->m_pFunds, cny1);
    PickAccount(*bar, L"1002");
    EXPECT_EQ(bar->m_pFunds, usd2);
}

TEST_F(FundsSelection, AccountWithoutFundsIsQueriedWithItsKey) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    PickAccount(*bar, L"1003");
    EXPECT_EQ(bar->m_pFunds, nullptr);
    const std::vector<host::HostCall> queries = Queries();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].narrow1, "1003");
    EXPECT_EQ(queries[0].narrow2, "K3");

    // The answer arrives as a funds notice and is shown.
    void* base3 = MakeFunds("1003", "Base", 9.0);
    host.SpiFundsNotice(base3);
    Settle();
    EXPECT_EQ(bar->m_pFunds, base3);
    EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(FundsSelection, PickingTheShownAccountOrCurrencyChangesNothing) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    PickCurrency(*bar, L"CNY");
    ValidateRect(bar->m_hWnd, nullptr);
    PickAccount(*bar, L"1001");
    EXPECT_EQ(bar->m_strCurrency, "CNY");
    EXPECT_EQ(bar->m_pFunds, cny1);
    EXPECT_FALSE(NeedsRepaint(*bar));
    PickCurrency(*bar, L"CNY");
    EXPECT_FALSE(NeedsRepaint(*bar));
}

TEST_F(FundsSelection, ListRowsNameListableAccountsAndEachCurrencyOfTheAccountOnce) {
    host.accounts.push_back(host.store.MakeAccount("K4", "1004", false));
    host.accounts.push_back(host.store.MakeAccount("K5", "1005", true, false));
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);

    std::vector<ComboItem> accounts;
    bar->BuildAccountItems(accounts);
    EXPECT_EQ(Names(accounts), (std::vector<std::wstring>{L"1001", L"1002", L"1003", L"", L""}));
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        EXPECT_EQ(accounts[i].data, int(i));
        EXPECT_TRUE(accounts[i].checked);
        EXPECT_STREQ(accounts[i].desc, L"");
    }

    std::vector<ComboItem> currencies;
    bar->BuildCurrencyItems(currencies);
    EXPECT_EQ(Names(currencies), (std::vector<std::wstring>{L"Base", L"CNY"}));
    EXPECT_EQ(currencies[1].data, 1);
}

TEST_F(FundsSelection, ClickOnADropCellOpensItsListBelowTheCell) {
    TKestrovaWnd* bar = OpenBar(1000, 50);
    ASSERT_NE(bar, nullptr);
    auto clickAt = [&](const RECT& cell) {
        POINT pt = {(cell.left + cell.right) / 2, 25};
        ClientToScreen(bar->m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageW(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    };
    clickAt(bar->m_rcAccount);
    ASSERT_TRUE(IsWindowVisible(bar->m_pAccountList->m_hWnd));
    EXPECT_EQ(bar->m_pAccountList->m_vecItems.size(), 3u);
    RECT list = {};
    GetWindowRect(bar->m_pAccountList->m_hWnd, &list);
    POINT corner = {bar->m_rcAccount.left, bar->m_rcAccount.bottom};
    ClientToScreen(bar->m_hWnd, &corner);
    EXPECT_EQ(list.left, corner.x);
    EXPECT_EQ(list.top, corner.y);
    EXPECT_GE(list.right - list.left, bar->m_rcAccount.right - bar->m_rcAccount.left);
    ShowWindow(bar->m_pAccountList->m_hWnd, SW_HIDE);

    clickAt(bar->m_rcCurrency);
    EXPECT_TRUE(IsWindowVisible(bar->m_pCurrencyList->m_hWnd));
    EXPECT_EQ(Names(bar->m_pCurrencyList->m_vecItems), (std::vector<std::wstring>{L"Base", L"CNY"}));
    ShowWindow(bar->m_pCurrencyList->m_hWnd, SW_HIDE);

    // Once the currency column is hidden, its old place opens nothing.
    const RECT oldCurrency = bar->m_rcCurrency;
    bar->m_vecSettings[1].bShow = false;
    SendMessageW(bar->m_hWnd, FBM_COLUMNSCHANGED, 0, 0);
    EXPECT_TRUE(IsRectEmpty(&bar->m_rcCurrency));
    clickAt(oldCurrency);
    EXPECT_FALSE(IsWindowVisible(bar->m_pCurrencyList->m_hWnd));
}

TEST_F(FundsSelection, EmptyAccountListShowsDashesAndQueriesWithEmptyTexts) {
    host.accounts.clear();
    host.funds.clear();
    TKestrovaWnd* bar = OpenBar(1000, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "");
    const std::vector<std::wstring> values = ShownValues(*bar);
    ASSERT_GE(values.size(), 3u);
    EXPECT_EQ(values[0], L"--");
    EXPECT_EQ(values[1], L"");
    EXPECT_EQ(values[2], L"0.00");
    const std::vector<host::HostCall> queries = Queries();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].narrow1, "");
    EXPECT_EQ(queries[0].narrow2, "");

    POINT pt = {(bar->m_rcAccount.left + bar->m_rcAccount.right) / 2, 25};
    ClientToScreen(bar->m_hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
    SendMessageW(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_FALSE(IsWindowVisible(bar->m_pAccountList->m_hWnd));
}

TEST_F(FundsSelection, NullFirstAccountRecordLeavesTheBarWithoutAnAccount) {
    host.accounts.insert(host.accounts.begin(), nullptr);
    host.funds.clear();
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "");
    ASSERT_EQ(Queries().size(), 1u);
    EXPECT_EQ(Queries()[0].narrow1, "");
    std::vector<ComboItem> rows;
    bar->BuildAccountItems(rows);
    EXPECT_EQ(Names(rows), (std::vector<std::wstring>{L"", L"1001", L"1002", L"1003"}));
    PickAccount(*bar, L"1002");
    EXPECT_EQ(bar->m_pFunds, nullptr);
    EXPECT_EQ(Queries().back().narrow1, "1002");
    EXPECT_EQ(Queries().back().narrow2, "K2");
}

TEST_F(FundsSelection, LongAccountNumberIsCutWithoutSplittingACharacterAndQueriedAsShown) {
    // 23 ASCII bytes, then two double-byte characters: the first would straddle byte 24.
    const std::string longNumber = std::string("12345678901234567890123") + "\xD5\xCB\xBB\xA7";
    host.accounts = {host.store.MakeAccount("KL", longNumber)};
    host.funds.clear();
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const std::string shown = "12345678901234567890123";
    EXPECT_EQ(std::string(bar->m_szAccount), shown);
    const std::vector<host::HostCall> queries = Queries();
    ASSERT_EQ(queries.size(), 1u);
    EXPECT_EQ(queries[0].narrow1, shown);
    EXPECT_EQ(queries[0].narrow2, "KL");
    EXPECT_EQ(ShownValues(*bar)[0], L"12345678901234567890123");

    // Records of that account, cut the same way, are found.
    void* base = host.store.MakeFunds(longNumber, "Base", {{Funds::Balance, 1.0}});
    host.SpiFundsNotice(base);
    Settle();
    EXPECT_EQ(bar->m_pFunds, base);
}

TEST_F(FundsSelection, AnnouncedAccountMovesEveryBarButAPickMovesOnlyItsOwn) {
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    PickAccount(*first, L"1002");
    EXPECT_STREQ(first->m_szAccount, "1002");
    EXPECT_STREQ(second->m_szAccount, "1001");

    PickCurrency(*second, L"CNY");
    host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1002");
    Settle();
    EXPECT_STREQ(first->m_szAccount, "1002");
    EXPECT_STREQ(second->m_szAccount, "1002");
    // The currency choice stays: account 1002 has no CNY record.
    EXPECT_EQ(second->m_strCurrency, "CNY");
    EXPECT_EQ(second->m_pFunds, nullptr);
    EXPECT_EQ(first->m_pFunds, base2);

    // An announcement that ends with its "=" leaves every bar where it is.
    host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "UserNo=");
    Settle();
    EXPECT_STREQ(first->m_szAccount, "1002");
}

TEST_F(FundsSelection, FundsNoticesAddNewNonEmptyRecordsAndChooseAgain) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const int listed = FundsList().Count();

    void* hkd2 = MakeFunds("1002", "HKD", 5.0);
    host.SpiFundsNotice(hkd2);
    host.SpiFundsNotice(hkd2);
    Settle();
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_EQ(bar->m_pFunds, base1);

    ValidateRect(bar->m_hWnd, nullptr);
    void* empty = host.store.MakeFunds("1001", "USD", {{Funds::Premium, 7.0}});
    host.SpiFundsNotice(empty);
    DeliverNotices();
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_TRUE(NeedsRepaint(*bar));

    // A base record arriving for an account shown in another currency takes over only while
    // the bar prefers base.
    PickCurrency(*bar, L"CNY");
    void* base1b = MakeFunds("1001", "XBase", 6.0);
    host.SpiFundsNotice(base1b);
    Settle();
    EXPECT_EQ(bar->m_pFunds, cny1);
}

TEST_F(FundsSelection, RefreshDropsEmptyRecordsAdjacentOnesIncluded) {
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{Funds::Value, std::nan("")}});
    host.funds = {emptyA, emptyB, cny1, nanRecord, base1};
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1}));

    host.funds = {base1, emptyA, emptyB};
    host.SpiAccountsNotice(1, 0);
    Settle();
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{base1}));
}

TEST_F(FundsSelection, AccountNoticeReadsAccountsAndFundsAgain) {
    host.accounts.clear();
    host.funds.clear();
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "");

    host.accounts = {host.store.MakeAccount("K2", "1002")};
    host.funds = {usd2, base2};
    host.SpiCompletionNotice(0, 26);
    Settle();
    EXPECT_STREQ(bar->m_szAccount, "1002");
    EXPECT_EQ(bar->m_pFunds, base2);
}
