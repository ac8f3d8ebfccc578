// The grid control in its window, driven as the user drives it (its mouse handlers read the real
// cursor): geometry and hit testing, scrolling and what it tells its parent, mouse and keys,
// in-place editing, and the handles grids leave behind.
#include "grid/GridCtrl.h"

#include "plugin/entry/Exports.h"
#include "support/HandleCensus.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"
#include "toolkit/Combox.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace testing_support;
using Notices = std::vector<std::string>;

namespace {

// The notice of a vertical view whose first row is pos.
std::string View(int pos) {
    return "view " + std::to_string(pos) + " " + std::to_string(std::min(pos + 18, 39));
}

constexpr COLORREF kGridBack = RGB(240, 240, 240), kCellBack = RGB(243, 243, 243),
                   kSelBack = RGB(50, 112, 195);

// A grid filled as the column dialog fills it: columns of 40, 160 and 75 pixels, 40 logical rows
// of 22 pixels, 18 screen rows filling the client height, check boxes in column 0 and Yes/No
// combo cells in column 2. Its parent keeps every notice as a line of text.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        OnPluginLoad(1033);
        parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 800, 700});
        RecordingWindow::onMessage = [this](const MSG& msg) { Record(msg); };
        Fill();
    }
    void TearDown() override {
        RecordingWindow::onMessage = nullptr;
        DestroyWindow(parent);
        grid.reset();
        OnPluginFree();
        PumpMessages();
    }
    void Fill() {
        grid = std::make_unique<TGridCtrl>();
        grid->Create(parent);
        grid->m_nCols = 3;
        grid->SetColumnWidth(0, 40);
        grid->SetColumnWidth(1, 160);
        grid->SetColumnWidth(2, 75);
        grid->SetRowHeight(0);
        grid->m_nRows = 40;
        MoveWindow(grid->m_hWnd, 0, 0, 400, 18 * 22, TRUE);
        for (int row = 1; row < grid->m_nPageRows; ++row) {
            grid->SetRowHeight(row);
            grid->SetCellType(row, 0, kGridCellCheckbox);
            grid->SetCellType(row, 2, kGridCellCombox);
            wcscpy(grid->GetCell(row, 2)->m_szText, row % 2 ? L"Yes" : L"No");
        }
        grid->SetEditorItems({L"Yes", L"No"});
        grid->UpdateScrollBars();
        PumpMessages();
        notices.clear();
    }

    // Puts the cursor on a client point and lets the moves it causes arrive.
    void At(POINT pt) {
        ClientToScreen(grid->m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
        PumpMessages();
    }
    void Send(UINT uMsg, WPARAM wParam = 0) { SendMessageW(grid->m_hWnd, uMsg, wParam, 0); }
    void Mouse(UINT uMsg, POINT pt) {
        At(pt);
        Send(uMsg);
    }
    void Click(POINT pt) {
        Mouse(WM_LBUTTONDOWN, pt);
        Send(WM_LBUTTONUP, MK_SHIFT | MK_CONTROL); // makes no difference
    }
    void DoubleClick(POINT pt) {
        Click(pt);
        Send(WM_LBUTTONDBLCLK);
        Send(WM_LBUTTONUP);
    }
    void Scroll(UINT uMsg, int code) {
        Send(uMsg,
             uMsg == WM_MOUSEWHEEL ? MAKEWPARAM(0, static_cast<WORD>(code)) : static_cast<WPARAM>(code));
    }
    int VPos() const { return GetScrollPos(grid->m_hWnd, SB_VERT); }
    SCROLLINFO Bar(int bar) const {
        SCROLLINFO si = {sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(grid->m_hWnd, bar, &si);
        return si;
    }
    Canvas& Paint() {
        InvalidateRect(grid->m_hWnd, nullptr, FALSE);
        UpdateWindow(grid->m_hWnd);
        CaptureWindow(grid->m_hWnd, canvas);
        return canvas;
    }
    // The notices sent, and those posted so far.
    Notices Told() {
        PumpMessages();
        Notices told;
        told.swap(notices);
        return told;
    }

    HWND parent = nullptr;
    std::unique_ptr<TGridCtrl> grid;
    Notices notices;
    Canvas canvas{400, 18 * 22};

private:
    void Add(const char* name, std::vector<int> values, const wchar_t* text = L"") {
        std::string line = name;
        for (const int value : values) {
            line += " " + std::to_string(value);
        }
        notices.push_back(line + (*text ? " " : "") + std::string(text, text + wcslen(text)));
    }
    void Record(const MSG& msg) {
        const auto* id = reinterpret_cast<const GridCellId*>(msg.wParam);
        const auto* info = reinterpret_cast<const GridClickInfo*>(msg.lParam);
        const auto* view = reinterpret_cast<const GridViewRange*>(msg.lParam);
        const int w = static_cast<int>(msg.wParam), l = static_cast<int>(msg.lParam);
        switch (msg.message) {
        case WM_NOTIFY:
            return Add(view->hwndFrom == grid->m_hWnd && w == 0 ? "view" : "bad view",
                       {view->nFirst, view->nLast});
        case TCM_CELLCLICK:
            return Add(w == 0 ? "click" : "bad click", {info->kind, info->row, info->col});
        case TCM_CELLCHECK:
            return Add("check", {id->row, id->col, l});
        case TCM_EDITDONE:
            return Add("edit", {id->row, id->col}, reinterpret_cast<const wchar_t*>(msg.lParam));
        case TCM_COLRESIZED:
            return Add("resized", {w, l});
        case TCM_HEADERDROP:
            return Add("drop", {w, l});
        }
    }
};

using GridGeometry = GridTest;
using GridScroll = GridTest;
using GridInput = GridTest;
using GridEdit = GridTest;
using GridResources = GridTest;

} // namespace

TEST_F(GridGeometry, BandsAreOpenAtTheTopAndLeftBordersHotOnePixelAroundAndCellsFollowTheScroll) {
    ASSERT_EQ(grid->m_nPageRows, 18);
    const struct {
        POINT pt;
        int vPos;
        GridCellId hit; // logical row
    } cases[] = {{{0, 0}, 0, {-1, -1}},   {{1, 1}, 0, {0, 0}},      {{40, 22}, 0, {0, 0}},
                 {{41, 23}, 0, {1, 1}},   {{275, 396}, 0, {17, 2}}, {{276, 397}, 0, {-1, -1}},
                 {{10, 10}, 7, {0, 0}},   {{10, 23}, 7, {8, 0}},    {{10, 396}, 22, {39, 0}},
                 {{10, 397}, 22, {-1, 0}}};
    for (const auto& c : cases) {
        SetScrollPos(grid->m_hWnd, SB_VERT, c.vPos, FALSE);
        const GridCellId hit = grid->HitTest(c.pt);
        EXPECT_EQ(hit.row, c.hit.row) << c.pt.x << "," << c.pt.y << " at " << c.vPos;
        EXPECT_EQ(hit.col, c.hit.col) << c.pt.x << "," << c.pt.y << " at " << c.vPos;
    }
    for (const int border : {40, 200, 275}) {
        for (int dx = -2; dx <= 2; ++dx) {
            int col = 99;
            const bool hot = grid->HitColumnBorder(POINT{border + dx, 10}, &col);
            EXPECT_EQ(hot, dx >= -1 && dx <= 1) << border << " " << dx;
            EXPECT_EQ(col, !hot ? -1 : border == 40 ? 0 : border == 200 ? 1 : 2) << border << " " << dx;
        }
    }

    SetScrollPos(grid->m_hWnd, SB_VERT, 5, FALSE);
    RECT rc = grid->GetCellRect(GridCellId{7, 1}), expected = {40, 44, 200, 66};
    EXPECT_TRUE(EqualRect(&rc, &expected));
    grid->SetColumnWidth(1, 600);
    grid->UpdateScrollBars();
    SetScrollPos(grid->m_hWnd, SB_HORZ, 30, FALSE);
    rc = grid->GetCellRect(GridCellId{6, 2}), expected = {610, 22, 685, 44};
    EXPECT_TRUE(EqualRect(&rc, &expected));
    EXPECT_EQ(grid->HitTest(POINT{11, 30}).col, 1);
    int col = -1;
    EXPECT_TRUE(grid->HitColumnBorder(POINT{10, 10}, &col));
    EXPECT_EQ(col, 0);
}

TEST_F(GridScroll, RangesStepsNoticesAndWhatThePaintShows) {
    const SCROLLINFO si = Bar(SB_VERT);
    EXPECT_EQ(std::vector<int>({si.nMin, si.nMax, static_cast<int>(si.nPage)}),
              std::vector<int>({0, 39, 18}));
    // A row missing a cell shows the background right of it; the header is never selected.
    grid->SetCell(3, 1, nullptr);
    grid->m_selRows = {0, 2};
    Paint();
    const auto rowY = [](int screenRow) { return 1 + screenRow * 22 + 11; };
    EXPECT_EQ(canvas.Pixel(100, rowY(0)), kCellBack);
    EXPECT_EQ(canvas.Pixel(100, rowY(2)), kSelBack);
    EXPECT_EQ(canvas.Pixel(30, rowY(3)), kCellBack);
    EXPECT_EQ(canvas.Pixel(100, rowY(3)), kGridBack);
    EXPECT_EQ(canvas.Pixel(270, rowY(3)), kGridBack);
    EXPECT_EQ(canvas.Pixel(270, rowY(4)), kCellBack);

    // Row by row to the last position, where screen rows 1 to 17 show logical rows 23 to 39.
    for (int pos = 1; pos <= 22; ++pos) {
        Scroll(WM_VSCROLL, SB_LINEDOWN);
        EXPECT_EQ(Told(), Notices{View(pos)});
    }
    const struct {
        UINT uMsg;
        int code; // a scroll code, or a wheel delta
        int pos;
        bool told;
    } steps[] = {{WM_VSCROLL, SB_LINEDOWN, 22, false}, {WM_MOUSEWHEEL, -120, 22, true},
                 {WM_VSCROLL, SB_PAGEUP, 4, true}, // a page takes in the header
                 {WM_MOUSEWHEEL, -240, 7, true},       {WM_MOUSEWHEEL, 1, 4, true},
                 {WM_MOUSEWHEEL, 0, 1, true},          {WM_MOUSEWHEEL, 120, 0, true},
                 {WM_MOUSEWHEEL, 120, 0, true},        {WM_VSCROLL, SB_LINEUP, 0, false},
                 {WM_VSCROLL, SB_PAGEDOWN, 18, true},  {WM_VSCROLL, SB_PAGEDOWN, 22, true},
                 {WM_VSCROLL, SB_TOP, 22, false},      {WM_VSCROLL, SB_THUMBTRACK, 22, false},
                 {WM_VSCROLL, SB_LINEUP, 21, true}};
    for (const auto& step : steps) {
        Scroll(step.uMsg, step.code);
        EXPECT_EQ(VPos(), step.pos) << step.uMsg << " " << step.code;
        EXPECT_EQ(Told(), step.told ? Notices{View(step.pos)} : Notices{}) << step.uMsg << " " << step.code;
    }

    // The thumb dragged with the real mouse moves the view on its way.
    SetScrollPos(grid->m_hWnd, SB_VERT, 0, TRUE);
    RECT rcWindow = {};
    GetWindowRect(grid->m_hWnd, &rcWindow);
    const int x = rcWindow.right - GetSystemMetrics(SM_CXVSCROLL) / 2,
              y = rcWindow.top + GetSystemMetrics(SM_CYVSCROLL) + 20;
    const auto mouse = [](int px, int py, DWORD flags) {
        INPUT input = {INPUT_MOUSE, {}};
        input.mi.dx = MulDiv(px, 65536, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = MulDiv(py, 65536, GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return input;
    };
    // A key between the two moves keeps the queue from merging them; all is queued at once, as the
    // scroll bar tracks the thumb in a loop of its own until the button is up.
    INPUT key = {INPUT_KEYBOARD, {}}, keyUp = key;
    key.ki.wVk = keyUp.ki.wVk = VK_SHIFT;
    keyUp.ki.dwFlags = KEYEVENTF_KEYUP;
    INPUT inputs[] = {
        mouse(x, y, MOUSEEVENTF_LEFTDOWN),    mouse(x, y + 60, 0), key, keyUp, mouse(x, y + 120, 0),
        mouse(x, y + 120, MOUSEEVENTF_LEFTUP)};
    SetForegroundWindow(parent);
    {
        const QuitAfter bound(5000); // ends that loop should the button never come up
        SendInput(6, inputs, sizeof(INPUT));
        ASSERT_TRUE(PumpUntil([&] { return VPos() > 0 && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }));
    }
    PumpFor(100);
    const Notices told = Told();
    ASSERT_GE(told.size(), 2u);
    EXPECT_NE(told.front(), told.back());
    EXPECT_EQ(told.back(), View(VPos()));

    // The horizontal bar counts pixels and says nothing.
    grid->SetColumnWidth(1, 300);
    grid->UpdateScrollBars();
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 415 + bar);
    EXPECT_EQ(Bar(SB_HORZ).nPage, static_cast<UINT>(400 - bar));
    for (const auto& [code, pos] :
         {std::pair{SB_LINERIGHT, 5}, {SB_LINERIGHT, 10}, {SB_LINELEFT, 5}, {SB_PAGELEFT, 0}}) {
        Scroll(WM_HSCROLL, code);
        EXPECT_EQ(GetScrollPos(grid->m_hWnd, SB_HORZ), pos) << code;
    }
    EXPECT_EQ(Told(), Notices{});

    // Fewer rows than the page: no bar, and the wheel does nothing.
    grid->m_nRows = 12;
    grid->UpdateScrollBars();
    EXPECT_FALSE(grid->m_bVScroll);
    Scroll(WM_MOUSEWHEEL, -120);
    EXPECT_EQ(Told(), Notices{});
}

TEST_F(GridInput, ClicksDragsAndKeysSelectResizeAndTellTheParent) {
    enum Action { kLeft, kRight, kDouble, kKey };
    const struct Step {
        const char* name;
        Action action;
        POINT pt, to; // a left button goes down at pt and up at to; the key in pt.x
        int vPos;
        Notices told;
        int curRow;
        std::vector<int> sel;
    } steps[] = {
        {"click", kLeft, {100, 71}, {100, 71}, 0, {"click 0 3 1"}, 3, {3}},
        {"click on the header", kLeft, {250, 10}, {250, 10}, 0, {"click 0 0 2"}, 3, {}},
        {"click below the rows", kLeft, {100, 398}, {100, 398}, 0, {"click 0 -1 1"}, -1, {-1}},
        {"up from no row", kKey, {VK_UP, 0}, {}, 0, {}, 1, {1}},
        {"click, scrolled", kLeft, {100, 49}, {100, 49}, 4, {"click 0 6 1"}, 6, {6}},
        {"click on a box", kLeft, {10, 52}, {10, 52}, 3, {"check 5 0 1"}, 6, {6}},
        {"click on its bottom edge", kLeft, {10, 62}, {10, 62}, 3, {"click 0 5 0"}, 5, {5}},
        {"double click on a box",
         kDouble,
         {10, 52},
         {},
         0,
         {"check 2 0 0", "click 2 2 0", "check 2 0 1"},
         2,
         {5}},
        {"right click on the selection", kRight, {300, 71}, {}, 2, {"click 1 5 -1"}, 2, {5}},
        {"right click", kRight, {100, 27}, {}, 0, {"click 1 1 1"}, 1, {1}},
        {"right click on the header", kRight, {100, 10}, {}, 0, {"click 1 0 1"}, 0, {0}},
        {"double click", kDouble, {100, 93}, {}, 0, {"click 0 4 1", "click 2 4 1", "click 0 4 1"}, 4, {4}},
        {"double click on no cell", kDouble, {300, 27}, {}, 0, {"click 0 1 -1", "click 0 1 -1"}, 1, {1}},
        {"header dragged a pixel", kLeft, {20, 10}, {21, 10}, 0, {"drop 0 0"}, 1, {1}},
        {"header dragged past the columns", kLeft, {100, 10}, {350, 10}, 0, {"drop 1 -1"}, 1, {1}},
        {"header dragged onto a row", kLeft, {100, 10}, {100, 100}, 0, {}, 1, {1}},
        {"row dragged: a click", kLeft, {100, 100}, {120, 100}, 0, {"click 0 4 1"}, 4, {4}},
        {"a row's border is not hot", kLeft, {200, 30}, {230, 30}, 0, {"click 0 1 2"}, 1, {1}},
        {"click on the last screen row", kLeft, {100, 379}, {100, 379}, 0, {"click 0 17 1"}, 17, {17}},
        {"down scrolls one row", kKey, {VK_DOWN, 0}, {}, 0, {"view 1 19"}, 18, {18}},
        {"click on the first data row", kLeft, {100, 27}, {100, 27}, 5, {"click 0 6 1"}, 6, {6}},
        {"up scrolls one row", kKey, {VK_UP, 0}, {}, 5, {"view 4 22"}, 5, {5}},
        {"click on the last row", kLeft, {100, 379}, {100, 379}, 22, {"click 0 39 1"}, 39, {39}},
        {"down stays on it", kKey, {VK_DOWN, 0}, {}, 22, {}, 39, {39}},
        {"other keys do nothing", kKey, {VK_RIGHT, 0}, {}, 22, {}, 39, {39}},
        {"border dragged right", kLeft, {40, 10}, {70, 10}, 0, {"resized 0 70"}, 39, {39}},
        {"beside a border, let go over a row", kLeft, {229, 10}, {260, 300}, 0, {"resized 1 190"}, 39, {39}},
        {"left of the column's left edge", kLeft, {335, 10}, {20, 10}, 0, {"resized 2 1"}, 39, {39}},
        {"on the column's left edge", kLeft, {71, 10}, {0, 10}, 0, {}, 39, {39}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        SetScrollPos(grid->m_hWnd, SB_VERT, step.vPos, FALSE);
        if (step.action == kLeft) {
            Mouse(WM_MOUSEMOVE, step.pt);
            Mouse(WM_LBUTTONDOWN, step.pt);
            if (step.to.x != step.pt.x || step.to.y != step.pt.y) {
                Mouse(WM_MOUSEMOVE, step.to);
            }
            Send(WM_LBUTTONUP);
        } else if (step.action == kKey) {
            Send(WM_KEYDOWN, static_cast<WPARAM>(step.pt.x));
        } else {
            step.action == kRight ? Mouse(WM_RBUTTONDOWN, step.pt) : DoubleClick(step.pt);
        }
        EXPECT_EQ(Told(), step.told);
        EXPECT_EQ(grid->m_nCurRow, step.curRow);
        EXPECT_EQ(grid->m_selRows, step.sel);
        EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
    }
    EXPECT_EQ(grid->m_colWidths, (std::map<int, int>{{0, 70}, {1, 190}, {2, 1}}));

    // A resize let go outside the window goes on, its guide following the pointer, until the next
    // click inside.
    Mouse(WM_MOUSEMOVE, POINT{70, 10});
    Mouse(WM_LBUTTONDOWN, POINT{70, 10});
    At(POINT{70, -50});
    EXPECT_EQ(grid->m_nMouseMode, kGridResizing);
    Mouse(WM_MOUSEMOVE, POINT{150, 200});
    EXPECT_EQ(Paint().Count(RECT{150, 0, 151, 18 * 22}, RGB(0, 0, 0)), 18 * 22);
    Click(POINT{250, 300});
    EXPECT_EQ(Told(), Notices{"resized 0 250"});
    EXPECT_EQ(grid->m_nMouseMode, kGridIdle);
    EXPECT_EQ(grid->m_nCurRow, 39);
}

TEST_F(GridEdit, DoubleClickOpensTheEditorScrollsKeepItOverItsCellAndAPickCommits) {
    const HWND editor = grid->m_pEditor->m_hWnd;
    const auto editorAt = [&](RECT expected) {
        RECT rc = {};
        GetWindowRect(editor, &rc);
        MapWindowPoints(nullptr, grid->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return EqualRect(&rc, &expected) && IsWindowVisible(editor);
    };
    DoubleClick(POINT{237, 4 * 22 + 11});
    EXPECT_EQ(Told(), (Notices{"click 0 4 2", "click 0 4 2"}));
    EXPECT_TRUE(editorAt(RECT{202, 90, 276, 110}));
    EXPECT_STREQ(grid->m_pEditor->GetText(), L"No");
    grid->m_pEditor->SetCurSel(0);
    Send(TCM_SELCHANGED);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_FALSE(GetUpdateRect(grid->m_hWnd, nullptr, FALSE)); // repainted before the notice returns
    EXPECT_STREQ(grid->GetCell(4, 2)->m_szText, L"Yes");
    EXPECT_EQ(Told(), Notices{"edit 4 2 Yes"});

    DoubleClick(POINT{237, 5 * 22 + 11});
    Told();
    const struct {
        UINT uMsg;
        int code;
        RECT editor; // over the cell, or collapsed while the cell is not wholly on view
    } steps[] = {{WM_VSCROLL, SB_LINEDOWN, {200, 88, 275, 110}},
                 {WM_VSCROLL, SB_PAGEDOWN, {0, 0, 0, 0}},
                 {WM_MOUSEWHEEL, 120, {0, 0, 0, 0}},
                 {WM_KEYDOWN, VK_UP, {200, 44, 275, 66}},
                 {WM_VSCROLL, SB_LINEDOWN, {200, 22, 275, 44}},
                 {WM_VSCROLL, SB_LINEDOWN, {0, 0, 0, 0}},
                 {WM_VSCROLL, SB_LINEUP, {200, 22, 275, 44}},
                 {WM_HSCROLL, SB_LINERIGHT, {200, 22, 275, 44}},
                 {WM_VSCROLL, SB_PAGEUP, {200, 110, 275, 132}},
                 {WM_VSCROLL, SB_LINEDOWN, {200, 88, 275, 110}}};
    for (const auto& step : steps) {
        Scroll(step.uMsg, step.code);
        EXPECT_TRUE(editorAt(step.editor)) << step.uMsg << " " << step.code << " at " << VPos();
    }
    // Committed while scrolled: the logical row is told, the text lands in its screen row.
    grid->m_pEditor->SetCurSel(1);
    Send(TCM_SELCHANGED);
    EXPECT_STREQ(grid->GetCell(4, 2)->m_szText, L"No");
    EXPECT_EQ(Told().back(), "edit 5 2 No");

    // A cell whose bottom lies on the client's bottom edge is not wholly on view.
    DoubleClick(POINT{237, 17 * 22 + 11});
    Scroll(WM_HSCROLL, SB_ENDSCROLL);
    EXPECT_TRUE(editorAt(RECT{0, 0, 0, 0}));
    // A left press drops the edit uncommitted.
    Mouse(WM_LBUTTONDOWN, POINT{100, 3 * 22 + 11});
    EXPECT_FALSE(IsWindowVisible(editor));
    Send(WM_LBUTTONUP);
    EXPECT_EQ(Told(), (Notices{"click 0 18 2", "click 0 18 2", "click 0 4 1"}));
}

TEST_F(GridResources, ManyPaintsAndGridsLeaveNoHandleBehind) {
    const auto grids = [&](int count) {
        for (int i = 0; i < count; ++i) {
            Fill();
            grid->SetCellType(0, 1, kGridCellHeader);
            grid->m_selRows = {2};
            grid->m_nMouseMode = i % 2 ? kGridResizing : kGridIdle; // with the guide line
            for (int paint = 0; paint < 10; ++paint) {
                Paint();
            }
        }
    };
    grids(5); // Wine fills caches of its own once
    const std::size_t gdi = FreeGdiSlots(), user = FreeUserSlots();
    grids(30);
    EXPECT_EQ(FreeGdiSlots(), gdi);
    EXPECT_EQ(FreeUserSlots(), user);
}
