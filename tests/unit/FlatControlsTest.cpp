// The flat button and the combo box: their pixels, a click reported on the press, a button
// destroyed by its parent inside the click, every row the combo's list reports passed on.
#include "toolkit/Combox.h"
#include "toolkit/StaticButton.h"

#include "support/BarHarness.h"
#include "support/ModalScript.h"
#include "support/RecordingWindow.h"
#include "toolkit/ToolkitMessages.h"

#include <new>
#include <tuple>

using namespace testing_support;

namespace {

constexpr COLORREF kBorder = RGB(150, 150, 150), kHoverFrame = RGB(126, 180, 234);

using FlatControls = BarTest;

LONG WINAPI EndOnFault(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

// What tools read of a control's state.
LONG State(TAccessibleContent& control) {
    AccElement element;
    return control.AccDescribe(TAccessibleContent::kWindowElement, element) ? element.nState : -1;
}

} // namespace

TEST_F(FlatControls, ButtonAndComboPaintEachLookAndTheComboPassesOnEveryRowItsListReports) {
    const HWND parent = RecordingWindow::Create(nullptr, WS_POPUP, RECT{100, 100, 500, 400});
    TStaticButton button;
    button.Create(parent, L"OK", 2);
    TCombox combo;
    combo.Create(parent);
    Canvas canvas(60, 20);
    // A focus frame's line: about every other pixel of the row lit, neither none nor all.
    const auto dotted = [&canvas](const RECT& row) {
        const int lit = canvas.Count(row, RGB(50, 50, 50)), span = row.right - row.left;
        return 3 * lit >= span && 3 * lit <= 2 * span;
    };
    for (int look = 0; look < 4; ++look) {
        const bool hover = look & 1, focus = look & 2;
        SCOPED_TRACE(testing::Message() << "hover " << hover << " focus " << focus);
        // Each look as the window's messages set it: under the mouse or not, with the focus or not.
        for (const HWND hWnd : {button.m_hWnd, combo.m_hWnd}) {
            SendMessageW(hWnd, hover ? WM_MOUSEMOVE : WM_MOUSELEAVE, 0, 0);
            SendMessageW(hWnd, focus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
        }
        // Tools read the same look.
        const LONG hot = hover ? STATE_SYSTEM_HOTTRACKED : 0;
        EXPECT_EQ(State(button), STATE_SYSTEM_FOCUSABLE | hot | (focus ? STATE_SYSTEM_FOCUSED : 0));
        EXPECT_EQ(State(combo) & STATE_SYSTEM_HOTTRACKED, hot);
        canvas.Fill(RGB(1, 2, 3));
        button.DrawButton(canvas.dc(), RECT{0, 0, 60, 20});
        EXPECT_EQ(canvas.Count(RECT{0, 0, 60, 20}, hover ? kHoverFrame : kBorder), 2 * 60 + 2 * 18);
        EXPECT_EQ(canvas.Pixel(2, 10), hover ? RGB(240, 244, 252) : RGB(240, 240, 240));
        EXPECT_EQ(dotted(RECT{3, 3, 57, 4}), focus); // 3 pixels in

        canvas.Fill(RGB(1, 2, 3));
        combo.DrawCombox(canvas.dc(), RECT{0, 0, 60, 20});
        EXPECT_EQ(canvas.Pixel(0, 0), hover ? kHoverFrame : kBorder);
        // The triangle area's own frame shows under the mouse only.
        EXPECT_EQ(canvas.Pixel(46, 10), hover ? kHoverFrame : RGB(231, 231, 231));
        // A grey triangle 9 wide and 5 high, pointing down from (48, 8).
        EXPECT_EQ(canvas.Count(RECT{47, 6, 59, 15}, kBorder), 9 + 7 + 5 + 3 + 1);
        EXPECT_EQ(canvas.Count(RECT{48, 8, 57, 9}, kBorder), 9);
        EXPECT_EQ(dotted(RECT{3, 3, 43, 4}), focus); // left of the triangle
    }
    // The combo passes on every row its list reports, and shows those it has.
    combo.SetItems({ComboItem{}, ComboItem{L"No", {}, 0, 0, false}});
    combo.SetCurSel(2); // beyond the rows: nothing
    EXPECT_STREQ(combo.GetText(), L"");
    SendMessageW(combo.m_hWnd, TCM_SELCHANGED, 0, 1); // as the list reports a pick
    SendMessageW(combo.m_hWnd, TCM_SELCHANGED, 0, 5);
    EXPECT_STREQ(combo.GetText(), L"No");
    PumpMessages();
    EXPECT_EQ(RecordingWindow::Count(parent, TCM_SELCHANGED), 2); // the row beyond them too
    DestroyWindow(parent);
}

TEST_F(FlatControls, ButtonReportsEachPressEvenOneThatDestroysIt) {
    const HWND parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 500, 400});
    // The button lives alone in memory made unreadable once the parent destroys it in the
    // last click: any touch of it after the click is sent faults, which ends the run at once
    // (Wine's debugger would hold it until the test's time ran out).
    SetUnhandledExceptionFilter(&EndOnFault);
    void* alone = VirtualAlloc(nullptr, 0x10000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    auto* button = new (alone) TStaticButton;
    button->Create(parent, L"Cancel", 3);
    const HWND hButton = button->m_hWnd;
    SetWindowPos(hButton, nullptr, 10, 10, 60, 20, SWP_NOZORDER);
    std::vector<std::tuple<UINT, LPARAM, bool>> told; // message, lParam, the focus on the button
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_CLICKED || msg.message == TCM_KEYDOWN) {
            told.emplace_back(msg.message, msg.lParam, GetFocus() == hButton);
        }
        DWORD old = 0;
        if (msg.message == TCM_CLICKED && told.size() == 7) {
            button->~TStaticButton();
            VirtualProtect(alone, 0x10000, PAGE_NOACCESS, &old);
        }
    };
    Mouse(parent, POINT{40, 20}, {WM_LBUTTONDOWN});
    SendMessageW(hButton, WM_LBUTTONUP, 0, MAKELPARAM(190, 10)); // released elsewhere: nothing
    // Any key is posted, and no click; Space and Enter are a click too.
    for (const int vk : {int('A'), VK_SPACE, VK_RETURN}) {
        SendMessageW(hButton, WM_KEYDOWN, WPARAM(vk), 0);
        PumpMessages();
    }
    ClickAt(parent, POINT{40, 20});
    PumpMessages();
    RecordingWindow::onMessage = nullptr;
    EXPECT_FALSE(IsWindow(hButton));
    const std::tuple<UINT, LPARAM, bool> click = {TCM_CLICKED, 3, true},
                                         key = {TCM_KEYDOWN, LPARAM(hButton), true};
    EXPECT_EQ(told, (std::vector<std::tuple<UINT, LPARAM, bool>>{click, key, click, key, click, key, click}));
    VirtualFree(alone, 0, MEM_RELEASE);
}
