// Which account, currency and funds record a bar shows, as the user picks from its lists and
// the host reports changes, and when the bar shows it; and what bars leave behind.
#include "support/BarHarness.h"
#include "writer/SampleLayouts.h"
#include "support/DebugOutput.h"
#include "support/HandleCensus.h"
#include "support/PluginHarness.h"

#include "fundsbar/FundsSelection.h"
#include "base/FundsMessages.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <thread>
#include <tuple>
#include <utility>

namespace {

// The rules alone: the plug-in started with the test host, its lists read, no window.
class FundsSelectionRules : public testing_support::FundsTest {
protected:
    void SetUp() override {
        FundsTest::SetUp();
        RefreshAccountList();
        TFundsSelection::RefreshFundsList();
        selection.EnsureAccount();
        selection.SelectFunds();
    }
    // "account/key" of each funds query to the host.
    std::string Queries() const {
        std::string text;
        for (const host::HostCall& call : host.Calls(host::Iface::TradeApi, host::slot::QueryFunds)) {
            text += (text.empty() ? "" : " ") + call.narrow1 + "/" + call.narrow2;
        }
        return text;
    }
    // "name/data" of each row a list would show.
    static std::string Rows(const std::function<void(std::vector<ComboItem>&)>& build) {
        std::vector<ComboItem> rows;
        build(rows);
        std::string text;
        for (const ComboItem& row : rows) {
            EXPECT_TRUE(row.checked) << "a row that would not notify";
            text += (text.empty() ? "" : " ") + WideToCp936(row.name, kTextChars) + "/" +
                    std::to_string(row.data);
        }
        return text;
    }
    TFundsSelection selection;
};

// The same rules through bars: when a bar shows what it holds, and which bars a notice moves.
class FundsSelectionOnBars : public testing_support::FundsTest {
protected:
    // Chooses the row of that name in one of the bar's lists as a tool does: the cell's default
    // action opens the list, the row's chooses it.
    static void Pick(TKestrovaWnd& bar, bool account, const wchar_t* name) {
        bar.AccDoDefaultAction(account ? 1 : 2);
        const TComboxList& list = account ? *bar.AccountList() : *bar.CurrencyList();
        const std::vector<ComboItem>& rows = list.Items();
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const ComboItem& item) {
            return std::wcscmp(item.name, name) == 0;
        });
        ASSERT_NE(row, rows.end()) << "no row " << testing::PrintToString(std::wstring(name));
        dynamic_cast<TComboxList*>(TIxFrm::FromHandle(list.m_hWnd))
            ->AccDoDefaultAction(LONG(row - rows.begin()) + 1);
    }
    // Delivers the bars' notices waiting in the queue, and nothing else: no paint.
    static void DeliverNotices() {
        for (MSG msg; PeekMessageW(&msg, nullptr, FBM_FUNDSCHANGED, FBM_USERNOUPDATE, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    }
    static bool Invalid(const TKestrovaWnd* bar) { return GetUpdateRect(bar->m_hWnd, nullptr, FALSE); }
    // What tools read in the account cell, the first of the default layout.
    static std::wstring AccountCell(TKestrovaWnd* bar) {
        AccElement cell;
        return bar->AccDescribe(1, cell) ? cell.value.value_or(L"") : L"no cell";
    }
};

using BarResources = testing_support::FundsTest;

} // namespace

// Without asking the host: every account chosen here has records.
TEST_F(FundsSelectionRules, StartsOnTheFirstBaseRecordAndACurrencyWinsUntilAnotherAccountIsChosen) {
    EXPECT_STREQ(selection.Account(), "1001");
    EXPECT_EQ(selection.Funds(), base1);
    void* cny2 = Record("1002", "CNY");
    selection.AddFundsRecord(static_cast<const FundsRecord*>(cny2));
    const std::tuple<const char*, std::function<void()>, void*> choices[] = {
        {"a currency", [&] { selection.ChooseCurrency("CNY"); }, cny1},
        {"another account, its base record first", [&] { selection.ChooseAccount("1002"); }, base2},
        {"the currency chosen before", [&] { selection.ChooseCurrency("CNY"); }, cny2},
        {"its other currency", [&] { selection.ChooseCurrency("USD"); }, usd2},
        {"a currency it has no record in", [&] { selection.ChooseCurrency("HKD"); }, nullptr},
        {"the first account again", [&] { selection.ChooseAccount("1001"); }, base1},
        {"a currency once more", [&] { selection.ChooseCurrency("CNY"); }, cny1},
        {"the same account again, which keeps it", [&] { selection.ChooseAccount("1001"); }, cny1},
        {"the same currency again", [&] { selection.ChooseCurrency("CNY"); }, cny1},
    };
    for (const auto& [choice, apply, record] : choices) {
        apply();
        EXPECT_EQ(selection.Funds(), record) << choice;
    }
    EXPECT_EQ(Queries(), "");
}

// By the key of its last linked record (none without a link); without accounts, with two
// empty texts. (What shows when the records arrive, the bars show.)
TEST_F(FundsSelectionRules, AnAccountWithoutRecordsIsAskedForOnceByItsKey) {
    selection.ChooseAccount("1003");
    selection.ChooseAccount("1003");
    host.accounts = {host.store.MakeAccount("K1", "1004"), host.store.MakeAccount("K2", "1004"),
                     host.store.MakeAccount("K3", "1004", true, false),
                     host.store.MakeAccount("K5", "1005", true, false)};
    RefreshAccountList();
    selection.ChooseAccount("1004");
    selection.ChooseAccount("1005");
    host.accounts = {};
    TFundsSelection none;
    none.ReloadAccounts();
    EXPECT_EQ(none.Funds(), nullptr);
    EXPECT_EQ(Queries(), "1003/K3 1004/K2 1005/ /");
}

// A notice chooses again: only the record the rule now finds is shown. The list keeps only
// records with funds, any of the four figures counting.
TEST_F(FundsSelectionRules, ANoticeChoosesAgainAndTheListKeepsOnlyRecordsWithFunds) {
    selection.ChooseAccount("1002");
    selection.ChooseCurrency("HKD");
    EXPECT_EQ(selection.Funds(), nullptr);
    selection.AddFundsRecord(static_cast<const FundsRecord*>(Record("1002", "CNY")));
    EXPECT_EQ(selection.Funds(), nullptr) << "another currency of the account";
    void* hkd2 = Record("1002", "HKD");
    selection.AddFundsRecord(static_cast<const FundsRecord*>(hkd2));
    EXPECT_EQ(selection.Funds(), hkd2);

    // Adjacent empty records go too.
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void* emptyB = host.store.MakeFunds("1001", "HKD", {{host::Funds::Premium, 3.0}});
    void* nanRecord = host.store.MakeFunds("1001", "EUR", {{host::Funds::Value, std::nan("")}});
    void* excessOnly = host.store.MakeFunds("1001", "SGD", {{host::Funds::ExcessCash, 2.0}});
    void* lastBalanceOnly = host.store.MakeFunds("1001", "JPY", {{host::Funds::LastBalance, -1.0}});
    host.funds = {emptyA, emptyB, cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2};
    TFundsSelection::RefreshFundsList();
    EXPECT_EQ(FundsList().Items(),
              (std::vector<void*>{cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2}));

    // Notices add a record with funds once, and nothing without.
    for (void* record : {hkd2, hkd2, emptyA, static_cast<void*>(nullptr)}) {
        selection.AddFundsRecord(static_cast<const FundsRecord*>(record));
    }
    EXPECT_EQ(FundsList().Items(),
              (std::vector<void*>{cny1, nanRecord, excessOnly, lastBalanceOnly, base1, base2, hkd2}));
}

TEST_F(FundsSelectionRules, AccountRowsNameEveryListableAccountCurrencyRowsEachCodeOfTheAccountOnce) {
    host.accounts.insert(host.accounts.end(), {host.store.MakeAccount("K4", "1004", false),
                                               host.store.MakeAccount("K5", "1005", true, false), nullptr});
    RefreshAccountList();
    EXPECT_EQ(Rows(TFundsSelection::BuildAccountItems), "1001/0 1002/1 1003/2 /3 /4 /5");

    // Currencies of the host's list: Base, CNY, USD, CNY, HKD.
    const auto currencies = [&](std::vector<ComboItem>& rows) { selection.BuildCurrencyItems(rows); };
    EXPECT_EQ(Rows(currencies), "Base/0 CNY/1");
    selection.ChooseAccount("1003");
    EXPECT_EQ(Rows(currencies), "");
}

TEST_F(FundsSelectionOnBars, EachChoiceIsOnScreenAtOnceWithTheRecordItsRuleFinds) {
    TKestrovaWnd* bar = OpenBar(900, 50);
    ASSERT_NE(bar, nullptr);
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
        EXPECT_EQ(bar->Selection().Funds(), record) << change;
        EXPECT_FALSE(Invalid(bar)) << change;
        EXPECT_EQ(pixels(false), pixels(true)) << change;
        EXPECT_EQ(before != pixels(false), changed) << change;
    }
}

// Notices repaint only the bars of their account; an announced account moves every bar, each
// keeping its currency, and an empty one none; accounts read again repaint every bar.
TEST_F(FundsSelectionOnBars, NoticesRepaintTheBarsOfTheirAccountAndAnnouncementsAndAccountsMoveEveryBar) {
    void* emptyA = host.store.MakeFunds("1001", "USD");
    void *base3 = Record("1003", "Base"), *hkd2 = Record("1002", "HKD");
    TKestrovaWnd *first = OpenBar(), *second = OpenBar();
    ASSERT_TRUE(first && second);
    Pick(*second, true, L"1002");
    // Which bars have something to paint after each notice: first shows 1001, second 1002.
    const std::tuple<const char*, void*, bool, bool> notices[] = {
        {"the first bar's record", base1, true, false},
        {"a new currency of the second bar's account", hkd2, false, true},
        {"the same again", hkd2, false, true},
        {"an account neither shows", base3, false, false},
        {"an empty record of the first bar's account", emptyA, true, false},
        {"a null record", nullptr, false, false},
    };
    for (const auto& [notice, record, firstPaints, secondPaints] : notices) {
        testing_support::PumpMessages();
        PostToAllBars(FBM_FUNDSCHANGED, reinterpret_cast<LPARAM>(record));
        DeliverNotices();
        EXPECT_EQ(Invalid(first), firstPaints) << notice;
        EXPECT_EQ(Invalid(second), secondPaints) << notice;
    }
    Pick(*first, false, L"CNY");
    // A number as long as a bar holds shows whole; a longer one is cut before the character
    // that would not fit whole.
    const std::pair<const char*, const wchar_t*> announced[] = {
        {"UserNo=123456789012345678901234", L"123456789012345678901234"},
        {"UserNo=12345678901234567890123\xD6\xD0", L"12345678901234567890123"},
        {"UserNo=1003", L"1003"},
        {"UserNo=", L"1003"}};
    for (const auto& [value, shown] : announced) {
        host.SendHostMessage(0, "MouseOrder", "UserNo_Update", value);
        testing_support::PumpMessages();
        EXPECT_EQ(AccountCell(first) + L"/" + AccountCell(second), shown + (L"/" + std::wstring(shown)));
    }
    EXPECT_EQ(first->Selection().Funds(), nullptr) << "the first bar's CNY choice is gone";
    EXPECT_EQ(second->Selection().Funds(), base3);
    host.SpiCompletionNotice(0, 26);
    DeliverNotices();
    EXPECT_TRUE(Invalid(first) && Invalid(second)) << "the accounts read again";
    host.accounts = {};
    EXPECT_EQ(AccountCell(OpenBar()), L"--") << "a bar opened without accounts";
}

namespace {

// A host that destroys one bar while another closes (a pane torn down with its children).
WNDPROC g_barProc = nullptr;
HWND g_closesWith = nullptr;
LRESULT CALLBACK ClosingWithAnother(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_DESTROY) {
        DestroyWindow(std::exchange(g_closesWith, nullptr));
    }
    return CallWindowProcW(g_barProc, hWnd, uMsg, wParam, lParam);
}

// A host that keeps a bar for its own: asked to close it, it does not.
LRESULT CALLBACK KeptByTheHost(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return uMsg == WM_CLOSE ? 0 : CallWindowProcW(g_barProc, hWnd, uMsg, wParam, lParam);
}

bool IsRegistered(const wchar_t* className) {
    WNDCLASSW wc = {};
    return GetClassInfoW(GetModuleHandleW(nullptr), className, &wc) != FALSE;
}

} // namespace

// Bars must leave no GDI or USER object behind, however often they paint, show their menu or
// are opened, and a bar the host closes leaves at once, its object with it: the lists the
// notices walk keep only the open bars, and the plug-in's free closes those, also when the host
// closes some of them meanwhile, or closed one as it was handed over. A few hundred paints and a
// few dozen bars catch one object lost per paint, per menu or per bar. `make soak` paints ten
// thousand times and opens thousands of bars.
TEST_F(BarResources, PaintsAndBarsLeaveNoGdiOrUserObjectAndClosedBarsLeaveTheLists) {
    config.Write("Kestrova.Show.pub", LayoutIni(OrderedLayout([](int) { return true; })));
    TKestrovaWnd* bar = OpenBar(2400, 50);
    ASSERT_NE(bar, nullptr);
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
        host.onAttach = [](HWND hWnd) { DestroyWindow(hWnd); };
        host.OpenWindow();
        host.onAttach = nullptr;
        std::vector<TKestrovaWnd*> open = {bar};
        std::vector<HWND> handles = {bar->m_hWnd};
        for (int i = 0; i < 20; ++i) { // each showing its menu and its account list once
            bar = OpenBar(600, 50);
            // The menu's own loop takes the Escape waiting in the queue.
            PostMessageW(bar->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
            SendMessageW(bar->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
            SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, 0);
            PointAt(*bar, POINT{20, 25});
            SendMessageW(bar->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            UpdateWindow(bar->AccountList()->m_hWnd);
            if (i % 2) {
                host.SpiFundsNotice(cny1);
                DestroyWindow(bar->m_hWnd);
            } else {
                open.push_back(bar);
                handles.push_back(bar->m_hWnd);
            }
        }
        EXPECT_EQ(g_vecWnds, open);
        EXPECT_EQ(TIxFrm::LiveObjects(), 3 * long(open.size())) << "each bar with its two lists";
        testing_support::PumpMessages();
        host.SpiFundsNotice(base1);
        EXPECT_EQ(testing_support::TakeBarMessages(),
                  testing_support::OnceToEach(handles, FBM_FUNDSCHANGED, LPARAM(base1)));
        g_barProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handles[1], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClosingWithAnother)));
        g_closesWith = handles[2];
        TearDown();
        EXPECT_TRUE(g_vecWnds.empty() && g_vecWndHandles.Empty());
        EXPECT_EQ(TIxFrm::LiveObjects(), 0);
        EXPECT_TRUE(std::none_of(handles.begin(), handles.end(), IsWindow));
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

// A bar made on another thread of the host's, which runs a message loop of its own, is closed
// through that thread when the plug-in is freed. One that the thread does not close is told of,
// and so are its classes, which cannot go while it stands; they go at the next free after it.
TEST_F(BarResources, ABarOfAnotherThreadIsClosedThroughItOrToldOfAndItsClassesGoLater) {
    testing_support::DebugOutput debugger;
    for (const bool kept : {false, true}) {
        SCOPED_TRACE(kept ? "kept by the host" : "closed");
        std::atomic<HWND> made{nullptr};
        std::atomic<bool> opened{false}, freed{false};
        DWORD thread = 0;
        std::thread other([&] {
            thread = GetCurrentThreadId();
            const HWND hWnd = host.OpenWindow();
            if (kept) {
                g_barProc = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeptByTheHost)));
            }
            made = hWnd;
            opened = true;
            testing_support::PumpUntil([&] { return freed.load(); }, 60000);
            DestroyWindow(hWnd); // the host lets go of it in the end
        });
        testing_support::PumpUntil([&] { return opened.load(); }, INFINITE);
        OnPluginFree();
        const std::vector<std::string> told = debugger.Take();
        EXPECT_EQ(IsWindow(made) != FALSE, kept);
        EXPECT_EQ(IsRegistered(L"TKestrovaWnd") && IsRegistered(L"TComboxList"), kept);
        freed = true;
        other.join();
        EXPECT_EQ(TIxFrm::LiveObjects(), 0);
        char bar[256] = {};
        std::snprintf(bar, sizeof(bar),
                      "Kestrova: funds bar window %p of thread %lu: its thread did not close it; it still "
                      "routes its messages into the plug-in, which must not be unloaded\n",
                      static_cast<void*>(made.load()), static_cast<unsigned long>(thread));
        const std::string again = ": it cannot be unregistered (error 1412); it is tried again when the "
                                  "plug-in is freed next\n";
        EXPECT_EQ(told, kept ? (std::vector<std::string>{bar, "Kestrova: window class TKestrovaWnd" + again,
                                                         "Kestrova: window class TComboxList" + again})
                             : std::vector<std::string>{});
        SetUp();
        TearDown();
        EXPECT_FALSE(IsRegistered(L"TKestrovaWnd") || IsRegistered(L"TComboxList"));
    }
}
