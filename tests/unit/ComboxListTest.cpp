#include "toolkit/ComboxList.h"

#include "PluginFixture.h"
#include "plugin/PluginState.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"
#include "toolkit/GdiHandle.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using testing_support::Canvas;
using testing_support::RecordingWindow;

namespace {

constexpr COLORREF kBack = RGB(231, 231, 231);
constexpr COLORREF kBorder = RGB(150, 150, 150);
constexpr COLORREF kHot = RGB(51, 153, 255);
constexpr int kRow = 23; // the 13-pixel text font plus 10
constexpr int kMargin = 10;

ComboItem Item(const std::wstring& name, const std::wstring& desc = L"", bool checked = true) {
    ComboItem item = {};
    lstrcpynW(item.name, name.c_str(), 40);
    lstrcpynW(item.desc, desc.c_str(), 40);
    item.tag = L'F';
    item.checked = checked;
    return item;
}

std::vector<ComboItem> Items(int count) {
    std::vector<ComboItem> items;
    for (int i = 0; i < count; ++i) {
        items.push_back(Item(L"Row" + std::to_wstring(i), L"Desc"));
    }
    return items;
}

// Width of a text in the shared text font, measured apart from the list.
int TextWidth(const std::wstring& text) {
    WindowDC dc(nullptr);
    SelectScope font(dc.get(), g_hTextFont.get());
    SIZE size = {};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

SIZE WindowSize(HWND hWnd) {
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class DropDownList : public PluginFixture<2052> {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        owner = std::make_unique<RecordingWindow>(nullptr, WS_POPUP, RECT{600, 600, 700, 620});
        owner->onMessage = [this](UINT uMsg, WPARAM, LPARAM) {
            if (uMsg == TCM_SELCHANGED) {
                shownWhenTold.push_back(list && IsWindowVisible(list->m_hWnd));
            }
        };
        list = std::make_unique<TComboxList>();
        list->CreateList(owner->hwnd(), 0);
    }
    void TearDown() override {
        list.reset();
        owner.reset();
        PluginFixture::TearDown();
    }
    // Fills the list and opens it as its owners do.
    void Open(const std::vector<ComboItem>& items, int width = 60, int height = 200) {
        list->SetItems(items);
        list->m_nHot = -1;
        int x = 40, y = 50;
        list->SetPos(x, y, width, height);
        ShowWindow(list->m_hWnd, SW_SHOWNA);
    }
    void Reshow() { ShowWindow(list->m_hWnd, SW_SHOWNA); }
    int ScrollPos() const { return GetScrollPos(list->m_hWnd, SB_VERT); }
    void Scroll(WORD code) { SendMessageW(list->m_hWnd, WM_VSCROLL, code, 0); }
    void Wheel(short delta) { SendMessageW(list->m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0); }
    void Click(int x, int y) { SendMessageW(list->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }

    std::unique_ptr<RecordingWindow> owner;
    std::unique_ptr<TComboxList> list;
    std::vector<bool> shownWhenTold;
};

} // namespace

TEST_F(DropDownList, TenRowsFillTheHeightAndAnEleventhBringsTheScrollBarAndRoomForIt) {
    EXPECT_EQ(TComboxList().RowHeight(), 0); // no window yet
    EXPECT_EQ(list->RowHeight(), kRow);
    EXPECT_FALSE(IsWindowVisible(list->m_hWnd));
    Open(Items(5));
    EXPECT_EQ(WindowSize(list->m_hWnd).cy, 5 * kRow);

    Open(Items(10));
    EXPECT_EQ(WindowSize(list->m_hWnd).cy, 230);
    EXPECT_FALSE(list->m_bHasScroll);
    EXPECT_EQ(WindowSize(list->m_hWnd).cx, TextWidth(L"Row0Desc           ") + 2 * kMargin);

    Open(Items(11));
    EXPECT_EQ(WindowSize(list->m_hWnd).cy, 230);
    EXPECT_TRUE(list->m_bHasScroll);
    EXPECT_TRUE(static_cast<DWORD>(GetWindowLongW(list->m_hWnd, GWL_STYLE)) & WS_VSCROLL);
    EXPECT_EQ(WindowSize(list->m_hWnd).cx, TextWidth(L"Row10Desc           ") + 2 * kMargin + 20);

    Open(Items(3));
    EXPECT_FALSE(static_cast<DWORD>(GetWindowLongW(list->m_hWnd, GWL_STYLE)) & WS_VSCROLL);

    const HWND hWnd = list->m_hWnd;
    list.reset();
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST_F(DropDownList, WidthIsTheWiderOfTheOwnersAndTheMeasuredOne) {
    // The name as it is; a description padded to fifteen, only when there is one.
    const std::vector<ComboItem> items = {Item(L"ABCDEFGHIJKLMNOP"), Item(L"A", L"B")};
    const int measured =
        std::max(TextWidth(L"ABCDEFGHIJKLMNOP"), TextWidth(L"AB              ")) + 2 * kMargin;
    Open(items, 10);
    EXPECT_EQ(WindowSize(list->m_hWnd).cx, measured);
    Open(items, measured + 50);
    EXPECT_EQ(WindowSize(list->m_hWnd).cx, measured + 50);

    // Without rows the owner's size stands.
    Open({}, 90, 200);
    EXPECT_EQ(WindowSize(list->m_hWnd).cx, 90);
    EXPECT_EQ(WindowSize(list->m_hWnd).cy, 200);
}

TEST_F(DropDownList, ScrollsByLinePageAndWheelWithinRangeAndBackToTopOnResize) {
    Open(Items(25)); // positions 0 to 15 with a page of ten
    EXPECT_EQ(ScrollPos(), 0);
    Scroll(SB_LINEDOWN);
    EXPECT_EQ(ScrollPos(), 1);
    EXPECT_EQ(list->FirstVisibleRow(), 1);
    Scroll(SB_PAGEDOWN);
    EXPECT_EQ(ScrollPos(), 11);
    Scroll(SB_PAGEDOWN);
    EXPECT_EQ(ScrollPos(), 15);
    Scroll(SB_LINEUP);
    EXPECT_EQ(ScrollPos(), 14);
    Scroll(SB_PAGEUP);
    EXPECT_EQ(ScrollPos(), 4);
    Scroll(SB_THUMBTRACK);
    Scroll(SB_ENDSCROLL);
    EXPECT_EQ(ScrollPos(), 4);
    Scroll(SB_PAGEUP);
    Scroll(SB_LINEUP);
    EXPECT_EQ(ScrollPos(), 0);

    // Two rows a message, whatever the delta.
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(ScrollPos(), 2);
    Wheel(-10 * WHEEL_DELTA);
    EXPECT_EQ(ScrollPos(), 4);
    Wheel(WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(ScrollPos(), 0);
    for (int i = 0; i < 10; ++i) {
        Wheel(-WHEEL_DELTA);
    }
    EXPECT_EQ(ScrollPos(), 15);

    // Same rows, wider window: a resize.
    int x = 40, y = 50, w = 400, h = 200;
    list->SetPos(x, y, w, h);
    EXPECT_EQ(ScrollPos(), 0);
    EXPECT_EQ(list->FirstVisibleRow(), 0);
}

TEST_F(DropDownList, DrawsTenRowsFromTheFirstVisibleInTwoPaddedColumns) {
    std::vector<ComboItem> items(12, Item(L".", L""));
    items[0] = Item(L"A", L"Z");
    items[2] = Item(L"MMMMMMMM", L"");
    Open(items);
    const int width = 300;
    Canvas canvas(width, 13 * kRow);
    const RECT rc = {0, 0, width, 13 * kRow};
    auto rowBand = [](int k, int left, int right) {
        return RECT{left, 5 + k * kRow, right, 5 + (k + 1) * kRow};
    };

    list->DrawList(canvas.dc(), rc);
    EXPECT_EQ(canvas.Pixel(0, 0), kBorder);
    EXPECT_EQ(canvas.Pixel(width - 1, 100), kBorder);
    EXPECT_EQ(canvas.Pixel(width - 5, 100), kBack);
    for (int k = 0; k < 10; ++k) {
        EXPECT_GT(canvas.CountOther(rowBand(k, 1, width - 1), kBack), 0) << "row " << k;
    }
    // Ten rows at most: the eleventh and twelfth wait for the scroll bar.
    EXPECT_EQ(canvas.CountOther(RECT{1, 5 + 10 * kRow, width - 1, 13 * kRow - 1}, kBack), 0);

    // "A" padded to ten characters, then "Z".
    const int nameEnd = kMargin + TextWidth(L"A");
    const int descStart = kMargin + TextWidth(L"A         ");
    ASSERT_GT(descStart - nameEnd, 10);
    EXPECT_EQ(canvas.CountOther(rowBand(0, nameEnd + 2, descStart - 1), kBack), 0);
    EXPECT_GT(canvas.CountOther(rowBand(0, descStart, descStart + TextWidth(L"Z") + 1), kBack), 0);

    // Only the long name reaches this far; it is on the third row until the list scrolls by two.
    const int longOnly = kMargin + TextWidth(L"MMMM");
    const int longEnd = kMargin + TextWidth(L"MMMMMMMM");
    EXPECT_GT(canvas.CountOther(rowBand(2, longOnly, longEnd), kBack), 0);
    EXPECT_EQ(canvas.CountOther(rowBand(0, longOnly, longEnd), kBack), 0);
    Scroll(SB_LINEDOWN);
    Scroll(SB_LINEDOWN);
    list->DrawList(canvas.dc(), rc);
    EXPECT_GT(canvas.CountOther(rowBand(0, longOnly, longEnd), kBack), 0);
    EXPECT_EQ(canvas.CountOther(rowBand(2, longOnly, longEnd), kBack), 0);

    // The hot band covers its visible row's full height, from the row's own top.
    list->m_nHot = 1;
    list->DrawList(canvas.dc(), rc);
    EXPECT_EQ(canvas.Pixel(width - 5, kRow), kHot);
    EXPECT_EQ(canvas.Pixel(width - 5, 2 * kRow - 1), kHot);
    EXPECT_EQ(canvas.Pixel(width - 5, kRow - 1), kBack);
    EXPECT_EQ(canvas.Pixel(width - 5, 2 * kRow), kBack);
    EXPECT_EQ(canvas.Pixel(0, kRow + 5), kHot);
}

TEST_F(DropDownList, HotRowFollowsTheMouseOverVisibleRowsAndClearsOnLeave) {
    Open(Items(25));
    Scroll(SB_PAGEDOWN);
    SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, Point(5, 2 * kRow + 3));
    EXPECT_EQ(list->m_nHot, 2);
    SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, Point(5, kRow - 1));
    EXPECT_EQ(list->m_nHot, 0);
    SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, Point(5, 500));
    EXPECT_EQ(list->m_nHot, 0);
    SendMessageW(list->m_hWnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(list->m_nHot, -1);
}

TEST_F(DropDownList, ClickReportsCheckedRowsToTheOwnerBeforeHidingAndHidesInEveryCase) {
    std::vector<ComboItem> items = Items(25);
    items[6].checked = false;
    Open(items);
    Scroll(SB_LINEDOWN);
    Scroll(SB_LINEDOWN);
    Scroll(SB_LINEDOWN);

    Click(5, 2 * kRow + 5);
    ASSERT_EQ(owner->Count(TCM_SELCHANGED), 1);
    const RecordingWindow::Message told = owner->Received(TCM_SELCHANGED)[0];
    EXPECT_EQ(told.wParam, reinterpret_cast<WPARAM>(list->m_hWnd));
    EXPECT_EQ(told.lParam, 5);
    EXPECT_EQ(shownWhenTold, (std::vector<bool>{true}));
    EXPECT_FALSE(IsWindowVisible(list->m_hWnd));

    Reshow();
    Click(5, 3 * kRow + 5); // row 6, not choosable
    EXPECT_EQ(owner->Count(TCM_SELCHANGED), 1);
    EXPECT_FALSE(IsWindowVisible(list->m_hWnd));

    Reshow();
    Click(WindowSize(list->m_hWnd).cx + 5, 5);
    EXPECT_EQ(owner->Count(TCM_SELCHANGED), 1);
    EXPECT_FALSE(IsWindowVisible(list->m_hWnd));
}

TEST_F(DropDownList, ClickBeyondTheRowsOfAListThatStaysOpenChoosesNothing) {
    list->m_bAutoHide = false;
    Open(Items(25));
    for (int i = 0; i < 20; ++i) {
        Scroll(SB_LINEDOWN);
    }
    ASSERT_EQ(list->FirstVisibleRow(), 15);
    // Visible row 12 would be row 27 of 25.
    Click(5, 12 * kRow + 5);
    Click(5, 40 * kRow);
    EXPECT_EQ(owner->Count(TCM_SELCHANGED), 0);
    EXPECT_TRUE(IsWindowVisible(list->m_hWnd));
}

TEST_F(DropDownList, PaintReachesTheScreen) {
    Open(Items(3), 200);
    list->m_nHot = 1;
    UpdateWindow(list->m_hWnd);
    const SIZE size = WindowSize(list->m_hWnd);
    Canvas canvas(size.cx, size.cy);
    testing_support::CaptureWindow(list->m_hWnd, canvas);
    EXPECT_EQ(canvas.Pixel(0, 0), kBorder);
    EXPECT_EQ(canvas.Pixel(size.cx - 5, 10), kBack);
    EXPECT_EQ(canvas.Pixel(size.cx - 5, kRow + 10), kHot);
    EXPECT_GT(canvas.CountOther(RECT{1, 1, size.cx - 1, kRow}, kBack), 0);
}
