// The column dialog of a funds bar run a hundred times, each run working every kind of its
// controls and ending by OK or Cancel in turn, with the objects the process holds counted
// before and after.
#include "columns/ConfigCol.h"
#include "soak/Soak.h"
#include "support/ModalScript.h"

#include <cstdio>

namespace soak {

namespace {

using testing_support::ClickAt;
using testing_support::Mouse;

// Dialog client points: the middle of each control as the layout places it.
constexpr POINT kCombo = {340, 75}, kShowAll = {340, 115}, kHideAll = {340, 145}, kOK = {340, 450},
                kCancel = {340, 480};

TGridCtrl& GridOf(HWND hDialog) {
    return *dynamic_cast<TConfigCol*>(TIxFrm::FromHandle(hDialog))->Grid();
}

// Chooses "Yes" (0) or "No" (1) in a combo box's list once a click opened it.
void PickFromList(const TCombox& combo, int choice) {
    if (combo.m_pList && IsWindowVisible(combo.m_pList->m_hWnd)) {
        const int height = combo.m_pList->RowHeight();
        Mouse(combo.m_pList->m_hWnd, POINT{20, height * choice + height / 2}, {WM_LBUTTONDOWN});
    }
}

// One run: Show All or Hide All, a check box, a page down, a row's colour in place, the colour
// of all, then OK or Cancel. False when the dialog did not open or did not end.
bool RunDialog(HWND hBar, int run) {
    const int choice = run % 2;
    return testing_support::RunModal(
        {[&](HWND hDialog) {
             ClickAt(hDialog, choice ? kHideAll : kShowAll);
             TGridCtrl& grid = GridOf(hDialog);
             ClickAt(grid.m_hWnd, POINT{12, 22 * (1 + run % 3) + 11});
             SendMessageW(grid.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
             testing_support::DoubleClickAt(grid.m_hWnd, POINT{237, 22 * 2 + 11});
             if (grid.m_pEditor) {
                 ClickAt(grid.m_pEditor->m_hWnd, POINT{20, 10});
                 PickFromList(*grid.m_pEditor, choice);
             }
         },
         [&](HWND hDialog) {
             ClickAt(hDialog, kCombo);
             PickFromList(*dynamic_cast<TConfigCol*>(TIxFrm::FromHandle(hDialog))->m_pColorCombo, choice);
         },
         [&](HWND hDialog) { ClickAt(hDialog, choice ? kOK : kCancel); }},
        [&] {
            testing_support::DoubleClickAt(hBar, POINT{100, 25});
        });
}

} // namespace

int DialogRuns(int runs) {
    std::printf("\ncolumn dialog runs\n");
    LoadedPlugin plugin;
    plugin.host.accounts = {plugin.host.store.MakeAccount("K1", "1001")};
    const HWND hBar = plugin.host.OpenWindow();
    if (!hBar) {
        std::printf("  no bar opened\n");
        return 1;
    }
    // A host places its bars without a caption.
    SetWindowLongPtrW(hBar, GWL_STYLE, WS_POPUP);
    SetWindowPos(hBar, HWND_TOP, 0, 0, 1200, 50, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hBar);

    // Wine keeps a few objects per window it has ever shown in caches that fill on the first
    // runs; the counted runs come after them.
    int failed = 0;
    for (int run = 0; run < 5; ++run) {
        failed += !RunDialog(hBar, run);
    }
    const HeldObjects before = HeldSinceStart();
    const double start = Now();
    for (int run = 0; run < runs; ++run) {
        failed += !RunDialog(hBar, run);
    }
    const double seconds = Now() - start;
    const HeldObjects after = HeldSinceStart();
    std::printf("  %d dialog runs ended by OK or Cancel in turn in %.1f s (%.0f ms each), %d of %d did not "
                "run through\n",
                runs, seconds, seconds * 1e3 / runs, failed, runs + 5);
    std::printf(
        "  objects the process holds beyond those it started with: before the runs %s; after them %s\n",
        before.Text().c_str(), after.Text().c_str());
    return failed + !(after <= before);
}

} // namespace soak
