#include "toolkit/PopupWnd.h"

#include "toolkit/GdiHandle.h"

#include "PluginFixture.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using testing_support::Canvas;
using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kBack = RGB(231, 231, 231);
constexpr COLORREF kBorder = RGB(150, 150, 150);
constexpr COLORREF kContent = RGB(10, 200, 30);

// A popup whose content is one coloured square, so that the hook's place can be seen.
class SquarePopup : public TPopupWnd {
public:
    void DrawContent(HDC hDC, const RECT& rcClient) override {
        m_rcContentClient = rcClient;
        const RECT rc = {10, 10, 20, 20};
        FillSolid(hDC, rc, kContent);
    }
    RECT m_rcContentClient = {};
};

class PopupWindow : public PluginFixture<1033> {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        owner = std::make_unique<RecordingWindow>(nullptr, WS_POPUP, RECT{400, 400, 600, 450});
    }
    void TearDown() override {
        owner.reset();
        PluginFixture::TearDown();
    }
    // Shows the popup where its owner would.
    static void Open(TPopupWnd& popup) {
        int x = 50, y = 60, w = 120, h = 80;
        popup.SetPos(x, y, w, h);
        ShowWindow(popup.m_hWnd, SW_SHOWNA);
    }
    std::unique_ptr<RecordingWindow> owner;
};

LPARAM ClientPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

} // namespace

TEST_F(PopupWindow, StartsHiddenAsAToolWindowOwnedByItsOwnerAndIsPlacedBySetPos) {
    SquarePopup popup;
    EXPECT_TRUE(popup.m_bAutoHide);
    ASSERT_TRUE(popup.Create(owner->hwnd()));
    const HWND hWnd = popup.m_hWnd;
    ASSERT_TRUE(IsWindow(hWnd));
    EXPECT_EQ(popup.m_hParent, owner->hwnd());
    EXPECT_EQ(GetWindow(hWnd, GW_OWNER), owner->hwnd());
    wchar_t className[32] = {};
    GetClassNameW(hWnd, className, 32);
    EXPECT_STREQ(className, L"TPopupWnd");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE)) & (WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE),
              DWORD(WS_POPUP | WS_CLIPCHILDREN));
    EXPECT_TRUE(GetWindowLongW(hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    Open(popup);
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    EXPECT_EQ(rc.left, 50);
    EXPECT_EQ(rc.top, 60);
    EXPECT_EQ(rc.right - rc.left, 120);
    EXPECT_EQ(rc.bottom - rc.top, 80);
}

TEST_F(PopupWindow, HidesOnDeactivationAndOnAClickOutsideItsClientArea) {
    SquarePopup popup;
    popup.Create(owner->hwnd());
    Open(popup);
    const HWND hWnd = popup.m_hWnd;

    EXPECT_EQ(SendMessageW(hWnd, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_TRUE(IsWindowVisible(hWnd));
    EXPECT_EQ(SendMessageW(hWnd, WM_ACTIVATE, WA_INACTIVE, 0), 0);
    EXPECT_FALSE(IsWindowVisible(hWnd));

    Open(popup);
    SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(119, 79));
    EXPECT_TRUE(IsWindowVisible(hWnd));
    SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(120, 10));
    EXPECT_FALSE(IsWindowVisible(hWnd));

    // A point left of the window arrives as a large unsigned one: still outside.
    Open(popup);
    SendMessageW(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(-5, 10));
    EXPECT_FALSE(IsWindowVisible(hWnd));
}

TEST_F(PopupWindow, StaysShownWhenItDoesNotHideItself) {
    SquarePopup popup;
    popup.m_bAutoHide = false;
    popup.Create(owner->hwnd());
    Open(popup);
    SendMessageW(popup.m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(popup.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(500, 500));
    EXPECT_TRUE(IsWindowVisible(popup.m_hWnd));
}

TEST_F(PopupWindow, PaintsAFramedLightBackgroundUnderItsContent) {
    SquarePopup popup;
    Canvas canvas(60, 40);
    canvas.Fill(RGB(0, 0, 0));
    const RECT rc = {0, 0, 60, 40};
    popup.DrawPopup(canvas.dc(), rc);

    EXPECT_EQ(popup.m_rcContentClient.right, 60);
    EXPECT_EQ(popup.m_rcContentClient.bottom, 40);
    EXPECT_EQ(canvas.Count(RECT{1, 1, 59, 39}, kBack), 58 * 38 - 100);
    EXPECT_EQ(canvas.Count(RECT{10, 10, 20, 20}, kContent), 100);
    // The frame is one pixel wide all round.
    EXPECT_EQ(canvas.Count(rc, kBorder), 2 * 60 + 2 * 38);
    EXPECT_EQ(canvas.Pixel(0, 0), kBorder);
    EXPECT_EQ(canvas.Pixel(59, 39), kBorder);
}

TEST_F(PopupWindow, PaintReachesTheScreenAndDestructionTakesTheWindow) {
    HWND hWnd = nullptr;
    {
        SquarePopup popup;
        popup.Create(owner->hwnd());
        Open(popup);
        hWnd = popup.m_hWnd;
        UpdateWindow(hWnd);
        Canvas canvas(120, 80);
        testing_support::CaptureWindow(hWnd, canvas);
        EXPECT_EQ(canvas.Pixel(0, 0), kBorder);
        EXPECT_EQ(canvas.Pixel(60, 40), kBack);
        EXPECT_EQ(canvas.Pixel(15, 15), kContent);
    }
    EXPECT_FALSE(IsWindow(hWnd));
}
