#include "toolkit/ModalWnd.h"

#include "PluginFixture.h"
#include "plugin/PluginState.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <deque>
#include <functional>
#include <memory>
#include <string>

using testing_support::Canvas;
using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kBack = RGB(231, 231, 231);
constexpr COLORREF kFrame = RGB(70, 70, 70);
constexpr COLORREF kCaption = RGB(96, 96, 96);
constexpr COLORREF kCloseCold = RGB(150, 150, 150);
constexpr COLORREF kCloseHot = RGB(231, 231, 231);
constexpr RECT kDialogRect = {100, 100, 400, 300}; // screen, 300 x 200
constexpr UINT kBarNotice = WM_USER + 111;         // a funds-bar notification
constexpr WPARAM kNoSuchCommand = 0xF1F0;          // a system command nobody acts on
constexpr UINT kStep = WM_APP + 1;
constexpr UINT kTimedOut = WM_APP + 2;
constexpr DWORD kWatchdogMs = 20000;

// A dialog of the tests' own: a chain of four nested child windows as its controls, placed at
// kDialogRect, with hooks at each stage of the run.
class TestDialog : public TModalWnd {
public:
    TestDialog(HWND hParent, const wchar_t* szTitle) : TModalWnd(hParent, szTitle) {}

    void CreateControls() override {
        HWND hParent = m_hWnd;
        for (int level = 0; level < 4; ++level) {
            chain.push_back(
                std::make_unique<RecordingWindow>(hParent, WS_CHILD | WS_VISIBLE, RECT{2, 40, 60, 90}));
            hParent = chain.back()->hwnd();
        }
        if (onCreateControls) {
            onCreateControls();
        }
    }
    void PlaceWindow() override {
        SetWindowPos(m_hWnd, nullptr, kDialogRect.left, kDialogRect.top, kDialogRect.right - kDialogRect.left,
                     kDialogRect.bottom - kDialogRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (onPlaced) {
            onPlaced();
        }
    }
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = TModalWnd::WndProc(uMsg, wParam, lParam);
        if (uMsg == WM_PAINT && !m_bPainted) {
            m_bPainted = true;
            if (onFirstPaint) {
                onFirstPaint();
            }
        }
        return result;
    }

    // Where a client point of the dialog is on the screen.
    POINT Screen(int x, int y) const {
        POINT pt = {x, y};
        ClientToScreen(m_hWnd, &pt);
        return pt;
    }
    void MoveCursorTo(int x, int y) const {
        const POINT pt = Screen(x, y);
        SetCursorPos(pt.x, pt.y);
    }

    std::vector<std::unique_ptr<RecordingWindow>> chain;
    std::function<void()> onCreateControls;
    std::function<void()> onPlaced;
    std::function<void()> onFirstPaint;

private:
    bool m_bPainted = false;
};

// Client points of the 300 x 200 dialog.
constexpr POINT kOnClose = {285, 15};
constexpr POINT kOnCaption = {150, 15};
constexpr POINT kOnBody = {150, 120};

// Runs steps inside the dialog's loop: each step is a WM_APP message to a window of the test,
// which the loop dispatches like any plug-in notification. A watchdog thread ends a run that
// never gets to its last step.
class StepDriver {
public:
    StepDriver() : m_window(nullptr, WS_POPUP, RECT{0, 0, 0, 0}) {
        m_window.onMessage = [this](UINT uMsg, WPARAM, LPARAM) {
            if (uMsg == kStep) {
                RunNext();
            } else if (uMsg == kTimedOut && onTimeout) {
                onTimeout();
            }
        };
    }
    ~StepDriver() { Disarm(); }

    void Post(std::function<void()> step) {
        m_steps.push_back(std::move(step));
        PostMessageW(m_window.hwnd(), kStep, 0, 0);
    }
    void Arm() {
        m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, &StepDriver::Watch, this, 0, nullptr);
    }
    void Disarm() {
        if (m_thread) {
            SetEvent(m_stop);
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
            CloseHandle(m_stop);
            m_thread = nullptr;
        }
    }

    std::function<void()> onTimeout;

private:
    void RunNext() {
        if (m_steps.empty()) {
            return;
        }
        std::function<void()> step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
    }
    static DWORD WINAPI Watch(void* context) {
        auto* self = static_cast<StepDriver*>(context);
        if (WaitForSingleObject(self->m_stop, kWatchdogMs) == WAIT_TIMEOUT) {
            PostMessageW(self->m_window.hwnd(), kTimedOut, 0, 0);
        }
        return 0;
    }

    RecordingWindow m_window;
    std::deque<std::function<void()>> m_steps;
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
};

class ModalWindow : public PluginFixture<1033> {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        bar = std::make_unique<RecordingWindow>(nullptr, WS_POPUP, RECT{500, 500, 700, 540});
        ShowWindow(bar->hwnd(), SW_SHOWNA);
        // Away from every window, so that no mouse message of a stray cursor comes in between.
        SetCursorPos(5, 900);
        testing_support::PumpMessages();
    }
    void TearDown() override {
        bar.reset();
        PluginFixture::TearDown();
    }

    // DoModal under the watchdog: a run stuck in its loop fails instead of hanging.
    bool Run(TestDialog& dialog) {
        driver.onTimeout = [&dialog] {
            ADD_FAILURE() << "the modal run did not end";
            dialog.EndModal(0);
        };
        driver.Arm();
        const bool bAccepted = dialog.DoModal();
        driver.Disarm();
        return bAccepted;
    }

    std::unique_ptr<RecordingWindow> bar;
    StepDriver driver;
};

// The posted message of a kind waiting for a window, removed from the queue.
bool TakePosted(HWND hWnd, UINT uMsg, MSG& msg) {
    return PeekMessageW(&msg, hWnd, uMsg, uMsg, PM_REMOVE) != 0;
}

LPARAM Lp(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

} // namespace

TEST_F(ModalWindow, CreatesControlsThenShowsAndTellsTheHostBeforePlacing) {
    const std::wstring longTitle(60, L'T');
    TestDialog dialog(bar->hwnd(), longTitle.c_str());
    EXPECT_EQ(std::wcslen(dialog.m_szTitle), 39u);
    EXPECT_EQ(dialog.m_nCaptionHeight, 30);
    EXPECT_EQ(dialog.m_nResult, 1);
    EXPECT_FALSE(dialog.m_bCloseHot);

    dialog.onCreateControls = [&] {
        const HWND hWnd = dialog.m_hWnd;
        ASSERT_TRUE(IsWindow(hWnd));
        wchar_t className[32] = {};
        GetClassNameW(hWnd, className, 32);
        EXPECT_STREQ(className, L"TModalWnd");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE)) & (WS_POPUP | WS_CLIPCHILDREN),
                  DWORD(WS_POPUP | WS_CLIPCHILDREN));
        EXPECT_TRUE(GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetWindow(hWnd, GW_OWNER), bar->hwnd());
        EXPECT_EQ(GetClassLongPtrW(hWnd, GCLP_HBRBACKGROUND),
                  reinterpret_cast<ULONG_PTR>(RecordingWindow::ClassBrush()));
        EXPECT_FALSE(dialog.m_bRunning);
        EXPECT_FALSE(IsWindowVisible(hWnd));
        EXPECT_TRUE(ModalCalls().empty());
    };
    dialog.onPlaced = [&] {
        EXPECT_TRUE(dialog.m_bRunning);
        EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
        EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin}));
        const RECT caption = {0, 0, 300, 30};
        EXPECT_TRUE(EqualRect(&dialog.m_rcCaption, &caption));
        EXPECT_TRUE(IsRectEmpty(&dialog.m_rcClose));
        dialog.EndModal(1);
    };

    EXPECT_TRUE(Run(dialog));
    EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin, host::slot::OnModalEnd}));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(ModalWindow, EscapeForAnyWindowCancelsAndEndsInOrder) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    HWND hDialog = nullptr;
    dialog.onPlaced = [&] { hDialog = dialog.m_hWnd; };
    // The host hears of the end after the result is final and before the window goes.
    bool bEndSeen = false;
    host.onModalEnd = [&] {
        bEndSeen = true;
        EXPECT_EQ(dialog.m_nResult, 0);
        EXPECT_FALSE(dialog.m_bRunning);
        EXPECT_TRUE(IsWindow(hDialog));
    };
    PostMessageW(bar->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);

    EXPECT_FALSE(Run(dialog));
    EXPECT_TRUE(bEndSeen);
    EXPECT_FALSE(IsWindow(hDialog));
    EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin, host::slot::OnModalEnd}));
    // Taken by the loop, never delivered.
    EXPECT_EQ(bar->Count(WM_KEYDOWN), 0);
}

TEST_F(ModalWindow, SystemCloseCancelsOnlyWithoutLParam) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    PostMessageW(bar->hwnd(), WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(10, 10));
    driver.Post([&] {
        EXPECT_TRUE(dialog.m_bRunning);
        PostMessageW(bar->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });

    EXPECT_FALSE(Run(dialog));
    EXPECT_EQ(bar->Count(WM_SYSCOMMAND), 0);
    EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin, host::slot::OnModalEnd}));
}

TEST_F(ModalWindow, OtherWindowsKeepPaintAndNotificationsButLoseInputAndTimers) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    const HWND hBar = bar->hwnd();
    dialog.onPlaced = [&] {
        PostMessageW(hBar, WM_TIMER, 1, 0);
        PostMessageW(hBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(hBar, WM_KEYDOWN, 'A', 0x001E0001);
        PostMessageW(hBar, WM_SYSCOMMAND, kNoSuchCommand, 0);
        PostMessageW(hBar, kBarNotice, 7, 0);
        for (const auto& child : dialog.chain) {
            PostMessageW(child->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
            PostMessageW(child->hwnd(), WM_TIMER, 2, 0);
            PostMessageW(child->hwnd(), WM_SYSCOMMAND, kNoSuchCommand, 0);
        }
        InvalidateRect(hBar, nullptr, FALSE);
    };
    // Paint comes only once every posted message is handled; the bar's paint ends the run.
    bar->onMessage = [&](UINT uMsg, WPARAM, LPARAM) {
        if (uMsg == WM_PAINT && dialog.m_bRunning) {
            driver.Post([&] { dialog.EndModal(1); });
        }
    };

    EXPECT_TRUE(Run(dialog));
    bar->onMessage = nullptr;
    EXPECT_GE(bar->Count(WM_PAINT), 1);
    ASSERT_EQ(bar->Count(kBarNotice), 1);
    EXPECT_EQ(bar->Received(kBarNotice)[0].wParam, 7u);
    EXPECT_EQ(bar->Count(WM_TIMER), 0);
    EXPECT_EQ(bar->Count(WM_LBUTTONDOWN), 0);
    EXPECT_EQ(bar->Count(WM_KEYDOWN), 0);
    EXPECT_EQ(bar->Count(WM_SYSCOMMAND), 0);
    // The dialog's own windows, down to its great-grandchildren, get everything.
    for (int level = 0; level < 3; ++level) {
        EXPECT_EQ(dialog.chain[level]->Count(WM_LBUTTONDOWN), 1) << "level " << level;
        EXPECT_EQ(dialog.chain[level]->Count(WM_TIMER), 1) << "level " << level;
        EXPECT_EQ(dialog.chain[level]->Count(WM_SYSCOMMAND), 1) << "level " << level;
    }
    EXPECT_EQ(dialog.chain[3]->Count(WM_LBUTTONDOWN), 0);
    EXPECT_EQ(dialog.chain[3]->Count(WM_TIMER), 0);
}

TEST_F(ModalWindow, CloseBoxCancelsOnlyWhenReleasedOnIt) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    dialog.onPlaced = [&] {
        // Nothing painted yet, so there is no close box to hit.
        dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
        SendMessageW(dialog.m_hWnd, WM_LBUTTONUP, 0, Lp(kOnClose));
        EXPECT_TRUE(dialog.m_bRunning);
    };
    dialog.onFirstPaint = [&] {
        driver.Post([&] {
            const RECT close = {279, 9, 291, 21};
            EXPECT_TRUE(EqualRect(&dialog.m_rcClose, &close));

            dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
            SendMessageW(dialog.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(kOnClose));
            dialog.MoveCursorTo(kOnBody.x, kOnBody.y);
            SendMessageW(dialog.m_hWnd, WM_LBUTTONUP, 0, Lp(kOnBody));
            EXPECT_TRUE(dialog.m_bRunning);

            SendMessageW(dialog.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(kOnBody));
            dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
            SendMessageW(dialog.m_hWnd, WM_LBUTTONUP, 0, Lp(kOnClose));
            EXPECT_FALSE(dialog.m_bRunning);
        });
    };

    EXPECT_FALSE(Run(dialog));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin, host::slot::OnModalEnd}));
}

TEST_F(ModalWindow, PlainPressOnTheCaptionMovesTheWindowAndTheCloseBoxLightsUp) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    dialog.onFirstPaint = [&] {
        driver.Post([&] {
            const HWND hWnd = dialog.m_hWnd;
            MSG msg = {};
            dialog.MoveCursorTo(kOnCaption.x, kOnCaption.y);
            SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Lp(kOnCaption));
            SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, Lp(kOnCaption));
            EXPECT_FALSE(TakePosted(hWnd, WM_NCLBUTTONDOWN, msg));

            // The message's own point goes with the move, whatever it says.
            const LPARAM lParam = MAKELPARAM(3, 4);
            SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
            ASSERT_TRUE(TakePosted(hWnd, WM_NCLBUTTONDOWN, msg));
            EXPECT_EQ(msg.wParam, WPARAM(HTCAPTION));
            EXPECT_EQ(msg.lParam, lParam);

            dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
            SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(kOnClose));
            dialog.MoveCursorTo(kOnBody.x, kOnBody.y);
            SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Lp(kOnBody));
            EXPECT_FALSE(TakePosted(hWnd, WM_NCLBUTTONDOWN, msg));

            dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
            SendMessageW(hWnd, WM_MOUSEMOVE, 0, Lp(kOnClose));
            EXPECT_TRUE(dialog.m_bCloseHot);
            dialog.MoveCursorTo(kOnCaption.x, kOnCaption.y);
            SendMessageW(hWnd, WM_MOUSEMOVE, 0, Lp(kOnCaption));
            EXPECT_FALSE(dialog.m_bCloseHot);
            dialog.MoveCursorTo(kOnClose.x, kOnClose.y);
            SendMessageW(hWnd, WM_MOUSEMOVE, 0, Lp(kOnClose));
            SendMessageW(hWnd, WM_MOUSELEAVE, 0, 0);
            EXPECT_FALSE(dialog.m_bCloseHot);

            dialog.EndModal(1);
        });
    };

    EXPECT_TRUE(Run(dialog));
}

TEST_F(ModalWindow, QuitEndsTheLoopWithoutClosingTheWindow) {
    HWND hDialog = nullptr;
    {
        TestDialog dialog(bar->hwnd(), L"Config Column");
        dialog.onPlaced = [&] { PostQuitMessage(3); };

        EXPECT_TRUE(Run(dialog));
        hDialog = dialog.m_hWnd;
        EXPECT_TRUE(IsWindow(hDialog));
        EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin}));
        MSG msg = {};
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
    // The window does not outlive its object.
    EXPECT_FALSE(IsWindow(hDialog));
}

TEST_F(ModalWindow, RunEndsCancelledWhenTheWindowGoesWithItsOwner) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    driver.Post([&] { DestroyWindow(bar->hwnd()); });

    EXPECT_FALSE(Run(dialog));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(ModalCalls(), (std::vector<int>{host::slot::OnModalBegin, host::slot::OnModalEnd}));
}

TEST_F(ModalWindow, RunsWithoutAMainFrame) {
    IMainFrame* const pMainFrame = g_pMainFrame;
    g_pMainFrame = nullptr;
    TestDialog dialog(bar->hwnd(), L"Config Column");
    PostMessageW(bar->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    const bool bAccepted = Run(dialog);
    g_pMainFrame = pMainFrame;

    EXPECT_FALSE(bAccepted);
    EXPECT_TRUE(ModalCalls().empty());
}

TEST_F(ModalWindow, PaintsCaptionFrameCloseCrossAndCentredTitle) {
    TestDialog dialog(nullptr, L"Config Column");
    dialog.m_rcCaption = RECT{0, 0, 300, 30};
    Canvas canvas(300, 200);
    const RECT rc = {0, 0, 300, 200};
    dialog.DrawFrame(canvas.dc(), rc);

    EXPECT_EQ(canvas.Pixel(150, 120), kBack);
    // The caption covers the top of the frame.
    EXPECT_EQ(canvas.Pixel(0, 100), kFrame);
    EXPECT_EQ(canvas.Pixel(299, 100), kFrame);
    EXPECT_EQ(canvas.Pixel(150, 199), kFrame);
    EXPECT_EQ(canvas.Pixel(0, 0), kCaption);
    EXPECT_EQ(canvas.Pixel(299, 29), kCaption);
    EXPECT_EQ(canvas.Pixel(5, 15), kCaption);
    EXPECT_EQ(canvas.Pixel(150, 30), kBack);

    // A cross from corner to corner of (280, 10, 290, 20).
    EXPECT_EQ(canvas.Pixel(280, 10), kCloseCold);
    EXPECT_EQ(canvas.Pixel(285, 15), kCloseCold);
    EXPECT_EQ(canvas.Pixel(290, 20), kCloseCold);
    EXPECT_EQ(canvas.Pixel(280, 20), kCloseCold);
    EXPECT_EQ(canvas.Pixel(290, 10), kCloseCold);
    EXPECT_EQ(canvas.Pixel(285, 11), kCaption);
    const RECT close = {279, 9, 291, 21};
    EXPECT_TRUE(EqualRect(&dialog.m_rcClose, &close));

    // The title, in the light colour, centred across the caption.
    const RECT titleArea = {0, 0, 270, 30};
    EXPECT_GT(canvas.Count(titleArea, kBack), 0);
    int left = 300, right = -1;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 270; ++x) {
            if (canvas.Pixel(x, y) != kCaption) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_LT(left, right);
    EXPECT_NEAR((left + right + 1) / 2.0, 150.0, 3.0);

    dialog.m_bCloseHot = true;
    dialog.DrawFrame(canvas.dc(), rc);
    EXPECT_EQ(canvas.Pixel(285, 15), kCloseHot);
    EXPECT_EQ(canvas.Pixel(280, 20), kCloseHot);
}

TEST_F(ModalWindow, RunningDialogShowsItsPaintedFrame) {
    TestDialog dialog(bar->hwnd(), L"Config Column");
    Canvas canvas(300, 200);
    dialog.onFirstPaint = [&] {
        driver.Post([&] {
            testing_support::CaptureWindow(dialog.m_hWnd, canvas);
            dialog.EndModal(1);
        });
    };

    EXPECT_TRUE(Run(dialog));
    EXPECT_EQ(canvas.Pixel(5, 15), kCaption);
    EXPECT_EQ(canvas.Pixel(285, 15), kCloseCold);
    EXPECT_EQ(canvas.Pixel(0, 100), kFrame);
    EXPECT_EQ(canvas.Pixel(150, 35), kBack);
}
