// Which account, currency and funds record a bar shows, as the user picks from its lists and
// the host reports changes, and when the bar shows it.
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
    // The names of the rows a list of the bar would offer now.
    static Names Rows(TKestrovaWnd& bar, bool account) {
        std::vector<ComboItem> rows;
        account ? bar.BuildAccountItems(rows) : bar.BuildCurrencyItems(rows);
        Names names;
        for (const ComboItem& row : rows) {
            names.push_back(row.name);
        }
        return names;
    }
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
    Queried Queries() const {
        Queried queries;
        for (const host::HostCall& call : host.Calls(host::Iface::TradeApi, host::slot::QueryFunds)) {
            queries.emplace_back(call.narrow1, call.narrow2);
        }
        return queries;
    }
    // Delivers the bars' notices waiting in the queue, and nothing else: no paint.
    static void DeliverNotices() {
        for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    }
    static bool Invalid(const TKestrovaWnd* bar) {
        return GetUpdateRect(bar->m_hWnd, nullptr, FALSE) != FALSE;
    }
};

} // namespace

TEST_F(FundsSelection, BaseFirstThenTheChosenCurrencyThenBaseOfTheNextAndQueriesForAnAccountWithout) {
    host.accounts.push_back(host.store.MakeAccount("K4", "1004", false));
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->m_szAccount, "1001");
    EXPECT_EQ(bar->m_pFunds, base1);
    // Listable accounts by number, each currency of the account's records once.
    EXPECT_EQ(Rows(*bar, true), (Names{L"1001", L"1002", L"1003", L""}));
    EXPECT_EQ(Rows(*bar, false), (Names{L"Base", L"CNY"}));
    Pick(*bar, false, L"CNY");
    EXPECT_EQ(bar->m_pFunds, cny1);

    // Picking what is shown changes nothing and paints nothing.
    ValidateRect(bar->m_hWnd, nullptr);
    Pick(*bar, true, L"1001");
    Pick(*bar, false, L"CNY");
    EXPECT_EQ(bar->m_pFunds, cny1);
    EXPECT_FALSE(Invalid(bar));

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
    testing_support::PumpMessages();
    EXPECT_EQ(bar->m_pFunds, base3);
    EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(FundsSelection, OnlyRecordsWithFundsAreListedAndAChosenCurrencyStays) {
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{host::Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{host::Funds::Value, std::nan("")}});
    host.funds = {emptyA, emptyB, cny1, nanRecord, base1};
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1}));

    // Notices add a record with funds once; an empty one adds nothing but still repaints.
    void* hkd2 = Record("1002", "HKD");
    host.SpiFundsNotice(hkd2);
    host.SpiFundsNotice(hkd2);
    ValidateRect(bar->m_hWnd, nullptr);
    host.SpiFundsNotice(host.store.MakeFunds("1001", "USD", {{host::Funds::Premium, 7.0}}));
    DeliverNotices();
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1, hkd2}));
    EXPECT_TRUE(Invalid(bar));
    EXPECT_EQ(bar->m_pFunds, base1);

    // A base record for an account shown in a chosen currency does not take over.
    Pick(*bar, false, L"CNY");
    host.SpiFundsNotice(Record("1001", "XBase"));
    DeliverNotices();
    EXPECT_EQ(bar->m_pFunds, cny1);

    // Read again, adjacent empty records included, all go.
    host.funds = {base1, emptyA, emptyB};
    host.SpiCompletionNotice(0, 26);
    DeliverNotices();
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{base1}));
}

TEST_F(FundsSelection, AnnouncedAccountMovesEveryBarAndANoticeRepaintsOnlyTheBarsItConcerns) {
    void* base3 = Record("1003", "Base");
    host.funds.push_back(base3);
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    Pick(*second, true, L"1002");
    EXPECT_STREQ(first->m_szAccount, "1001");
    // Which bars have something to paint after each notice: first shows 1001, second 1002.
    const std::tuple<const char*, UINT, void*, bool, bool> notices[] = {
        {"the first bar's record", FBM_FUNDSCHANGED, base1, true, false},
        {"a new currency of the second bar's account", FBM_FUNDSCHANGED, Record("1002", "HKD"), false, true},
        {"an account neither shows", FBM_FUNDSCHANGED, base3, false, false},
        {"an empty record of the first bar's account", FBM_FUNDSCHANGED, host.store.MakeFunds("1001", "EUR"),
         true, false},
        {"a null record", FBM_FUNDSCHANGED, nullptr, false, false},
        {"accounts changed", FBM_ACCOUNTSCHANGED, nullptr, true, true},
    };
    for (const auto& [notice, uMsg, record, firstPaints, secondPaints] : notices) {
        testing_support::PumpMessages();
        PostToAllBars(uMsg, reinterpret_cast<LPARAM>(record));
        DeliverNotices();
        EXPECT_EQ(Invalid(first), firstPaints) << notice;
        EXPECT_EQ(Invalid(second), secondPaints) << notice;
    }

    // An announcement moves both, each keeping its currency choice; an empty one moves none.
    Pick(*first, false, L"CNY");
    host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1003");
    testing_support::PumpMessages();
    host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "UserNo=");
    testing_support::PumpMessages();
    EXPECT_TRUE(std::string(first->m_szAccount) == "1003" && std::string(second->m_szAccount) == "1003");
    EXPECT_EQ(first->m_pFunds, nullptr);
    EXPECT_EQ(second->m_pFunds, base3);
}

TEST_F(FundsSelection, AnotherAccountCurrencyOrRecordIsOnScreenAtOnce) {
    TKestrovaWnd* bar = OpenBar(900, 50);
    ASSERT_NE(bar, nullptr);
    PointAt(*bar, POINT{890, 200}); // below the bar: no cell is lit
    // The window's pixels now, taken without letting it paint first.
    const auto shown = [&] {
        testing_support::Canvas shot(900, 50);
        testing_support::CaptureWindow(bar->m_hWnd, shot);
        return shot.Pixels();
    };
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
        const std::vector<COLORREF> before = shown();
        apply();
        testing_support::Canvas drawn(900, 50);
        drawn.Fill(RGB(40, 40, 40));
        bar->DrawBar(drawn.dc(), RECT{0, 0, 900, 50});
        EXPECT_EQ(shown(), drawn.Pixels()) << change;
        EXPECT_NE(before, shown()) << change;
    }
    EXPECT_EQ(bar->m_pFunds, cny1);
}
