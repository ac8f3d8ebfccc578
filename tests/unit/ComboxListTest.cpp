// Drop-down lists used with the real mouse and keyboard, as in any desktop application: the
// bar's account and currency lists and a combo box's list, in a terminal's window along the
// bottom of the work area.
#include "toolkit/Combox.h"

#include "support/BarHarness.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

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

std::function<void()> Click(POINT screen) {
    return [screen] { ClickAt(screen); };
}

// Activates a window of another thread, as when the user turns to another application.
void ActivateAnotherApplication() {
    std::atomic<bool> done = false;
    std::thread other([&] {
        const HWND hWnd = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 800, 100, 100, 100,
                                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(hWnd);
        DestroyWindow(hWnd);
        done = true;
    });
    // The other thread's activation waits on this thread's windows: pump meanwhile.
    if (!testing_support::PumpUntil([&] { return done.load(); }, 5000)) {
        std::terminate(); // the other thread is stuck on this one; waiting would never end
    }
    other.join();
}

// The terminal, active and with the keyboard focus, holds a funds bar docked along its bottom
// edge and a combo box with the rows "Yes" and "No" beside it.
class DropDown : public testing_support::FundsTest {
protected:
    void SetUp() override {
        FundsTest::SetUp();
        MONITORINFO monitor = {sizeof(monitor), {}, {}, 0};
        GetMonitorInfoW(MonitorFromWindow(terminal, MONITOR_DEFAULTTONEAREST), &monitor);
        work = monitor.rcWork;
        SetWindowPos(terminal, nullptr, work.left, work.bottom - 300, 1000, 300, SWP_NOZORDER);
        ASSERT_NE(bar = OpenBar(900, 50), nullptr);
        SetWindowLongPtrW(bar->m_hWnd, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN);
        SetParent(bar->m_hWnd, terminal);
        SetWindowPos(bar->m_hWnd, nullptr, 0, 250, 900, 50, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        combo.Create(terminal);
        SetWindowPos(combo.m_hWnd, nullptr, 910, 265, 80, combo.m_nHeight, SWP_NOZORDER);
        for (const wchar_t* name : {L"Yes", L"No"}) {
            combo.m_vecItems.push_back(ComboItem{{}, {}, 0, 0, true});
            lstrcpynW(combo.m_vecItems.back().name, name, 40);
        }
        UpdateWindow(bar->m_hWnd);
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
    const HWND account = bar->m_pAccountList->m_hWnd, currency = bar->m_pCurrencyList->m_hWnd,
               comboList = combo.m_pList->m_hWnd;
    // Each list's bottom left corner when it shows: no room below, so above its cell, the
    // combo's over the box's first pixel row.
    const POINT aboveAccount = OnScreen(bar->m_hWnd, POINT{bar->m_rcAccount.left, 0}),
                aboveCurrency = OnScreen(bar->m_hWnd, POINT{bar->m_rcCurrency.left, 0}),
                aboveCombo = OnScreen(combo.m_hWnd, POINT{0, 1});
    // Clicks on one cell come a few pixels apart, so that the system makes no double click
    // of them (on the bar, that opens the column dialog).
    const auto cell = [&](const RECT& rc, int dx) {
        return Click(OnScreen(bar->m_hWnd, {(rc.left + rc.right) / 2 + dx, 25}));
    };
    const auto box = [&](int dx) { return Click(OnScreen(combo.m_hWnd, POINT{40 + dx, 10})); };
    const auto escape = [] { testing_support::PressKey(VK_ESCAPE); };
    const int row = bar->m_pAccountList->RowHeight();
    const struct {
        const char* step;
        std::function<void()> act;
        HWND shown;
        POINT corner;
    } steps[] = {
        {"click on the account cell", cell(bar->m_rcAccount, 0), account, aboveAccount},
        {"second click on it", cell(bar->m_rcAccount, 8), nullptr, {}},
        {"third click on it", cell(bar->m_rcAccount, 0), account, aboveAccount},
        {"Escape", escape, nullptr, {}},
        {"click on the currency cell", cell(bar->m_rcCurrency, 0), currency, aboveCurrency},
        {"click on the account cell", cell(bar->m_rcAccount, 8), account, aboveAccount},
        {"click on the bar's other cells", Click(OnScreen(bar->m_hWnd, {800, 25})), nullptr, {}},
        {"click on the combo box", box(0), comboList, aboveCombo},
        {"second click on it", box(8), nullptr, {}},
        {"third click on it", box(0), comboList, aboveCombo},
        {"Escape", escape, nullptr, {}},
        {"click on the currency cell", cell(bar->m_rcCurrency, 8), currency, aboveCurrency},
        {"click on the combo box", box(8), comboList, aboveCombo},
        {"click on the terminal", Click(OnScreen(terminal, {500, 100})), nullptr, {}},
        {"click on the account cell", cell(bar->m_rcAccount, 0), account, aboveAccount},
        {"another application activated", &ActivateAnotherApplication, nullptr, {}},
        {"click on the combo box", box(0), comboList, aboveCombo},
        {"click on the bar", Click(OnScreen(bar->m_hWnd, {800, 25})), nullptr, {}},
        {"click on the account cell", cell(bar->m_rcAccount, 8), account, aboveAccount},
        {"click on its third row, 1003",
         [&] {
             ClickAt(OnScreen(account, {20, 2 * row + row / 2}));
         },
         nullptr,
         {}},
        {"click on the combo box", box(8), comboList, aboveCombo},
        {"click on its second row",
         [&] {
             ClickAt(OnScreen(comboList, {20, row + row / 2}));
         },
         nullptr,
         {}},
    };
    for (const auto& [step, act, shown, corner] : steps) {
        act();
        for (HWND list : {account, currency, comboList}) {
            EXPECT_EQ(IsWindowVisible(list) != FALSE, list == shown) << step;
        }
        EXPECT_TRUE(GetForegroundWindow() == terminal && GetFocus() == terminal) << step;
        const RECT rc = shown ? WindowRect(shown) : RECT{};
        EXPECT_TRUE(!shown || (rc.left == corner.x && rc.bottom == corner.y)) << step;
    }
    testing_support::PumpMessages();
    EXPECT_STREQ(bar->m_szAccount, "1003");
    EXPECT_STREQ(combo.GetText(), L"No");
}

namespace {

int g_nFirstWhileDragging;
TComboxList* g_pDragged;

} // namespace

TEST_F(DropDown, ListsStayOnTheWorkAreaEveryRowIsReachableAndTheThumbScrolls) {
    // The account list with rows R0, R1, ... that are taller than the plain face's.
    TComboxList& list = *bar->m_pAccountList;
    FontHandle tall(CreateFontW(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));
    list.m_hFont = tall.get();
    const int row = list.RowHeight(), page = 230 / row;
    ASSERT_EQ(row, 28);
    const auto setRows = [&](int count) {
        std::vector<ComboItem> rows(std::size_t(count), ComboItem{{}, {}, 0, 0, true});
        for (int i = 0; i < count; ++i) {
            lstrcpynW(rows[std::size_t(i)].name, (L"R" + std::to_wstring(i)).c_str(), 40);
        }
        list.SetItems(rows);
    };
    const auto open = [&](const RECT& anchor) { list.DropDown(terminal, anchor, 200, 100); };
    setRows(30);
    open(RECT{20, 20, 220, 50});
    const int w = WindowRect(list.m_hWnd).right - WindowRect(list.m_hWnd).left;
    ASSERT_EQ(WindowRect(list.m_hWnd).bottom - WindowRect(list.m_hWnd).top, 230);
    // Anchors in the terminal's client area, and where the list's top left corner goes.
    const int top = work.bottom - 300, right = work.right - work.left - 50;
    const std::tuple<const char*, RECT, POINT> places[] = {
        {"room below", {20, 20, 220, 50}, {work.left + 20, top + 50}},
        {"at the bottom", {20, 260, 220, 290}, {work.left + 20, top + 260 - 230}},
        {"at the right edge", {right, 20, right + 200, 50}, {work.right - w, top + 50}},
    };
    for (const auto& [place, anchor, corner] : places) {
        open(anchor);
        const RECT rc = WindowRect(list.m_hWnd);
        EXPECT_TRUE(rc.left == corner.x && rc.top == corner.y && rc.right - rc.left == w) << place;
    }

    // The rows that fit whole are the page: the last row comes into view at the end of the
    // range, and a click there chooses it.
    for (const int count : {9, 30}) {
        setRows(count);
        open(RECT{20, 20, 220, 50});
        for (int i = 0; i < 10; ++i) {
            SendMessageW(list.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
        }
        EXPECT_EQ(list.FirstVisibleRow(), count - page) << count;
        ClickAt(OnScreen(list.m_hWnd, POINT{30, (page - 1) * row + row / 2}));
        EXPECT_EQ(bar->m_szAccount, "R" + std::to_string(count - 1));
    }

    // New rows for an open list of the same size: the range follows them; a new opening
    // starts from the top.
    open(RECT{20, 20, 220, 50});
    SendMessageW(list.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    const RECT before = WindowRect(list.m_hWnd);
    setRows(40);
    const RECT rc = WindowRect(list.m_hWnd);
    SCROLLINFO si = {sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(list.m_hWnd, SB_VERT, &si);
    EXPECT_TRUE(EqualRect(&before, &rc) && si.nMax == 39);
    open(RECT{20, 20, 220, 50});
    EXPECT_EQ(list.FirstVisibleRow(), 0);

    // The thumb, pressed and dragged down: the rows follow before it is let go.
    const int x = rc.right - GetSystemMetrics(SM_CXVSCROLL) / 2,
              y = rc.top + GetSystemMetrics(SM_CYVSCROLL) + 3;
    g_nFirstWhileDragging = -1;
    g_pDragged = &list;
    SetCursorPos(x, y);
    testing_support::SendMouse(MOUSEEVENTF_LEFTDOWN);
    SetCursorPos(x, y + 90);
    testing_support::SendMouse(MOUSEEVENTF_MOVE);
    // Runs inside the scroll bar's own loop, which lasts until the button is released.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (g_nFirstWhileDragging < 0) {
            g_nFirstWhileDragging = g_pDragged->FirstVisibleRow();
            testing_support::SendMouse(MOUSEEVENTF_LEFTUP);
        }
    });
    testing_support::PumpUntil([] { return g_nFirstWhileDragging >= 0; }, 3000);
    KillTimer(nullptr, timer);
    testing_support::PumpMessages();
    EXPECT_GT(g_nFirstWhileDragging, 5);
    EXPECT_EQ(list.FirstVisibleRow(), g_nFirstWhileDragging);
    EXPECT_TRUE(IsWindowVisible(list.m_hWnd));
}
