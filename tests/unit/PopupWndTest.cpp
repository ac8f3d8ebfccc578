#include "toolkit/PopupWnd.h"

#include "support/BarHarness.h"

#include <tuple>

using PopupWindow = testing_support::BarTest;

TEST_F(PopupWindow, HidesOnDeactivationAndOnAClickOutsideItsClientArea) {
    TPopupWnd popup;
    popup.Create(nullptr);
    // Activation and a click inside leave the 120 x 80 popup shown; the others hide it.
    const std::tuple<UINT, WPARAM, LPARAM, bool> cases[] = {{WM_ACTIVATE, WA_ACTIVE, 0, true},
                                                            {WM_LBUTTONDOWN, 0, MAKELPARAM(119, 79), true},
                                                            {WM_ACTIVATE, WA_INACTIVE, 0, false},
                                                            {WM_LBUTTONDOWN, 0, MAKELPARAM(120, 10), false}};
    for (const auto& [uMsg, wParam, lParam, shown] : cases) {
        SetWindowPos(popup.m_hWnd, nullptr, 50, 60, 120, 80, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SendMessageW(popup.m_hWnd, uMsg, wParam, lParam);
        EXPECT_EQ(IsWindowVisible(popup.m_hWnd) != FALSE, shown) << uMsg << " " << lParam;
    }
}
