#pragma once
// An owner-drawn, virtually scrolled grid: a header row, resizable columns and cells of
// several kinds. It keeps cells only for the screen rows on view; when the vertical view moves
// it tells its parent which rows are on view and the parent writes their cells again.
// Rows are counted two ways: logical rows 0..m_nRows-1 (0 the header, r the owner's item
// r-1) and screen rows 0..m_nPageRows-1 (0 always the header, k the logical row P + k at the
// vertical scroll position P). Cells and row heights are kept by screen row; the current row,
// the selection and every row in a notification are logical.
#include "grid/GridCell.h"
#include "toolkit/Accessible.h"
#include "toolkit/IxFrm.h"
#include "toolkit/SharedDrawing.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TCombox;

// One cell; -1 in either field for none.
struct GridCellId {
    int row;
    int col;
};

// lParam of WM_NOTIFY: the vertical view after a move. The parent places its item nFirst on
// screen row 1.
struct GridViewRange {
    HWND hwndFrom;
    int nFirst;
    int nLast;
};

// lParam of TCM_CELLCLICK.
struct GridClickInfo {
    int kind; // 0 left click, 1 right click, 2 double click on a cell that is not a combo cell
    int row;  // logical row, -1 none
    int col;  // -1 none
};

enum GridMouseMode { kGridIdle = 0, kGridResizing = 1, kGridOverBorder = 2, kGridHeaderDrag = 3 };
enum GridCellKind { kGridCellHeader = 1, kGridCellCheckbox = 2, kGridCellCombox = 4 };

// Assistive tools read the grid as a table: a row per row on view, the header's first, each
// holding its cells (a check box cell as a check box that a default action ticks or clears),
// a data cell named by its column's header.
class TGridCtrl : public TIxFrm, public TAccessibleContent {
public:
    // Of every row, the header's too.
    static constexpr int kRowHeight = 22;
    TGridCtrl();
    ~TGridCtrl() override;

    // Creates the child window (class "GridCtrl", with both scroll bars) at 0 x 0; the parent
    // moves it.
    bool Create(HWND hParent);
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Fills rc with the background colour. The cells skip their inside where it has the same
    // colour, so an override leaves the background colour wherever a cell goes.
    virtual void DrawBackground(HDC hDC, const RECT& rc);

    // For the owner. The column count is set before the first fill; cells made for new screen
    // rows take it.
    void SetColumnCount(int nCols);
    int ColumnCount() const;
    // Behind and beside the cells.
    void SetBackgroundColour(COLORREF crBkgnd);
    void SetColumnWidth(int col, int width);
    void UpdateScrollBars();
    TGridCellBase* GetCell(int row, int col) const;
    // Stores a cell at (screen row, column); a cell already there is destroyed first.
    void SetCell(int row, int col, std::unique_ptr<TGridCellBase> cell);
    // Replaces the cell at (screen row, column) by a new one of a GridCellKind, keeping its
    // attributes; other kinds change nothing.
    void SetCellType(int row, int col, int kind);
    void SetItem(const GridItem* item);
    void SetEditorItems(const std::vector<std::wstring>& items);
    // Logical rows, header included: the owner's item count plus one. A current row the new
    // count leaves out goes, with the selection; the scroll bars follow the count.
    void SetRowCount(int nRows);
    // The current row and the only selected one; the caller repaints.
    void SelectRow(int logicalRow);
    // Scrolls the least that shows a logical data row below the header: it becomes the first
    // data row on screen from above, the last from below. The parent is not told; it refills
    // the rows itself. Nothing when the view does not scroll or has no room for a data row.
    void BringRowIntoView(int logicalRow);
    // Hides the in-place editor without committing what it shows.
    void CancelEdit();
    // The owner's item on screen row 1: the vertical position while the view scrolls and the
    // position lies in its range, else 0.
    int ViewPosition() const;
    int RowCount() const;
    int CurrentRow() const;
    const std::vector<int>& SelectedRows() const;

    // Geometry: bands open at the top and left, closed at the bottom and right.
    int GetTotalWidth() const;
    int RowFromY(const POINT& pt) const;    // screen row, -1 none
    int RowsOnView() const;                 // screen rows painted and hit, the header's too
    int ColumnFromX(const POINT& pt) const; // column, -1 none
    bool GetCellOrigin(int screenRow, int col, POINT* out) const;
    GridCellId HitTest(const POINT& pt) const; // logical row
    RECT GetCellRect(const GridCellId& id) const;
    bool HitColumnBorder(const POINT& pt, int* col) const;
    void EraseColumnWidth(int col);
    int ColumnWidth(int col) const; // stored, else 100

    // Logical row r is element (r + 1) << 8, its cell in column c that number | (c + 1); a
    // row is also the object id under which events name its cells.
    static LONG RowElement(int logicalRow);
    std::vector<LONG> AccChildren(LONG nParent) override;
    bool AccDescribe(LONG nId, AccElement& element) override;
    void AccDoDefaultAction(LONG nId) override;

    // The in-place editor, a child window made with the first combo cell.
    std::unique_ptr<TCombox> m_pEditor;

private:
    // Creates the in-place editor, hidden, with the first combo cell.
    void EnsureEditor();
    void OnSize();
    void EnsureCells();
    void OnPaint();
    void PaintRows(HDC hDC, RECT rc, TCellPaint& paint);
    // nFirst: the logical row on screen row 0's place (the vertical position); nClientRight:
    // cells wholly right of it are skipped.
    void PaintRow(HDC hDC, const RECT& rcRow, int screenRow, int nFirst, int nClientRight, TCellPaint& paint);
    // Range 0..nMax, the page and the position of one scroll bar; the system clamps the position.
    void SetScrollBar(int bar, int nMax, int nPage, int nPos);
    void OnVScroll(WPARAM wParam);
    void OnHScroll(WPARAM wParam);
    void OnMouseWheel(WPARAM wParam);
    void NotifyVisibleRange();
    // Keeps the editor over the cell it edits; collapses it while the cell is not wholly in
    // view vertically.
    void PositionEditor(const GridCellId& cell, TCombox* editor);
    void OnSetCursor();
    void DrawFocus(HDC hDC, const RECT& rcClient);
    // WM_KEYDOWN or WM_SYSKEYDOWN. Up and Down move the current row, Space ticks or unticks its
    // check box, F4 or Alt+Down open or close its in-place editor's list.
    void OnKeyDown(UINT uMsg, WPARAM wParam);
    void MoveCurrentRow(int nStep);
    bool HasCurrentDataRow() const;
    // The current data row brought into view, and its first cell of the given kind with its
    // id; null without one.
    template <typename Cell> Cell* CurrentRowCell(GridCellId* id);
    // As a click on the box does.
    void ToggleCurrentRow();
    // Shows the editor over the current row's combo cell with its list open, the cell's
    // choice lit; closes the list when it shows.
    void ToggleEditorList();
    void LendEditor(TGridCellCombox& cell, const GridCellId& id);
    void OnMouseMove();
    void OnLButtonDown();
    void OnLButtonUp();
    void OnLButtonDblClk();
    void OnRButtonDown();
    void EndEdit();
    // A check box changed: the parent and listening tools hear of it, the grid repaints.
    void ReportCheck(GridCellId cell, bool bChecked);
    // The logical row of a row or cell element whose row is on view, -1 for none.
    int RowOnView(LONG nId) const;

    int VScrollPos() const;
    // Screen row of a logical row: the header is screen row 0 at every scroll position.
    int ScreenRowOf(int logicalRow) const;
    // The cell a HitTest result names, or null.
    TGridCellBase* CellAt(const GridCellId& hit) const;
    // Sets the vertical position that shows the logical row when it is off the view; false
    // when it already shows.
    bool ScrollToShow(int logicalRow);

    int m_nPageRows = 0;
    bool m_bHScroll = false;
    bool m_bVScroll = false;
    int m_nMouseMode = kGridIdle;
    bool m_bPressed = false;
    // The left button went down in the grid and has not been released there since, nor has
    // the mouse left the grid.
    bool m_bOwnPress = false;
    std::map<int, int> m_colWidths;
    std::map<int, std::map<int, std::unique_ptr<TGridCellBase>>> m_cells;
    GridCellId m_hoverCell = {-1, -1};
    GridCellId m_resizeCell = {-1, -1};
    GridCellId m_pressedCell = {-1, -1};
    GridCellId m_editCell = {-1, -1};
    // The grid has the keyboard focus: the current row shows a focus frame.
    bool m_bFocus = false;

    // Written only through the owner's operations above: the current row and the selection
    // follow the row count, the scroll bars follow both.
    COLORREF m_crBkgnd = kFaceColour;
    int m_nRows = 0;
    int m_nCols = 0;
    int m_nCurRow = -1;
    std::vector<int> m_selRows;

    // Counts UpdateScrollBars runs: showing or hiding a bar resizes the client area, and the
    // WM_SIZE it sends runs a newer update that an older one must not overwrite.
    int m_nScrollUpdates = 0;
};
