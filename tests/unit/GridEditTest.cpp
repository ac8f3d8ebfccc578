// In-place editing: the grid's one combo box, made with the first combo cell and filled with
// the owner's choices; a double click lends it to a combo cell; scrolling keeps it over the
// cell or collapses it; a pick commits the text and tells the parent, a left press drops it.
#include "support/GridHarness.h"

#include "plugin/entry/Exports.h"
#include "toolkit/Combox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testing_support::GridTest;
using testing_support::SameRect;

namespace {

using Notices = std::vector<std::string>;

// Columns 40, 160 and 75 pixels, 40 logical rows, 18 screen rows filling the client height
// exactly; the grid's texts in a font of their own.
class GridEdit : public GridTest {
protected:
    void SetUp() override {
        OnPluginLoad(1033);
        GridTest::SetUp();
        Layout({40, 160, 75}, 40, SIZE{400, 18 * kRowHeight});
    }
    void TearDown() override {
        GridTest::TearDown();
        OnPluginFree();
    }
    HWND Editor() const { return grid->m_pEditor->m_hWnd; }
    // The editor's rectangle in the grid's client coordinates.
    RECT EditorRect() const {
        RECT rc = {};
        GetWindowRect(Editor(), &rc);
        MapWindowPoints(nullptr, grid->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    const wchar_t* Text(int screenRow, int col) const { return grid->GetCell(screenRow, col)->m_szText; }
    // Picks a row of the open editor's list as the user does: a click on the editor opens it,
    // a click on the row chooses it.
    void Pick(int index) {
        SendMessageW(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        TComboxList& list = *grid->m_pEditor->m_pList;
        ASSERT_TRUE(IsWindowVisible(list.m_hWnd));
        const int y = index * list.RowHeight() + list.RowHeight() / 2;
        SendMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, y));
        testing_support::PumpMessages();
    }
};

} // namespace

TEST_F(GridEdit, EditorIsMadeOnceWithTheFirstComboCellHiddenAndFilledWithTheChoices) {
    // No editor yet: its choices and a pick notice are ignored.
    grid->SetEditorItems({L"Yes"});
    Send(TCM_SELCHANGED);
    EXPECT_EQ(grid->m_pEditor, nullptr);
    EXPECT_EQ(TakeNotices(), Notices{});

    grid->SetCellType(1, 2, kGridCellCombox);
    ASSERT_NE(grid->m_pEditor, nullptr);
    TCombox* editor = grid->m_pEditor.get();
    EXPECT_EQ(GetParent(Editor()), grid->m_hWnd);
    EXPECT_FALSE(IsWindowVisible(Editor()));
    const RECT size = EditorRect();
    EXPECT_EQ(size.right - size.left, 74);
    EXPECT_EQ(size.bottom - size.top, editor->m_nHeight);
    auto* cell = dynamic_cast<TGridCellCombox*>(grid->GetCell(1, 2));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->m_hGrid, grid->m_hWnd);
    EXPECT_EQ(cell->m_pCombox, nullptr);
    // Lent to no cell, the editor stays hidden.
    cell->BeginEdit(RECT{200, 22, 275, 44});
    EXPECT_FALSE(IsWindowVisible(Editor()));
    MakeComboCells(2);
    EXPECT_EQ(grid->m_pEditor.get(), editor);

    editor->m_strText = L"Stale";
    const std::wstring longChoice(50, L'z');
    grid->SetEditorItems({L"Yes", L"No", longChoice});
    EXPECT_EQ(editor->m_strText, L"");
    ASSERT_EQ(editor->m_vecItems.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const ComboItem& row = editor->m_vecItems[static_cast<std::size_t>(i)];
        EXPECT_EQ(row.data, i);
        EXPECT_EQ(row.tag, L'F');
        EXPECT_TRUE(row.checked);
        EXPECT_STREQ(row.desc, L"");
    }
    EXPECT_STREQ(editor->m_vecItems[1].name, L"No");
    EXPECT_EQ(std::wstring(editor->m_vecItems[2].name), longChoice.substr(0, 39));
    ASSERT_NE(editor->m_pList, nullptr);
    EXPECT_EQ(editor->m_pList->m_vecItems.size(), 3u);
    EXPECT_EQ(editor->m_pList->m_nHot, -1);
    grid->SetEditorItems({L"Yes", L"No"});
    EXPECT_EQ(editor->m_pList->m_vecItems.size(), 2u);
}

TEST_F(GridEdit, DoubleClickOpensTheEditorOverTheCellAndAPickCommitsTheTextAtOnce) {
    MakeComboCells(2);
    DoubleClick(CellPoint(4, 2));
    // Two plain clicks, but no double click notice for a combo cell.
    EXPECT_EQ(TakeNotices(), (Notices{"click 0 4 2", "click 0 4 2"}));
    EXPECT_TRUE(IsWindowVisible(Editor()));
    EXPECT_TRUE(SameRect(EditorRect(), RECT{202, 90, 276, 110}));
    EXPECT_STREQ(grid->m_pEditor->GetText(), L"No");
    EXPECT_EQ(grid->m_editCell.row, 4);
    EXPECT_EQ(grid->m_editCell.col, 2);
    EXPECT_EQ(dynamic_cast<TGridCellCombox*>(grid->GetCell(4, 2))->m_pCombox, grid->m_pEditor.get());

    Pick(0);
    EXPECT_FALSE(IsWindowVisible(Editor()));
    EXPECT_STREQ(Text(4, 2), L"Yes");
    EXPECT_EQ(TakeNotices(), Notices{"edit 4 2 Yes"});

    // Scrolled, the notice names the logical row and the text lands in its screen row; the
    // grid has repainted before the notice's message returns.
    DoubleClick(CellPoint(5, 2));
    Scroll(WM_VSCROLL, SB_LINEDOWN);
    TakeNotices();
    grid->m_pEditor->SetCurSel(1);
    SendMessageW(grid->m_hWnd, TCM_SELCHANGED, 1, reinterpret_cast<LPARAM>(Editor()));
    EXPECT_FALSE(GetUpdateRect(grid->m_hWnd, nullptr, FALSE));
    EXPECT_STREQ(Text(4, 2), L"No");
    EXPECT_EQ(TakeNotices(), Notices{"edit 5 2 No"});

    // Scrolled until the edited row would sit on the header's screen row: the header keeps
    // its text, the parent is still told.
    SetScrollPos(grid->m_hWnd, SB_VERT, 5, FALSE);
    grid->m_pEditor->SetCurSel(0);
    Send(TCM_SELCHANGED);
    EXPECT_STREQ(Text(0, 2), L"");
    EXPECT_EQ(TakeNotices(), Notices{"edit 5 2 Yes"});
}

TEST_F(GridEdit, ScrollingKeepsTheEditorOverItsCellOrCollapsesItAtTheViewsEdges) {
    MakeComboCells(2);
    DoubleClick(CellPoint(5, 2));
    TakeNotices();
    struct Step {
        UINT uMsg;
        int code;
        RECT editor; // over the cell exactly, or collapsed to nothing at the client origin
    } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, {200, 88, 275, 110}},
        {WM_VSCROLL, SB_PAGEDOWN, {0, 0, 0, 0}},
        {WM_MOUSEWHEEL, 120, {0, 0, 0, 0}},
        {WM_KEYDOWN, VK_UP, {200, 44, 275, 66}},
        {WM_VSCROLL, SB_LINEDOWN, {200, 22, 275, 44}},
        {WM_VSCROLL, SB_LINEDOWN, {0, 0, 0, 0}}, // top edge
        {WM_VSCROLL, SB_LINEUP, {200, 22, 275, 44}},
        {WM_HSCROLL, SB_LINERIGHT, {200, 22, 275, 44}},
        {WM_VSCROLL, SB_PAGEUP, {200, 110, 275, 132}},
    };
    for (const Step& step : steps) {
        if (step.uMsg == WM_MOUSEWHEEL) {
            Wheel(step.code);
        } else if (step.uMsg == WM_KEYDOWN) {
            grid->m_nCurRow = 5;
            Send(WM_KEYDOWN, VK_UP);
        } else {
            Scroll(step.uMsg, step.code);
        }
        EXPECT_TRUE(SameRect(EditorRect(), step.editor)) << step.uMsg << " " << step.code << " at " << VPos();
        EXPECT_TRUE(IsWindowVisible(Editor())); // collapsed, not hidden
    }

    // A cell whose bottom lies on the client's bottom edge: collapsed at the next scroll.
    DoubleClick(CellPoint(17, 2));
    Scroll(WM_HSCROLL, SB_ENDSCROLL);
    EXPECT_TRUE(SameRect(EditorRect(), RECT{0, 0, 0, 0}));

    // A left press drops the edit: hidden, nothing committed, the edited cell remembered.
    DoubleClick(CellPoint(3, 2));
    TakeNotices();
    Press(CellPoint(6, 1));
    EXPECT_FALSE(IsWindowVisible(Editor()));
    Send(WM_LBUTTONUP);
    testing_support::PumpMessages();
    EXPECT_EQ(TakeNotices(), Notices{"click 0 6 1"});
    EXPECT_EQ(grid->m_editCell.row, 3);
    EXPECT_STREQ(Text(3, 2), L"Yes");
}
