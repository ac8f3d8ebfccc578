#include "toolkit/ModalWnd.h"

#include "PluginFixture.h"
#include "plugin/PluginState.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>

using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kBack = RGB(231, 231, 231);
constexpr COLORREF kCaption = RGB(96, 96, 96);
constexpr COLORREF kCloseCold = RGB(150, 150, 150);
constexpr UINT kBarNotice = WM_USER + 111;
constexpr WPARAM kNoSuchCommand = 0xF1F0; // a system command nobody acts on
constexpr UINT kStep = WM_APP + 1;
constexpr UINT kTimedOut = WM_APP + 2;

// Client points of the 300 x 200 dialog.
constexpr POINT kOnClose = {285, 15};
constexpr POINT kOnCaption = {150, 15};
constexpr POINT kOnBody = {150, 120};
const RECT kCloseHit = {279, 9, 291, 21};

// A dialog of the tests' own: four nested child windows as its controls, placed 300 x 200
// at (100, 100), with hooks at each stage of the run.
class TestDialog : public TModalWnd {
public:
    TestDialog(HWND hParent, const wchar_t* szTitle = L"Config Column") : TModalWnd(hParent, szTitle) {}

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
        SetWindowPos(m_hWnd, nullptr, 100, 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        if (onPlaced) {
            onPlaced();
        }
    }
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = TModalWnd::WndProc(uMsg, wParam, lParam);
        if (uMsg == WM_PAINT && onFirstPaint) {
            std::function<void()> hook = std::move(onFirstPaint);
            onFirstPaint = nullptr;
            hook();
        }
        return result;
    }

    // Places the real cursor on a client point and sends a mouse message for it.
    void Mouse(UINT uMsg, WPARAM wParam, POINT pt) {
        POINT screen = pt;
        ClientToScreen(m_hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(m_hWnd, uMsg, wParam, MAKELPARAM(pt.x, pt.y));
    }

    std::vector<std::unique_ptr<RecordingWindow>> chain;
    std::function<void()> onCreateControls, onPlaced, onFirstPaint;
};

// Runs steps inside the dialog's loop: each step is a WM_APP message to a window of the test,
// which the loop dispatches like any plug-in notification. A watchdog thread ends a run that
// never gets to its last step, so a broken loop fails instead of hanging.
class StepDriver {
public:
    StepDriver() {
        m_window.onMessage = [this](UINT uMsg, WPARAM, LPARAM) {
            if (uMsg == kStep && !m_steps.empty()) {
                std::function<void()> step = std::move(m_steps.front());
                m_steps.pop_front();
                step();
            } else if (uMsg == kTimedOut && m_pDialog) {
                ADD_FAILURE() << "the modal run did not end";
                m_pDialog->EndModal(0);
            }
        };
    }
    void Post(std::function<void()> step) {
        m_steps.push_back(std::move(step));
        PostMessageW(m_window.hwnd(), kStep, 0, 0);
    }
    bool Run(TModalWnd& dialog) {
        m_pDialog = &dialog;
        const HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HANDLE thread = CreateThread(nullptr, 0, &StepDriver::Watch, this, 0, nullptr);
        m_stop = stop;
        const bool bAccepted = dialog.DoModal();
        SetEvent(stop);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(stop);
        m_pDialog = nullptr;
        return bAccepted;
    }

private:
    static DWORD WINAPI Watch(void* context) {
        auto* self = static_cast<StepDriver*>(context);
        if (WaitForSingleObject(self->m_stop, 20000) == WAIT_TIMEOUT) {
            PostMessageW(self->m_window.hwnd(), kTimedOut, 0, 0);
        }
        return 0;
    }

    RecordingWindow m_window{nullptr, WS_POPUP, RECT{0, 0, 0, 0}};
    std::deque<std::function<void()>> m_steps;
    TModalWnd* m_pDialog = nullptr;
    HANDLE m_stop = nullptr;
};

class ModalWindow : public PluginFixture<1033> {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        bar = std::make_unique<RecordingWindow>(nullptr, WS_POPUP, RECT{500, 500, 700, 540});
        ShowWindow(bar->hwnd(), SW_SHOWNA);
        // Away from every window: no stray mouse message comes in between.
        SetCursorPos(5, 900);
        testing_support::PumpMessages();
    }
    void TearDown() override {
        bar.reset();
        PluginFixture::TearDown();
    }
    std::vector<int> BeginAndEnd() const { return {host::slot::OnModalBegin, host::slot::OnModalEnd}; }

    std::unique_ptr<RecordingWindow> bar; // stands for the funds bar that opens the dialog
    StepDriver driver;
};

} // namespace

TEST_F(ModalWindow, CreatesControlsThenShowsAndTellsTheHostBeforePlacing) {
    TestDialog dialog(bar->hwnd());
    dialog.onCreateControls = [&] {
        EXPECT_FALSE(dialog.m_bRunning);
        EXPECT_FALSE(IsWindowVisible(dialog.m_hWnd));
        EXPECT_TRUE(ModalCalls().empty());
        EXPECT_EQ(GetWindow(dialog.m_hWnd, GW_OWNER), bar->hwnd());
        // The parent's class background goes onto the dialog's class.
        EXPECT_EQ(GetClassLongPtrW(dialog.m_hWnd, GCLP_HBRBACKGROUND),
                  reinterpret_cast<ULONG_PTR>(RecordingWindow::ClassBrush()));
    };
    dialog.onPlaced = [&] {
        EXPECT_TRUE(dialog.m_bRunning);
        EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
        EXPECT_EQ(ModalCalls(), std::vector<int>{host::slot::OnModalBegin});
        const RECT caption = {0, 0, 300, 30};
        EXPECT_TRUE(EqualRect(&dialog.m_rcCaption, &caption));
        dialog.EndModal(1);
    };

    EXPECT_TRUE(driver.Run(dialog));
    EXPECT_EQ(ModalCalls(), BeginAndEnd());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(ModalWindow, EscapeForAnyWindowCancelsAndTellsTheHostBeforeTheWindowGoes) {
    TestDialog dialog(bar->hwnd());
    HWND hDialog = nullptr;
    dialog.onPlaced = [&] { hDialog = dialog.m_hWnd; };
    bool bEndSeen = false;
    host.onModalEnd = [&] {
        bEndSeen = true;
        EXPECT_EQ(dialog.m_nResult, 0);
        EXPECT_FALSE(dialog.m_bRunning);
        EXPECT_TRUE(IsWindow(hDialog));
    };
    PostMessageW(bar->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);

    EXPECT_FALSE(driver.Run(dialog));
    EXPECT_TRUE(bEndSeen);
    EXPECT_FALSE(IsWindow(hDialog));
    EXPECT_EQ(ModalCalls(), BeginAndEnd());
    EXPECT_EQ(bar->Count(WM_KEYDOWN), 0);
}

TEST_F(ModalWindow, SystemCloseCancelsOnlyWithoutLParam) {
    TestDialog dialog(bar->hwnd());
    PostMessageW(bar->hwnd(), WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(10, 10));
    driver.Post([&] {
        EXPECT_TRUE(dialog.m_bRunning);
        PostMessageW(bar->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });

    EXPECT_FALSE(driver.Run(dialog));
    EXPECT_EQ(bar->Count(WM_SYSCOMMAND), 0);
}

TEST_F(ModalWindow, OtherWindowsKeepPaintAndNotificationsButLoseInputAndTimers) {
    TestDialog dialog(bar->hwnd());
    const HWND hBar = bar->hwnd();
    dialog.onPlaced = [&] {
        for (const UINT uMsg :
             {UINT(WM_TIMER), UINT(WM_LBUTTONDOWN), UINT(WM_KEYDOWN), UINT(WM_SYSCOMMAND)}) {
            const WPARAM wParam = uMsg == WM_SYSCOMMAND ? kNoSuchCommand : 1;
            PostMessageW(hBar, uMsg, wParam, 0);
            for (const auto& child : dialog.chain) {
                PostMessageW(child->hwnd(), uMsg, wParam, 0);
            }
        }
        PostMessageW(hBar, kBarNotice, 7, 0);
        InvalidateRect(hBar, nullptr, FALSE);
    };
    // Paint comes once every posted message is handled; the bar's paint ends the run.
    bar->onMessage = [&](UINT uMsg, WPARAM, LPARAM) {
        if (uMsg == WM_PAINT && dialog.m_bRunning) {
            driver.Post([&] { dialog.EndModal(1); });
        }
    };

    EXPECT_TRUE(driver.Run(dialog));
    bar->onMessage = nullptr;
    EXPECT_GE(bar->Count(WM_PAINT), 1);
    EXPECT_EQ(bar->Count(kBarNotice), 1);
    // The dialog's own windows, down to its great-grandchildren, get everything.
    for (const UINT uMsg : {UINT(WM_TIMER), UINT(WM_LBUTTONDOWN), UINT(WM_KEYDOWN), UINT(WM_SYSCOMMAND)}) {
        EXPECT_EQ(bar->Count(uMsg), 0) << uMsg;
        for (int level = 0; level < 3; ++level) {
            EXPECT_EQ(dialog.chain[level]->Count(uMsg), 1) << uMsg << " level " << level;
        }
        EXPECT_EQ(dialog.chain[3]->Count(uMsg), 0) << uMsg;
    }
}

TEST_F(ModalWindow, CloseBoxCancelsOnlyWhenReleasedOnIt) {
    TestDialog dialog(bar->hwnd());
    dialog.onPlaced = [&] {
        // Nothing painted yet, so there is no close box to hit.
        dialog.Mouse(WM_LBUTTONUP, 0, kOnClose);
        EXPECT_TRUE(dialog.m_bRunning);
    };
    dialog.onFirstPaint = [&] {
        driver.Post([&] {
            EXPECT_TRUE(EqualRect(&dialog.m_rcClose, &kCloseHit));
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kOnClose);
            dialog.Mouse(WM_LBUTTONUP, 0, kOnBody);
            EXPECT_TRUE(dialog.m_bRunning);
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kOnBody);
            dialog.Mouse(WM_LBUTTONUP, 0, kOnClose);
        });
    };

    EXPECT_FALSE(driver.Run(dialog));
    EXPECT_EQ(ModalCalls(), BeginAndEnd());
}

TEST_F(ModalWindow, PlainPressOnTheCaptionMovesTheWindowAndTheCloseBoxLightsUp) {
    TestDialog dialog(bar->hwnd());
    dialog.onFirstPaint = [&] {
        driver.Post([&] {
            const HWND hWnd = dialog.m_hWnd;
            MSG msg = {};
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, kOnCaption);
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kOnClose);
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kOnBody);
            EXPECT_FALSE(PeekMessageW(&msg, hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
            dialog.Mouse(WM_LBUTTONDOWN, MK_LBUTTON, kOnCaption);
            // Taken off the queue here: the system's move loop has no button to follow.
            ASSERT_TRUE(PeekMessageW(&msg, hWnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
            EXPECT_EQ(msg.wParam, WPARAM(HTCAPTION));
            EXPECT_EQ(msg.lParam, MAKELPARAM(kOnCaption.x, kOnCaption.y));

            dialog.Mouse(WM_MOUSEMOVE, 0, kOnClose);
            EXPECT_TRUE(dialog.m_bCloseHot);
            dialog.Mouse(WM_MOUSEMOVE, 0, kOnCaption);
            EXPECT_FALSE(dialog.m_bCloseHot);
            dialog.Mouse(WM_MOUSEMOVE, 0, kOnClose);
            SendMessageW(hWnd, WM_MOUSELEAVE, 0, 0);
            EXPECT_FALSE(dialog.m_bCloseHot);
            dialog.EndModal(1);
        });
    };

    EXPECT_TRUE(driver.Run(dialog));
}

TEST_F(ModalWindow, QuitEndsTheLoopWithoutClosingTheWindow) {
    HWND hDialog = nullptr;
    {
        TestDialog dialog(bar->hwnd());
        dialog.onPlaced = [&] { PostQuitMessage(3); };

        EXPECT_TRUE(driver.Run(dialog));
        hDialog = dialog.m_hWnd;
        EXPECT_TRUE(IsWindow(hDialog));
        EXPECT_EQ(ModalCalls(), std::vector<int>{host::slot::OnModalBegin});
        MSG msg = {};
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
    // The window does not outlive its object.
    EXPECT_FALSE(IsWindow(hDialog));
}

TEST_F(ModalWindow, RunEndsCancelledWhenTheWindowGoesWithItsOwner) {
    TestDialog dialog(bar->hwnd());
    driver.Post([&] { DestroyWindow(bar->hwnd()); });

    EXPECT_FALSE(driver.Run(dialog));
    EXPECT_EQ(ModalCalls(), BeginAndEnd());
}

TEST_F(ModalWindow, RunsWithoutAMainFrame) {
    IMainFrame* const pMainFrame = g_pMainFrame;
    g_pMainFrame = nullptr;
    TestDialog dialog(bar->hwnd());
    PostMessageW(bar->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    const bool bAccepted = driver.Run(dialog);
    g_pMainFrame = pMainFrame;

    EXPECT_FALSE(bAccepted);
    EXPECT_TRUE(ModalCalls().empty());
}

TEST_F(ModalWindow, PaintsCaptionFrameCloseCrossAndCentredTitle) {
    TestDialog dialog(nullptr);
    dialog.m_rcCaption = RECT{0, 0, 300, 30};
    testing_support::Canvas canvas(300, 200);
    const RECT rc = {0, 0, 300, 200};
    dialog.DrawFrame(canvas.dc(), rc);

    EXPECT_EQ(canvas.Pixel(150, 120), kBack);
    // The frame shows below the caption, which covers its top.
    EXPECT_EQ(canvas.Pixel(0, 100), RGB(70, 70, 70));
    EXPECT_EQ(canvas.Pixel(150, 199), RGB(70, 70, 70));
    EXPECT_EQ(canvas.Pixel(0, 0), kCaption);
    EXPECT_EQ(canvas.Pixel(150, 30), kBack);
    // A cross from corner to corner of (280, 10, 290, 20).
    for (const POINT pt : {POINT{280, 10}, POINT{285, 15}, POINT{290, 20}, POINT{280, 20}, POINT{290, 10}}) {
        EXPECT_EQ(canvas.Pixel(pt.x, pt.y), kCloseCold) << pt.x << "," << pt.y;
    }
    EXPECT_EQ(canvas.Pixel(285, 11), kCaption);
    EXPECT_TRUE(EqualRect(&dialog.m_rcClose, &kCloseHit));

    // The title, in the light colour, centred across the caption.
    EXPECT_GT(canvas.Count(RECT{0, 0, 270, 30}, kBack), 0);
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
    EXPECT_EQ(canvas.Pixel(285, 15), kBack);
    EXPECT_EQ(canvas.Pixel(280, 20), kBack);
}
