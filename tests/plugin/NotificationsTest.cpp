// Trade-data notices as the terminal delivers them to the real library: which of them reach
// the funds bars, with what, and in which order. The bars' queue is read without dispatching.
#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

using testing_support::LoadedPlugin;
using testing_support::OnceToEach;

namespace {

constexpr UINT kFundsChanged = WM_USER + 111;
constexpr UINT kAccountsChanged = WM_USER + 112;

// Every funds bar message waiting for this thread.
std::string TakeBarMessages() {
    return testing_support::TakePosted(WM_USER + 110, WM_USER + 113);
}

class TradeSpiNotices : public ::testing::Test {
protected:
    void SetUp() override {
        plugin.Start(1033);
        for (HWND& bar : bars) {
            bar = plugin.host.OpenWindow();
        }
        plugin.host.ClearCalls();
    }

    LoadedPlugin plugin;
    std::vector<HWND> bars = std::vector<HWND>(3);
    void* funds = plugin.host.store.MakeFunds("1001", "Base", {{host::Funds::Balance, 5.0}});
};

} // namespace

TEST_F(TradeSpiNotices, SlotsTwoSevenAndFourteenPostToEveryBarTheOthersDoNothing) {
    EXPECT_FALSE(plugin.host.SpiSlot0());
    const auto record = reinterpret_cast<std::uintptr_t>(funds);
    for (int slot = 1; slot < host::kTradeSpiSlots; ++slot) {
        if (slot != 2 && slot != 7 && slot != 14) {
            // Arguments that would make slots 2, 7 or 14 act.
            plugin.host.SpiCall(slot, 0, 26, record);
            plugin.host.SpiCall(slot, 1, 7);
            EXPECT_EQ(TakeBarMessages(), "") << "slot " << slot;
        }
    }
    // slot, two arguments, the lParam posted to every bar or -1 for nothing posted. 0x103, 0x11A
    // and 0x100 share their low byte with values that act.
    const std::tuple<int, std::uintptr_t, std::uintptr_t, LPARAM> cases[] = {
        {2, 3, 7, 7},   {2, 1, 123456, 123456}, {2, 1, 0, 0},      {2, 0, 7, -1},
        {2, 2, 7, -1},  {2, 0x103, 7, -1},      {7, 0, 26, 0},     {7, 0, 25, -1},
        {7, 1, 26, -1}, {7, 26, 0, -1},         {7, 0, 0x11A, -1}, {7, 0x100, 26, -1}};
    for (const auto& [slot, a, b, lParam] : cases) {
        plugin.host.SpiCall(slot, a, b);
        EXPECT_EQ(TakeBarMessages(), lParam < 0 ? "" : OnceToEach(bars, kAccountsChanged, lParam))
            << "slot " << slot << " (" << a << ", " << b << ")";
    }
    // As the terminal may, from a thread of its own.
    std::thread([&] { plugin.host.SpiCall(14, record); }).join();
    EXPECT_EQ(TakeBarMessages(), OnceToEach(bars, kFundsChanged, static_cast<LPARAM>(record)));
    EXPECT_TRUE(plugin.host.Calls().empty());
}

TEST_F(TradeSpiNotices, BarsClosedByTheHostAreSkipped) {
    ASSERT_TRUE(DestroyWindow(bars[0]));
    ASSERT_TRUE(DestroyWindow(bars[1]));
    const HWND later = plugin.host.OpenWindow();
    plugin.host.SpiFundsNotice(funds);
    EXPECT_EQ(TakeBarMessages(),
              OnceToEach({bars[2], later}, kFundsChanged, reinterpret_cast<LPARAM>(funds)));
}
