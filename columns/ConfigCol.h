#pragma once
#include "columns/ColumnStore.h"
#include "columns/DialogColumns.h"
#include "columns/GridList.h"
#include "toolkit/Combox.h"
#include "toolkit/ModalWnd.h"
#include "toolkit/StaticButton.h"

#include <array>
#include <memory>
#include <vector>

// The modal "Config Column" dialog of a funds bar. A grid lists the bar's columns (a "Show"
// check box, the title, a Yes/No "Show Color" choice edited in place); a Yes/No combo sets the
// colour of every offered column at once; buttons show or hide all, move the selected row up
// or down, accept or cancel. It works on a copy of the bar's list: OK writes the copy back and
// tells the bar. "Account No." always stays first and is not offered, nor are ignored columns.
//
// The keyboard: the grid has the focus as the dialog opens; Tab and Shift+Tab move it through
// the grid, the combo box and the buttons top to bottom, and round; Enter presses the focused
// button, anywhere else OK; Ctrl+Up and Ctrl+Down move the current row like the buttons.
class TConfigCol : public TModalWnd {
public:
    // Command numbers of the buttons, reported with TCM_CLICKED.
    enum Command { kShowAll = 0, kHideAll = 1, kOK = 2, kCancel = 3, kMoveUp = 4, kMoveDown = 5 };
    static constexpr int kWidth = 385;
    static constexpr int kHeight = 500;

    TConfigCol(HWND hParent, const wchar_t* szTitle, IMainFrame* pMainFrame);
    ~TConfigCol() override;

    // Before DoModal: the bar's list, which OK writes back. DoModal is then true when OK or
    // Cancel ended the dialog, false for Escape, the system close command or the close box.
    void SetColumns(std::vector<ColumnSetting>& columns);

    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void CreateControls() override;
    bool TranslateDialogKey(const MSG& msg) override;
    // 385 x 500, centred on the primary screen.
    void PlaceWindow() override;

    TGridCtrl* Grid() const { return m_pGridList ? m_pGridList->Grid() : nullptr; }
    // The offered columns in their current order, as the grid shows them.
    const std::vector<ColumnSetting>& Columns() const { return m_vecColumns; }

    std::unique_ptr<TCombox> m_pColorCombo;

private:
    void LayoutControls();
    // Writes the grid's screen rows from the working list: the header on screen row 0, working
    // record nFirst on screen row 1 and on down the page.
    void FillGrid(int nFirst);
    // FillGrid from the grid's vertical scroll position.
    void Refresh();
    // Swaps the selected record with its neighbour above or below, the selection going with it.
    void MoveColumn(bool bUp);
    void OnCheckChanged(const GridCellId& cell, bool bChecked);
    void OnColorEdited(const GridCellId& cell, const wchar_t* szText);
    void OnOK();

    // Show All, Hide All, Move Up, Move Down, OK, Cancel: top to bottom.
    std::array<const TStaticButton*, 6> Buttons() const;
    // The controls in the order Tab visits them.
    std::vector<HWND> TabOrder() const;
    // Tab: the next control after the focused one, Shift+Tab the one before, round the ends.
    void MoveFocus(bool bBack);
    // The dialog itself took the focus (opening, activated again): it goes on to the control
    // that had it last, at first the grid.
    void OnSetFocus();
    void OnActivate(WPARAM wParam);
    void OnCommand(LPARAM nCommand);
    void OnColorChosen(WPARAM nIndex);
    void OnColumnResized(WPARAM nCol, LPARAM nWidth);
    void ApplyColumns();
    // A pending in-place edit is dropped when the dialog changes the rows, as a press
    // elsewhere in the grid drops it.
    void DropInPlaceEdit();

    std::unique_ptr<TGridList> m_pGridList;
    std::unique_ptr<TStaticButton> m_pBtnShowAll;
    std::unique_ptr<TStaticButton> m_pBtnHideAll;
    std::unique_ptr<TStaticButton> m_pBtnMoveUp;
    std::unique_ptr<TStaticButton> m_pBtnMoveDown;
    std::unique_ptr<TStaticButton> m_pBtnOK;
    std::unique_ptr<TStaticButton> m_pBtnCancel;
    // The offered columns in their current order.
    std::vector<ColumnSetting> m_vecColumns;
    std::vector<ColumnSetting>* m_pSrcColumns = nullptr;
    ColumnSetting m_AccountColumn;
    // The ignored columns with their places: not offered, they go back to the same places on OK.
    std::vector<PlacedColumn> m_vecIgnored;
    // The control that had the focus when the dialog was last deactivated.
    HWND m_hLastFocus = nullptr;
};
