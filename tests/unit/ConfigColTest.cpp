// The "Config Column" dialog driven as a user drives it: opened on a real bar, its buttons,
// check boxes, combo boxes and scroll bar worked with the cursor from inside its modal loop,
// and what the bar shows and saves afterwards; with it, the modal loop every dialog runs.
#include "columns/ConfigCol.h"
#include "base/Texts.h"

#include "support/BarHarness.h"
#include "support/HandleCensus.h"
#include "support/ModalScript.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

// Dialog client points: the middle of each control as the layout places it, and the close box.
constexpr POINT kCombo = {340, 75}, kShowAll = {340, 115}, kHideAll = {340, 145}, kMoveUp = {340, 235},
                kMoveDown = {340, 265}, kOK = {340, 450}, kCancel = {340, 480}, kClose = {370, 15};

// The windows whose messages go to the plug-in's window procedure, top-level or inside others.
BOOL CALLBACK CollectOurs(HWND hWnd, LPARAM found) {
    if (GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TIxFrm::StaticWndProc)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(hWnd);
    }
    return TRUE;
}
std::vector<HWND> OurWindows() {
    std::vector<HWND> found;
    EnumChildWindows(GetDesktopWindow(), &CollectOurs, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The plug-in's window classes still registered in the host process.
std::vector<std::wstring> OurClasses() {
    std::vector<std::wstring> registered;
    for (const wchar_t* name : {L"TKestrovaWnd", L"TCombox", L"TComboxList", L"TPopupWnd", L"TModalWnd",
                                L"TStaticButton", L"GridList", L"GridCtrl"}) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) {
            registered.push_back(name);
        }
    }
    return registered;
}

// Run once by a timer of the thread's, inside the loop of a context menu once one shows; a
// menu still open five seconds later is closed, and that is told.
std::function<void()> g_inMenuLoop;
DWORD g_ranInMenuLoop = 0;
bool g_menuStayed = false;
void CALLBACK RunInMenuLoop(HWND, UINT, UINT_PTR, DWORD) {
    if (!FindWindowW(L"#32768", nullptr)) {
        return;
    }
    if (g_inMenuLoop) {
        g_ranInMenuLoop = GetTickCount();
        std::exchange(g_inMenuLoop, nullptr)();
    } else if (GetTickCount() - g_ranInMenuLoop > 5000) {
        g_menuStayed = true;
        EndMenu();
    }
}

class ConfigDialog : public FundsTest {
protected:
    static TConfigCol& DialogOf(HWND h) { return *dynamic_cast<TConfigCol*>(TIxFrm::FromHandle(h)); }
    static TGridCtrl& GridOf(HWND hDialog) { return *DialogOf(hDialog).Grid(); }
    // The control under a dialog client point, and the combo box there or in the grid.
    static HWND At(HWND hDialog, POINT pt) { return ChildWindowFromPoint(hDialog, pt); }
    static TCombox& ComboIn(HWND hParent, POINT pt = {-1, -1}) {
        const HWND hCombo = pt.x < 0 ? FindWindowExW(hParent, nullptr, L"TCombox", nullptr) : At(hParent, pt);
        return *dynamic_cast<TCombox*>(TIxFrm::FromHandle(hCombo));
    }
    // The drop-down list that shows, of any bar or combo box.
    static HWND ShownList() {
        HWND shown = nullptr;
        for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, L"TComboxList", nullptr));) {
            shown = IsWindowVisible(h) ? h : shown;
        }
        return shown;
    }
    // Grid client point of a screen row's check box (column 0), title (1) or Yes/No cell (2).
    static POINT Cell(int row, int col) { return POINT{col == 0 ? 12 : col == 1 ? 120 : 237, 22 * row + 11}; }
    static int Top(const TGridCtrl& grid) { return GetScrollPos(grid.m_hWnd, SB_VERT); }
    static POINT OnScreen(HWND hWnd, POINT pt) {
        ClientToScreen(hWnd, &pt);
        return pt;
    }

    // Chooses "Yes" (0) or "No" (1) in the combo box at the top right (screen row 0), or in the
    // grid's in-place editor over a screen row.
    static void ChooseColour(HWND hDialog, int screenRow, int choice) {
        const TCombox* combo = &ComboIn(hDialog, kCombo);
        if (screenRow == 0) {
            ClickAt(hDialog, kCombo);
        } else {
            DoubleClickAt(GridOf(hDialog).m_hWnd, Cell(screenRow, 2));
            combo = &ComboIn(GridOf(hDialog).m_hWnd);
            ClickAt(combo->m_hWnd, POINT{20, 10});
        }
        ASSERT_TRUE(combo->List() && IsWindowVisible(combo->List()->m_hWnd));
        Mouse(combo->List()->m_hWnd, POINT{20, combo->List()->RowHeight() * choice + 5}, {WM_LBUTTONDOWN});
    }

    // "id|show|colour " of each column, the way the layout file stores them.
    static std::string Describe(const std::vector<ColumnSetting>& columns) {
        std::string text;
        for (const ColumnSetting& c : columns) {
            text += std::to_string(c.nColId) + (c.bShow ? "|1" : "|0") + (c.bColor ? "|1 " : "|0 ");
        }
        return text;
    }

    // Every screen row below the header shows its working record, as tools read it and in the
    // pixels: the check mark, the title and the Yes/No text.
    static void ExpectRowsTrueToTheWorkingList(HWND hDialog) {
        TGridCtrl& grid = GridOf(hDialog);
        RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_UPDATENOW);
        Canvas canvas(290, 450);
        CaptureWindow(grid.m_hWnd, canvas);
        const auto read = [&grid](int row, int col) {
            AccElement cell;
            EXPECT_TRUE(grid.AccDescribe(TGridCtrl::RowElement(row) | (col + 1), cell)) << row << "," << col;
            return cell;
        };
        const int top = Top(grid), rows = std::min(grid.RowsOnView(), grid.RowCount() - top);
        for (int k = 1; k < rows; ++k) {
            SCOPED_TRACE("top " + std::to_string(top) + ", screen row " + std::to_string(k));
            const ColumnSetting& record = DialogOf(hDialog).Columns()[top + k - 1];
            EXPECT_EQ((read(top + k, 0).nState & STATE_SYSTEM_CHECKED) != 0, record.bShow);
            EXPECT_EQ(read(top + k, 1).value, GetColumnTitle(record.nColId));
            EXPECT_EQ(read(top + k, 2).value, record.bColor ? L"Yes" : L"No");
            // The tick lies inside the box, one pixel right of and below the hit area.
            EXPECT_EQ(canvas.Count(RECT{9, 22 * k + 7, 19, 22 * k + 17}, RGB(150, 150, 150)) > 0,
                      record.bShow);
        }
    }

    void SetUp() override {
        FundsTest::SetUp();
        host.onModalBegin = Noting('B');
        host.onModalEnd = Noting('E');
        config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=5|30\r\n");
        bar = OpenBar(1200, 50);
    }
    // A host call noted in modalCalls, on which the host closes hClose if given.
    std::function<void()> Noting(char call, HWND hClose = nullptr) {
        return [this, call, hClose] {
            modalCalls += call;
            if (hClose) {
                DestroyWindow(hClose);
            }
        };
    }
    // Runs the steps in the dialog that a double click on the bar opens.
    bool Run(const std::vector<ModalStep>& steps) {
        return RunModal(steps, [&] { DoubleClickAt(bar->m_hWnd, POINT{100, 25}); });
    }
    // The layout file as Describe gives it, each key checked: equal to a layout of 36 ids, it
    // holds 36 keys in order, each id once.
    std::string StoredLayout() const {
        std::string text; // its spaces count the keys so far
        for (const std::string& line : config.LayoutLines()) {
            const std::string key = std::to_string(std::count(text.begin(), text.end(), ' ')) + "=";
            text += (line.rfind(key, 0) == 0 ? line.substr(key.size()) : "?" + line) + " ";
        }
        return text;
    }
    // A bar docked in the terminal's frame, as a child window.
    TKestrovaWnd* OpenDocked(HWND terminal) {
        TKestrovaWnd* docked = OpenBar(1200, 50);
        SetWindowLongPtrW(docked->m_hWnd, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN);
        SetParent(docked->m_hWnd, terminal);
        SetWindowPos(docked->m_hWnd, nullptr, 0, 0, 1200, 50,
                     SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        return docked;
    }
    TKestrovaWnd* bar = nullptr;
    std::string modalCalls;
};

} // namespace

TEST_F(ConfigDialog, GridListPassesOnExactlyTheGridsNotifications) {
    TGridList list;
    list.Create(RecordingWindow::Create(nullptr, WS_POPUP, RECT{0, 0, 100, 100}));
    std::vector<UINT> passed;
    for (UINT m = WM_USER + 100; m <= WM_USER + 111; ++m) {
        const UINT uMsg = m == WM_USER + 100 ? WM_NOTIFY : m;
        SendMessageW(list.m_hWnd, uMsg, uMsg, uMsg * 5);
        const MSG& last = RecordingWindow::log.back();
        passed.push_back(last.wParam == uMsg && last.lParam == LPARAM(uMsg) * 5 ? last.message : 0);
    }
    EXPECT_EQ(passed, (std::vector<UINT>{WM_NOTIFY, 0, 0, 0, 0, 0x469, 0x46A, 0x46B, 0x46C, 0x46D, 0, 0}));
}

// Escape, the system close command and the close box end the dialog without saving; its
// loop meanwhile passes only paint and notifications to other windows.
TEST_F(ConfigDialog, OpensCentredWithItsControlsInPlaceAndNoWayOfCancellingSaves) {
    const std::string before = Describe(bar->Settings());
    // Another window, then the dialog's child, grandchild, great-grandchild and one more down.
    HWND to[5] = {RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 900, 50, 950})};
    const UINT input[] = {WM_TIMER, WM_LBUTTONDOWN, WM_KEYDOWN, WM_SYSCOMMAND};
    ASSERT_TRUE(Run({[&](HWND hDialog) {
        RECT rc = {};
        GetWindowRect(hDialog, &rc);
        const int x = (GetSystemMetrics(SM_CXSCREEN) - 385) / 2,
                  y = (GetSystemMetrics(SM_CYSCREEN) - 500) / 2;
        const RECT centred = {x, y, x + 385, y + 500};
        EXPECT_TRUE(EqualRect(&rc, &centred));
        // The grid list, then the combo box and the buttons down the right side.
        std::vector<std::tuple<LONG, LONG, LONG, LONG>> places, expected = {{10, 40, 300, 490}};
        for (const int top : {65, 105, 135, 225, 255, 440, 470}) {
            expected.emplace_back(310, top, 370, top + 20);
        }
        for (HWND h = GetWindow(hDialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            GetWindowRect(h, &rc);
            MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rc), 2);
            places.emplace_back(rc.left, rc.top, rc.right, rc.bottom);
        }
        std::sort(places.begin(), places.end());
        EXPECT_EQ(places, expected);
        EXPECT_EQ(GridOf(hDialog).RowCount(), 34); // neither "Account No." nor the ignored 5 and 30
        ExpectRowsTrueToTheWorkingList(hDialog);
        ClickAt(hDialog, kHideAll);
        PostMessageW(bar->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0); // for whichever window it is meant
    }}));
    ASSERT_TRUE(Run({[&](HWND hDialog) {
                         for (int i = 1; i < 5; ++i) {
                             to[i] = RecordingWindow::Create(i > 1 ? to[i - 1] : hDialog, WS_CHILD, {});
                         }
                         // Input nobody acts on, and a close command with lParam 1, which
                         // does not end the dialog either.
                         for (int i = 0; i < 20; ++i) {
                             PostMessageW(to[i % 5], input[i / 5], 0, 0);
                         }
                         PostMessageW(to[0], WM_SYSCOMMAND, SC_CLOSE, 1);
                         PostMessageW(to[0], WM_USER + 111, 0, 0);
                         InvalidateRect(to[0], nullptr, FALSE);
                     },
                     [&](HWND hDialog) {
                         EXPECT_GE(RecordingWindow::Count(to[0], WM_PAINT), 1);
                         EXPECT_EQ(RecordingWindow::Count(to[0], WM_USER + 111), 1);
                         for (int i = 0; i < 20; ++i) {
                             EXPECT_EQ(RecordingWindow::Count(to[i % 5], input[i / 5]), i % 5 && i % 5 < 4)
                                 << i;
                         }
                         // Pressed on the close box and released elsewhere: nothing.
                         Mouse(hDialog, kClose, {WM_LBUTTONDOWN});
                         Mouse(hDialog, POINT{150, 15}, {WM_LBUTTONUP});
                         ASSERT_TRUE(IsWindow(hDialog));
                         Mouse(hDialog, POINT{150, 15}, {WM_LBUTTONDOWN});
                         Mouse(hDialog, kClose, {WM_LBUTTONUP});
                     }}));
    ASSERT_TRUE(Run({[&](HWND) { PostMessageW(to[0], WM_SYSCOMMAND, SC_CLOSE, 0); }}));
    DestroyWindow(to[0]);
    EXPECT_EQ(Describe(bar->Settings()), before);
    EXPECT_TRUE(config.LayoutLines().empty());
    EXPECT_EQ(modalCalls, "BEBEBE");
}

// OK, then Cancel, then the plug-in loaded again.
TEST_F(ConfigDialog, OkSavesTheWorkingListCancelSavesTheBarsAndTheLayoutReadsBack) {
    // A bar whose stored layout has "Account No." last: OK puts it first again, with its own flags.
    std::string layout = "[Kestrova]\r\n";
    for (std::size_t i = 0; i < 36; ++i) {
        const std::string column = Describe({bar->Settings()[(i + 1) % 36]});
        layout += std::to_string(i) + "=" + column.substr(0, column.size() - 1) + "\r\n";
    }
    config.Write("Kestrova.Show.pub", layout);
    DestroyWindow(bar->m_hWnd);
    bar = OpenBar(1200, 50);
    ASSERT_TRUE(Run({[&](HWND hDialog) {
                         TGridCtrl& grid = GridOf(hDialog);
                         ClickAt(grid.m_hWnd, Cell(1, 1));
                         ClickAt(hDialog, kMoveUp); // the first row cannot go up
                         EXPECT_EQ(grid.CurrentRow(), 1);
                         ClickAt(grid.m_hWnd, Cell(4, 1)); // "Account Value" past the ignored 5
                         ClickAt(hDialog, kMoveDown);
                         ClickAt(hDialog, kMoveDown);      // the selection moved with it
                         ClickAt(grid.m_hWnd, Cell(1, 0)); // "Currency" hidden
                         ClickAt(grid.m_hWnd, Cell(2, 0)); // "Excess Cash" shown
                         ChooseColour(hDialog, 0, 0);      // "Yes" for all
                     },
                     [&](HWND hDialog) {
                         TGridCtrl& grid = GridOf(hDialog);
                         for (int last = -1; Top(grid) != last;) {
                             last = Top(grid);
                             ExpectRowsTrueToTheWorkingList(hDialog);
                             SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
                         }
                         // The last row cannot go down, and stays selected; it goes back to "No".
                         ClickAt(grid.m_hWnd, Cell(33 - Top(grid), 1));
                         ClickAt(hDialog, kMoveDown);
                         EXPECT_EQ(grid.SelectedRows(), std::vector<int>{33});
                         ChooseColour(hDialog, 33 - Top(grid), 1);
                     },
                     [&](HWND hDialog) {
                         for (TGridCtrl& grid = GridOf(hDialog); Top(grid) > 0;) {
                             SendMessageW(grid.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
                             ExpectRowsTrueToTheWorkingList(hDialog);
                         }
                         ClickAt(hDialog, kOK);
                     }}));
    // Ids 5 and 30 ignored in their places; "Currency" hidden, "Excess Cash" shown, all but the
    // last offered one coloured.
    const std::string expected =
        "0|1|0 1|0|1 2|1|1 3|1|1 6|0|1 5|0|0 7|0|1 4|1|1 8|1|1 9|0|1 10|0|1 11|0|1 12|0|1 13|0|1 14|0|1 "
        "15|0|1 16|0|1 17|0|1 18|0|1 19|1|1 20|1|1 21|1|1 22|0|1 23|0|1 24|0|1 25|1|1 26|1|1 27|0|1 "
        "28|0|1 29|0|1 30|0|0 31|0|1 32|0|1 33|0|1 34|0|1 35|0|0 ";
    EXPECT_EQ(StoredLayout(), expected);
    EXPECT_EQ(Describe(bar->Settings()), expected);
    EXPECT_TRUE(GetUpdateRect(bar->m_hWnd, nullptr, FALSE)) << "the bar will not repaint";

    // From the context menu's command: Show All and "No" for all, then Cancel.
    DeleteFileA((config.dir + "Kestrova.Show.pub").c_str());
    ASSERT_TRUE(RunModal({[&](HWND hDialog) {
                              ClickAt(hDialog, kShowAll);
                              ChooseColour(hDialog, 0, 1);
                          },
                          [&](HWND hDialog) {
                              for (const ColumnSetting& c : DialogOf(hDialog).Columns()) {
                                  EXPECT_TRUE(c.bShow && !c.bColor) << c.nColId;
                              }
                              ExpectRowsTrueToTheWorkingList(hDialog);
                              ClickAt(hDialog, kCancel);
                          }},
                         [&] { SendMessageW(bar->m_hWnd, WM_COMMAND, 101, 0); }));
    EXPECT_EQ(Describe(bar->Settings()), expected);
    EXPECT_EQ(StoredLayout(), expected); // saved again, unchanged

    TearDown(); // the plug-in freed and loaded again
    SetUp();
    EXPECT_EQ(Describe(bar->Settings()), expected);
    EXPECT_TRUE(bar->Settings()[5].bIgnored && bar->Settings()[30].bIgnored);
}

// The host may close a bar while its dialog runs: from a message the dialog's loop delivers, or
// when it hears that the run begins or ends (after Escape). The bar docked in the terminal's
// frame: the dialog's owner is the frame, so it does not go with the bar's window. Each way the
// run ends once, unsaved, the bar leaves the lists at once and its object as its handler returns.
TEST_F(ConfigDialog, ABarClosedWhileItsDialogRunsEndsTheDialogOnceUnsavedAndGoesAsItsHandlerReturns) {
    const HWND terminal = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 150, 1200, 250});
    const HWND other = bar->m_hWnd;
    const long others = TIxFrm::LiveObjects(); // the other bar and its lists
    // Closed from the loop (road 0), as the host hears that the run begins (1), or ends (2).
    for (const int road : {0, 1, 2}) {
        SCOPED_TRACE(road);
        TKestrovaWnd* docked = OpenDocked(terminal);
        UpdateWindow(terminal);
        const HWND hDocked = docked->m_hWnd;
        const bool fromLoop = road == 0;
        modalCalls.clear();
        host.onModalBegin = Noting('B', road == 1 ? hDocked : nullptr);
        host.onModalEnd = Noting('E', road == 2 ? hDocked : nullptr);
        std::vector<HWND> listed;
        long during = 0;
        RunModal({[&](HWND hDialog) {
                     ClickAt(hDialog, kHideAll);
                     if (!fromLoop) {
                         PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
                         return;
                     }
                     DestroyWindow(hDocked);
                     EXPECT_FALSE(IsWindow(hDialog));
                     // Out of the lists at once, though its object waits for the handler running
                     // the dialog.
                     g_vecWndHandles.ForEach([&](HWND hWnd) { listed.push_back(hWnd); });
                     during = TIxFrm::LiveObjects();
                 }},
                 [&] {
                     DoubleClickAt(hDocked, POINT{100, 25});
                 });
        EXPECT_FALSE(IsWindow(hDocked));
        EXPECT_EQ(modalCalls, "BE");
        EXPECT_TRUE(config.LayoutLines().empty());
        EXPECT_TRUE(g_vecWnds.size() == 1 && g_vecWnds[0]->m_hWnd == other);
        EXPECT_EQ(TIxFrm::LiveObjects(), others);
        if (fromLoop) {
            EXPECT_EQ(listed, std::vector<HWND>{other});
            EXPECT_GT(during, others) << "the bar went while its handler ran";
        }
    }
    DestroyWindow(terminal);
}

// However the host frees the plug-in (a bar docked in its frame with a list open and the release
// of a choice held back, from inside that bar's column dialog or context menu), nothing of the
// plug-in is left when the free returns: no window routed into it, no hook, no class it
// registered, so the host may unload it. A class of one of its names that the host registered
// first stays the host's. The bar whose handler runs the dialog or menu goes as it returns.
TEST_F(ConfigDialog, TheFreeLeavesNoWindowHookOrClassOfThePlugInByAnyRoad) {
    const HWND terminal = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 150, 1200, 250});
    WNDCLASSW hostClass = {0, &DefWindowProcW, 0, 0, GetModuleHandleW(nullptr), {}, {}, {}, {}, L"TPopupWnd"};
    ASSERT_TRUE(RegisterClassW(&hostClass));
    const std::unique_ptr<void, void (*)(void*)> unregister(
        &hostClass, [](void*) { UnregisterClassW(L"TPopupWnd", GetModuleHandleW(nullptr)); });
    {
        TPopupWnd popup; // its window is made of the host's class, which the plug-in finds there
        popup.Create(terminal);
        DestroyWindow(FindWindowW(L"TPopupWnd", nullptr));
    }
    enum Road { kNormal, kDialogLoop, kMenuLoop };
    for (const Road road : {kNormal, kDialogLoop, kMenuLoop}) {
        SCOPED_TRACE(road);
        if (road != kNormal) {
            SetUp();
        }
        DestroyWindow(bar->m_hWnd); // the docked bar alone, whose lists stay while its handler runs
        TKestrovaWnd* docked = OpenDocked(terminal);
        PointAt(*docked, POINT{20, 25});
        SendMessageW(docked->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        Mouse(ShownList(), POINT{20, 5}, {WM_LBUTTONDOWN}); // its release never comes
        PointAt(*docked, POINT{20, 25});
        SendMessageW(docked->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        ASSERT_TRUE(ShownList());
        std::vector<HWND> left = {terminal};
        std::vector<std::wstring> classes;
        long during = -1;
        int released = 0;
        const auto free = [&] {
            OnPluginFree();
            left = OurWindows();
            classes = OurClasses();
            during = TIxFrm::LiveObjects();
            const int releases = RecordingWindow::Count(terminal, WM_LBUTTONUP);
            PostMessageW(terminal, WM_LBUTTONUP, 0, 0);
            PumpMessages();
            released = RecordingWindow::Count(terminal, WM_LBUTTONUP) - releases;
        };
        if (road == kNormal) {
            free();
        } else if (road == kDialogLoop) {
            RunModal({[&](HWND) { free(); }}, [&] { DoubleClickAt(docked->m_hWnd, POINT{300, 25}); });
        } else {
            g_inMenuLoop = free;
            const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunInMenuLoop);
            SendMessageW(docked->m_hWnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
            SendMessageW(docked->m_hWnd, WM_RBUTTONUP, 0, 0);
            KillTimer(nullptr, timer);
            EXPECT_FALSE(std::exchange(g_menuStayed, false)) << "the menu stayed open";
        }
        EXPECT_EQ(left, std::vector<HWND>{});
        EXPECT_EQ(classes, std::vector<std::wstring>{L"TPopupWnd"});
        // Left until its handler returns: the bar with its lists, and the objects of the dialog it runs.
        EXPECT_TRUE(road == kDialogLoop ? during > 3 : during == (road == kMenuLoop ? 3 : 0)) << during;
        EXPECT_EQ(TIxFrm::LiveObjects(), 0);
        EXPECT_EQ(released, 1) << "a hook held the release back";
    }
    EXPECT_TRUE(config.LayoutLines().empty());
    DestroyWindow(terminal);
}

// With the user's own mouse and keys, as the system delivers them: the second click of a double
// click on the account cell closes the list its first click opened and opens the dialog. A row
// chosen in a Yes/No list over the grid leaves the grid's selection alone, so Move Up moves the
// row the user picked; the second of two quick clicks on Move Down comes as a double click, and
// is a click all the same. Escape with a list open closes the list and reaches neither the dialog
// nor the window with the keyboard focus, and only the next Escape cancels.
TEST_F(ConfigDialog, TheUsersOwnMouseAndKeysChooseMoveAndCancel) {
    const POINT cell =
        OnScreen(bar->m_hWnd, POINT{(bar->AccountCell().left + bar->AccountCell().right) / 2, 25});
    ClickAt(cell);
    HWND focused = nullptr, list = ShownList();
    ASSERT_TRUE(list);
    ASSERT_TRUE(RunModal(
        {[&](HWND hDialog) {
             EXPECT_FALSE(IsWindowVisible(list));
             TGridCtrl& grid = GridOf(hDialog);
             ClickAt(OnScreen(grid.m_hWnd, Cell(3, 1))); // "Excess Cash" (id 3)
             DoubleClickAt(OnScreen(grid.m_hWnd, Cell(3, 2)));
             const TCombox& editor = ComboIn(grid.m_hWnd);
             ClickAt(OnScreen(editor.m_hWnd, POINT{20, 10}));
             ASSERT_TRUE(editor.List() && IsWindowVisible(editor.List()->m_hWnd));
             const POINT yes = OnScreen(editor.List()->m_hWnd, POINT{20, editor.List()->RowHeight() / 2});
             ClickAt(yes);
             ASSERT_EQ(WindowFromPoint(yes), grid.m_hWnd); // the row lay over the grid
             ClickAt(OnScreen(hDialog, kMoveUp));
             const ColumnSetting& moved = DialogOf(hDialog).Columns()[1];
             EXPECT_TRUE(moved.nColId == 3 && moved.bColor) << moved.nColId;
             EXPECT_EQ(grid.SelectedRows(), std::vector<int>{2});
             QueueDoubleClick(OnScreen(hDialog, kMoveDown));
         },
         [&](HWND hDialog) {
             EXPECT_EQ(GridOf(hDialog).CurrentRow(), 4) << "a quick pair of clicks on Move Down";
             EXPECT_EQ(DialogOf(hDialog).Columns()[3].nColId, 3);
             focused = RecordingWindow::Create(hDialog, WS_CHILD | WS_VISIBLE, RECT{310, 300, 370, 320});
             SetFocus(focused);
             ClickAt(OnScreen(hDialog, kCombo));
             list = ComboIn(hDialog, kCombo).List()->m_hWnd;
             ASSERT_TRUE(IsWindowVisible(list));
             QueueKey(VK_ESCAPE); // for the dialog's own loop to take
         },
         [&](HWND) {
             EXPECT_FALSE(IsWindowVisible(list));
             EXPECT_EQ(GetFocus(), focused);
             EXPECT_EQ(RecordingWindow::Count(focused, WM_KEYDOWN), 0);
             EXPECT_EQ(RecordingWindow::Count(focused, WM_CHAR), 0);
             QueueKey(VK_ESCAPE);
         }},
        [&] { ClickAt(cell); })); // the second press of the double click
    EXPECT_EQ(modalCalls, "BE");
}

// A whole run from the keyboard alone: the grid has the focus from the start, its current row
// shows a focus frame; Ctrl+Down moves the row, Space unticks it, Alt+Down or F4 open a Yes/No
// list with the current choice lit, Up and Down move the lit row and Enter chooses it; Tab
// walks the controls in their order and round, Space and Enter press the focused button, and
// Enter elsewhere presses OK.
TEST_F(ConfigDialog, AKeyboardOnlyRunMovesUnticksColoursAndSaves) {
    const auto focusFrameDots = [](HWND hDialog, int screenRow) {
        const TGridCtrl& grid = GridOf(hDialog);
        RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_UPDATENOW);
        Canvas canvas(290, 450);
        CaptureWindow(grid.m_hWnd, canvas);
        // The selection's blue, inverted.
        return canvas.Count(RECT{0, 22 * screenRow + 1, 290, 22 * screenRow + 23}, RGB(205, 143, 60));
    };
    std::vector<HWND> order, visited;
    std::vector<ModalStep> steps = {
        [&](HWND hDialog) {
            order = {GridOf(hDialog).m_hWnd};
            for (const POINT pt : {kCombo, kShowAll, kHideAll, kMoveUp, kMoveDown, kOK, kCancel}) {
                order.push_back(At(hDialog, pt));
            }
            EXPECT_EQ(GetFocus(), order[0]);
            QueueKey(VK_DOWN); // "Currency"
            QueueKeys({VK_CONTROL, VK_DOWN});
            QueueKey(VK_SPACE);
        },
        [&](HWND hDialog) {
            const ColumnSetting& moved = DialogOf(hDialog).Columns()[1];
            EXPECT_TRUE(moved.nColId == 1 && !moved.bShow) << moved.nColId;
            EXPECT_GT(focusFrameDots(hDialog, 2), 20);
            // The pointer rests where the combo box's "No" will show: the list's appearing under
            // it lights nothing.
            TCombox& combo = ComboIn(hDialog, kCombo);
            combo.EnsureList();
            const int row = combo.List()->RowHeight();
            const POINT no = OnScreen(combo.m_hWnd, POINT{20, 19 + row + row / 2});
            SetCursorPos(no.x, no.y);
            QueueKey(VK_TAB);
            QueueKey(VK_F4);
        },
        [&](HWND) {
            QueueKey(VK_RETURN); // "Yes", lit as the combo box shows it, for every column
        },
        [&](HWND hDialog) {
            EXPECT_EQ(focusFrameDots(hDialog, 2), 0);
            EXPECT_FALSE(ShownList());
            QueueKeys({VK_SHIFT, VK_TAB});
            QueueKeys({VK_MENU, VK_DOWN}); // the list of the current row's Yes/No, "Yes" lit
            QueueKey(VK_DOWN);
            QueueKey(VK_RETURN);
        }};
    // From the grid, Tab round the controls, with Space and Enter on Move Down (the sixth), then
    // Shift+Tab back to OK.
    for (int i = 0; i < 10; ++i) {
        steps.push_back([&visited, i](HWND) {
            visited.push_back(GetFocus());
            if (i == 5) {
                QueueKey(VK_SPACE);
                QueueKey(VK_RETURN);
            }
            QueueKeys(i < 8 ? std::vector<WORD>{VK_TAB} : std::vector<WORD>{VK_SHIFT, VK_TAB});
        });
    }
    steps.push_back([&](HWND) {
        visited.push_back(GetFocus());
        QueueKey(VK_RETURN);
    });
    ASSERT_TRUE(Run(steps));
    EXPECT_EQ(visited, (std::vector<HWND>{order[0], order[1], order[2], order[3], order[4], order[5],
                                          order[6], order[7], order[0], order[7], order[6]}));
    // "Currency" down one, then two more, unticked, and "No" where every other column is "Yes".
    const std::string expected =
        "0|1|0 2|0|1 3|1|1 4|1|1 1|0|0 5|0|0 6|0|1 7|0|1 8|1|1 9|0|1 10|0|1 11|0|1 12|0|1 13|0|1 14|0|1 "
        "15|0|1 16|0|1 17|0|1 18|0|1 19|1|1 20|1|1 21|1|1 22|0|1 23|0|1 24|0|1 25|1|1 26|1|1 27|0|1 "
        "28|0|1 29|0|1 30|0|0 31|0|1 32|0|1 33|0|1 34|0|1 35|0|1 ";
    EXPECT_EQ(StoredLayout(), expected);

    DeleteFileA((config.dir + "Kestrova.Show.pub").c_str());
    ASSERT_TRUE(Run({[](HWND) { QueueKey(VK_RETURN); }})); // from the grid: OK
    EXPECT_EQ(StoredLayout(), expected);
    EXPECT_EQ(modalCalls, "BEBE");
}

// A hundred runs are the soak's; a handful catch one object lost per run. Each ends with a
// column border of the grid held, its guide line drawn, over a header cell.
TEST_F(ConfigDialog, RunsEndedByOkOrCancelLeaveNoGdiOrUserObject) {
    const auto runs = [&](int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(Run({[&](HWND hDialog) {
                                 TGridCtrl& grid = GridOf(hDialog);
                                 ClickAt(hDialog, i % 2 ? kHideAll : kShowAll);
                                 ClickAt(grid.m_hWnd, Cell(1 + i % 3, 0));
                                 ChooseColour(hDialog, 2 * (i % 2), i % 2); // the combo, or a row's editor
                                 grid.SetCellType(0, 1, kGridCellHeader);
                                 Mouse(grid.m_hWnd, POINT{40, 11}, {WM_MOUSEMOVE, WM_LBUTTONDOWN});
                                 EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
                                 UpdateWindow(grid.m_hWnd);
                             },
                             [&](HWND hDialog) { ClickAt(hDialog, i % 2 ? kOK : kCancel); }}));
        }
    };
    // Both counts follow the same four runs: the first four fill the system's caches, and what
    // the system keeps of the last list shown is the same at both counts (Wine 10 keeps a closed
    // list's drawing surface until another window draws).
    runs(4);
    const std::size_t gdi = FreeGdiSlots(), user = FreeUserSlots();
    runs(4);
    EXPECT_EQ(std::make_pair(FreeGdiSlots(), FreeUserSlots()), std::make_pair(gdi, user));
}
