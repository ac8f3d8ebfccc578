#include "toolkit/MemDC.h"

#include "toolkit/IxFrm.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

constexpr COLORREF kBack = RGB(20, 90, 160), kBlock = RGB(240, 200, 10), kDot = RGB(50, 50, 50);
constexpr RECT kAll = {0, 0, 120, 80}, kBlockRect = {30, 20, 70, 50}, kFrame = {10, 10, 60, 40};

// Paints a block on a background and a dotted frame across both through TMemDC, or leaves
// its paint handler before drawing anything.
struct MemDCProbe : TIxFrm {
    MemDCProbe() {
        Create(L"KestrovaMemDCProbe", nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        SetWindowPos(m_hWnd, HWND_TOPMOST, 40, 40, kAll.right, kAll.bottom, SWP_SHOWWINDOW);
    }
    ~MemDCProbe() override { DestroyWindow(m_hWnd); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg != WM_PAINT) {
            return kNotHandled;
        }
        ++m_nPaints;
        TMemDC dc(m_hWnd);
        if (!m_bLeaveEarly) {
            FillSolid(dc.GetSafeHdc(), kAll, kBack);
            FillSolid(dc.GetSafeHdc(), kBlockRect, kBlock);
            dc.DrawDotFrame(kFrame);
        }
        return 0;
    }
    int m_nPaints = 0;
    bool m_bLeaveEarly = true;
};

TEST(MemDC, PaintReachesTheWindowWholeAndEndsEvenWhenLeftEarly) {
    MemDCProbe wnd;
    testing_support::PumpFor(200);
    // Its first paints were left early, and still nothing is left to paint.
    EXPECT_GT(wnd.m_nPaints, 0);
    EXPECT_FALSE(GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));

    wnd.m_bLeaveEarly = false;
    InvalidateRect(wnd.m_hWnd, nullptr, FALSE);
    testing_support::PumpFor(100);
    testing_support::Canvas canvas(kAll.right, kAll.bottom);
    testing_support::CaptureWindow(wnd.m_hWnd, canvas);
    // The dots lie on the frame's outline (156 pixels) only, a good part of it but not all.
    const RECT inside = {kFrame.left + 1, kFrame.top + 1, kFrame.right - 1, kFrame.bottom - 1};
    const int dots = canvas.Count(kAll, kDot);
    EXPECT_EQ(canvas.Count(kFrame, kDot) - canvas.Count(inside, kDot), dots);
    EXPECT_TRUE(dots > 156 / 4 && dots < 156) << dots;
    // Everything else is the block, whole (40 x 30), and the background.
    EXPECT_EQ(canvas.Count(kBlockRect, kBlock) + canvas.Count(kBlockRect, kDot), 40 * 30);
    EXPECT_EQ(canvas.Count(kAll, kBack) + canvas.Count(kAll, kBlock) + dots, 120 * 80);
}
