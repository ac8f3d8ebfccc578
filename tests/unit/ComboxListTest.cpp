// Drop-down lists used with the real mouse and keyboard, as in any desktop application: the
// bar's account and currency lists and a combo box's list, in a terminal's window in the
// bottom right corner of the work area.
#include "toolkit/Combox.h"
#include "toolkit/ToolkitMessages.h"

#include "support/BarHarness.h"
#include "support/ModalScript.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"

#include <algorithm>

using testing_support::ClickAt;

namespace {

POINT OnScreen(HWND hWnd, POINT pt) {
    ClientToScreen(hWnd, &pt);
    return pt;
}

RECT WindowRect(HWND hWnd) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return rc;
}

// The terminal, active and with the keyboard focus, holds a funds bar docked along its bottom
// edge and, beside it at the right edge of the work area, a combo box whose list is wider than
// the room to its right.
class DropDown : public testing_support::FundsTest {
protected:
    void SetUp() override {
        FundsTest::SetUp();
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        SetWindowPos(terminal, nullptr, work.right - 1000, work.bottom - 300, 1000, 300, SWP_NOZORDER);
        ASSERT_NE(bar = OpenBar(900, 50), nullptr);
        SetWindowLongPtrW(bar->m_hWnd, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN);
        SetParent(bar->m_hWnd, terminal);
        SetWindowPos(bar->m_hWnd, nullptr, 0, 250, 900, 50, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        combo.Create(terminal);
        SetWindowPos(combo.m_hWnd, nullptr, 910, 265, 80, 20, SWP_NOZORDER);
        combo.SetItems({ComboItem{L"Yes", {}, 0, 0, true}, ComboItem{L"No, not even once", {}, 0, 0, true}});
        SetForegroundWindow(terminal);
        SetFocus(terminal);
        testing_support::PumpMessages();
    }
    void TearDown() override {
        FundsTest::TearDown();
        DestroyWindow(terminal);
    }

    HWND terminal =
        testing_support::RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 1000, 300});
    RECT work = {};
    TKestrovaWnd* bar = nullptr;
    TCombox combo;
};

} // namespace

TEST_F(DropDown, ListsOpenAboveTheirCellsAndCloseOnEscapeASecondClickOrAClickElsewhereKeepingTheFocus) {
    combo.EnsureList();
    const HWND account = bar->AccountList()->m_hWnd, currency = bar->CurrencyList()->m_hWnd,
               comboList = combo.List()->m_hWnd;
    // Clicks on one cell come a few pixels apart, so that the system makes no double click
    // of them (on the bar, that opens the column dialog).
    const auto click = [](HWND hWnd, POINT pt) { return [=] { ClickAt(OnScreen(hWnd, pt)); }; };
    const auto cell = [&](const RECT& rc, int dx) {
        return click(bar->m_hWnd, {(rc.left + rc.right) / 2 + dx, 25});
    };
    const auto escape = [] { testing_support::PressKey(VK_ESCAPE); };
    // As the system tells the thread's windows that another application took the activation.
    const auto deactivate = [&] { SendMessageW(comboList, WM_ACTIVATEAPP, FALSE, 0); };
    // Hide All, then OK, in the column dialog: the currency column's cell goes, and with it the
    // place where a click opened its list.
    const auto press = [](POINT pt) { return [=](HWND hDialog) { ClickAt(hDialog, pt); }; };
    const auto hideAll = [&] {
        const auto open = [&] { SendMessageW(bar->m_hWnd, WM_COMMAND, TKestrovaWnd::kConfigCommand, 0); };
        testing_support::RunModal({press({340, 145}), press({340, 450})}, open);
    };
    // Each list's bottom left corner when it shows: no room below, so above its cell (the
    // combo's over the box's first pixel row); moved left where it would leave the work area.
    const POINT aboveAccount = OnScreen(bar->m_hWnd, {bar->AccountCell().left, 0}),
                aboveCurrency = OnScreen(bar->m_hWnd, {bar->CurrencyCell().left, 0}),
                aboveCombo = OnScreen(combo.m_hWnd, {0, 1});
    const std::tuple<const char*, std::function<void()>, HWND, POINT> steps[] = {
        {"click on the account cell", cell(bar->AccountCell(), 0), account, aboveAccount},
        {"second click on it", cell(bar->AccountCell(), 8), nullptr, {}},
        {"click on the currency cell", cell(bar->CurrencyCell(), 0), currency, aboveCurrency},
        {"Escape", escape, nullptr, {}},
        {"click on the account cell", cell(bar->AccountCell(), 0), account, aboveAccount},
        {"click on the bar's other cells", click(bar->m_hWnd, {800, 25}), nullptr, {}},
        {"click on the combo box", click(combo.m_hWnd, {40, 10}), comboList, aboveCombo},
        {"second click on it", click(combo.m_hWnd, {48, 10}), nullptr, {}},
        {"click on the currency cell", cell(bar->CurrencyCell(), 8), currency, aboveCurrency},
        {"click on the terminal", click(terminal, {500, 100}), nullptr, {}},
        {"click on the combo box", click(combo.m_hWnd, {48, 10}), comboList, aboveCombo},
        {"another application activated", deactivate, nullptr, {}},
        {"Hide All, OK in the column dialog", hideAll, nullptr, {}},
        {"click where the currency cell was", cell(bar->CurrencyCell(), 0), nullptr, {}},
    };
    for (const auto& [step, act, shown, corner] : steps) {
        act();
        for (HWND list : {account, currency, comboList}) {
            EXPECT_EQ(IsWindowVisible(list) != FALSE, list == shown) << step;
        }
        EXPECT_EQ(GetForegroundWindow(), terminal) << step;
        EXPECT_EQ(GetFocus(), terminal) << step;
        if (shown) {
            const RECT rc = WindowRect(shown);
            EXPECT_EQ(rc.bottom, corner.y) << step;
            EXPECT_LE(rc.right, work.right) << step;
            // At the corner, or pushed left by the work area's edge.
            EXPECT_TRUE(rc.left == corner.x || rc.right == work.right)
                << step << ": " << rc.left << "-" << rc.right;
        }
    }
}

// The list hides on the press that chooses a row, the terminal active throughout; the release
// that follows lands nowhere, though the terminal lies under the row. A list goes with the
// window it dropped down from: it closes when that window moves, hides or is minimised, and
// stays when it only grows.
TEST_F(DropDown, AChoicesReleaseLandsNowhereAndAListClosesWhenItsWindowMovesHidesOrIsMinimised) {
    combo.EnsureList();
    ClickAt(OnScreen(combo.m_hWnd, {40, 10}));
    const RECT rc = WindowRect(combo.List()->m_hWnd);
    const POINT firstRow = {rc.left + 20, rc.top + combo.List()->RowHeight() / 2};
    testing_support::RecordingWindow::log.clear(); // what the terminal is told from here on
    ClickAt(firstRow);
    EXPECT_STREQ(combo.GetText(), L"Yes");
    EXPECT_EQ(testing_support::RecordingWindow::Count(terminal, WM_LBUTTONUP), 0);
    ClickAt(firstRow); // the next click is the terminal's, whole (counted below with the last)
    // A choice whose release never comes (the button went up over another application): the
    // next click is whole all the same.
    ClickAt(OnScreen(combo.m_hWnd, {40, 10}));
    SendMessageW(combo.List()->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    ClickAt(firstRow);
    EXPECT_EQ(testing_support::RecordingWindow::Count(terminal, WM_LBUTTONUP), 2);
    // Not even for a moment did a row's click take the activation from the terminal.
    EXPECT_EQ(testing_support::RecordingWindow::Count(terminal, WM_NCACTIVATE), 0);

    const HWND list = bar->AccountList()->m_hWnd;
    const RECT place = WindowRect(terminal);
    const auto terminalAt = [&](int dx, int dy, int dh) {
        return [=] {
            SetWindowPos(terminal, nullptr, place.left + dx, place.top + dy, place.right - place.left,
                         place.bottom - place.top + dh, SWP_NOZORDER | SWP_NOACTIVATE);
        };
    };
    const auto show = [](HWND hWnd, int nCmdShow) { return [=] { ShowWindow(hWnd, nCmdShow); }; };
    const auto barAt = [&](int y) {
        return [=] { SetWindowPos(bar->m_hWnd, nullptr, 0, y, 900, 50, SWP_NOZORDER | SWP_NOACTIVATE); };
    };
    const std::tuple<const char*, std::function<void()>, std::function<void()>, bool> steps[] = {
        {"terminal grown", terminalAt(0, 0, 20), terminalAt(0, 0, 0), true},
        {"terminal moved", terminalAt(-10, 0, 0), terminalAt(0, 0, 0), false},
        {"bar moved in the terminal", barAt(240), barAt(250), false},
        {"bar hidden", show(bar->m_hWnd, SW_HIDE), show(bar->m_hWnd, SW_SHOWNA), false},
        {"terminal minimised", show(terminal, SW_SHOWMINNOACTIVE), show(terminal, SW_SHOWNOACTIVATE), false},
    };
    int dx = 0; // clicks a few pixels apart, which the system makes no double click of
    for (const auto& [step, act, undo, stays] : steps) {
        ClickAt(OnScreen(bar->m_hWnd,
                         {(bar->AccountCell().left + bar->AccountCell().right) / 2 + (dx ^= 8), 25}));
        ASSERT_TRUE(IsWindowVisible(list)) << step;
        act();
        testing_support::PumpMessages();
        EXPECT_EQ(IsWindowVisible(list) != FALSE, stays) << step;
        ReleaseListHooks(); // closes the open list
        undo();
        testing_support::PumpMessages();
    }
}

TEST_F(DropDown, EveryRowIsReachableTheRangeFollowsTheRowsAndTheThumbScrolls) {
    // A list of the terminal's with rows A, B, C, ..., opened where there is room below. In the run
    // with "Calibri" the rows are taller and the page of rows that fit whole is shorter than
    // the list's height makes it look.
    TComboxList list;
    list.CreateList(terminal, 0);
    const auto chosen = [&] {
        const auto& log = testing_support::RecordingWindow::log;
        const auto last = std::find_if(log.rbegin(), log.rend(), [&](const MSG& msg) {
            return msg.hwnd == terminal && msg.message == TCM_SELCHANGED && HWND(msg.wParam) == list.m_hWnd;
        });
        return last == log.rend() ? -1 : int(last->lParam);
    };
    const int row = list.RowHeight(), page = 230 / row;
    const auto open = [&](int count) {
        std::vector<ComboItem> rows(std::size_t(count), ComboItem{{}, {}, 0, 0, true});
        for (int i = 0; i < count; ++i) {
            rows[std::size_t(i)].name[0] = wchar_t(L'A' + i);
        }
        list.SetItems(rows);
        list.DropDown(terminal, RECT{20, 20, 220, 50}, 200, 100);
    };
    // The last row comes into view at the end of the range, by the arrow key (from no lit row it
    // lights the first) or by pages, and a click there chooses it.
    for (const int count : {12, 30}) {
        open(count);
        for (int i = 0; i < 12; ++i) { // a key for each of 12 rows; more than enough pages
            count == 12 ? PostMessageW(terminal, WM_KEYDOWN, VK_DOWN, 0)
                        : SendMessageW(list.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
        }
        testing_support::PumpMessages();
        EXPECT_EQ(list.FirstVisibleRow(), count - page) << count;
        ClickAt(OnScreen(list.m_hWnd, POINT{30, (page - 1) * row + row / 2}));
        EXPECT_EQ(chosen(), count - 1);
    }
    // New rows for an open list of the same size: the range follows them; a new opening
    // starts from the top.
    SendMessageW(list.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    const RECT rc = WindowRect(list.m_hWnd);
    list.SetItems(std::vector<ComboItem>(40, ComboItem{L"Row", {}, 0, 0, true}));
    SCROLLINFO si = {sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(list.m_hWnd, SB_VERT, &si);
    const RECT after = WindowRect(list.m_hWnd);
    EXPECT_TRUE(EqualRect(&rc, &after));
    EXPECT_EQ(rc.bottom - rc.top, 230);
    EXPECT_EQ(si.nMax, 39);
    list.DropDown(terminal, RECT{20, 20, 220, 50}, 200, 100);
    EXPECT_EQ(list.FirstVisibleRow(), 0);

    // The thumb, pressed, dragged down and let go, in one go; a scroll bar's loop that never
    // ends is ended.
    const int x = rc.right - GetSystemMetrics(SM_CXVSCROLL) / 2,
              y = rc.top + GetSystemMetrics(SM_CYVSCROLL) + 3;
    SetCursorPos(x, y);
    testing_support::SendMouse(MOUSEEVENTF_LEFTDOWN);
    SetCursorPos(x, y + 90);
    testing_support::SendMouse(MOUSEEVENTF_MOVE);
    testing_support::SendMouse(MOUSEEVENTF_LEFTUP);
    const testing_support::QuitAfter bound(5000);
    testing_support::PumpMessages();
    const int dragged = list.FirstVisibleRow();
    EXPECT_GT(dragged, 5);
    SendMessageW(list.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0); // a notch up: two rows
    EXPECT_EQ(list.FirstVisibleRow(), dragged - 2);
    EXPECT_TRUE(IsWindowVisible(list.m_hWnd));
}
