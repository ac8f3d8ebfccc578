// The grid control in its window, driven as the user drives it (its mouse handlers read the real
// cursor): geometry and hit testing, scrolling and what it tells its parent, mouse and keys,
// in-place editing.
#include "grid/GridCtrl.h"

#include "plugin/Exports.h"
#include "support/RealInput.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"
#include "toolkit/Combox.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <utility>

using namespace testing_support;
using Notices = std::vector<std::string>;

namespace {

// The notice of a vertical view whose first row is pos.
std::string View(int pos) {
    return "view " + std::to_string(pos) + " " + std::to_string(std::min(pos + 18, 39));
}

constexpr int kNotch = WHEEL_DELTA << 16; // wParam of one wheel notch away from the user

// A grid filled as the column dialog fills it: columns of 40, 160 and 75 pixels, 40 logical rows
// of 22 pixels, 18 screen rows filling the client height, check boxes in column 0 and Yes/No
// combo cells in column 2. Its parent keeps every notice as a line of text.
class GridCtrl : public ::testing::Test {
protected:
    void SetUp() override {
        OnPluginLoad(1033);
        parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 800, 700});
        RecordingWindow::onMessage = [this](const MSG& msg) { Record(msg); };
        grid = std::make_unique<TGridCtrl>();
        grid->Create(parent);
        grid->SetColumnCount(3);
        for (const auto& [col, width] : {std::pair{0, 40}, {1, 160}, {2, 75}}) {
            grid->SetColumnWidth(col, width);
        }
        grid->SetRowCount(40);
        MoveWindow(grid->m_hWnd, 0, 0, 400, 18 * 22, TRUE);
        for (GridItem item = {1, 2, {}, 0, 0, GIF_TEXT, 0, {}, 0, 0, 0}; item.row < grid->RowsOnView();
             ++item.row) {
            grid->SetCellType(item.row, 0, kGridCellCheckbox);
            grid->SetCellType(item.row, 2, kGridCellCombox);
            wcscpy(item.text, item.row % 2 ? L"Yes" : L"No");
            grid->SetItem(&item);
        }
        grid->SetEditorItems({L"Yes", L"No"});
        grid->UpdateScrollBars();
    }
    void TearDown() override {
        RecordingWindow::onMessage = nullptr;
        DestroyWindow(parent);
        grid.reset();
        OnPluginFree();
    }

    void Send(UINT uMsg, WPARAM wParam = 0) { SendMessageW(grid->m_hWnd, uMsg, wParam, 0); }
    // Puts the cursor on a client point and lets the moves it causes arrive; the point on screen.
    POINT To(POINT pt) {
        ClientToScreen(grid->m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
        PumpMessages();
        return pt;
    }
    // The cursor put on a client point, then uMsg sent.
    void Mouse(UINT uMsg, POINT pt) {
        To(pt);
        Send(uMsg);
    }
    void DoubleClick(POINT pt) {
        Mouse(WM_LBUTTONDOWN, pt);
        Send(WM_LBUTTONUP);
        Send(WM_LBUTTONDBLCLK);
        Send(WM_LBUTTONUP);
    }
    int VPos() const { return GetScrollPos(grid->m_hWnd, SB_VERT); }
    TCombox& Editor() const {
        return *dynamic_cast<TCombox*>(
            TIxFrm::FromHandle(FindWindowExW(grid->m_hWnd, nullptr, L"TCombox", nullptr)));
    }
    // A cell's text as tools read it, by logical row.
    std::wstring TextOf(int row, int col) const {
        AccElement cell;
        grid->AccDescribe(TGridCtrl::RowElement(row) | (col + 1), cell);
        return cell.value.value_or(L"?");
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
        return std::exchange(notices, {});
    }

    HWND parent = nullptr;
    std::unique_ptr<TGridCtrl> grid;
    Notices notices;
    Canvas canvas{400, 18 * 22};

private:
    void Add(std::string line, std::vector<int> values, const std::string& text = "") {
        for (const int value : values) {
            line += " " + std::to_string(value);
        }
        notices.push_back(line + text);
    }
    void Record(const MSG& msg) {
        const auto* id = reinterpret_cast<const GridCellId*>(msg.wParam);
        const auto* info = reinterpret_cast<const GridClickInfo*>(msg.lParam);
        const auto* view = reinterpret_cast<const GridViewRange*>(msg.lParam);
        const auto* text = reinterpret_cast<const wchar_t*>(msg.lParam);
        const int w = static_cast<int>(msg.wParam), l = static_cast<int>(msg.lParam);
        switch (msg.message) {
        case WM_NOTIFY:
            return Add(view->hwndFrom == grid->m_hWnd && !w ? "view" : "bad", {view->nFirst, view->nLast});
        case TCM_CELLCLICK:
            return Add(!w ? "click" : "bad", {info->kind, info->row, info->col});
        case TCM_CELLCHECK:
            return Add("check", {id->row, id->col, l});
        case TCM_EDITDONE:
            return Add("edit", {id->row, id->col}, " " + std::string(text, text + wcslen(text)));
        case TCM_COLRESIZED:
        case TCM_HEADERDROP:
            return Add(msg.message == TCM_COLRESIZED ? "resized" : "drop", {w, l});
        }
    }
};

} // namespace

TEST_F(GridCtrl, ItemsLandInTheirScreenRowBandsOpenAtTheTopAndLeftBordersHotOnePixelAround) {
    // Screen row 1 holds logical row 1 at the top; a cell of a new kind keeps the text.
    GridItem item = {1, 1, L"Risk", 4, 3, GIF_TEXT, 0, {}, 0, 0, 0};
    grid->SetItem(&item);
    grid->SetCellType(1, 1, kGridCellCombox);
    EXPECT_EQ(TextOf(1, 1), L"Risk");
    grid->SetColumnWidth(1, 600); // a horizontal bar to scroll
    grid->UpdateScrollBars();
    const struct {
        POINT pt;
        int vPos, hPos;
        GridCellId hit; // logical row
    } cases[] = {{{0, 0}, 0, 0, {-1, -1}},    {{1, 1}, 0, 0, {0, 0}},      {{40, 22}, 0, 0, {0, 0}},
                 {{41, 23}, 0, 0, {1, 1}},    {{715, 374}, 0, 0, {16, 2}}, {{716, 375}, 0, 0, {-1, -1}},
                 {{10, 10}, 7, 0, {0, 0}},    {{10, 23}, 7, 0, {8, 0}},    {{10, 374}, 22, 0, {38, 0}},
                 {{10, 375}, 22, 0, {-1, 0}}, {{10, 30}, 5, 30, {6, 0}},   {{11, 30}, 5, 30, {6, 1}}};
    for (const auto& c : cases) {
        SetScrollPos(grid->m_hWnd, SB_VERT, c.vPos, FALSE);
        SetScrollPos(grid->m_hWnd, SB_HORZ, c.hPos, FALSE);
        const GridCellId hit = grid->HitTest(c.pt);
        EXPECT_EQ(std::vector<int>({hit.row, hit.col}), std::vector<int>({c.hit.row, c.hit.col}))
            << c.pt.x << "," << c.pt.y << " at " << c.vPos << "," << c.hPos;
    }
    const RECT rc = grid->GetCellRect(GridCellId{7, 2}), expected = {610, 44, 685, 66};
    EXPECT_TRUE(EqualRect(&rc, &expected));
    for (const auto& [border, col] : std::map<int, int>{{40, 0}, {640, 1}, {715, 2}}) {
        for (int dx = -2; dx <= 2; ++dx) { // scrolled 30 pixels right
            int hot = 99;
            EXPECT_EQ(grid->HitColumnBorder(POINT{border - 30 + dx, 10}, &hot), dx * dx <= 1) << border + dx;
            EXPECT_EQ(hot, dx * dx <= 1 ? col : -1) << border + dx;
        }
    }
}

TEST_F(GridCtrl, ScrollRangesStepsAndTheirNoticesAndWhatThePaintShows) {
    SCROLLINFO si = {sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(grid->m_hWnd, SB_VERT, &si);
    EXPECT_EQ(std::make_pair(si.nMax, si.nPage), std::make_pair(39, 18u));
    // A missing cell ends its row; the header is never painted selected.
    grid->SetCell(3, 1, nullptr);
    const auto rowY = [](int screenRow) { return 1 + screenRow * 22 + 11; };
    grid->SelectRow(0); // as a right click on the header does
    EXPECT_EQ(Paint().Pixel(100, rowY(0)), RGB(243, 243, 243));
    grid->SelectRow(2);
    const struct {
        int x, row;
        COLORREF colour;
    } pixels[] = {{100, 0, RGB(243, 243, 243)}, {100, 2, RGB(50, 112, 195)},  {30, 3, RGB(243, 243, 243)},
                  {100, 3, RGB(240, 240, 240)}, {270, 3, RGB(240, 240, 240)}, {270, 4, RGB(243, 243, 243)}};
    for (const auto& p : pixels) {
        EXPECT_EQ(Paint().Pixel(p.x, rowY(p.row)), p.colour) << p.x << " on screen row " << p.row;
    }
    grid->SelectRow(4); // the selection leaves the row it was on
    EXPECT_EQ(Paint().Pixel(100, rowY(2)), RGB(243, 243, 243));
    // "Yes" in fonts of its own, 18 and 9 pixels high, among cells of the grid's font; the "No"
    // after the first in the grid's font again.
    for (const auto& [row, height] : {std::pair{5, -18}, {7, -9}}) {
        GridItem item = {row, 2, {}, 0, 0, GIF_FONT, 0, {}, 0, 0, 0};
        item.lfFont.lfHeight = height;
        grid->SetItem(&item);
    }
    const auto ink = [&](int r) { return canvas.CountOther({202, r * 22 + 2, 276, r * 22 + 23}, 0xF3F3F3); };
    Paint();
    EXPECT_GT(ink(5), 2 * ink(7));
    EXPECT_EQ(ink(6), ink(2));

    const struct {
        UINT uMsg;
        int code, pos; // wParam (a scroll code, or a wheel delta in the high word); the position after
    } steps[] = {
        {WM_VSCROLL, SB_LINEUP, 0},     {WM_VSCROLL, SB_LINEDOWN, 1},    {WM_VSCROLL, SB_PAGEDOWN, 19},
        {WM_VSCROLL, SB_PAGEDOWN, 22},  {WM_VSCROLL, SB_LINEDOWN, 22},   {WM_MOUSEWHEEL, -kNotch, 22},
        {WM_VSCROLL, SB_PAGEUP, 4},     {WM_MOUSEWHEEL, -2 * kNotch, 7}, {WM_MOUSEWHEEL, 1 << 16, 4},
        {WM_MOUSEWHEEL, 0, 1},          {WM_MOUSEWHEEL, kNotch, 0},      {WM_MOUSEWHEEL, kNotch, 0},
        {WM_VSCROLL, SB_THUMBTRACK, 0}, {WM_VSCROLL, SB_TOP, 0},         {WM_HSCROLL, SB_LINERIGHT, 0}};
    for (const auto& step : steps) {
        const int before = VPos();
        Send(step.uMsg, static_cast<WPARAM>(step.code));
        EXPECT_EQ(VPos(), step.pos) << step.uMsg << " " << step.code;
        // The wheel is always told; a scroll bar only when the view moved.
        const bool told = step.uMsg == WM_MOUSEWHEEL || (step.uMsg == WM_VSCROLL && step.pos != before);
        EXPECT_EQ(Told(), told ? Notices{View(step.pos)} : Notices{}) << step.uMsg << " " << step.code;
    }

    // The thumb dragged with the real mouse, from position 0, moves the view on its way. The bar
    // tracks it in a loop of its own until the button is up, so all is queued at once; a key
    // between the moves keeps them from merging.
    RECT rc = {};
    GetWindowRect(grid->m_hWnd, &rc);
    const auto to = [](int v, int metric) { return DWORD(MulDiv(v, 65536, GetSystemMetrics(metric))); };
    const DWORD x = to(rc.right - GetSystemMetrics(SM_CXVSCROLL) / 2, SM_CXSCREEN),
                y = to(rc.top + GetSystemMetrics(SM_CYVSCROLL) + 20, SM_CYSCREEN), dy = to(60, SM_CYSCREEN),
                move = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SetForegroundWindow(parent);
    {
        const QuitAfter bound(5000); // ends that loop should the button never come up
        mouse_event(move | MOUSEEVENTF_LEFTDOWN, x, y, 0, 0);
        mouse_event(move, x, y + dy, 0, 0);
        keybd_event(VK_SHIFT, 0, 0, 0);
        keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
        mouse_event(move, x, y + 2 * dy, 0, 0);
        mouse_event(move | MOUSEEVENTF_LEFTUP, x, y + 2 * dy, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return VPos() > 0 && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000); }));
    }
    PumpFor(100);
    const Notices told = Told();
    ASSERT_GE(told.size(), 2u);
    EXPECT_EQ(told.back(), View(VPos()));

    // The horizontal bar counts pixels, the vertical bar's width included.
    grid->SetColumnWidth(1, 300);
    grid->UpdateScrollBars();
    GetScrollInfo(grid->m_hWnd, SB_HORZ, &si);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(std::vector<int>({si.nMax, static_cast<int>(si.nPage)}),
              std::vector<int>({415 + bar, 400 - bar}));
}

TEST_F(GridCtrl, InputClicksDragsAndKeysSelectResizeAndTellTheParent) {
    // With the user's mouse: a press that leaves the grid is over, released outside or not; the
    // release of a press made elsewhere (beside the grid, on the in-place editor) and dragged onto
    // a check box ticks nothing.
    SetForegroundWindow(parent);
    const POINT box = {10, 52}, beside = {500, 50};
    To(box);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    To(beside);
    EXPECT_TRUE(PumpUntil([] {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_QUERY, nullptr, 0};
        return !TrackMouseEvent(&tme) || !(tme.dwFlags & TME_LEAVE);
    })) << "the grid never heard the mouse leave";
    PumpMessages();
    SendMouse(MOUSEEVENTF_LEFTUP);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    To(box);
    SendMouse(MOUSEEVENTF_LEFTUP);
    testing_support::DoubleClickAt(To(POINT{237, 4 * 22 + 11}));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    To(box);
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpMessages();
    EXPECT_EQ(Told(), Notices{"click 0 4 2"}); // the double click's last release went to the editor
    ASSERT_TRUE(Editor().List());
    Editor().List()->CloseUp();

    enum Action { kLeft, kDoublePress, kRight, kDouble, kKey };
    const struct Step {
        const char* name;
        Action action;
        // A left press (or a double click's second press) at pt, the release at to; the key in pt.x.
        POINT pt, to;
        int vPos;
        Notices told;
        int curRow;
        std::vector<int> sel;
    } steps[] = {
        {"click", kLeft, {100, 71}, {100, 71}, 0, {"click 0 3 1"}, 3, {3}},
        {"on the header", kLeft, {250, 10}, {250, 10}, 0, {"click 0 0 2"}, 3, {}},
        {"below the rows", kLeft, {100, 398}, {100, 398}, 0, {"click 0 -1 1"}, -1, {-1}},
        {"up from no row", kKey, {VK_UP, 0}, {}, 0, {}, 1, {1}},
        {"on a box, scrolled", kLeft, {10, 52}, {10, 52}, 3, {"check 5 0 1"}, 1, {1}},
        {"space on a row off view", kKey, {VK_SPACE, 0}, {}, 3, {"view 0 18", "check 1 0 1"}, 1, {1}},
        {"on its bottom edge", kLeft, {10, 62}, {10, 62}, 3, {"click 0 5 0"}, 5, {5}},
        {"twice on a box", kDouble, {10, 52}, {}, 0, {"check 2 0 0", "click 2 2 0", "check 2 0 1"}, 2, {5}},
        {"right on the selection", kRight, {300, 71}, {}, 2, {"click 1 5 -1"}, 2, {5}},
        {"right", kRight, {100, 27}, {}, 0, {"click 1 1 1"}, 1, {1}},
        {"right on the header", kRight, {100, 10}, {}, 0, {"click 1 0 1"}, 0, {0}},
        {"twice", kDouble, {100, 93}, {}, 0, {"click 0 4 1", "click 2 4 1", "click 0 4 1"}, 4, {4}},
        {"twice on no cell", kDouble, {300, 27}, {}, 0, {"click 0 1 -1", "click 0 1 -1"}, 1, {1}},
        {"header dragged a pixel", kLeft, {20, 10}, {21, 10}, 0, {"drop 0 0"}, 1, {1}},
        {"header dragged onto a row", kLeft, {100, 10}, {100, 100}, 0, {}, 1, {1}},
        {"a row's border is not hot", kLeft, {200, 30}, {230, 30}, 0, {"click 0 1 2"}, 1, {1}},
        {"on the last screen row", kLeft, {100, 379}, {100, 379}, 0, {"click 0 17 1"}, 17, {17}},
        {"down scrolls a row", kKey, {VK_DOWN, 0}, {}, 0, {"view 1 19"}, 18, {18}},
        {"up off the top", kKey, {VK_UP, 0}, {}, 17, {"view 16 34"}, 17, {17}},
        {"on the last row", kLeft, {100, 379}, {100, 379}, 22, {"click 0 39 1"}, 39, {39}},
        {"down stays on it", kKey, {VK_DOWN, 0}, {}, 22, {}, 39, {39}},
        {"border dragged", kLeft, {40, 10}, {70, 10}, 0, {"resized 0 70"}, 39, {39}},
        {"beside a border, to a row", kLeft, {229, 10}, {260, 300}, 0, {"resized 1 190"}, 39, {39}},
        {"left of the left edge", kLeft, {335, 10}, {20, 10}, 0, {"resized 2 1"}, 39, {39}},
        {"on the left edge", kLeft, {71, 10}, {0, 10}, 0, {}, 39, {39}},
        {"on a border", kLeft, {70, 10}, {70, 10}, 0, {"resized 0 70"}, 39, {39}},
        {"its double click", kDoublePress, {70, 10}, {90, 10}, 0, {"click 2 0 0", "resized 0 90"}, 0, {39}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        SetScrollPos(grid->m_hWnd, SB_VERT, step.vPos, FALSE);
        if (step.action == kLeft || step.action == kDoublePress) {
            Mouse(WM_MOUSEMOVE, step.pt);
            Mouse(step.action == kLeft ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK, step.pt);
            if (step.to.x != step.pt.x || step.to.y != step.pt.y) {
                Mouse(WM_MOUSEMOVE, step.to);
            }
            Send(WM_LBUTTONUP, MK_SHIFT | MK_CONTROL); // makes no difference
        } else if (step.action == kKey) {
            Send(WM_KEYDOWN, static_cast<WPARAM>(step.pt.x));
        } else {
            step.action == kRight ? Mouse(WM_RBUTTONDOWN, step.pt) : DoubleClick(step.pt);
        }
        EXPECT_EQ(Told(), step.told);
        EXPECT_EQ(grid->CurrentRow(), step.curRow);
        EXPECT_EQ(grid->SelectedRows(), step.sel);
    }
    EXPECT_EQ(std::vector<int>({grid->ColumnWidth(0), grid->ColumnWidth(1), grid->ColumnWidth(2)}),
              std::vector<int>({90, 190, 1}));

    // A release whose press was not the grid's (it chose a row of a list over the grid, which
    // hid on that press) is no click: on a row, on a box, on the header.
    for (const POINT pt : {POINT{100, 27}, POINT{10, 52}, POINT{250, 10}}) {
        Mouse(WM_LBUTTONUP, pt);
    }
    EXPECT_EQ(Told(), Notices{});
    EXPECT_EQ(grid->SelectedRows(), std::vector<int>{39});

    // A resize let go outside the window goes on, its guide following the pointer, until the
    // next click inside.
    Mouse(WM_MOUSEMOVE, POINT{90, 10});
    Mouse(WM_LBUTTONDOWN, POINT{90, 10});
    Mouse(WM_MOUSEMOVE, POINT{90, -50});
    Mouse(WM_MOUSEMOVE, POINT{150, 200});
    EXPECT_EQ(Paint().Count(RECT{150, 0, 151, 18 * 22}, RGB(0, 0, 0)), 18 * 22);
    Mouse(WM_LBUTTONDOWN, POINT{250, 300});
    Send(WM_LBUTTONUP);
    EXPECT_EQ(Told(), Notices{"resized 0 250"});
}

TEST_F(GridCtrl, EditorOpensOnADoubleClickFollowsItsCellAndCommitsAPick) {
    const HWND editor = Editor().m_hWnd;
    const auto editorAt = [&](RECT expected) {
        RECT rc = {};
        GetWindowRect(editor, &rc);
        MapWindowPoints(nullptr, grid->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return EqualRect(&rc, &expected) && IsWindowVisible(editor);
    };
    DoubleClick(POINT{237, 4 * 22 + 11});
    EXPECT_EQ(Told(), (Notices{"click 0 4 2", "click 0 4 2"}));
    EXPECT_TRUE(editorAt(RECT{202, 90, 276, 110}));
    EXPECT_STREQ(Editor().GetText(), L"No");

    // Over the cell while it is wholly on view, else collapsed, at either edge.
    const struct {
        UINT uMsg;
        int code, screenRow; // of the cell the editor covers, -1 collapsed
    } steps[] = {{WM_VSCROLL, SB_LINEDOWN, 3}, {WM_VSCROLL, SB_PAGEDOWN, -1}, {WM_MOUSEWHEEL, kNotch, -1},
                 {WM_KEYDOWN, VK_UP, 2},       {WM_VSCROLL, SB_LINEDOWN, 1},  {WM_VSCROLL, SB_LINEDOWN, -1},
                 {WM_VSCROLL, SB_LINEUP, 1},   {WM_HSCROLL, SB_LINERIGHT, 1}, {WM_VSCROLL, SB_PAGEUP, 4},
                 {WM_VSCROLL, SB_LINEDOWN, 3}};
    for (const auto& step : steps) {
        Send(step.uMsg, static_cast<WPARAM>(step.code));
        const RECT cell = {200, step.screenRow * 22, 275, step.screenRow * 22 + 22};
        EXPECT_TRUE(editorAt(step.screenRow < 0 ? RECT{} : cell))
            << step.uMsg << " " << step.code << " at " << VPos();
    }
    // A pick commits: the logical row is told, the text lands in its screen row, and the grid has
    // repainted before the notice returns.
    Editor().SetCurSel(0);
    Send(TCM_SELCHANGED);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_FALSE(GetUpdateRect(grid->m_hWnd, nullptr, FALSE));
    EXPECT_EQ(TextOf(4, 2), L"Yes");
    EXPECT_EQ(Told().back(), "edit 4 2 Yes");

    // A cell whose bottom lies on the client's bottom edge is not wholly on view.
    DoubleClick(POINT{237, 17 * 22 + 11});
    Send(WM_HSCROLL, SB_ENDSCROLL);
    EXPECT_TRUE(editorAt(RECT{}));
    // A left press drops the edit uncommitted.
    Mouse(WM_LBUTTONDOWN, POINT{100, 3 * 22 + 11});
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(Told(), (Notices{"click 0 18 2", "click 0 18 2"}));
}
