// The flat button and the combo box on real windows: their pixels, a click reported on the
// press, a button destroyed by its parent inside the click, the combo's list and its choice.
#include "toolkit/Combox.h"
#include "toolkit/StaticButton.h"

#include "support/BarHarness.h"
#include "support/RecordingWindow.h"
#include "toolkit/ToolkitMessages.h"

#include <memory>
#include <new>
#include <tuple>

using testing_support::Canvas;
using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kBorder = RGB(150, 150, 150);
constexpr COLORREF kHoverFrame = RGB(126, 180, 234);
constexpr COLORREF kDots = RGB(50, 50, 50);

class FlatControls : public testing_support::BarTest {
protected:
    void TearDown() override {
        RecordingWindow::onMessage = nullptr;
        DestroyWindow(parent);
        BarTest::TearDown();
    }
    // Puts the cursor on a client point of a window and sends it a mouse message there.
    static void Mouse(HWND hWnd, UINT uMsg, POINT pt) {
        POINT screen = pt;
        ClientToScreen(hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(hWnd, uMsg, uMsg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(pt.x, pt.y));
    }
    int Received(UINT uMsg) const { return RecordingWindow::Count(parent, uMsg); }

    HWND parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 500, 400});
};

} // namespace

TEST_F(FlatControls, ButtonPaintsFaceHoverAndFocusAndCentresItsCaption) {
    TStaticButton button;
    button.Create(parent, L"OK", 2);
    Canvas canvas(60, 20);
    // hover, focus: the face and frame colours, and whether the dotted frame shows 3 pixels in.
    const std::tuple<bool, bool, COLORREF, COLORREF> looks[] = {
        {false, false, RGB(240, 240, 240), kBorder},
        {true, false, RGB(240, 244, 252), kHoverFrame},
        {false, true, RGB(240, 240, 240), kBorder},
        {true, true, RGB(240, 244, 252), kHoverFrame}};
    for (const auto& [hover, focus, face, frame] : looks) {
        SCOPED_TRACE(testing::Message() << "hover " << hover << " focus " << focus);
        button.m_bHover = hover;
        button.m_bFocus = focus;
        canvas.Fill(RGB(1, 2, 3));
        button.DrawButton(canvas.dc(), RECT{0, 0, 60, 20});
        EXPECT_EQ(canvas.Count(RECT{0, 0, 60, 20}, frame), 2 * 60 + 2 * 18);
        EXPECT_EQ(canvas.Pixel(2, 10), face);
        EXPECT_EQ(canvas.Count(RECT{3, 3, 57, 4}, kDots) > 10, focus);
        EXPECT_EQ(canvas.Count(RECT{4, 4, 56, 16}, kDots) > 0, false);
        // The caption, in black, sits in the middle of the face.
        RECT ink = {60, 20, 0, 0};
        for (int y = 1; y < 19; ++y) {
            for (int x = 1; x < 59; ++x) {
                const COLORREF p = canvas.Pixel(x, y);
                if (GetRValue(p) < 120 && p != kDots) {
                    ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                           std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
                }
            }
        }
        EXPECT_LE(std::abs((ink.left + ink.right) - 60), 3);
        EXPECT_LE(std::abs((ink.top + ink.bottom) - 20), 4);
    }
}

TEST_F(FlatControls, ButtonReportsThePressAfterTakingTheFocusAndPostsEveryKey) {
    TStaticButton button;
    button.Create(parent, L"Show All", 7);
    SetWindowPos(button.m_hWnd, nullptr, 10, 10, 60, 20, SWP_NOZORDER);
    std::vector<std::pair<LPARAM, bool>> clicks; // command, and whether the button had the focus then
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_CLICKED) {
            clicks.emplace_back(msg.lParam, GetFocus() == button.m_hWnd);
        }
    };
    Mouse(button.m_hWnd, WM_LBUTTONDOWN, POINT{30, 10});
    EXPECT_EQ(clicks, (std::vector<std::pair<LPARAM, bool>>{{7, true}}));
    EXPECT_TRUE(button.m_bFocus);
    Mouse(button.m_hWnd, WM_LBUTTONUP, POINT{200, 10}); // released elsewhere: nothing more
    for (const WPARAM key : {WPARAM(VK_RETURN), WPARAM('A')}) {
        SendMessageW(button.m_hWnd, WM_KEYDOWN, key, 0);
    }
    testing_support::PumpMessages();
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(Received(TCM_KEYDOWN), 2);
    for (const MSG& msg : RecordingWindow::log) {
        if (msg.message == TCM_KEYDOWN) {
            EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(button.m_hWnd));
        }
    }
}

TEST_F(FlatControls, AParentMayDestroyTheButtonInsideTheClick) {
    // The button lives alone on a page that is made unreadable once it is destroyed: any touch
    // of it after the click is sent faults at once.
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    void* page = VirtualAlloc(nullptr, info.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(page, nullptr);
    ASSERT_LE(sizeof(TStaticButton), info.dwPageSize);
    auto* button = new (page) TStaticButton;
    button->Create(parent, L"Cancel", 3);
    SetWindowPos(button->m_hWnd, nullptr, 10, 10, 60, 20, SWP_NOZORDER);
    const HWND hButton = button->m_hWnd;
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_CLICKED) {
            button->~TStaticButton();
            DWORD old = 0;
            VirtualProtect(page, info.dwPageSize, PAGE_NOACCESS, &old);
        }
    };
    Mouse(hButton, WM_LBUTTONDOWN, POINT{30, 10});
    testing_support::PumpMessages();
    EXPECT_FALSE(IsWindow(hButton));
    EXPECT_EQ(Received(TCM_CLICKED), 1);
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST_F(FlatControls, ComboPaintsItsTriangleAndHoverFrame) {
    TCombox combo;
    combo.Create(parent);
    Canvas canvas(60, 20);
    for (const bool hover : {false, true}) {
        combo.m_bHover = hover;
        canvas.Fill(RGB(1, 2, 3));
        combo.DrawCombox(canvas.dc(), RECT{0, 0, 60, 20});
        EXPECT_EQ(canvas.Pixel(0, 0), hover ? kHoverFrame : kBorder);
        EXPECT_EQ(canvas.Pixel(10, 10), RGB(231, 231, 231));
        // The triangle area's own frame shows under the mouse only.
        EXPECT_EQ(canvas.Pixel(46, 10), hover ? kHoverFrame : RGB(231, 231, 231));
        // A grey triangle 9 wide and 5 high, pointing down, from (48, 8).
        EXPECT_EQ(canvas.Count(RECT{47, 6, 59, 15}, kBorder), 9 + 7 + 5 + 3 + 1);
        EXPECT_EQ(canvas.Count(RECT{48, 8, 57, 9}, kBorder), 9);
        EXPECT_EQ(canvas.Pixel(52, 12), kBorder);
        EXPECT_NE(canvas.Pixel(52, 13), kBorder);
    }
}

TEST_F(FlatControls, ComboOpensItsListOverItsLastRowAndPassesOnEveryReportedRow) {
    TCombox combo;
    combo.Create(parent);
    SetWindowPos(combo.m_hWnd, nullptr, 40, 30, 60, combo.m_nHeight, SWP_NOZORDER);
    // An empty combo opens an empty list at the first height and the combo's width.
    Mouse(combo.m_hWnd, WM_LBUTTONDOWN, POINT{55, 10});
    ASSERT_TRUE(combo.m_pList && IsWindowVisible(combo.m_pList->m_hWnd));
    RECT rcList = {};
    GetWindowRect(combo.m_pList->m_hWnd, &rcList);
    const RECT expected = {140, 149, 200, 349};
    EXPECT_TRUE(EqualRect(&rcList, &expected))
        << rcList.left << "," << rcList.top << "," << rcList.right << "," << rcList.bottom;
    ShowWindow(combo.m_pList->m_hWnd, SW_HIDE);

    for (const wchar_t* name : {L"Yes", L"No"}) {
        ComboItem item = {};
        lstrcpynW(item.name, name, 40);
        item.tag = L'F';
        item.data = static_cast<int>(combo.m_vecItems.size());
        item.checked = true;
        combo.m_vecItems.push_back(item);
    }
    combo.SetCurSel(2); // beyond the rows: nothing
    EXPECT_EQ(combo.m_nCurSel, -1);
    combo.SetCurSel(0);
    EXPECT_STREQ(combo.GetText(), L"Yes");
    combo.m_pList->SetItems(combo.m_vecItems);

    std::vector<std::pair<WPARAM, bool>> told; // row, and whether the list was still shown then
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_SELCHANGED) {
            EXPECT_EQ(msg.lParam, reinterpret_cast<LPARAM>(combo.m_hWnd));
            told.emplace_back(msg.wParam, IsWindowVisible(combo.m_pList->m_hWnd) != FALSE);
        }
    };
    Mouse(combo.m_hWnd, WM_LBUTTONDOWN, POINT{5, 5});
    ASSERT_TRUE(IsWindowVisible(combo.m_pList->m_hWnd));
    const int row = combo.m_pList->RowHeight();
    Mouse(combo.m_pList->m_hWnd, WM_LBUTTONDOWN, POINT{5, row + row / 2});
    testing_support::PumpMessages();
    EXPECT_STREQ(combo.GetText(), L"No");
    EXPECT_EQ(combo.m_nCurSel, 1);
    // A row the combo does not have is still passed on, and changes nothing.
    SendMessageW(combo.m_hWnd, TCM_SELCHANGED, reinterpret_cast<WPARAM>(combo.m_pList->m_hWnd), 5);
    testing_support::PumpMessages();
    EXPECT_STREQ(combo.GetText(), L"No");
    EXPECT_EQ(combo.m_nCurSel, 1);
    EXPECT_EQ(told, (std::vector<std::pair<WPARAM, bool>>{{1, false}, {5, false}}));
}
