#include "toolkit/MemDC.h"

#include "toolkit/IxFrm.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Canvas;

constexpr int kWidth = 120;
constexpr int kHeight = 80;
constexpr COLORREF kBack = RGB(20, 90, 160);
constexpr COLORREF kBlock = RGB(240, 200, 10);
constexpr COLORREF kDot = RGB(50, 50, 50);
constexpr COLORREF kWhite = RGB(255, 255, 255);
const RECT kBlockRect = {30, 20, 70, 50};
const RECT kFrameRect = {10, 10, 60, 40};

// A window that paints through TMemDC; optionally it leaves its paint handler before
// drawing anything.
class PaintedWnd : public TIxFrm {
public:
    void Open() {
        Create(L"KestrovaMemDCProbe", nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        SetWindowPos(m_hWnd, HWND_TOPMOST, 40, 40, kWidth, kHeight, SWP_SHOWWINDOW);
    }
    ~PaintedWnd() override {
        if (m_hWnd) {
            DestroyWindow(m_hWnd);
        }
    }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg != WM_PAINT) {
            return kNotHandled;
        }
        ++m_nPaints;
        TMemDC dc(m_hWnd);
        if (m_bLeaveEarly) {
            return 0;
        }
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        FillSolid(dc.m_hMemDC.get(), rc, kBack);
        FillSolid(dc.m_hMemDC.get(), kBlockRect, kBlock);
        if (m_bFrame) {
            dc.DrawDotFrame(kFrameRect);
        }
        return 0;
    }
    int m_nPaints = 0;
    bool m_bLeaveEarly = false;
    bool m_bFrame = false;
};

void Repaint(HWND hWnd) {
    InvalidateRect(hWnd, nullptr, FALSE);
    UpdateWindow(hWnd);
    testing_support::PumpFor(50);
}

// Pixels of the outline of rc (right and bottom edges excluded, as Rectangle draws them).
int CountOnOutline(const Canvas& canvas, const RECT& rc, COLORREF colour) {
    const RECT edges[] = {{rc.left, rc.top, rc.right, rc.top + 1},
                          {rc.left, rc.bottom - 1, rc.right, rc.bottom},
                          {rc.left, rc.top + 1, rc.left + 1, rc.bottom - 1},
                          {rc.right - 1, rc.top + 1, rc.right, rc.bottom - 1}};
    int count = 0;
    for (const RECT& edge : edges) {
        count += canvas.Count(edge, colour);
    }
    return count;
}

int OutlineLength(const RECT& rc) {
    return 2 * (rc.right - rc.left) + 2 * (rc.bottom - rc.top) - 4;
}

RECT Inside(const RECT& rc) {
    return RECT{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
}

} // namespace

TEST(MemDC, PaintReachesTheWindowWhole) {
    PaintedWnd wnd;
    wnd.Open();
    Repaint(wnd.m_hWnd);
    ASSERT_GT(wnd.m_nPaints, 0);
    Canvas canvas(kWidth, kHeight);
    testing_support::CaptureWindow(wnd.m_hWnd, canvas);
    const RECT all = {0, 0, kWidth, kHeight};
    const int blockPixels = (kBlockRect.right - kBlockRect.left) * (kBlockRect.bottom - kBlockRect.top);
    EXPECT_EQ(canvas.Count(kBlockRect, kBlock), blockPixels);
    EXPECT_EQ(canvas.Count(all, kBack), kWidth * kHeight - blockPixels);
}

TEST(MemDC, LeavingThePaintHandlerEarlyStillEndsThePaint) {
    PaintedWnd wnd;
    wnd.m_bLeaveEarly = true;
    wnd.Open();
    testing_support::PumpFor(100);
    wnd.m_nPaints = 0;
    InvalidateRect(wnd.m_hWnd, nullptr, FALSE);
    testing_support::PumpFor(200);
    // One paint for one invalidation, and nothing left to paint afterwards.
    EXPECT_EQ(wnd.m_nPaints, 1);
    EXPECT_FALSE(GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
    // The window's context is usable again: a full paint reaches the screen.
    wnd.m_bLeaveEarly = false;
    Repaint(wnd.m_hWnd);
    Canvas canvas(kWidth, kHeight);
    testing_support::CaptureWindow(wnd.m_hWnd, canvas);
    EXPECT_EQ(canvas.Pixel(0, 0), kBack);
    EXPECT_EQ(canvas.Pixel(kBlockRect.left, kBlockRect.top), kBlock);
}

TEST(MemDC, DotFrameIsADottedOutlineOnly) {
    Canvas canvas(80, 60);
    canvas.Fill(kWhite);
    DrawDotFrame(canvas.dc(), kFrameRect);
    const int dots = CountOnOutline(canvas, kFrameRect, kDot);
    // Dotted: a good part of the outline is drawn, but not all of it.
    EXPECT_GT(dots, OutlineLength(kFrameRect) / 4);
    EXPECT_LT(dots, OutlineLength(kFrameRect));
    EXPECT_EQ(dots + CountOnOutline(canvas, kFrameRect, kWhite), OutlineLength(kFrameRect));
    // Nothing is filled inside, and nothing drawn outside.
    EXPECT_EQ(canvas.CountOther(Inside(kFrameRect), kWhite), 0);
    const RECT all = {0, 0, 80, 60};
    EXPECT_EQ(canvas.CountOther(all, kWhite), dots);
}

TEST(MemDC, DotFrameOfAPaintLeavesTheInsideAsDrawn) {
    PaintedWnd wnd;
    wnd.m_bFrame = true;
    wnd.Open();
    Repaint(wnd.m_hWnd);
    Canvas canvas(kWidth, kHeight);
    testing_support::CaptureWindow(wnd.m_hWnd, canvas);
    const int dots = CountOnOutline(canvas, kFrameRect, kDot);
    EXPECT_GT(dots, OutlineLength(kFrameRect) / 4);
    EXPECT_LT(dots, OutlineLength(kFrameRect));
    // The block overlaps the frame's inside and shows through it untouched.
    const RECT overlap = {kBlockRect.left, kBlockRect.top, kFrameRect.right - 1, kFrameRect.bottom - 1};
    const RECT inside = Inside(kFrameRect);
    EXPECT_EQ(canvas.CountOther(overlap, kBlock), 0);
    EXPECT_EQ(canvas.Count(inside, kBack) + canvas.Count(inside, kBlock),
              (inside.right - inside.left) * (inside.bottom - inside.top));
}
