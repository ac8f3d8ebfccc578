// Which account, currency and funds record a bar shows, as the user picks from its lists
// and the host reports changes.
#include "support/BarHarness.h"

#include "plugin/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using host::Funds;
using testing_support::BarTest;

namespace {

class FundsSelection : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        host.accounts = {host.store.MakeAccount("K1", "1001"), host.store.MakeAccount("K2", "1002"),
                         host.store.MakeAccount("K3", "1003")};
        for (const char* code : {"Base", "CNY", "USD", "CNY", "HKD"}) {
            host.currencies.push_back(host.store.MakeCurrency(code));
        }
        host.funds = {cny1, base1, usd2, base2};
    }

    void* Record(const char* account, const char* currency, double balance = 1.0) {
        return host.store.MakeFunds(account, currency, {{Funds::Balance, balance}});
    }

    // Picks a row by name from one of the bar's lists, as a click on the row does.
    static void Pick(TKestrovaWnd& bar, bool account, const wchar_t* name) {
        std::vector<ComboItem> rows;
        account ? bar.BuildAccountItems(rows) : bar.BuildCurrencyItems(rows);
        TComboxList& list = account ? *bar.m_pAccountList : *bar.m_pCurrencyList;
        list.SetItems(rows);
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const ComboItem& r) { return r.name == std::wstring(name); });
        ASSERT_NE(row, rows.end());
        SendMessageW(bar.m_hWnd, TCM_SELCHANGED, reinterpret_cast<WPARAM>(list.m_hWnd), row - rows.begin());
    }
    static std::vector<std::wstring> Names(const std::vector<ComboItem>& rows) {
        std::vector<std::wstring> names;
        for (const ComboItem& row : rows) {
            names.push_back(row.name);
        }
        return names;
    }
    static bool NeedsRepaint(const TKestrovaWnd& bar) {
        return GetUpdateRect(bar.m_hWnd, nullptr, FALSE) != 0;
    }
    // Delivers the bars' queued notifications and nothing else: no paint runs.
    static void DeliverNotices() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    std::vector<std::pair<std::string, std::string>> Queries() const {
        std::vector<std::pair<std::string, std::string>> queries;
        for (const host::HostCall& call : host.Calls(host::Iface::TradeApi, host::slot::QueryFunds)) {
            queries.emplace_back(call.narrow1, call.narrow2);
        }
        return queries;
    }
    using Queried = std::vector<std::pair<std::string, std::string>>;

    void* cny1 = Record("1001", "CNY");
    void* base1 = Record("1001", "Base");
    void* usd2 = Record("1002", "USD");
    void* base2 = Record("1002", "Base");
};

} // namespace

TEST_F(FundsSelection, BaseRecordFirstThenTheChosenCurrencyThenBaseOfTheNextAccount) {
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
    EXPECT_FALSE(NeedsRepaint(*bar));

    Pick(*bar, true, L"1002");
    EXPECT_TRUE(bar->m_strCurrency.empty());
    EXPECT_EQ(bar->m_pFunds, base2);
    host.funds = {usd2};
    SendMessageW(bar->m_hWnd, FBM_ACCOUNTSCHANGED, 0, 0);
    EXPECT_EQ(bar->m_pFunds, usd2);
    EXPECT_TRUE(Queries().empty());
}

TEST_F(FundsSelection, AccountWithoutFundsIsQueriedWithItsKeyAndShowsTheAnswer) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
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
    ClickCell(*bar, bar->m_rcAccount);
    ASSERT_TRUE(IsWindowVisible(bar->m_pAccountList->m_hWnd));
    EXPECT_EQ(Names(bar->m_pAccountList->m_vecItems),
              (std::vector<std::wstring>{L"1001", L"1002", L"1003", L"", L""}));
    EXPECT_EQ(bar->m_pAccountList->m_vecItems[4].data, 4);
    RECT list = {};
    GetWindowRect(bar->m_pAccountList->m_hWnd, &list);
    POINT corner = {bar->m_rcAccount.left, bar->m_rcAccount.bottom};
    ClientToScreen(bar->m_hWnd, &corner);
    EXPECT_EQ(list.left, corner.x);
    EXPECT_EQ(list.top, corner.y);
    ShowWindow(bar->m_pAccountList->m_hWnd, SW_HIDE);

    ClickCell(*bar, bar->m_rcCurrency);
    EXPECT_TRUE(IsWindowVisible(bar->m_pCurrencyList->m_hWnd));
    EXPECT_EQ(Names(bar->m_pCurrencyList->m_vecItems), (std::vector<std::wstring>{L"Base", L"CNY"}));
    ShowWindow(bar->m_pCurrencyList->m_hWnd, SW_HIDE);

    // Once the currency column is hidden, its old place opens nothing.
    const RECT oldCurrency = bar->m_rcCurrency;
    bar->m_vecSettings[1].bShow = false;
    SendMessageW(bar->m_hWnd, FBM_COLUMNSCHANGED, 0, 0);
    EXPECT_TRUE(IsRectEmpty(&bar->m_rcCurrency));
    ClickCell(*bar, oldCurrency);
    EXPECT_FALSE(IsWindowVisible(bar->m_pCurrencyList->m_hWnd));
}

TEST_F(FundsSelection, NoUsableFirstAccountShowsDashesAndQueriesWithEmptyTexts) {
    void* const account = host.accounts[0];
    for (bool nullFirst : {false, true}) {
        host.accounts = nullFirst ? std::vector<void*>{nullptr, account} : std::vector<void*>{};
        host.funds.clear();
        host.ClearCalls();
        TKestrovaWnd* bar = OpenBar(1000, 50);
        ASSERT_NE(bar, nullptr);
        const std::vector<std::wstring> values = ShownValues(*bar);
        EXPECT_EQ(std::vector<std::wstring>(values.begin(), values.begin() + 3),
                  (std::vector<std::wstring>{L"--", L"", L"0.00"}));
        EXPECT_EQ(Queries(), (Queried{{"", ""}}));
        ClickCell(*bar, bar->m_rcAccount);
        EXPECT_EQ(IsWindowVisible(bar->m_pAccountList->m_hWnd) != 0, nullFirst);
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
    EXPECT_STREQ(second->m_szAccount, "1002");
    // The currency choice stays, and account 1002 has no CNY record.
    EXPECT_EQ(second->m_pFunds, nullptr);
    EXPECT_EQ(first->m_pFunds, base2);

    host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "UserNo=");
    Settle();
    EXPECT_STREQ(first->m_szAccount, "1002");
}

TEST_F(FundsSelection, FundsNoticesAddNewNonEmptyRecordsAndChooseAgain) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const int listed = FundsList().Count();
    void* hkd2 = Record("1002", "HKD");
    host.SpiFundsNotice(hkd2);
    host.SpiFundsNotice(hkd2);
    Settle();
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_EQ(bar->m_pFunds, base1);

    ValidateRect(bar->m_hWnd, nullptr);
    host.SpiFundsNotice(host.store.MakeFunds("1001", "USD", {{Funds::Premium, 7.0}}));
    DeliverNotices();
    EXPECT_EQ(FundsList().Count(), listed + 1);
    EXPECT_TRUE(NeedsRepaint(*bar));

    // A base record for an account shown in a chosen currency does not take over.
    Pick(*bar, false, L"CNY");
    host.SpiFundsNotice(Record("1001", "XBase"));
    Settle();
    EXPECT_EQ(bar->m_pFunds, cny1);
}

TEST_F(FundsSelection, RefreshDropsEmptyRecordsAdjacentOnesIncluded) {
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{Funds::Value, std::nan("")}});
    host.funds = {emptyA, emptyB, cny1, nanRecord, base1};
    ASSERT_NE(OpenBar(), nullptr);
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1}));

    host.funds = {base1, emptyA, emptyB};
    host.SpiCompletionNotice(0, 26);
    Settle();
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{base1}));
}
