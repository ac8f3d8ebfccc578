// Which account, currency and funds record a bar shows, as the user picks from its lists and
// the host reports changes, and when the bar shows it.
#include "support/BarHarness.h"

#include "plugin/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

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

TEST_F(FundsSelection, EachChoiceIsOnScreenAtOnceWithTheRecordItsRuleFinds) {
    TKestrovaWnd* bar = OpenBar(900, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->m_pFunds, base1);
    PointAt(*bar, POINT{890, 200}); // below the bar: no cell is lit
    const auto shown = [&] {        // the window's pixels, taken without letting it paint first
        testing_support::Canvas shot(900, 50);
        testing_support::CaptureWindow(bar->m_hWnd, shot);
        return shot.Pixels();
    };
    void* base3 = Record("1003", "Base", 777.0);
    // Each change is followed by a look at the window before any other message is handled.
    const std::tuple<const char*, std::function<void()>, void*> changes[] = {
        {"a currency", [&] { Pick(*bar, false, L"CNY"); }, cny1},
        {"another account, its base record first", [&] { Pick(*bar, true, L"1002"); }, base2},
        {"an account without funds", [&] { Pick(*bar, true, L"1003"); }, nullptr},
        {"its funds arriving", [&] { SendMessageW(bar->m_hWnd, FBM_FUNDSCHANGED, 0, LPARAM(base3)); }, base3},
        {"an announced account",
         [&] {
             g_strUserNo.Set("1001");
             SendMessageW(bar->m_hWnd, FBM_USERNOUPDATE, 0, 0);
         },
         base1},
    };
    for (const auto& [change, apply, record] : changes) {
        UpdateWindow(bar->m_hWnd);
        const std::vector<COLORREF> before = shown();
        apply();
        EXPECT_EQ(bar->m_pFunds, record) << change;
        testing_support::Canvas drawn(900, 50);
        drawn.Fill(RGB(40, 40, 40));
        bar->DrawBar(drawn.dc(), RECT{0, 0, 900, 50});
        EXPECT_EQ(shown(), drawn.Pixels()) << change;
        EXPECT_NE(before, shown()) << change;
    }
    // Funds were asked for the account that had none, once.
    const std::vector<host::HostCall> queries = host.Calls(host::Iface::TradeApi, host::slot::QueryFunds);
    EXPECT_TRUE(queries.size() == 1 && queries[0].narrow1 == "1003" && queries[0].narrow2 == "K3");
    // Picking what is shown changes nothing and paints nothing.
    ValidateRect(bar->m_hWnd, nullptr);
    Pick(*bar, true, L"1001");
    Pick(*bar, false, L"Base");
    EXPECT_FALSE(Invalid(bar));
}

TEST_F(FundsSelection, NoticesKeepTheListToRecordsWithFundsRepaintOnlyTheBarsTheyConcernAndMoveEveryBar) {
    // Records without funds, adjacent ones included, never make the list.
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{host::Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{host::Funds::Value, std::nan("")}});
    void* base3 = Record("1003", "Base");
    host.funds = {emptyA, emptyB, cny1, nanRecord, base1, base2, base3};
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1, base2, base3}));
    Pick(*second, true, L"1002");
    void* hkd2 = Record("1002", "HKD");
    // Which bars have something to paint after each notice: first shows 1001, second 1002.
    const std::tuple<const char*, UINT, void*, bool, bool> notices[] = {
        {"the first bar's record", FBM_FUNDSCHANGED, base1, true, false},
        {"a new currency of the second bar's account", FBM_FUNDSCHANGED, hkd2, false, true},
        {"the same again", FBM_FUNDSCHANGED, hkd2, false, true},
        {"an account neither shows", FBM_FUNDSCHANGED, base3, false, false},
        {"an empty record of the first bar's account", FBM_FUNDSCHANGED, emptyA, true, false},
        {"a null record", FBM_FUNDSCHANGED, nullptr, false, false},
    };
    for (const auto& [notice, uMsg, record, firstPaints, secondPaints] : notices) {
        testing_support::PumpMessages();
        PostToAllBars(uMsg, reinterpret_cast<LPARAM>(record));
        DeliverNotices();
        EXPECT_EQ(Invalid(first), firstPaints) << notice;
        EXPECT_EQ(Invalid(second), secondPaints) << notice;
    }
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{cny1, nanRecord, base1, base2, base3, hkd2}));

    // Read again: both repaint, and the records without funds stay out.
    host.funds = {base1, emptyA, emptyB, cny1, base2, base3};
    host.SpiCompletionNotice(0, 26);
    DeliverNotices();
    EXPECT_TRUE(Invalid(first) && Invalid(second));
    EXPECT_EQ(FundsList().Items(), (std::vector<void*>{base1, cny1, base2, base3}));

    // An announcement moves both, each keeping its currency choice (1003 has no CNY record,
    // and its base record does not take over); an empty one moves none.
    Pick(*first, false, L"CNY");
    host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1003");
    testing_support::PumpMessages();
    host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "UserNo=");
    testing_support::PumpMessages();
    EXPECT_TRUE(std::string(first->m_szAccount) == "1003" && std::string(second->m_szAccount) == "1003");
    EXPECT_EQ(first->m_pFunds, nullptr);
    EXPECT_EQ(second->m_pFunds, base3);
}
