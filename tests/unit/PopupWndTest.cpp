#include "toolkit/PopupWnd.h"

#include "PluginFixture.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"
#include "toolkit/GdiHandle.h"

#include <gtest/gtest.h>

using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kContent = RGB(10, 200, 30);

// A popup whose content is one coloured square, so that the hook's place can be seen.
class SquarePopup : public TPopupWnd {
public:
    void DrawContent(HDC hDC, const RECT&) override { FillSolid(hDC, RECT{10, 10, 20, 20}, kContent); }
};

class PopupWindow : public PluginFixture<1033> {
protected:
    // Opens the popup as its owner would: placed, then shown.
    static void Open(TPopupWnd& popup) {
        int x = 50, y = 60, w = 120, h = 80;
        popup.SetPos(x, y, w, h);
        ShowWindow(popup.m_hWnd, SW_SHOWNA);
    }
    static void Click(TPopupWnd& popup, int x, int y) {
        SendMessageW(popup.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }
    RecordingWindow owner{nullptr, WS_POPUP, RECT{400, 400, 600, 450}};
};

} // namespace

TEST_F(PopupWindow, HidesOnDeactivationAndOnAClickOutsideItsClientArea) {
    SquarePopup popup;
    popup.Create(owner.hwnd());
    EXPECT_EQ(GetWindow(popup.m_hWnd, GW_OWNER), owner.hwnd());
    EXPECT_FALSE(IsWindowVisible(popup.m_hWnd));

    Open(popup);
    SendMessageW(popup.m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    Click(popup, 119, 79);
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
    SendMessageW(popup.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(IsWindowVisible(popup.m_hWnd));

    Open(popup);
    Click(popup, 120, 10);
    EXPECT_FALSE(IsWindowVisible(popup.m_hWnd));
    // Left of the window the point arrives as a large unsigned one: still outside.
    Open(popup);
    Click(popup, -5, 10);
    EXPECT_FALSE(IsWindowVisible(popup.m_hWnd));

    popup.m_bAutoHide = false;
    Open(popup);
    SendMessageW(popup.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    Click(popup, 500, 500);
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
}

TEST_F(PopupWindow, PaintsItsContentOnAFramedLightBackground) {
    HWND hWnd = nullptr;
    {
        SquarePopup popup;
        popup.Create(owner.hwnd());
        Open(popup);
        hWnd = popup.m_hWnd;
        UpdateWindow(hWnd);
        testing_support::Canvas canvas(120, 80);
        testing_support::CaptureWindow(hWnd, canvas);
        const COLORREF border = RGB(150, 150, 150);
        EXPECT_EQ(canvas.Count(RECT{0, 0, 120, 80}, border), 2 * 120 + 2 * 78);
        EXPECT_EQ(canvas.Count(RECT{1, 1, 119, 79}, RGB(231, 231, 231)), 118 * 78 - 100);
        EXPECT_EQ(canvas.Count(RECT{10, 10, 20, 20}, kContent), 100);
    }
    // The popup takes its window with it.
    EXPECT_FALSE(IsWindow(hWnd));
}
