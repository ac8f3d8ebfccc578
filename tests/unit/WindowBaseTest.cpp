#include "toolkit/IxFrm.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ProbeWnd : public TIxFrm {
public:
    ProbeWnd() { Create(L"KestrovaProbeWnd", nullptr, WS_POPUP, 0); }
    ~ProbeWnd() override { DestroyWindow(m_hWnd); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        ++m_nMessages;
        m_bTiedOnCreate |= uMsg == WM_NCCREATE && m_hWnd;
        return uMsg == WM_APP ? 42 : uMsg == WM_APP + 1 ? 0 : kNotHandled;
    }
    int m_nMessages = 0;
    bool m_bTiedOnCreate = false;
};

} // namespace

TEST(WindowBase, TiesObjectAndWindowAndPassesResultsExceptMinusOne) {
    ProbeWnd probe;
    ASSERT_TRUE(IsWindow(probe.m_hWnd));
    EXPECT_TRUE(probe.m_bTiedOnCreate);
    EXPECT_EQ(TIxFrm::FromHandle(probe.m_hWnd), &probe);
    EXPECT_EQ(GetClassLongPtrW(probe.m_hWnd, GCL_STYLE) & (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW),
              ULONG_PTR(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(GetClassLongPtrW(probe.m_hWnd, GCLP_HBRBACKGROUND), 0u);
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_APP, 0, 0), 42);
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_APP + 1, 0, 0), 0);
    // A declined message gets the default processing's answer, never the -1 itself.
    EXPECT_EQ(SendMessageW(probe.m_hWnd, WM_NCHITTEST, 0, 0),
              DefWindowProcW(probe.m_hWnd, WM_NCHITTEST, 0, 0));

    // Once the window is gone, the object knows it and hears nothing more.
    const HWND hWnd = probe.m_hWnd;
    DestroyWindow(hWnd);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    const int before = probe.m_nMessages;
    PostMessageW(hWnd, WM_APP, 0, 0);
    testing_support::PumpMessages();
    EXPECT_EQ(probe.m_nMessages, before);
}
