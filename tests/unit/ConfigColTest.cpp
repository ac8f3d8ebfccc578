// The "Config Column" dialog driven as a user drives it: opened on a real bar by a double click
// or the context menu, its buttons, check boxes, combo boxes and scroll bar worked with the
// cursor from inside its modal loop, and what the bar shows and saves afterwards.
#include "columns/ConfigCol.h"

#include "fundsbar/FundsFields.h"
#include "support/BarHarness.h"
#include "support/HandleCensus.h"
#include "support/ModalScript.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <set>
#include <thread>

using testing_support::Canvas;
using testing_support::ClickAt;
using testing_support::DoubleClickAt;
using testing_support::ModalScript;
using testing_support::RecordingWindow;

namespace {

// Dialog client points: the middle of each control as the layout places it.
constexpr POINT kColourCombo = {340, 75}, kShowAll = {340, 115}, kHideAll = {340, 145}, kMoveUp = {340, 235},
                kMoveDown = {340, 265}, kOK = {340, 450}, kCancel = {340, 480};

TConfigCol& DialogOf(HWND hDialog) {
    return *dynamic_cast<TConfigCol*>(TIxFrm::FromHandle(hDialog));
}

TGridCtrl& GridOf(HWND hDialog) {
    return *DialogOf(hDialog).Grid();
}

// Grid client points of a screen row: the middle of its check box, title or Yes/No cell.
POINT BoxOf(int screenRow) {
    return POINT{12, 22 * screenRow + 11};
}
POINT TitleOf(int screenRow) {
    return POINT{120, 22 * screenRow + 11};
}
POINT ColourOf(int screenRow) {
    return POINT{237, 22 * screenRow + 11};
}

int ScrollPos(const TGridCtrl& grid) {
    return GetScrollPos(grid.m_hWnd, SB_VERT);
}
// The screen row that shows a logical row.
int ScreenRow(const TGridCtrl& grid, int logicalRow) {
    return logicalRow - ScrollPos(grid);
}

// Picks a row of the drop-down list that a combo box (the dialog's or the grid's editor) opened.
void PickListRow(const TCombox& combo, int row) {
    ASSERT_TRUE(combo.m_pList && IsWindowVisible(combo.m_pList->m_hWnd));
    const int height = combo.m_pList->RowHeight();
    ClickAt(combo.m_pList->m_hWnd, POINT{20, height * row + height / 2}, false);
}

// Chooses "Yes" (0) or "No" (1) in the Yes/No combo box at the top right.
void ChooseColourForAll(HWND hDialog, int choice) {
    ClickAt(hDialog, kColourCombo);
    PickListRow(*DialogOf(hDialog).m_pColorCombo, choice);
}

// Chooses "Yes" (0) or "No" (1) for one row, in the grid's in-place editor.
void ChooseColourInRow(HWND hDialog, int screenRow, int choice) {
    TGridCtrl& grid = GridOf(hDialog);
    DoubleClickAt(grid.m_hWnd, ColourOf(screenRow));
    ASSERT_TRUE(grid.m_pEditor && IsWindowVisible(grid.m_pEditor->m_hWnd));
    RECT editor = {};
    GetClientRect(grid.m_pEditor->m_hWnd, &editor);
    ClickAt(grid.m_pEditor->m_hWnd, POINT{editor.right / 2, editor.bottom / 2});
    PickListRow(*grid.m_pEditor, choice);
}

// "id|show|colour" of each column, the way the layout file stores them.
std::string Describe(const std::vector<ColumnSetting>& columns) {
    std::string text;
    for (const ColumnSetting& c : columns) {
        text +=
            std::to_string(c.nColId) + "|" + std::to_string(c.bShow) + "|" + std::to_string(c.bColor) + " ";
    }
    return text;
}

// The layout file's lines "position=id|show|colour" as Describe gives them, or what is wrong.
std::string StoredLayout(const testing_support::ConfigFolder& config) {
    const std::vector<std::string> lines = config.LayoutLines();
    std::string text;
    std::set<int> ids;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string key = std::to_string(i) + "=";
        if (lines[i].compare(0, key.size(), key) != 0) {
            return "key " + std::to_string(i) + " out of place: " + lines[i];
        }
        ids.insert(std::atoi(lines[i].c_str() + key.size()));
        text += lines[i].substr(key.size()) + " ";
    }
    if (lines.size() != 36 || ids.size() != 36 || *ids.begin() != 0 || *ids.rbegin() != 35) {
        return std::to_string(lines.size()) + " keys, " + std::to_string(ids.size()) + " ids: " + text;
    }
    return text;
}

// Every screen row below the header shows its working record: the check mark, the title and
// the Yes/No text, in the cells and in the pixels.
void ExpectRowsTrueToTheWorkingList(HWND hDialog) {
    TConfigCol& dialog = DialogOf(hDialog);
    TGridCtrl& grid = GridOf(hDialog);
    RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_UPDATENOW);
    RECT client = {};
    GetClientRect(grid.m_hWnd, &client);
    Canvas canvas(client.right, client.bottom);
    testing_support::CaptureWindow(grid.m_hWnd, canvas);
    const int position = ScrollPos(grid);
    const int rows = std::min(grid.m_nPageRows, grid.m_nRows - position);
    ASSERT_GT(rows, 1);
    for (int k = 1; k < rows; ++k) {
        const ColumnSetting& record = dialog.m_vecColumns[static_cast<std::size_t>(position + k - 1)];
        SCOPED_TRACE("position " + std::to_string(position) + ", screen row " + std::to_string(k));
        const auto* box = dynamic_cast<const TGridCellCheckbox*>(grid.GetCell(k, 0));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->m_bChecked, record.bShow);
        EXPECT_STREQ(grid.GetCell(k, 1)->m_szText, record.szTitle);
        EXPECT_STREQ(grid.GetCell(k, 2)->m_szText, record.bColor ? L"Yes" : L"No");
        EXPECT_NE(dynamic_cast<const TGridCellCombox*>(grid.GetCell(k, 2)), nullptr);
        // The tick lies inside the box, painted one pixel right of and below the hit area.
        const int top = 22 * k + 1 + 3;
        EXPECT_EQ(canvas.Count(RECT{1 + 8, top + 3, 1 + 18, top + 13}, RGB(150, 150, 150)) > 0, record.bShow);
    }
}

// The columns a bar builds without a layout file: ids 0 to 35, ten of them shown.
std::vector<ColumnSetting> DefaultColumns() {
    std::vector<ColumnSetting> columns;
    for (int id = 0; id < 36; ++id) {
        columns.push_back({IsDefaultShown(id), {}, id, false, false, 0});
    }
    return columns;
}

class ConfigDialog : public testing_support::FundsTest {
protected:
    void SetUp() override {
        FundsTest::SetUp();
        host.onModalBegin = [this] { modalCalls += 'B'; };
        host.onModalEnd = [this] { modalCalls += 'E'; };
    }
    TKestrovaWnd* Bar() {
        if (!bar) {
            bar = OpenBar(1200, 50);
        }
        return bar;
    }
    // Double-clicks the bar and runs the steps in the dialog it opens; false when the dialog did
    // not open or did not end by the last step.
    bool RunDialog(std::vector<ModalScript::Step> steps) {
        ModalScript script(std::move(steps));
        script.Start();
        DoubleClickAt(Bar()->m_hWnd, POINT{100, 25});
        return script.Opened() && script.Finished() && !FindWindowW(L"TModalWnd", nullptr);
    }
    std::string BarColumns() { return Describe(Bar()->m_vecSettings); }

    TKestrovaWnd* bar = nullptr;
    std::string modalCalls;
};

} // namespace

TEST(GridList, PassesOnOnlyTheGridsNotificationsAndLaysTheGridOverItself) {
    OnPluginLoad(1033);
    const HWND parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300});
    for (bool edge : {true, false}) {
        TGridList list;
        list.m_bGridEdge = edge;
        list.Create(parent);
        ASSERT_TRUE(list.m_pGrid && IsWindow(list.m_pGrid->m_hWnd));
        EXPECT_EQ(GetParent(list.m_pGrid->m_hWnd), list.m_hWnd);
        MoveWindow(list.m_hWnd, 20, 10, 200, 100, TRUE);
        RECT grid = {};
        GetWindowRect(list.m_pGrid->m_hWnd, &grid);
        MapWindowPoints(nullptr, list.m_hWnd, reinterpret_cast<POINT*>(&grid), 2);
        const RECT expected = edge ? RECT{0, 0, 200, 100} : RECT{-2, -2, 200, 100};
        EXPECT_TRUE(EqualRect(&grid, &expected)) << edge;

        RecordingWindow::log.clear();
        std::vector<UINT> messages = {WM_NOTIFY};
        for (UINT m = WM_USER + 100; m <= WM_USER + 111; ++m) {
            messages.push_back(m);
        }
        for (UINT m : messages) {
            SendMessageW(list.m_hWnd, m, m * 3, m * 5);
        }
        std::vector<UINT> passed;
        for (const MSG& msg : RecordingWindow::log) {
            if (msg.hwnd == parent && msg.wParam == msg.message * 3 &&
                msg.lParam == LPARAM(msg.message) * 5) {
                passed.push_back(msg.message);
            }
        }
        EXPECT_EQ(passed, (std::vector<UINT>{WM_NOTIFY, 0x469, 0x46A, 0x46B, 0x46C, 0x46D}));
    }
    DestroyWindow(parent);
    OnPluginFree();
}

TEST(ConfigColumns, OkPutsTheAccountColumnFirstAndIgnoredColumnsBackInTheirPlaces) {
    OnPluginLoad(1033);
    // The bar's list, then what OK gives it back when the dialog changed nothing.
    auto column = [](int id, bool show, bool colour, bool ignored) {
        return ColumnSetting{show, {}, id, colour, ignored, 0};
    };
    const std::vector<std::pair<std::vector<ColumnSetting>, std::string>> cases = {
        {{column(3, 1, 0, 0), column(0, 0, 1, 0), column(1, 1, 0, 0)}, "0|0|1 3|1|0 1|1|0 "},
        {{column(3, 1, 0, 0), column(1, 0, 1, 0)}, "0|1|0 3|1|0 1|0|1 "},
        {{column(0, 1, 0, 0), column(7, 0, 0, 1), column(2, 1, 0, 0), column(9, 0, 0, 1), column(4, 1, 1, 0)},
         "0|1|0 7|0|0 2|1|0 9|0|0 4|1|1 "},
        {{column(5, 1, 0, 0), column(0, 0, 0, 1), column(6, 0, 1, 0)}, "0|0|0 5|1|0 6|0|1 "}};
    for (const auto& [input, expected] : cases) {
        std::vector<ColumnSetting> columns = input;
        TConfigCol dialog(nullptr, L"Config Column", nullptr);
        dialog.SetColumns(columns);
        dialog.OnOK();
        EXPECT_EQ(Describe(columns), expected);
    }
    // Moved rows take the free places around the ignored ones.
    std::vector<ColumnSetting> columns = {column(0, 1, 0, 0), column(1, 1, 0, 0), column(2, 0, 0, 1),
                                          column(3, 1, 0, 0), column(4, 1, 0, 0)};
    TConfigCol dialog(nullptr, L"Config Column", nullptr);
    dialog.SetColumns(columns);
    std::reverse(dialog.m_vecColumns.begin(), dialog.m_vecColumns.end());
    dialog.OnOK();
    EXPECT_EQ(Describe(columns), "0|1|0 4|1|0 2|0|0 3|1|0 1|1|0 ");
    OnPluginFree();
}

TEST_F(ConfigDialog, OpensCentredWithItsControlsInPlaceShowingTheBarsColumnsAndEscapeSavesNothing) {
    const std::string before = BarColumns();
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
        TConfigCol& dialog = DialogOf(hDialog);
        RECT rc = {};
        GetWindowRect(hDialog, &rc);
        const int x = (GetSystemMetrics(SM_CXSCREEN) - 385) / 2,
                  y = (GetSystemMetrics(SM_CYSCREEN) - 500) / 2;
        const RECT centred = {x, y, x + 385, y + 500};
        EXPECT_TRUE(EqualRect(&rc, &centred));
        EXPECT_STREQ(dialog.m_szTitle, L"Config Column");
        EXPECT_EQ(modalCalls, "B");

        // Each control's place in the dialog, and each button's caption and command.
        const std::tuple<const TIxFrm*, RECT, const wchar_t*, int> controls[] = {
            {dialog.m_pGridList.get(), {10, 40, 300, 490}, nullptr, 0},
            {dialog.m_pColorCombo.get(), {310, 65, 370, 85}, nullptr, 0},
            {dialog.m_pBtnShowAll.get(), {310, 105, 370, 125}, L"Show All", 0},
            {dialog.m_pBtnHideAll.get(), {310, 135, 370, 155}, L"Hide All", 1},
            {dialog.m_pBtnMoveUp.get(), {310, 225, 370, 245}, L"Move Up", 4},
            {dialog.m_pBtnMoveDown.get(), {310, 255, 370, 275}, L"Move Down", 5},
            {dialog.m_pBtnOK.get(), {310, 440, 370, 460}, L"OK", 2},
            {dialog.m_pBtnCancel.get(), {310, 470, 370, 490}, L"Cancel", 3}};
        for (const auto& [control, place, caption, command] : controls) {
            ASSERT_TRUE(control && IsWindow(control->m_hWnd));
            GetWindowRect(control->m_hWnd, &rc);
            MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rc), 2);
            EXPECT_TRUE(EqualRect(&rc, &place))
                << rc.left << "," << rc.top << " " << rc.right << "," << rc.bottom;
            if (const auto* button = dynamic_cast<const TStaticButton*>(control)) {
                EXPECT_STREQ(button->m_szText, caption);
                EXPECT_EQ(button->m_nID, command);
            }
        }
        EXPECT_EQ(dialog.m_pColorCombo->GetText(), std::wstring(L"Yes"));

        // Account No. is not offered: the rows are the bar's other 35 columns in order.
        TGridCtrl& grid = GridOf(hDialog);
        EXPECT_EQ(grid.m_nRows, 36);
        EXPECT_EQ(grid.m_crBkgnd, RGB(243, 243, 243));
        const wchar_t* headers[] = {L"Show", L"Title", L"Show Color"};
        const int widths[] = {40, 160, 75};
        for (int col = 0; col < 3; ++col) {
            EXPECT_STREQ(grid.GetCell(0, col)->m_szText, headers[col]);
            EXPECT_EQ(grid.ColumnWidth(col), widths[col]);
        }
        EXPECT_STREQ(grid.GetCell(1, 1)->m_szText, L"Currency");
        ExpectRowsTrueToTheWorkingList(hDialog);

        // Hide All, then Escape: the bar keeps its columns and nothing is written.
        ClickAt(hDialog, kHideAll);
        PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
    }}));
    EXPECT_EQ(modalCalls, "BE");
    EXPECT_EQ(BarColumns(), before);
    EXPECT_EQ(config.LayoutLines().size(), 0u);
    EXPECT_EQ(GetFileAttributesA((config.dir + "Kestrova.Show.pub").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConfigDialog, HideAllThenOkSavesAllColumnsRepaintsTheBarAndTheNextLoadShowsTheSameLayout) {
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
                               ClickAt(hDialog, kHideAll);
                               ExpectRowsTrueToTheWorkingList(hDialog);
                           },
                           [&](HWND hDialog) {
                               // The bar learns of it only on OK.
                               EXPECT_TRUE(bar->m_vecSettings[1].bShow);
                               ClickAt(hDialog, kOK, false);
                           }}));
    std::string hidden = "0|1|0 ";
    for (int id = 1; id < 36; ++id) {
        hidden += std::to_string(id) + "|0|0 ";
    }
    EXPECT_EQ(BarColumns(), hidden);
    EXPECT_EQ(StoredLayout(config), hidden);
    // Currency hidden: its drop area is gone, and the bar repaints with the account cell alone.
    EXPECT_TRUE(IsRectEmpty(&bar->m_rcCurrency));
    UpdateWindow(bar->m_hWnd);
    Canvas canvas(1200, 50);
    testing_support::CaptureWindow(bar->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(RECT{0, 0, 1200, 50}, RGB(84, 81, 46)), 11); // the account cell's drop mark only
    EXPECT_EQ(canvas.CountOther(RECT{bar->m_rcAccount.right, 0, 1200, 50}, RGB(40, 40, 40)), 0);

    // The plug-in freed and loaded again.
    TearDown();
    SetUp();
    bar = nullptr;
    EXPECT_EQ(BarColumns(), hidden);
}

namespace {
// Runs inside TrackPopupMenu's own loop: chooses the open menu's first item with the keyboard,
// and closes a menu that is still open half a second later.
int g_menuTicks = 0;
void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR, DWORD) {
    const HWND hMenuWnd = FindWindowW(L"#32768", nullptr);
    if (!hMenuWnd || !IsWindowVisible(hMenuWnd)) {
        return;
    }
    if (g_menuTicks++ == 0) {
        PostMessageW(hMenuWnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(hMenuWnd, WM_KEYDOWN, VK_RETURN, 0);
    } else if (g_menuTicks > 20) {
        EndMenu();
    }
}
} // namespace

TEST_F(ConfigDialog, TheUsersDoubleClickOnTheAccountCellClosesTheListItsFirstClickOpenedAndOpensTheDialog) {
    TKestrovaWnd* b = Bar();
    const HWND list = b->m_pAccountList->m_hWnd;
    const POINT cell =
        testing_support::ScreenPoint(b->m_hWnd, POINT{(b->m_rcAccount.left + b->m_rcAccount.right) / 2, 25});
    testing_support::ClickAt(cell);
    ASSERT_TRUE(IsWindowVisible(list));
    // The dialog opens while the input is being handled, after any message posted now: a
    // watcher waits for it (10 s at most) and cancels it with Escape.
    std::atomic<bool> opened{false}, listShown{true};
    std::thread watcher([&] {
        for (int i = 0; i < 1000 && !opened; ++i) {
            const HWND hDialog = FindWindowW(L"TModalWnd", nullptr);
            if (hDialog && IsWindowVisible(hDialog)) {
                listShown = IsWindowVisible(list) != FALSE;
                opened = true;
                PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
            } else {
                Sleep(10);
            }
        }
    });
    testing_support::ClickAt(cell); // the second press of the double click
    watcher.join();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(listShown);
    EXPECT_EQ(modalCalls, "BE");
}

TEST_F(ConfigDialog, FromTheContextMenuShowAllThenCancelKeepsTheBarAsItWasAndSavesThat) {
    ModalScript script({[&](HWND hDialog) {
                            ClickAt(hDialog, kShowAll);
                            EXPECT_TRUE(std::all_of(DialogOf(hDialog).m_vecColumns.begin(),
                                                    DialogOf(hDialog).m_vecColumns.end(),
                                                    [](const ColumnSetting& c) { return c.bShow; }));
                            ExpectRowsTrueToTheWorkingList(hDialog);
                        },
                        [&](HWND hDialog) { ClickAt(hDialog, kCancel, false); }});
    const std::string before = BarColumns();
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, &ChooseFirstMenuItem);
    PointAt(*bar, POINT{100, 20});
    SendMessageW(bar->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(100, 20));
    KillTimer(nullptr, timer);
    // The chosen command arrives as a posted WM_COMMAND, which opens the dialog before the
    // script's first step comes.
    script.Start();
    EXPECT_TRUE(testing_support::PumpUntil([&] { return script.Opened(); }, 3000));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(modalCalls, "BE");
    EXPECT_EQ(BarColumns(), before);
    EXPECT_EQ(StoredLayout(config), before);
}

TEST_F(ConfigDialog, MoveButtonsMoveTheSelectedRowWithinTheListAndOkSavesTheOrder) {
    // Working record indexes moved by each step, as ids: the list starts at 1, 2, 3, ...
    std::vector<int> ids(35);
    std::iota(ids.begin(), ids.end(), 1);
    auto workingIds = [](HWND hDialog) {
        std::vector<int> now;
        for (const ColumnSetting& c : DialogOf(hDialog).m_vecColumns) {
            now.push_back(c.nColId);
        }
        return now;
    };
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
                               // No row selected: neither button moves anything.
                               ClickAt(hDialog, kMoveUp);
                               ClickAt(hDialog, kMoveDown);
                               EXPECT_EQ(workingIds(hDialog), ids);
                               // The first offered row cannot go up, and stays selected.
                               ClickAt(GridOf(hDialog).m_hWnd, TitleOf(1));
                               ClickAt(hDialog, kMoveUp);
                               EXPECT_EQ(workingIds(hDialog), ids);
                               EXPECT_EQ(GridOf(hDialog).m_nCurRow, 1);
                               // Down twice, then up once: Currency ends one place down.
                               ClickAt(hDialog, kMoveDown);
                               ClickAt(hDialog, kMoveDown);
                               ClickAt(hDialog, kMoveUp);
                               std::swap(ids[0], ids[1]);
                               EXPECT_EQ(workingIds(hDialog), ids);
                               EXPECT_EQ(GridOf(hDialog).m_selRows, std::vector<int>{2});
                               ExpectRowsTrueToTheWorkingList(hDialog);
                           },
                           [&](HWND hDialog) {
                               // The last offered row, scrolled to, cannot go down, and stays selected.
                               TGridCtrl& grid = GridOf(hDialog);
                               for (int i = 0; i < 40; ++i) {
                                   SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
                               }
                               ClickAt(grid.m_hWnd, TitleOf(ScreenRow(grid, 35)));
                               EXPECT_EQ(grid.m_nCurRow, 35);
                               ClickAt(hDialog, kMoveDown);
                               EXPECT_EQ(workingIds(hDialog), ids);
                               EXPECT_EQ(grid.m_selRows, std::vector<int>{35});
                               // Up it goes, the view and the selection following it.
                               for (int i = 0; i < 25; ++i) {
                                   ClickAt(hDialog, kMoveUp);
                               }
                               ids.insert(ids.begin() + 9, ids.back());
                               ids.pop_back();
                               EXPECT_EQ(workingIds(hDialog), ids);
                               EXPECT_EQ(grid.m_selRows, std::vector<int>{10});
                               EXPECT_EQ(ScrollPos(grid), 9);
                               ExpectRowsTrueToTheWorkingList(hDialog);
                               ClickAt(hDialog, kOK, false);
                           }}));
    std::string expected = "0|1|0 ";
    for (int id : ids) {
        expected += std::to_string(id) + "|" + std::to_string(IsDefaultShown(id)) + "|0 ";
    }
    EXPECT_EQ(StoredLayout(config), expected);
    EXPECT_EQ(BarColumns(), expected);
}

TEST_F(ConfigDialog, ScrolledRowsShowTheWorkingListNotTheCellsTheyHeldBefore) {
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
                               // Marks changed on the first page, then on the page after it.
                               TGridCtrl& grid = GridOf(hDialog);
                               ClickAt(grid.m_hWnd, BoxOf(1));
                               ClickAt(grid.m_hWnd, BoxOf(2));
                               ChooseColourInRow(hDialog, 3, 0);
                           },
                           [&](HWND hDialog) {
                               TGridCtrl& grid = GridOf(hDialog);
                               const std::vector<ColumnSetting>& working = DialogOf(hDialog).m_vecColumns;
                               EXPECT_FALSE(working[0].bShow);
                               EXPECT_TRUE(working[1].bShow);
                               EXPECT_TRUE(working[2].bColor);
                               for (int i = 0; i < grid.m_nPageRows; ++i) {
                                   SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
                               }
                               ExpectRowsTrueToTheWorkingList(hDialog);
                               ClickAt(grid.m_hWnd, BoxOf(1));
                               ChooseColourInRow(hDialog, 2, 0);
                           },
                           [&](HWND hDialog) {
                               // An editor left open moves with its cell and keeps its text.
                               TGridCtrl& grid = GridOf(hDialog);
                               SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_PAGEUP, 0);
                               SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_PAGEUP, 0);
                               DoubleClickAt(grid.m_hWnd, ColourOf(3));
                               SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
                               EXPECT_EQ(grid.m_pEditor->GetText(), std::wstring(L"Yes"));
                               SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEUP, 0);
                               // Every position, down by the line and back up by the wheel.
                               for (int last = -1; ScrollPos(grid) != last;) {
                                   last = ScrollPos(grid);
                                   ExpectRowsTrueToTheWorkingList(hDialog);
                                   SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
                               }
                               EXPECT_EQ(ScrollPos(grid), grid.m_nRows - grid.m_nPageRows);
                               while (ScrollPos(grid) > 0) {
                                   SendMessageW(grid.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
                                   ExpectRowsTrueToTheWorkingList(hDialog);
                               }
                               PostMessageW(hDialog, WM_KEYDOWN, VK_ESCAPE, 0);
                           }}));
}

TEST_F(ConfigDialog, TheColourComboSetsEveryOfferedColumnAtOnceAndTheBarOnlyOnOk) {
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) { ChooseColourForAll(hDialog, 0); },
                           [&](HWND hDialog) {
                               for (const ColumnSetting& c : DialogOf(hDialog).m_vecColumns) {
                                   EXPECT_TRUE(c.bColor);
                               }
                               ExpectRowsTrueToTheWorkingList(hDialog);
                               EXPECT_FALSE(bar->m_vecSettings[1].bColor);
                               ClickAt(hDialog, kOK, false);
                           }}));
    std::string coloured = Describe(DefaultColumns());
    for (std::size_t at = coloured.find("|0 ", 6); at != std::string::npos;
         at = coloured.find("|0 ", at + 3)) {
        coloured[at + 1] = '1';
    }
    EXPECT_EQ(BarColumns(), coloured); // Account No. keeps its own colour flag
    EXPECT_EQ(StoredLayout(config), coloured);

    // One row set back to "No" in place, then "No" for all: every row shows it at once.
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) { ChooseColourInRow(hDialog, 4, 1); },
                           [&](HWND hDialog) {
                               EXPECT_FALSE(DialogOf(hDialog).m_vecColumns[3].bColor);
                               EXPECT_TRUE(DialogOf(hDialog).m_vecColumns[4].bColor);
                               ChooseColourForAll(hDialog, 1);
                           },
                           [&](HWND hDialog) {
                               EXPECT_EQ(DialogOf(hDialog).m_pColorCombo->GetText(), std::wstring(L"No"));
                               for (const ColumnSetting& c : DialogOf(hDialog).m_vecColumns) {
                                   EXPECT_FALSE(c.bColor);
                               }
                               ExpectRowsTrueToTheWorkingList(hDialog);
                               ClickAt(hDialog, kCancel, false);
                           }}));
    EXPECT_EQ(BarColumns(), coloured);
}

TEST_F(ConfigDialog, IgnoredColumnsAreNotOfferedAndKeepTheirPlacesInASavedLayoutThatReadsBack) {
    config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=5|30\r\n");
    ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
        TGridCtrl& grid = GridOf(hDialog);
        EXPECT_EQ(grid.m_nRows, 34);
        for (const ColumnSetting& c : DialogOf(hDialog).m_vecColumns) {
            EXPECT_TRUE(c.nColId != 0 && c.nColId != 5 && c.nColId != 30) << c.nColId;
        }
        // "Account Value" (id 4) one down, past where id 5 would be; Show All.
        ClickAt(grid.m_hWnd, TitleOf(4));
        ClickAt(hDialog, kMoveDown);
        ClickAt(hDialog, kShowAll);
        ClickAt(hDialog, kOK, false);
    }}));
    std::string expected;
    for (int id : {0, 1, 2, 3, 6, 5, 4}) {
        expected += std::to_string(id) + (id == 5 ? "|0|0 " : "|1|0 ");
    }
    for (int id = 7; id < 36; ++id) {
        expected += std::to_string(id) + (id == 30 ? "|0|0 " : "|1|0 ");
    }
    EXPECT_EQ(StoredLayout(config), expected);

    TearDown();
    SetUp();
    bar = nullptr;
    EXPECT_EQ(BarColumns(), expected);
    EXPECT_TRUE(Bar()->m_vecSettings[5].bIgnored && Bar()->m_vecSettings[30].bIgnored);
}

using DialogResources = ConfigDialog;

TEST_F(DialogResources, AHundredRunsEndedByOkOrCancelLeaveNoGdiOrUserObject) {
    int run = 0;
    // Each run changes something in each kind of control, then ends by OK or Cancel in turn.
    auto runs = [&](int count) {
        for (int i = 0; i < count; ++i, ++run) {
            ASSERT_TRUE(RunDialog({[&](HWND hDialog) {
                                       ClickAt(hDialog, run % 2 ? kHideAll : kShowAll);
                                       ClickAt(GridOf(hDialog).m_hWnd, BoxOf(1 + run % 3));
                                       SendMessageW(GridOf(hDialog).m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
                                       ChooseColourInRow(hDialog, 2, run % 2);
                                   },
                                   [&](HWND hDialog) { ChooseColourForAll(hDialog, run % 2); },
                                   [&](HWND hDialog) { ClickAt(hDialog, run % 2 ? kOK : kCancel, false); }}))
                << "run " << run;
        }
    };
    // Wine's own caches of windows ever shown fill on the first runs.
    runs(5);
    const std::size_t gdiBefore = testing_support::FreeGdiSlots(),
                      userBefore = testing_support::FreeUserSlots();
    runs(100);
    EXPECT_EQ(testing_support::FreeGdiSlots(), gdiBefore);
    EXPECT_EQ(testing_support::FreeUserSlots(), userBefore);
}
