#include "toolkit/ComboxList.h"
#include "toolkit/Combox.h"

#include "toolkit/SharedDrawing.h"
#include "support/BarHarness.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"
#include "toolkit/ToolkitMessages.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>

using testing_support::RecordingWindow;

namespace {

// The text font plus 10: "Calibri" of 18 pixels where it is installed, otherwise 13 pixels.
const int kRow = testing_support::CalibriExpected() ? 28 : 23;

class DropDownList : public testing_support::BarTest {
protected:
    DropDownList() : BarTest(1033) {}
    void SetUp() override {
        BarTest::SetUp();
        list = std::make_unique<TComboxList>();
        list->CreateList(owner, 0);
    }
    void TearDown() override {
        DestroyWindow(owner); // and the list's window with it
        BarTest::TearDown();
    }
    // Opens the list as its owners do, with rows "Row" described "Desc"; returns its size.
    SIZE Open(int rows, int width = 60) {
        list->SetItems(std::vector<ComboItem>(rows, ComboItem{L"Row", L"Desc", L'F', 0, true}));
        int x = 40, y = 50, height = 200;
        list->SetPos(x, y, width, height);
        ShowWindow(list->m_hWnd, SW_SHOWNA);
        RECT rc = {};
        GetWindowRect(list->m_hWnd, &rc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }
    void Wheel(int delta) {
        SendMessageW(list->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta * WHEEL_DELTA), 0);
    }

    HWND owner = RecordingWindow::Create(nullptr, WS_POPUP, RECT{600, 600, 700, 620});
    std::unique_ptr<TComboxList> list;
};

} // namespace

TEST_F(DropDownList, SizesToItsRowsScrollsTwoRowsAWheelShowsTheHotRowAndReportsCheckedRowsClicked) {
    WindowDC dc(nullptr);
    SelectScope font(dc.get(), g_hTextFont.get());
    SIZE text = {};
    GetTextExtentPoint32W(dc.get(), L"RowDesc           ", 18, &text);
    for (const int rows : {0, 5, 10, 11, 3}) {
        // Without rows the owner's size stands; past 230 pixels a scroll bar, with room from 11 rows on.
        const SIZE size = Open(rows);
        EXPECT_EQ(size.cy, rows ? std::min(rows * kRow, 230) : 200) << rows;
        EXPECT_EQ(size.cx, rows ? text.cx + 20 + (rows > 10 ? 20 : 0) : 60) << rows;
        EXPECT_EQ((GetWindowLongW(list->m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0, rows * kRow > 230) << rows;
    }
    EXPECT_EQ(Open(3, 400).cx, 400);

    Open(25); // a page of the rows that fit whole
    const int last = 25 - 230 / kRow;
    for (int wheel = 1; wheel < 10; ++wheel) {
        Wheel(-1);
        EXPECT_EQ(list->FirstVisibleRow(), std::min(2 * wheel, last));
    }
    Wheel(20); // two rows, whatever the delta
    EXPECT_EQ(list->FirstVisibleRow(), last - 2);
    const SIZE size = Open(25, 200); // a resize goes back to the top
    EXPECT_EQ(list->FirstVisibleRow(), 0);
    Wheel(-1);

    // The band behind the row under the mouse covers that visible row alone.
    SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, kRow + 3));
    UpdateWindow(list->m_hWnd);
    testing_support::Canvas canvas(size.cx, 230);
    testing_support::CaptureWindow(list->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(RECT{150, kRow, 151, 2 * kRow}, RGB(51, 153, 255)), kRow);
    EXPECT_EQ(canvas.Count(RECT{150, 0, 151, 230}, RGB(51, 153, 255)), kRow);

    std::vector<LPARAM> told; // -1 for a notice that comes once the list is hidden
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_SELCHANGED) {
            told.push_back(IsWindowVisible(list->m_hWnd) ? msg.lParam : -1);
        }
    };
    list->m_vecItems[4].checked = false;
    // Rows 3 and 4 (not to be chosen), right of the list, above it.
    for (const POINT pt : {POINT{5, kRow + 5}, POINT{5, 2 * kRow + 5}, POINT{size.cx + 5, 5}, POINT{5, -5}}) {
        ShowWindow(list->m_hWnd, SW_SHOWNA);
        SendMessageW(list->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        EXPECT_FALSE(IsWindowVisible(list->m_hWnd)) << pt.x << "," << pt.y;
    }
    RecordingWindow::onMessage = nullptr;
    EXPECT_EQ(told, std::vector<LPARAM>{3});
}

namespace {

using testing_support::ClickAt;
using testing_support::PressKey;

// A terminal's window, active and with the keyboard focus, holding a cell that opens a list
// of 30 rows; input comes as the user gives it.
class DropDownUse : public testing_support::BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        SetForegroundWindow(terminal);
        SetFocus(terminal);
        list = std::make_unique<TComboxList>();
        list->CreateList(cell, 0);
        list->SetItems(std::vector<ComboItem>(30, ComboItem{L"Row", L"", L'F', 0, true}));
        testing_support::PumpMessages();
        RecordingWindow::log.clear();
    }
    void TearDown() override {
        RecordingWindow::onMessage = nullptr;
        list.reset();
        DestroyWindow(terminal);
        BarTest::TearDown();
    }
    void Open() { list->DropDown(cell, RECT{0, 0, 200, 30}, 200, 100); }
    bool Shown() const { return IsWindowVisible(list->m_hWnd) != FALSE; }
    static POINT OnScreen(HWND hWnd, POINT pt) {
        ClientToScreen(hWnd, &pt);
        return pt;
    }
    RECT ListRect() const {
        RECT rc = {};
        GetWindowRect(list->m_hWnd, &rc);
        return rc;
    }

    HWND terminal = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 700, 500});
    HWND cell = RecordingWindow::Create(terminal, WS_CHILD | WS_VISIBLE, RECT{20, 20, 220, 50});
    std::unique_ptr<TComboxList> list;
};

// Activates a window of another thread, as when the user turns to another application.
void ActivateAnotherApplication() {
    std::atomic<bool> done = false;
    std::thread other([&] {
        const HWND hWnd =
            CreateWindowExW(0, L"STATIC", L"another application", WS_POPUP | WS_VISIBLE, 800, 700, 100, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(hWnd);
        DestroyWindow(hWnd);
        done = true;
    });
    // The other thread's activation waits on this thread's windows: pump meanwhile.
    const bool bFinished = testing_support::PumpUntil([&] { return done.load(); }, 5000);
    if (!bFinished) {
        std::terminate(); // the other thread is stuck on this one; waiting would never end
    }
    other.join();
}

} // namespace

TEST_F(DropDownUse, ClosesOnEscapeOnClicksOutsideAndOnTheCellAndNeverTakesTheFocus) {
    // What closes the list, and which window the closing input still reaches.
    const std::tuple<const char*, std::function<void()>, HWND, UINT> closers[] = {
        {"Escape", [] { PressKey(VK_ESCAPE); }, nullptr, 0},
        {"a click on the terminal",
         [&] {
             ClickAt(OnScreen(terminal, POINT{500, 300}));
         },
         terminal, WM_LBUTTONDOWN},
        {"a click on its cell",
         [&] {
             ClickAt(OnScreen(cell, POINT{100, 15}));
         },
         nullptr, 0},
        {"a right click on its cell",
         [&] {
             ClickAt(OnScreen(cell, POINT{100, 15}), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
         },
         cell, WM_RBUTTONDOWN},
        {"a click on its row",
         [&] {
             ClickAt(OnScreen(list->m_hWnd, POINT{30, 40}));
         },
         cell, TCM_SELCHANGED},
        {"another application activated", &ActivateAnotherApplication, nullptr, 0},
        // Messages made by hand rather than by the user: a queued one is held back as the
        // user's is, a sent one cannot be.
        {"Escape posted to the terminal",
         [&] {
             PostMessageW(terminal, WM_KEYDOWN, VK_ESCAPE, 1);
             testing_support::PumpMessages();
         },
         nullptr, 0},
        {"Escape sent to the terminal", [&] { SendMessageW(terminal, WM_KEYDOWN, VK_ESCAPE, 1); }, terminal,
         WM_KEYDOWN},
        {"a click sent to the terminal", [&] { SendMessageW(terminal, WM_LBUTTONDOWN, MK_LBUTTON, 0); },
         terminal, WM_LBUTTONDOWN},
        {"a click posted to its cell",
         [&] {
             SetCursorPos(OnScreen(cell, POINT{100, 15}).x, OnScreen(cell, POINT{100, 15}).y);
             PostMessageW(cell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 15));
             testing_support::PumpMessages();
         },
         nullptr, 0},
    };
    for (const auto& [closer, close, hReached, uReached] : closers) {
        SetForegroundWindow(terminal);
        SetFocus(terminal);
        Open();
        testing_support::PumpMessages();
        EXPECT_TRUE(Shown()) << closer;
        EXPECT_EQ(GetForegroundWindow(), terminal) << closer;
        EXPECT_EQ(GetFocus(), terminal) << closer;
        RecordingWindow::log.clear();
        close();
        EXPECT_FALSE(Shown()) << closer;
        // Only what closes the list is held back: no key, and no click on the cell.
        for (const MSG& msg : RecordingWindow::log) {
            const bool bInput = msg.message == WM_KEYDOWN || msg.message == WM_LBUTTONDOWN ||
                                msg.message == WM_LBUTTONDBLCLK || msg.message == WM_RBUTTONDOWN ||
                                msg.message == TCM_SELCHANGED;
            EXPECT_TRUE(!bInput || (msg.hwnd == hReached && msg.message == uReached))
                << closer << ": message " << msg.message << " reached " << msg.hwnd;
        }
        if (hReached) {
            EXPECT_EQ(RecordingWindow::Count(hReached, uReached), 1) << closer;
        }
    }
    // Once closed, it holds nothing back.
    SetForegroundWindow(terminal);
    SetFocus(terminal);
    testing_support::PumpMessages();
    RecordingWindow::log.clear();
    PressKey(VK_ESCAPE);
    ClickAt(OnScreen(cell, POINT{100, 15}));
    EXPECT_EQ(RecordingWindow::Count(terminal, WM_KEYDOWN), 1);
    EXPECT_EQ(RecordingWindow::Count(cell, WM_LBUTTONDOWN), 1);
}

TEST_F(DropDownUse, OpensAboveWithoutRoomBelowAndStaysLeftOfTheWorkAreasRightEdge) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(terminal, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    Open();
    const int w = ListRect().right - ListRect().left, h = ListRect().bottom - ListRect().top;
    ASSERT_EQ(h, 230);
    // Where the cell's top left corner is put on screen, and where the list must open then.
    const std::tuple<const char*, POINT, POINT> places[] = {
        {"room below", {300, 200}, {300, 230}},
        {"at the bottom", {300, work.bottom - 100}, {300, work.bottom - 100 - h}},
        {"at the right edge", {work.right - 50, 200}, {work.right - w, 230}},
        {"at the bottom right", {work.right - 50, work.bottom - 30}, {work.right - w, work.bottom - 30 - h}},
    };
    for (const auto& [place, corner, expected] : places) {
        SetWindowPos(terminal, nullptr, corner.x - 20, corner.y - 20, 600, 400,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Open();
        EXPECT_EQ(ListRect().left, expected.x) << place;
        EXPECT_EQ(ListRect().top, expected.y) << place;
        EXPECT_EQ(ListRect().right - ListRect().left, w) << place;
        list->CloseUp();
    }
}

TEST_F(DropDownUse, EveryRowIsReachableWithTallRowsAndTheThumbScrollsAsItIsDragged) {
    FontHandle tall(CreateFontW(18, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));
    list->m_hFont = tall.get();
    const int row = list->RowHeight();
    ASSERT_EQ(row, 28);
    // Rows that fit whole are the page: the last rows come into view at the end of the range.
    for (const int rows : {9, 12, 30}) {
        list->SetItems(std::vector<ComboItem>(std::size_t(rows), ComboItem{L"Row", L"", L'F', 0, true}));
        Open();
        EXPECT_EQ(list->PageRows(), 230 / row);
        for (int page = 0; page < 10; ++page) {
            SendMessageW(list->m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
        }
        EXPECT_EQ(list->FirstVisibleRow(), rows - 230 / row) << rows;
        std::vector<LPARAM> told;
        RecordingWindow::onMessage = [&](const MSG& msg) {
            if (msg.message == TCM_SELCHANGED) {
                told.push_back(msg.lParam);
            }
        };
        ClickAt(OnScreen(list->m_hWnd, POINT{30, (230 / row - 1) * row + row / 2}));
        EXPECT_EQ(told, std::vector<LPARAM>{rows - 1}) << rows;
        RecordingWindow::onMessage = nullptr;
    }

    // New rows for an open list of the same size: the range follows them, and a new opening
    // starts from the top.
    Open();
    SendMessageW(list->m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    const RECT before = ListRect();
    list->SetItems(std::vector<ComboItem>(40, ComboItem{L"Row", L"", L'F', 0, true}));
    const RECT after = ListRect();
    EXPECT_TRUE(EqualRect(&before, &after));
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE;
    GetScrollInfo(list->m_hWnd, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 39);
    SendMessageW(list->m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    Open();
    EXPECT_EQ(list->FirstVisibleRow(), 0);

    // The thumb, pressed and dragged down: the rows follow before it is let go.
    const RECT rc = ListRect();
    const int x = rc.right - GetSystemMetrics(SM_CXVSCROLL) / 2,
              y = rc.top + GetSystemMetrics(SM_CYVSCROLL) + 3;
    static int s_nFirstWhileDragging;
    static TComboxList* s_pList;
    s_nFirstWhileDragging = -1;
    s_pList = list.get();
    SetCursorPos(x, y);
    testing_support::SendMouse(MOUSEEVENTF_LEFTDOWN);
    SetCursorPos(x, y + 90);
    testing_support::SendMouse(MOUSEEVENTF_MOVE);
    // Runs inside the scroll bar's own loop, which lasts until the button is released.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (s_nFirstWhileDragging < 0) {
            s_nFirstWhileDragging = s_pList->FirstVisibleRow();
            testing_support::SendMouse(MOUSEEVENTF_LEFTUP);
        }
    });
    testing_support::PumpUntil([] { return s_nFirstWhileDragging >= 0; }, 3000);
    KillTimer(nullptr, timer);
    testing_support::PumpMessages();
    EXPECT_GT(s_nFirstWhileDragging, 5);
    EXPECT_EQ(list->FirstVisibleRow(), s_nFirstWhileDragging);
    EXPECT_TRUE(Shown());
}

TEST_F(DropDownUse, ComboListOpensAboveAtTheBottomClosesLikeAnyAndLeavesTheFocus) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(terminal, MONITOR_DEFAULTTONEAREST), &monitor);
    SetWindowPos(terminal, nullptr, 100, monitor.rcWork.bottom - 100, 600, 100, SWP_NOZORDER);
    TCombox combo;
    combo.Create(terminal);
    SetWindowPos(combo.m_hWnd, nullptr, 40, 60, 80, combo.m_nHeight, SWP_NOZORDER);
    for (const wchar_t* name : {L"Yes", L"No"}) {
        combo.m_vecItems.push_back(ComboItem{});
        lstrcpynW(combo.m_vecItems.back().name, name, 40);
        combo.m_vecItems.back().checked = true;
    }
    combo.EnsureList();
    combo.m_pList->SetItems(combo.m_vecItems);
    SetForegroundWindow(terminal);
    SetFocus(terminal);
    const POINT centre = OnScreen(combo.m_hWnd, POINT{40, 10});
    const RECT box = {centre.x - 40, centre.y - 10, centre.x + 40, centre.y + 10};
    const HWND hList = combo.m_pList->m_hWnd;
    // Whether the list shows after each step.
    const std::tuple<const char*, std::function<void()>, bool> steps[] = {
        {"click", [&] { ClickAt(centre); }, true},
        {"second click",
         [&] {
             ClickAt(POINT{centre.x + 8, centre.y});
         },
         false},
        {"click again",
         [&] {
             ClickAt(POINT{centre.x + 8, centre.y});
         },
         true},
        {"Escape", [] { PressKey(VK_ESCAPE); }, false},
        {"click", [&] { ClickAt(centre); }, true},
        {"click on the window around it",
         [&] {
             ClickAt(OnScreen(terminal, POINT{400, 50}));
         },
         false},
        {"click",
         [&] {
             ClickAt(POINT{centre.x - 8, centre.y});
         },
         true},
        {"click on the second row",
         [&] {
             ClickAt(OnScreen(hList, POINT{10, combo.m_pList->RowHeight() + 5}));
         },
         false},
    };
    for (const auto& [step, act, shown] : steps) {
        act();
        EXPECT_EQ(IsWindowVisible(hList) != FALSE, shown) << step;
        EXPECT_EQ(GetForegroundWindow(), terminal) << step;
        EXPECT_EQ(GetFocus(), terminal) << step;
        if (shown) {
            // Above the box, over its first pixel row.
            RECT list = {};
            GetWindowRect(hList, &list);
            EXPECT_TRUE(list.left == box.left && list.bottom == box.top + 1) << step;
        }
    }
    testing_support::PumpMessages();
    EXPECT_STREQ(combo.GetText(), L"No");
}
