// The account and currency lists of a bar docked at the bottom of the screen, used with the
// real mouse and keyboard as a trader uses them.
#include "support/BarHarness.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using testing_support::ClickAt;
using testing_support::PressKey;
using testing_support::RecordingWindow;

namespace {

class BarLists : public testing_support::FundsTest {
protected:
    void TearDown() override {
        FundsTest::TearDown();
        DestroyWindow(terminal);
    }
    // A bar in the terminal's window, along its bottom edge, which is the work area's.
    TKestrovaWnd* DockAtTheBottom() {
        TKestrovaWnd* bar = OpenBar(900, 50);
        if (!bar) {
            return nullptr;
        }
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(terminal, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT work = monitor.rcWork;
        SetWindowPos(terminal, nullptr, work.left, work.bottom - 300, 1000, 300, SWP_NOZORDER);
        const LONG_PTR style = GetWindowLongPtrW(bar->m_hWnd, GWL_STYLE);
        SetWindowLongPtrW(bar->m_hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_POPUP)) | WS_CHILD);
        SetParent(bar->m_hWnd, terminal);
        SetWindowPos(bar->m_hWnd, nullptr, 0, 250, 900, 50, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        SetForegroundWindow(terminal);
        SetFocus(terminal);
        UpdateWindow(bar->m_hWnd);
        testing_support::PumpMessages();
        return bar;
    }
    static POINT OnScreen(HWND hWnd, POINT pt) {
        ClientToScreen(hWnd, &pt);
        return pt;
    }
    static POINT Centre(const TKestrovaWnd& bar, const RECT& cell, int dx = 0) {
        return OnScreen(bar.m_hWnd, POINT{(cell.left + cell.right) / 2 + dx, 25});
    }

    HWND terminal = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 1000, 300});
};

} // namespace

TEST_F(BarLists, OpenAboveADockedBarCloseOnTheSecondClickEscapeOrAClickElsewhereAndAPickShowsAtOnce) {
    TKestrovaWnd* bar = DockAtTheBottom();
    ASSERT_NE(bar, nullptr);
    const HWND account = bar->m_pAccountList->m_hWnd, currency = bar->m_pCurrencyList->m_hWnd;
    // Clicks on a cell open and close its list in turn (each a few pixels from the one before,
    // so that the system makes no double click of them: a double click opens the column
    // dialog); clicks elsewhere close it, on another cell open that one's.
    const std::tuple<const char*, std::function<void()>, HWND> steps[] = {
        {"click on the account cell", [&] { ClickAt(Centre(*bar, bar->m_rcAccount)); }, account},
        {"second click on it", [&] { ClickAt(Centre(*bar, bar->m_rcAccount, 8)); }, nullptr},
        {"third click on it", [&] { ClickAt(Centre(*bar, bar->m_rcAccount)); }, account},
        {"Escape", [] { PressKey(VK_ESCAPE); }, nullptr},
        {"click on the currency cell", [&] { ClickAt(Centre(*bar, bar->m_rcCurrency)); }, currency},
        {"click on the account cell", [&] { ClickAt(Centre(*bar, bar->m_rcAccount)); }, account},
        {"click on the bar's other cells",
         [&] {
             ClickAt(OnScreen(bar->m_hWnd, POINT{800, 25}));
         },
         nullptr},
        {"click on the currency cell", [&] { ClickAt(Centre(*bar, bar->m_rcCurrency)); }, currency},
        {"click on the terminal",
         [&] {
             ClickAt(OnScreen(terminal, POINT{500, 100}));
         },
         nullptr},
        // Clicks sent to the bar, which no hook of the list can hold back, toggle the same way.
        {"click sent to the account cell", [&] { ClickCell(*bar, bar->m_rcAccount); }, account},
        {"click sent there again", [&] { ClickCell(*bar, bar->m_rcAccount); }, nullptr},
        {"click sent to the currency cell", [&] { ClickCell(*bar, bar->m_rcCurrency); }, currency},
        {"click sent to the account cell", [&] { ClickCell(*bar, bar->m_rcAccount); }, account},
        {"click on its third row, 1003, an account without funds yet",
         [&] {
             const int row = bar->m_pAccountList->RowHeight();
             ClickAt(OnScreen(account, POINT{20, 2 * row + row / 2}));
         },
         nullptr},
    };
    for (const auto& [step, act, shown] : steps) {
        act();
        EXPECT_EQ(IsWindowVisible(account) != FALSE, shown == account) << step;
        EXPECT_EQ(IsWindowVisible(currency) != FALSE, shown == currency) << step;
        EXPECT_EQ(GetForegroundWindow(), terminal) << step;
        EXPECT_EQ(GetFocus(), terminal) << step;
        if (shown) {
            // Above its cell: no room below a bar at the bottom of the work area.
            const RECT& cell = shown == account ? bar->m_rcAccount : bar->m_rcCurrency;
            RECT list = {};
            GetWindowRect(shown, &list);
            const POINT corner = OnScreen(bar->m_hWnd, POINT{cell.left, cell.top});
            EXPECT_TRUE(list.left == corner.x && list.bottom == corner.y) << step;
        }
    }
    EXPECT_TRUE(host.Calls(host::Iface::MainFrame, host::slot::OnModalBegin).empty());
    // The window already shows what the bar now holds: 1003, and none of 1001's figures.
    EXPECT_STREQ(bar->m_szAccount, "1003");
    testing_support::Canvas shown(900, 50), drawn(900, 50);
    testing_support::CaptureWindow(bar->m_hWnd, shown);
    drawn.Fill(RGB(40, 40, 40));
    bar->DrawBar(drawn.dc(), RECT{0, 0, 900, 50});
    int differing = 0;
    for (int i = 0; i < 900 * 50; ++i) {
        differing += shown.Pixel(i % 900, i / 900) != drawn.Pixel(i % 900, i / 900);
    }
    EXPECT_EQ(differing, 0);
}
