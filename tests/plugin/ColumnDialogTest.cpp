// The "Config Column" dialog of the real library, met as the terminal's user meets it: a
// double click on a bar, the dialog's buttons pressed with the cursor, the layout file, and
// the bar of a library loaded again.
#include "support/ModalScript.h"
#include "support/PluginHarness.h"

using testing_support::ClickAt;
using testing_support::LoadedPlugin;
using testing_support::ModalScript;

namespace {

// Dialog client points of the buttons.
constexpr POINT kHideAll = {340, 145}, kOK = {340, 450};

HWND OpenBar(LoadedPlugin& plugin) {
    const HWND hWnd = plugin.host.OpenWindow();
    // A plain overlapped window as it comes; a host places it without a caption.
    const LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
    SetWindowLongPtrW(hWnd, GWL_STYLE, (style & ~LONG_PTR(WS_OVERLAPPEDWINDOW)) | WS_POPUP);
    SetWindowPos(hWnd, HWND_TOP, 0, 0, 1600, 50, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    UpdateWindow(hWnd);
    return hWnd;
}

// Pixels of the separator colour: the lines between cells and the drop marks.
int SeparatorPixels(HWND bar) {
    testing_support::Canvas canvas(1600, 50);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    testing_support::CaptureWindow(bar, canvas);
    return canvas.Count(RECT{0, 0, 1600, 50}, RGB(84, 81, 46));
}

} // namespace

TEST(ColumnDialog, EscapeSavesNothingAndHideAllThenOkIsSavedAndShownByTheNextLoad) {
    testing_support::ConfigFolder config;
    {
        LoadedPlugin plugin;
        plugin.Start(1033);
        const HWND bar = OpenBar(plugin);
        ASSERT_TRUE(IsWindow(bar));
        const int defaultSeparators = SeparatorPixels(bar);
        RECT placed = {};
        ModalScript escape({[&](HWND hDialog) {
            GetWindowRect(hDialog, &placed);
            ClickAt(hDialog, kHideAll);
            PostMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
        }});
        escape.Start();
        testing_support::DoubleClickAt(bar, POINT{300, 25});
        EXPECT_TRUE(escape.Finished());
        const int x = (GetSystemMetrics(SM_CXSCREEN) - 385) / 2,
                  y = (GetSystemMetrics(SM_CYSCREEN) - 500) / 2;
        const RECT centred = {x, y, x + 385, y + 500};
        EXPECT_TRUE(EqualRect(&placed, &centred));
        EXPECT_TRUE(config.LayoutLines().empty());
        EXPECT_EQ(SeparatorPixels(bar), defaultSeparators);

        ModalScript hideAll({[&](HWND hDialog) { ClickAt(hDialog, kHideAll); },
                             [&](HWND hDialog) { ClickAt(hDialog, kOK, false); }});
        hideAll.Start();
        testing_support::DoubleClickAt(bar, POINT{300, 25});
        EXPECT_TRUE(hideAll.Finished());
        // Each run told the host when its loop began and ended.
        EXPECT_EQ(plugin.host.Calls(host::Iface::MainFrame, host::slot::OnModalBegin).size(), 2u);
        EXPECT_EQ(plugin.host.Calls(host::Iface::MainFrame, host::slot::OnModalEnd).size(), 2u);
        // Only "Account No." is left, with its drop mark and no separator.
        EXPECT_LT(SeparatorPixels(bar), 20);
    }
    std::vector<std::string> expected = {"0=0|1|0"};
    for (int id = 1; id < 36; ++id) {
        expected.push_back(std::to_string(id) + "=" + std::to_string(id) + "|0|0");
    }
    EXPECT_EQ(config.LayoutLines(), expected);

    LoadedPlugin again;
    again.Start(1033);
    EXPECT_LT(SeparatorPixels(OpenBar(again)), 20);
}
