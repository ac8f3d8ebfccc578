// The demo terminal's main frame, driven through the host's slots as the plug-in calls them.
#include "demo/HostSide.h"
#include "host/demo/DemoFrame.h"
#include "host/demo/Screenshot.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using demo::DemoFrame;
using demo_testing::CallSlot;
using demo_testing::SpiLog;
namespace slot = host::slot;

namespace {

std::vector<std::string> g_hostMessages;
void __cdecl RecordHostMessage(std::uintptr_t, std::uintptr_t, const char* source, const char* key,
                               const char* value) {
    g_hostMessages.push_back(std::string(source) + " " + key + " " + value);
}

int g_factoryCalls = 0;
void __cdecl CountingFactory() {
    ++g_factoryCalls;
}

// A frame on a host whose plug-in side is played by the test.
class DemoFrameWindow : public ::testing::Test {
protected:
    DemoFrameWindow() : office(17), feed(office, host), spi(host) {
        host.accounts = office.AccountRecords();
        host.funds = office.KnownFunds();
        g_hostMessages.clear();
        g_factoryCalls = 0;
    }

    void CreateFrame() {
        frame = std::make_unique<DemoFrame>(host, office, feed);
        ASSERT_TRUE(frame->Create(demo::FrameSettings{}));
        testing_support::PumpMessages();
    }

    // A window as the plug-in makes one: top-level, with a caption, no size.
    HWND AttachBar(host::HostMessageFn callback = nullptr) {
        const HWND hWnd = CreateWindowExW(0, L"STATIC", L"bar", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN,
                                          0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        CallSlot(host.MainFrame(), slot::AttachWindow, hWnd, callback);
        return hWnd;
    }

    // A bar's place in the frame's client area, and the place it should have.
    std::array<LONG, 4> PlaceOf(HWND hWnd) const {
        RECT rc = {};
        GetWindowRect(hWnd, &rc);
        MapWindowPoints(nullptr, frame->Handle(), reinterpret_cast<POINT*>(&rc), 2);
        return {rc.left, rc.top, rc.right, rc.bottom};
    }
    std::array<LONG, 4> Slot(int index) const {
        RECT rc = {};
        GetClientRect(frame->Handle(), &rc);
        return {0, index * demo::kBarHeight, rc.right, (index + 1) * demo::kBarHeight};
    }

    void Command(UINT id) {
        SendMessageW(frame->Handle(), WM_COMMAND, id, 0);
        testing_support::PumpMessages();
    }

    demo::BackOffice office;
    host::TestHost host;
    demo::Feed feed;
    SpiLog spi;
    std::unique_ptr<DemoFrame> frame;
};

} // namespace

TEST_F(DemoFrameWindow, AttachedBarsBecomeChildrenStackedFromTheTopAndFollowTheWidth) {
    CreateFrame();
    const std::vector<HWND> bars = {AttachBar(), AttachBar(), AttachBar()};
    ASSERT_EQ(frame->Bars(), bars);
    EXPECT_NE(frame->StatusText(DemoFrame::kBarsPart).find(L"Bars: 3"), std::wstring::npos);
    for (int width : {0, 700, 1100}) {
        if (width) {
            SetWindowPos(frame->Handle(), nullptr, 0, 0, width, 380, SWP_NOMOVE | SWP_NOZORDER);
            testing_support::PumpMessages();
        }
        for (int i = 0; i < 3; ++i) {
            const LONG_PTR style = GetWindowLongPtrW(bars[i], GWL_STYLE);
            EXPECT_EQ(GetParent(bars[i]), frame->Handle());
            EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN),
                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
            EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
            EXPECT_EQ(PlaceOf(bars[i]), Slot(i)) << "bar " << i << " frame width " << width;
        }
    }
}

TEST_F(DemoFrameWindow, WindowMenuOpensTheRegisteredWindowType) {
    CallSlot(host.MainFrame(), slot::RegisterWindowType, std::int32_t{0x271112}, L"资金栏", &CountingFactory);
    CreateFrame();
    HMENU windows = GetSubMenu(GetMenu(frame->Handle()), 1);
    wchar_t text[64] = {};
    GetMenuStringW(windows, demo::kCmdOpenBar, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"资金栏");
    Command(demo::kCmdOpenBar);
    Command(demo::kCmdOpenBar);
    EXPECT_EQ(g_factoryCalls, 2);
}

TEST_F(DemoFrameWindow, FundsQueriesAreAnsweredLaterThroughTheFundsNotice) {
    CreateFrame();
    const std::size_t knownBefore = host.funds.size();
    CallSlot(host.TradeApi(), slot::QueryFunds, "8800304", "K04");
    EXPECT_TRUE(SpiLog::Funds().empty()); // not from inside the plug-in's call
    testing_support::PumpMessages();
    const auto& records = office.FundsOf(3);
    const auto answered = SpiLog::Funds();
    ASSERT_EQ(answered.size(), demo::kCurrencyCount);
    for (std::size_t c = 0; c < demo::kCurrencyCount; ++c) {
        EXPECT_EQ(answered[c].first, records[c]);
    }
    EXPECT_TRUE(office.Published(3));
    ASSERT_EQ(host.funds.size(), knownBefore + demo::kCurrencyCount);
    EXPECT_EQ(host.funds.back(), records.back());

    // Asked again, the host answers again but lists the records once; unknown accounts get nothing.
    CallSlot(host.TradeApi(), slot::QueryFunds, "8800304", "K04");
    CallSlot(host.TradeApi(), slot::QueryFunds, "", "");
    CallSlot(host.TradeApi(), slot::QueryFunds, "9999", "K09");
    testing_support::PumpMessages();
    EXPECT_EQ(SpiLog::Funds().size(), 2 * demo::kCurrencyCount);
    EXPECT_EQ(host.funds.size(), knownBefore + demo::kCurrencyCount);
}

TEST_F(DemoFrameWindow, BackOfficeMenuReachesEveryBarAndTheTradeSpi) {
    CreateFrame();
    AttachBar(&RecordHostMessage);
    AttachBar(&RecordHostMessage);
    Command(demo::kCmdAnnounceFirst + 2);
    EXPECT_EQ(g_hostMessages, std::vector<std::string>(2, "MouseOrder UserNo_Update UserNo=8800203"));
    Command(demo::kCmdAccountsNotice);
    Command(demo::kCmdCompletionNotice);
    EXPECT_EQ(SpiLog::Calls(), (std::vector<std::string>{"accounts 1 0", "completion 0 26"}));
}

TEST_F(DemoFrameWindow, ModalLoopsShowInTheStatusLine) {
    CreateFrame();
    EXPECT_EQ(frame->StatusText(DemoFrame::kModalPart), L"No modal dialog");
    CallSlot(host.MainFrame(), slot::OnModalBegin);
    EXPECT_NE(frame->StatusText(DemoFrame::kModalPart).find(L"OnModalBegin"), std::wstring::npos);
    CallSlot(host.MainFrame(), slot::OnModalEnd);
    EXPECT_NE(frame->StatusText(DemoFrame::kModalPart).find(L"OnModalEnd"), std::wstring::npos);
}

TEST(Screenshot, ShareOfOtherColoursCountsInsideTheClippedArea) {
    demo::Image image;
    image.width = 4;
    image.height = 2;
    // 0x00RRGGBB: the left half is RGB(10, 20, 30), the right half RGB(30, 20, 10).
    image.pixels = {0x0A141E, 0x0A141E, 0x1E140A, 0x1E140A, 0x0A141E, 0x0A141E, 0x1E140A, 0x1E140A};
    const COLORREF left = RGB(10, 20, 30);
    EXPECT_DOUBLE_EQ(demo::ShareNotOfColour(image, RECT{0, 0, 4, 2}, left), 0.5);
    EXPECT_DOUBLE_EQ(demo::ShareNotOfColour(image, RECT{0, 0, 2, 2}, left), 0.0);
    EXPECT_DOUBLE_EQ(demo::ShareNotOfColour(image, RECT{2, -5, 90, 90}, left), 1.0);
    EXPECT_DOUBLE_EQ(demo::ShareNotOfColour(image, RECT{1, 1, 3, 2}, left), 0.5);
    EXPECT_DOUBLE_EQ(demo::ShareNotOfColour(image, RECT{5, 0, 9, 2}, left), 0.0);
}
