#include "toolkit/ModalWnd.h"

#include "plugin/PluginState.h"
#include "support/BarHarness.h"
#include "support/RecordingWindow.h"

using testing_support::RecordingWindow;

namespace {

// Client points of the dialog.
constexpr POINT kOnClose = {285, 15}, kOnBody = {150, 120};

// A dialog of the tests' own, 300 x 200 at (100, 100), with four nested windows as its controls.
class TestDialog : public TModalWnd {
public:
    explicit TestDialog(HWND hParent) : TModalWnd(hParent, L"HHHH", g_pMainFrame) {}
    void CreateControls() override {
        for (int i = 0; i < 4; ++i) {
            chain[i] =
                RecordingWindow::Create(i ? chain[i - 1] : m_hWnd, WS_CHILD | WS_VISIBLE, {2, 40, 60, 90});
        }
    }
    void PlaceWindow() override {
        SetWindowPos(m_hWnd, nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        onPlaced();
    }
    // Mouse handlers go by the cursor: it is put on the point before the message is sent.
    void Mouse(UINT uMsg, POINT pt) {
        POINT screen = pt;
        ClientToScreen(m_hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(m_hWnd, uMsg, uMsg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(pt.x, pt.y));
    }

    HWND chain[4] = {};
    std::function<void()> onPlaced = [] {};
};

// calls gets 'B' for OnModalBegin, and 'E' for OnModalEnd while the window still exists.
class ModalWindow : public testing_support::BarTest {
protected:
    void TearDown() override {
        DestroyWindow(bar);
        BarTest::TearDown();
    }
    bool Run(TestDialog& dialog) {
        host.onModalBegin = [&] { calls += 'B'; };
        host.onModalEnd = [&] { calls += IsWindow(dialog.m_hWnd) && !dialog.m_bRunning ? 'E' : '?'; };
        // A run that would never end (one kept busy by paint it does not pass on, say) fails.
        testing_support::QuitAfter bound(10000);
        const bool result = dialog.DoModal();
        EXPECT_FALSE(bound.Fired()) << "the modal loop was still running after 10 s";
        return result;
    }

    // Stands for the funds bar that opens the dialog.
    HWND bar = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{500, 500, 700, 540});
    std::string calls;
};

} // namespace

TEST_F(ModalWindow, EscapeOrSystemCloseForAnyWindowCancelsAndQuitEndsTheRunAsItStands) {
    // The first two cancel.
    const MSG cases[] = {{bar, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}},
                         {bar, WM_SYSCOMMAND, SC_CLOSE, 0, 0, {}},
                         {bar, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}},
                         {bar, WM_SYSCOMMAND, SC_CLOSE, 1, 0, {}}};
    for (const MSG& c : cases) {
        const bool cancels = &c < cases + 2;
        TestDialog dialog(bar);
        calls.clear();
        dialog.onPlaced = [&] {
            PostMessageW(c.hwnd, c.message, c.wParam, c.lParam);
            PostQuitMessage(0);
        };
        EXPECT_EQ(Run(dialog), !cancels) << c.message << " " << c.lParam;
        // A run ended by WM_QUIT keeps its result and window, and the host is not told.
        EXPECT_EQ(calls + (IsWindow(dialog.m_hWnd) ? "open" : ""), cancels ? "BE" : "Bopen");
        MSG msg = {};
        EXPECT_EQ(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, cancels);
    }
    EXPECT_EQ(RecordingWindow::Count(bar, WM_KEYDOWN) + RecordingWindow::Count(bar, WM_SYSCOMMAND), 0);
}

TEST_F(ModalWindow, OtherWindowsKeepPaintAndNotificationsButOnlyTheDialogsOwnGetInputAndTimers) {
    TestDialog dialog(bar);
    // A key, timer, click and system command nobody acts on, to the bar and the chain of controls.
    const UINT input[] = {WM_TIMER, WM_LBUTTONDOWN, WM_KEYDOWN, WM_SYSCOMMAND};
    const auto to = [&](int i) { return i % 5 ? dialog.chain[i % 5 - 1] : bar; };
    dialog.onPlaced = [&] {
        // A timer of the dialog's own comes once the posted messages and paint are handled.
        SetTimer(dialog.m_hWnd, 1, 1, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
        for (int i = 0; i < 20; ++i) {
            PostMessageW(to(i), input[i / 5], 0xF1F0, 0);
        }
        PostMessageW(bar, WM_USER + 111, 0, 0);
        InvalidateRect(bar, nullptr, FALSE);
    };
    EXPECT_TRUE(Run(dialog));
    EXPECT_GE(RecordingWindow::Count(bar, WM_PAINT), 1);
    EXPECT_EQ(RecordingWindow::Count(bar, WM_USER + 111), 1);
    // The dialog's own windows, down to its great-grandchildren, get everything.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(RecordingWindow::Count(to(i), input[i / 5]), i % 5 && i % 5 < 4) << i;
    }
}

TEST_F(ModalWindow, CloseBoxCancelsOnlyWhenReleasedOnItAndPaintsWithTheCaption) {
    TestDialog dialog(bar);
    dialog.onPlaced = [&] {
        dialog.Mouse(WM_LBUTTONUP, kOnClose); // nothing painted yet, so no close box to hit
        UpdateWindow(dialog.m_hWnd);
        testing_support::Canvas canvas(300, 200);
        testing_support::CaptureWindow(dialog.m_hWnd, canvas);
        // A cross from corner to corner of (280, 10, 290, 20) on the caption.
        EXPECT_EQ(canvas.Pixel(290, 10), RGB(150, 150, 150));
        // The title, in the light colour, centred across the caption.
        EXPECT_EQ(canvas.CountOther(RECT{0, 0, 120, 30}, RGB(96, 96, 96)),
                  canvas.CountOther(RECT{180, 0, 270, 30}, RGB(96, 96, 96)));
        EXPECT_GT(canvas.Count(RECT{120, 0, 180, 30}, RGB(231, 231, 231)), 20);

        dialog.Mouse(WM_LBUTTONDOWN, kOnClose);
        dialog.Mouse(WM_LBUTTONUP, kOnBody);
        EXPECT_EQ(calls, "B");
        dialog.Mouse(WM_LBUTTONDOWN, kOnBody);
        dialog.Mouse(WM_LBUTTONUP, kOnClose);
    };
    EXPECT_FALSE(Run(dialog));
    EXPECT_EQ(calls, "BE");
}
