#include "toolkit/IxFrm.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kAnswerZero = WM_APP + 2;
constexpr UINT kDecline = WM_APP + 3;

class ProbeWnd : public TIxFrm {
public:
    void Open(HWND hParent = nullptr) { Create(L"KestrovaProbeWnd", hParent, WS_POPUP, 0); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        ++m_nMessages;
        if (uMsg == WM_NCCREATE) {
            m_bSawCreate = m_hWnd != nullptr;
        }
        switch (uMsg) {
        case kAnswer:
            return 42;
        case kAnswerZero:
            return 0;
        default:
            return kNotHandled;
        }
    }
    ~ProbeWnd() override {
        if (m_hWnd) {
            DestroyWindow(m_hWnd);
        }
    }
    int m_nMessages = 0;
    bool m_bSawCreate = false;
};

} // namespace

TEST(WindowBase, TiesObjectAndWindowBothWaysFromCreation) {
    ProbeWnd probe;
    probe.Open();
    ASSERT_TRUE(IsWindow(probe.m_hWnd));
    EXPECT_TRUE(probe.m_bSawCreate);
    EXPECT_EQ(TIxFrm::FromHandle(probe.m_hWnd), &probe);
    // The slot holds the whole pointer, whatever its size.
    EXPECT_EQ(GetWindowLongPtrW(probe.m_hWnd, 0), reinterpret_cast<LONG_PTR>(&probe));
    const ULONG_PTR style = GetClassLongPtrW(probe.m_hWnd, GCL_STYLE);
    EXPECT_EQ(style & (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW),
              ULONG_PTR(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrW(probe.m_hWnd, GCLP_HBRBACKGROUND), 0u);
}

TEST(WindowBase, HandlerResultsPassThroughExceptMinusOne) {
    ProbeWnd probe;
    probe.Open();
    EXPECT_EQ(SendMessageW(probe.m_hWnd, kAnswer, 0, 0), 42);
    EXPECT_EQ(SendMessageW(probe.m_hWnd, kAnswerZero, 0, 0), 0);
    // A declined message gets the default processing's answer, never the -1 itself.
    EXPECT_EQ(SendMessageW(probe.m_hWnd, kDecline, 0, 0), 0);
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_NCHITTEST, 0, 0),
              DefWindowProcW(probe.m_hWnd, WM_NCHITTEST, 0, 0));
}

TEST(WindowBase, SecondWindowOfARegisteredClassIsCreated) {
    ProbeWnd first, second;
    first.Open();
    second.Open();
    EXPECT_TRUE(IsWindow(first.m_hWnd));
    EXPECT_TRUE(IsWindow(second.m_hWnd));
    EXPECT_NE(first.m_hWnd, second.m_hWnd);
    EXPECT_EQ(SendMessageW(second.m_hWnd, kAnswer, 0, 0), 42);
}

TEST(WindowBase, DestroyedWindowNoLongerReachesItsObject) {
    ProbeWnd probe;
    probe.Open();
    const HWND hWnd = probe.m_hWnd;
    DestroyWindow(hWnd);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    const int before = probe.m_nMessages;
    PostMessageW(hWnd, kAnswer, 0, 0);
    testing_support::PumpMessages();
    EXPECT_EQ(probe.m_nMessages, before);
}
