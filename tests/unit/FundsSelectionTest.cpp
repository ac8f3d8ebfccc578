// Which account, currency and funds record a bar shows, as the user picks from its lists and
// the host reports changes, and when the bar shows it; and what bars leave behind.
#include "support/BarHarness.h"
#include "support/HandleCensus.h"
#include "support/PluginHarness.h"

#include "base/FundsMessages.h"
#include "toolkit/ToolkitMessages.h"

#include <cmath>
#include <functional>
#include <tuple>

namespace {

class FundsSelection : public testing_support::FundsTest {
protected:
    // Chooses the row of that name in one of the bar's lists, as a click on the row does.
    static void Pick(TKestrovaWnd& bar, bool account, const wchar_t* name) {
        TComboxList& list = account ? *bar.m_pAccountList : *bar.m_pCurrencyList;
        std::vector<ComboItem> rows(1);
        lstrcpynW(rows[0].name, name, 40);
        list.SetItems(rows);
        SendMessageW(bar.m_hWnd, TCM_SELCHANGED, reinterpret_cast<WPARAM>(list.m_hWnd), 0);
    }
    // Delivers the bars' notices waiting in the queue, and nothing else: no paint.
    static void DeliverNotices() {
        for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    }
    static bool Invalid(const TKestrovaWnd* bar) { return GetUpdateRect(bar->m_hWnd, nullptr, FALSE); }
};

using BarResources = testing_support::FundsTest;

} // namespace

TEST_F(FundsSelection, EachChoiceIsOnScreenAtOnceWithTheRecordItsRuleFinds) {
    TKestrovaWnd* bar = OpenBar(900, 50);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->m_pFunds, base1);
    PointAt(*bar, POINT{890, 200});       // below the bar: no cell is lit
    const auto pixels = [&](bool drawn) { // what the window shows, or what the bar would draw now
        testing_support::Canvas canvas(900, 50);
        canvas.Fill(RGB(40, 40, 40));
        drawn ? bar->DrawBar(canvas.dc(), RECT{0, 0, 900, 50})
              : testing_support::CaptureWindow(bar->m_hWnd, canvas);
        return canvas.Pixels();
    };
    void* base3 = Record("1003", "Base", 777.0);
    // Each change is followed by a look at the window before any other message is handled:
    // it shows what the bar holds, and has changed unless the choice had not.
    const std::tuple<const char*, std::function<void()>, void*, bool> changes[] = {
        {"a currency", [&] { Pick(*bar, false, L"CNY"); }, cny1, true},
        {"another account, its base record first", [&] { Pick(*bar, true, L"1002"); }, base2, true},
        {"an account without funds", [&] { Pick(*bar, true, L"1003"); }, nullptr, true},
        {"its funds arriving", [&] { SendMessageW(bar->m_hWnd, FBM_FUNDSCHANGED, 0, LPARAM(base3)); }, base3,
         true},
        {"the same account again", [&] { Pick(*bar, true, L"1003"); }, base3, false},
    };
    for (const auto& [change, apply, record, changed] : changes) {
        UpdateWindow(bar->m_hWnd);
        const std::vector<COLORREF> before = pixels(false);
        apply();
        EXPECT_EQ(bar->m_pFunds, record) << change;
        EXPECT_FALSE(Invalid(bar)) << change;
        EXPECT_EQ(pixels(false), pixels(true)) << change;
        EXPECT_EQ(before != pixels(false), changed) << change;
    }
    // Funds were asked for the account that had none, once.
    const std::vector<host::HostCall> queries = host.Calls(host::Iface::TradeApi, host::slot::QueryFunds);
    EXPECT_TRUE(queries.size() == 1 && queries[0].narrow1 == "1003" && queries[0].narrow2 == "K3");
}

TEST_F(FundsSelection, NoticesKeepTheListToRecordsWithFundsRepaintOnlyTheBarsTheyConcernAndMoveEveryBar) {
    // Records without funds, adjacent ones included, never make the list; any one of the four
    // figures that count puts a record on it.
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{host::Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{host::Funds::Value, std::nan("")}});
    void* excessOnly = host.store.MakeFunds("1001", "SGD", {{host::Funds::ExcessCash, 2.0}});
    void* lastBalanceOnly = host.store.MakeFunds("1001", "JPY", {{host::Funds::LastBalance, -1.0}});
    void *base3 = Record("1003", "Base"), *hkd2 = Record("1002", "HKD");
    host.funds = {emptyA, emptyB, cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2, base3};
    TKestrovaWnd* first = OpenBar();
    TKestrovaWnd* second = OpenBar();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(FundsList().Items(),
              (std::vector<void*>{cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2, base3}));
    Pick(*second, true, L"1002");
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
        EXPECT_TRUE(Invalid(first) == firstPaints && Invalid(second) == secondPaints) << notice;
    }
    EXPECT_EQ(FundsList().Items(),
              (std::vector<void*>{cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2, base3, hkd2}));

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
    EXPECT_TRUE(first->m_pFunds == nullptr && second->m_pFunds == base3);
}

// Bars must leave no GDI or USER object behind, however often they paint or are opened, and a
// bar the host closes leaves at once: the lists the notices walk keep only the open bars, and
// the plug-in's free closes those. A few hundred paints and a few dozen bars catch one object
// lost per paint or per bar. `make soak` paints ten thousand times and opens thousands of bars.
TEST_F(BarResources, PaintsAndBarsLeaveNoGdiOrUserObjectAndClosedBarsLeaveTheLists) {
    TKestrovaWnd* bar = OpenBar(2400, 50);
    ASSERT_NE(bar, nullptr);
    for (ColumnSetting& setting : bar->m_vecSettings) {
        setting.bShow = true;
    }
    PointAt(*bar, POINT{5, 5}); // the account cell lit
    SendMessageW(bar->m_hWnd, WM_MOUSEMOVE, 0, 0);
    std::size_t before = 0;
    for (int i = -20; i < 300; ++i) { // a few first to settle the caches
        before = i == 0 ? testing_support::FreeGdiSlots() : before;
        RedrawWindow(bar->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    EXPECT_EQ(before - testing_support::FreeGdiSlots(), 0u) << "lost over 300 paints";

    // Half the bars closed by the host as they come, their lists open (or, for the last, under
    // a notice not yet delivered); a notice then reaches exactly the open ones.
    const auto openAndFree = [&] {
        std::vector<TKestrovaWnd*> open = {bar};
        std::vector<HWND> handles = {bar->m_hWnd};
        for (int i = 0; i < 20; ++i) { // each showing its account list once
            bar = OpenBar(600, 50);
            PointAt(*bar, POINT{20, 25});
            SendMessageW(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            UpdateWindow(bar->m_pAccountList->m_hWnd);
            if (i % 2) {
                host.SpiFundsNotice(cny1);
                DestroyWindow(bar->m_hWnd);
            } else {
                open.push_back(bar);
                handles.push_back(bar->m_hWnd);
            }
        }
        EXPECT_EQ(g_vecWnds, open);
        std::vector<HWND> listed;
        g_vecWndHandles.ForEach([&](HWND hWnd) { listed.push_back(hWnd); });
        EXPECT_EQ(listed, handles);
        testing_support::PumpMessages();
        host.SpiFundsNotice(base1);
        EXPECT_EQ(testing_support::TakeBarMessages(),
                  testing_support::OnceToEach(handles, FBM_FUNDSCHANGED, LPARAM(base1)));
        TearDown();
        EXPECT_TRUE(g_vecWnds.empty() && g_vecWndHandles.Empty());
        for (HWND hWnd : handles) {
            EXPECT_FALSE(IsWindow(hWnd));
        }
        SetUp();
        bar = OpenBar(600, 50);
    };
    // Wine keeps a few objects per window it has ever shown in caches of its own that grow
    // once to the largest number of windows seen: a first round of bars fills them.
    openAndFree();
    const std::size_t gdi = testing_support::FreeGdiSlots(), user = testing_support::FreeUserSlots();
    openAndFree();
    EXPECT_TRUE(testing_support::FreeGdiSlots() == gdi && testing_support::FreeUserSlots() == user)
        << "lost over 20 bars";
}
