// Trade-data notices and host messages as the terminal delivers them to the real library:
// which of them reach the funds bars, with what, and in which order. The bars are real
// windows; their queue is read without dispatching, so what is seen is what was posted.
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using testing_support::LoadedPlugin;
using testing_support::PostedMessage;

namespace {

constexpr UINT kColumnsChanged = 0x46E;
constexpr UINT kFundsChanged = 0x46F;
constexpr UINT kAccountsChanged = 0x470;
constexpr UINT kUserNoUpdate = 0x471;

// Every funds bar message waiting for this thread, in posting order.
std::vector<PostedMessage> TakeBarMessages() {
    return testing_support::TakeAllPosted(kColumnsChanged, kUserNoUpdate);
}

// One message to each bar, in the order of bars, and nothing else.
::testing::AssertionResult PostedOnceToEach(const std::vector<HWND>& bars, UINT message, LPARAM lParam) {
    const std::vector<PostedMessage> posted = TakeBarMessages();
    if (posted.size() != bars.size()) {
        return ::testing::AssertionFailure() << posted.size() << " messages for " << bars.size() << " bars";
    }
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const PostedMessage& m = posted[i];
        if (m.hWnd != bars[i] || m.message != message || m.wParam != 0 || m.lParam != lParam) {
            return ::testing::AssertionFailure()
                   << "message " << i << ": window " << m.hWnd << " (bar " << bars[i] << "), wParam "
                   << m.wParam << ", lParam " << m.lParam << " (" << lParam << "), message 0x" << std::hex
                   << m.message << " (0x" << message << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

void DispatchAtMost(int count) {
    MSG msg;
    for (int i = 0; i < count && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

::testing::AssertionResult NothingPosted() {
    const std::vector<PostedMessage> posted = TakeBarMessages();
    if (posted.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << posted.size() << " messages, the first 0x" << std::hex
                                         << posted.front().message << " to " << posted.front().hWnd;
}

class PluginWithBars : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.Loaded());
        plugin.Start(1033);
        funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
    }

    std::vector<HWND> OpenBars(int count) {
        std::vector<HWND> bars;
        for (int i = 0; i < count; ++i) {
            bars.push_back(plugin.host.OpenWindow());
            EXPECT_TRUE(IsWindow(bars.back()));
        }
        return bars;
    }

    LoadedPlugin plugin;
    void* funds = nullptr;
};

class TradeSpiNotices : public PluginWithBars {};
class HostMessages : public PluginWithBars {};

} // namespace

TEST_F(TradeSpiNotices, FirstSlotAnswersFalse) {
    OpenBars(1);
    EXPECT_FALSE(plugin.host.SpiSlot0());
    EXPECT_TRUE(NothingPosted());
}

TEST_F(TradeSpiNotices, FundsNoticeCarriesTheRecordToEveryBarInCreationOrder) {
    const std::vector<HWND> bars = OpenBars(3);
    void* other = plugin.host.store.MakeFunds("1002", "HKD");

    plugin.host.SpiFundsNotice(funds);
    EXPECT_TRUE(PostedOnceToEach(bars, kFundsChanged, reinterpret_cast<LPARAM>(funds)));

    // Each notice is posted on its own; nothing is merged or dropped.
    plugin.host.SpiFundsNotice(other);
    plugin.host.SpiFundsNotice(funds);
    for (HWND bar : bars) {
        MSG msg;
        ASSERT_TRUE(testing_support::TakePosted(bar, kFundsChanged, msg));
        EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(other));
        ASSERT_TRUE(testing_support::TakePosted(bar, kFundsChanged, msg));
        EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(funds));
    }
    EXPECT_TRUE(NothingPosted());
}

TEST_F(TradeSpiNotices, AccountsNoticeActsOnKindsOneAndThreeOnly) {
    const std::vector<HWND> bars = OpenBars(2);

    for (std::int32_t kind : {0, 2, 4, -1, 0x103}) {
        plugin.host.SpiAccountsNotice(kind, 7);
        EXPECT_TRUE(NothingPosted()) << "kind " << kind;
    }
    plugin.host.SpiAccountsNotice(3, 7);
    EXPECT_TRUE(PostedOnceToEach(bars, kAccountsChanged, 7));
    plugin.host.SpiAccountsNotice(1, 123456);
    EXPECT_TRUE(PostedOnceToEach(bars, kAccountsChanged, 123456));
    plugin.host.SpiAccountsNotice(1, 0);
    EXPECT_TRUE(PostedOnceToEach(bars, kAccountsChanged, 0));
}

TEST_F(TradeSpiNotices, CompletionNoticeActsOnSuccessOfRequest26Only) {
    const std::vector<HWND> bars = OpenBars(2);

    // 0x11A and 0x100 share their low byte with 26 and 0.
    const std::pair<std::int32_t, std::int32_t> ignored[] = {{0, 25}, {1, 26}, {-1, 26},   {0, 27},
                                                             {26, 0}, {0, 0},  {0, 0x11A}, {0x100, 26}};
    for (const auto& args : ignored) {
        plugin.host.SpiCompletionNotice(args.first, args.second);
        EXPECT_TRUE(NothingPosted()) << "code " << args.first << ", request " << args.second;
    }
    plugin.host.SpiCompletionNotice(0, 26);
    EXPECT_TRUE(PostedOnceToEach(bars, kAccountsChanged, 0));
}

TEST_F(TradeSpiNotices, EveryOtherSlotReturnsWithoutEffect) {
    const std::vector<HWND> bars = OpenBars(2);
    plugin.host.ClearCalls();

    for (int slot = 1; slot < host::kTradeSpiSlots; ++slot) {
        if (slot == 2 || slot == 7 || slot == 14) {
            continue;
        }
        // Arguments that would make slots 2, 7 or 14 act.
        plugin.host.SpiCall(slot, 0, 26, reinterpret_cast<std::uintptr_t>(funds));
        plugin.host.SpiCall(slot, 1, 7);
        EXPECT_TRUE(NothingPosted()) << "slot " << slot;
    }
    EXPECT_TRUE(plugin.host.Calls().empty());
    for (HWND bar : bars) {
        EXPECT_TRUE(IsWindow(bar));
    }
    // The object is still whole after all of them.
    plugin.host.SpiFundsNotice(funds);
    EXPECT_TRUE(PostedOnceToEach(bars, kFundsChanged, reinterpret_cast<LPARAM>(funds)));
}

TEST_F(TradeSpiNotices, NoticesWithoutAnyBarPostNothing) {
    plugin.host.SpiFundsNotice(funds);
    plugin.host.SpiAccountsNotice(3, 7);
    plugin.host.SpiCompletionNotice(0, 26);
    EXPECT_TRUE(NothingPosted());
}

TEST_F(TradeSpiNotices, BarsClosedByTheHostAreSkippedFromThenOn) {
    std::vector<HWND> bars = OpenBars(3);
    ASSERT_TRUE(DestroyWindow(bars[1]));
    const std::vector<HWND> live = {bars[0], bars[2]};

    plugin.host.SpiFundsNotice(funds);
    EXPECT_TRUE(PostedOnceToEach(live, kFundsChanged, reinterpret_cast<LPARAM>(funds)));

    // A bar opened after the close is reached; the closed one still is not.
    const std::vector<HWND> more = OpenBars(1);
    const std::vector<HWND> liveNow = {bars[0], bars[2], more[0]};
    plugin.host.SpiAccountsNotice(3, 7);
    EXPECT_TRUE(PostedOnceToEach(liveNow, kAccountsChanged, 7));
    plugin.host.SpiCompletionNotice(0, 26);
    EXPECT_TRUE(PostedOnceToEach(liveNow, kAccountsChanged, 0));

    // The first bar closed: the list does not stop at a gap at its head either.
    ASSERT_TRUE(DestroyWindow(bars[0]));
    plugin.host.SpiFundsNotice(funds);
    EXPECT_TRUE(PostedOnceToEach({bars[2], more[0]}, kFundsChanged, reinterpret_cast<LPARAM>(funds)));

    ASSERT_TRUE(DestroyWindow(bars[2]));
    ASSERT_TRUE(DestroyWindow(more[0]));
    plugin.host.SpiFundsNotice(funds);
    plugin.host.SpiAccountsNotice(1, 1);
    EXPECT_TRUE(NothingPosted());
}

TEST_F(HostMessages, UserNoUpdateFromEitherOrderSourceReachesEveryBar) {
    const std::vector<HWND> bars = OpenBars(3);

    plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    EXPECT_TRUE(PostedOnceToEach(bars, kUserNoUpdate, 0));
    // Whichever bar the host announces through, every bar hears it.
    plugin.host.SendHostMessage(2, "KeyboardOrder", "UserNo_Update", "1002");
    EXPECT_TRUE(PostedOnceToEach(bars, kUserNoUpdate, 0));
    // An empty account number is announced all the same; the bars decide what to do with it.
    plugin.host.SendHostMessage(1, "MouseOrder", "UserNo_Update", "UserNo=");
    EXPECT_TRUE(PostedOnceToEach(bars, kUserNoUpdate, 0));
}

TEST_F(HostMessages, OtherSourcesAndKeysAreIgnored) {
    OpenBars(2);

    const char* sources[] = {"mouseorder",     "MOUSEORDER", "Mouseorder", "keyboardOrder", "MouseOrder ",
                             " KeyboardOrder", "Mouse",      "",           "MouseOrderX"};
    for (const char* source : sources) {
        plugin.host.SendHostMessage(0, source, "UserNo_Update", "UserNo=1001");
        EXPECT_TRUE(NothingPosted()) << "source '" << source << "'";
    }
    const char* keys[] = {"userno_update", "UserNo_update", "UserNo_Update ", "UserNo", "", "Other"};
    for (const char* key : keys) {
        plugin.host.SendHostMessage(1, "KeyboardOrder", key, "UserNo=1001");
        EXPECT_TRUE(NothingPosted()) << "key '" << key << "'";
    }
}

TEST_F(HostMessages, NothingIsPostedOnceEveryBarIsClosed) {
    const std::vector<HWND> bars = OpenBars(2);
    for (HWND bar : bars) {
        ASSERT_TRUE(DestroyWindow(bar));
    }
    plugin.host.SendHostMessage(0, "MouseOrder", "UserNo_Update", "UserNo=1001");
    plugin.host.SendHostMessage(1, "KeyboardOrder", "UserNo_Update", "1002");
    EXPECT_TRUE(NothingPosted());
}

// The terminal may call the trade-data callbacks on a thread of its own while the user opens
// bars on the user-interface thread.
TEST(CrossThreadNotices, NoticesFromAnotherThreadWhileBarsAreOpened) {
    LoadedPlugin plugin;
    ASSERT_TRUE(plugin.Loaded());
    plugin.Start(1033);
    void* funds = plugin.host.store.MakeFunds("1001", "Base");
    void* last = plugin.host.store.MakeFunds("1001", "HKD");

    std::atomic<bool> stop{false};
    std::atomic<long> rounds{0};
    std::thread notifier([&] {
        for (std::int32_t n = 0; !stop.load(); ++n) {
            plugin.host.SpiFundsNotice(funds);
            plugin.host.SpiAccountsNotice(1, n);
            ++rounds;
        }
    });
    while (rounds.load() == 0) {
        std::this_thread::yield();
    }

    // At least enough bars for the handle list to move to larger storage a few times.
    constexpr int kMinBars = 16;
    constexpr int kMaxBars = 150;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::vector<HWND> bars;
    const long roundsBefore = rounds.load();
    for (int i = 0; i < kMaxBars && (i < kMinBars || std::chrono::steady_clock::now() < deadline); ++i) {
        bars.push_back(plugin.host.OpenWindow());
        // The bars handle some of what was posted, as the host's loop would make them; the
        // notifier posts faster than one thread can dispatch, so the queue is never empty.
        DispatchAtMost(100);
    }
    const long roundsWhileOpening = rounds.load() - roundsBefore;
    stop = true;
    notifier.join();
    testing_support::PumpMessages();

    // Both sides really ran at the same time.
    EXPECT_GT(roundsWhileOpening, 1);
    for (HWND bar : bars) {
        ASSERT_TRUE(IsWindow(bar));
    }

    // A last notice, from yet another thread, reaches every bar exactly once.
    std::thread([&] { plugin.host.SpiFundsNotice(last); }).join();
    for (HWND bar : bars) {
        MSG msg;
        ASSERT_TRUE(testing_support::TakePosted(bar, kFundsChanged, msg)) << "bar " << bar;
        EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(last));
        EXPECT_EQ(testing_support::DrainPosted(bar, kFundsChanged), 0);
    }
    EXPECT_TRUE(NothingPosted());
}
