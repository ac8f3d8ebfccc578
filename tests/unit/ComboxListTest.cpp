#include "toolkit/ComboxList.h"

#include "toolkit/SharedDrawing.h"
#include "support/BarHarness.h"
#include "support/RecordingWindow.h"
#include "toolkit/ToolkitMessages.h"

#include <memory>

using testing_support::RecordingWindow;

namespace {

// The text font plus 10: "Calibri" of 18 pixels where it is installed, otherwise 13 pixels.
const int kRow = testing_support::CalibriExpected() ? 28 : 23;

class DropDownList : public testing_support::BarTest {
protected:
    DropDownList() : BarTest(1033) {}
    void SetUp() override {
        BarTest::SetUp();
        list = std::make_unique<TComboxList>();
        list->CreateList(owner, 0);
    }
    void TearDown() override {
        DestroyWindow(owner); // and the list's window with it
        BarTest::TearDown();
    }
    // Opens the list as its owners do, with rows "Row" described "Desc"; returns its size.
    SIZE Open(int rows, int width = 60) {
        list->SetItems(std::vector<ComboItem>(rows, ComboItem{L"Row", L"Desc", L'F', 0, true}));
        int x = 40, y = 50, height = 200;
        list->SetPos(x, y, width, height);
        ShowWindow(list->m_hWnd, SW_SHOWNA);
        RECT rc = {};
        GetWindowRect(list->m_hWnd, &rc);
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }
    void Wheel(int delta) {
        SendMessageW(list->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta * WHEEL_DELTA), 0);
    }

    HWND owner = RecordingWindow::Create(nullptr, WS_POPUP, RECT{600, 600, 700, 620});
    std::unique_ptr<TComboxList> list;
};

} // namespace

TEST_F(DropDownList, SizesToItsRowsScrollsTwoRowsAWheelShowsTheHotRowAndReportsCheckedRowsClicked) {
    WindowDC dc(nullptr);
    SelectScope font(dc.get(), g_hTextFont.get());
    SIZE text = {};
    GetTextExtentPoint32W(dc.get(), L"RowDesc           ", 18, &text);
    for (const int rows : {0, 5, 10, 11, 3}) {
        // Without rows the owner's size stands; past 230 pixels a scroll bar, with room from 11 rows on.
        const SIZE size = Open(rows);
        EXPECT_EQ(size.cy, rows ? std::min(rows * kRow, 230) : 200) << rows;
        EXPECT_EQ(size.cx, rows ? text.cx + 20 + (rows > 10 ? 20 : 0) : 60) << rows;
        EXPECT_EQ((GetWindowLongW(list->m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0, rows * kRow > 230) << rows;
    }
    EXPECT_EQ(Open(3, 400).cx, 400);

    Open(25); // first visible rows 0 to 15, a page of ten
    for (int wheel = 1; wheel < 10; ++wheel) {
        Wheel(-1);
        EXPECT_EQ(list->FirstVisibleRow(), std::min(2 * wheel, 15));
    }
    Wheel(20); // two rows, whatever the delta
    EXPECT_EQ(list->FirstVisibleRow(), 13);
    const SIZE size = Open(25, 200); // a resize goes back to the top
    EXPECT_EQ(list->FirstVisibleRow(), 0);
    Wheel(-1);

    // The band behind the row under the mouse covers that visible row alone.
    SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, kRow + 3));
    UpdateWindow(list->m_hWnd);
    testing_support::Canvas canvas(size.cx, 230);
    testing_support::CaptureWindow(list->m_hWnd, canvas);
    EXPECT_EQ(canvas.Count(RECT{150, kRow, 151, 2 * kRow}, RGB(51, 153, 255)), kRow);
    EXPECT_EQ(canvas.Count(RECT{150, 0, 151, 230}, RGB(51, 153, 255)), kRow);

    std::vector<LPARAM> told; // -1 for a notice that comes once the list is hidden
    RecordingWindow::onMessage = [&](const MSG& msg) {
        if (msg.message == TCM_SELCHANGED) {
            told.push_back(IsWindowVisible(list->m_hWnd) ? msg.lParam : -1);
        }
    };
    list->m_vecItems[4].checked = false;
    // Rows 3 and 4 (not to be chosen), right of the list, above it.
    for (const POINT pt : {POINT{5, kRow + 5}, POINT{5, 2 * kRow + 5}, POINT{size.cx + 5, 5}, POINT{5, -5}}) {
        ShowWindow(list->m_hWnd, SW_SHOWNA);
        SendMessageW(list->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        EXPECT_FALSE(IsWindowVisible(list->m_hWnd)) << pt.x << "," << pt.y;
    }
    RecordingWindow::onMessage = nullptr;
    EXPECT_EQ(told, std::vector<LPARAM>{3});
}
