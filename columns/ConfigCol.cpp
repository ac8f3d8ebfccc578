#include "columns/ConfigCol.h"

#include "base/FundsColumnIds.h"
#include "base/FundsMessages.h"
#include "base/Texts.h"
#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr int kGridColumns = 3;
constexpr int kColumnWidths[kGridColumns] = {40, 160, 75};
constexpr ConfigLabel kColumnHeaders[kGridColumns] = {kShowLabel, kTitleLabel, kShowColorLabel};
constexpr COLORREF kHeaderText = RGB(58, 58, 58);
constexpr UINT kItemMask =
    GIF_TEXT | GIF_BKCOLOR | GIF_TEXTCOLOR | GIF_FONT | GIF_TEXTTOP | GIF_MARGIN | GIF_FORMAT;
static_assert(kItemMask == 0x3F1, "attributes every filled cell takes");

constexpr int kMargin = 10;
constexpr int kGridWidth = 290;
constexpr int kSideX = 310; // left edge of the combo box and the buttons
constexpr int kSideWidth = 60;
constexpr int kButtonHeight = 20;

const wchar_t* ColourText(bool bColor) {
    return GetDialogText(bColor ? kYesText : kNoText);
}

// "Yes" (row 0) and "No" (row 1), for the dialog's combo box and the grid's editor.
std::vector<std::wstring> ColourChoices() {
    return {GetDialogText(kYesText), GetDialogText(kNoText)};
}

// Moves a control without changing the z-order and has it repaint in full.
void PlaceControl(const TIxFrm* control, int x, int y, int width, int height) {
    if (control && control->m_hWnd) {
        SetWindowPos(control->m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(control->m_hWnd, nullptr, TRUE);
    }
}

} // namespace

TConfigCol::TConfigCol(HWND hParent, const wchar_t* szTitle, IMainFrame* pMainFrame)
    : TModalWnd(hParent, szTitle, pMainFrame), m_AccountColumn() {
    m_AccountColumn.bShow = true;
    m_AccountColumn.nColId = kAccountNoColumn;
}

TConfigCol::~TConfigCol() {
    // The dialog's window and the controls' windows go before the objects behind them.
    DestroyOwnWindow();
}

void TConfigCol::SetColumns(std::vector<ColumnSetting>& columns) {
    DialogColumns parts = SplitForDialog(columns, m_AccountColumn);
    m_AccountColumn = parts.account;
    m_vecColumns = std::move(parts.offered);
    m_vecIgnored = std::move(parts.ignored);
    m_pSrcColumns = &columns;
}

LRESULT TConfigCol::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE:
        TModalWnd::WndProc(uMsg, wParam, lParam);
        LayoutControls();
        return 0;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        // The default handling gives the focus to the dialog as it is activated.
        return TModalWnd::WndProc(uMsg, wParam, lParam);
    case WM_NOTIFY:
        if (const auto* range = reinterpret_cast<const GridViewRange*>(lParam)) {
            FillGrid(range->nFirst);
        }
        return 0;
    case TCM_CLICKED:
        OnCommand(lParam);
        return 0;
    case TCM_SELCHANGED:
        OnColorChosen(wParam);
        return 0;
    case TCM_EDITDONE:
        if (wParam && lParam) {
            OnColorEdited(*reinterpret_cast<const GridCellId*>(wParam),
                          reinterpret_cast<const wchar_t*>(lParam));
        }
        return 0;
    case TCM_COLRESIZED:
        OnColumnResized(wParam, lParam);
        return 0;
    case TCM_CELLCHECK:
        if (wParam) {
            OnCheckChanged(*reinterpret_cast<const GridCellId*>(wParam), lParam != 0);
        }
        return 0;
    default:
        return TModalWnd::WndProc(uMsg, wParam, lParam);
    }
}

void TConfigCol::CreateControls() {
    m_pGridList = std::make_unique<TGridList>(TGridList::GridEdge::Shown);
    m_pGridList->Create(m_hWnd);
    if (TGridCtrl* grid = Grid()) {
        grid->SetColumnCount(kGridColumns);
        grid->SetBackgroundColour(kCellColour);
        for (int col = 0; col < kGridColumns; ++col) {
            grid->SetColumnWidth(col, kColumnWidths[col]);
            grid->UpdateScrollBars();
        }
    }
    FillGrid(0);

    m_pColorCombo = std::make_unique<TCombox>();
    m_pColorCombo->Create(m_hWnd);
    m_pColorCombo->SetItems(ChoiceRows(ColourChoices()));
    m_pColorCombo->SetCurSel(0);

    const struct {
        std::unique_ptr<TStaticButton>* button;
        Command nCommand;
        DialogText caption;
    } buttons[] = {{&m_pBtnShowAll, kShowAll, kShowAllText},
                   {&m_pBtnHideAll, kHideAll, kHideAllText},
                   {&m_pBtnOK, kOK, kOkText},
                   {&m_pBtnCancel, kCancel, kCancelText},
                   {&m_pBtnMoveUp, kMoveUp, kMoveUpText},
                   {&m_pBtnMoveDown, kMoveDown, kMoveDownText}};
    for (const auto& [button, nCommand, caption] : buttons) {
        *button = std::make_unique<TStaticButton>();
        (*button)->Create(m_hWnd, GetDialogText(caption), nCommand);
    }
}

std::array<const TStaticButton*, 6> TConfigCol::Buttons() const {
    return {m_pBtnShowAll.get(),  m_pBtnHideAll.get(), m_pBtnMoveUp.get(),
            m_pBtnMoveDown.get(), m_pBtnOK.get(),      m_pBtnCancel.get()};
}

std::vector<HWND> TConfigCol::TabOrder() const {
    std::vector<HWND> order;
    const auto add = [&order](const TIxFrm* control) {
        if (control && control->m_hWnd) {
            order.push_back(control->m_hWnd);
        }
    };
    add(Grid());
    add(m_pColorCombo.get());
    for (const TStaticButton* button : Buttons()) {
        add(button);
    }
    return order;
}

void TConfigCol::MoveFocus(bool bBack) {
    const std::vector<HWND> order = TabOrder();
    if (order.empty()) {
        return;
    }
    const auto focused = std::find(order.begin(), order.end(), GetFocus());
    const std::size_t n = order.size();
    // From outside the controls (the dialog itself), Tab starts at the first, Shift+Tab at the last.
    std::size_t next = bBack ? n - 1 : 0;
    if (focused != order.end()) {
        const std::size_t i = static_cast<std::size_t>(focused - order.begin());
        next = bBack ? (i + n - 1) % n : (i + 1) % n;
    }
    SetFocus(order[next]);
}

void TConfigCol::OnSetFocus() {
    const std::vector<HWND> order = TabOrder();
    if (order.empty()) {
        return;
    }
    const bool bLastShown = std::find(order.begin(), order.end(), m_hLastFocus) != order.end();
    SetFocus(bLastShown ? m_hLastFocus : order.front());
}

void TConfigCol::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        m_hLastFocus = GetFocus();
    }
}

bool TConfigCol::TranslateDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    const bool bCtrl = GetKeyState(VK_CONTROL) < 0;
    switch (msg.wParam) {
    case VK_TAB:
        if (bCtrl) {
            return false;
        }
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN: {
        // A focused button presses itself.
        const HWND hFocus = GetFocus();
        const std::array<const TStaticButton*, 6> buttons = Buttons();
        if (std::any_of(buttons.begin(), buttons.end(), [hFocus](const TStaticButton* button) {
                return button && button->m_hWnd == hFocus;
            })) {
            return false;
        }
        OnCommand(kOK);
        return true;
    }
    case VK_UP:
    case VK_DOWN:
        if (!bCtrl) {
            return false;
        }
        OnCommand(msg.wParam == VK_UP ? kMoveUp : kMoveDown);
        return true;
    default:
        return false;
    }
}

void TConfigCol::PlaceWindow() {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    MoveWindow(m_hWnd, x, y, kWidth, kHeight, TRUE);
}

void TConfigCol::LayoutControls() {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    const int y0 = m_nCaptionHeight;
    const int h = rc.bottom - rc.top;
    if (m_pGridList && m_pGridList->m_hWnd) {
        MoveWindow(m_pGridList->m_hWnd, kMargin, y0 + kMargin, kGridWidth, h - y0 - 2 * kMargin, TRUE);
        InvalidateRect(m_pGridList->m_hWnd, nullptr, TRUE);
        // The grid's page may have changed with its size.
        Refresh();
    }
    if (m_pColorCombo) {
        PlaceControl(m_pColorCombo.get(), kSideX, y0 + 35, kSideWidth, m_pColorCombo->m_nHeight);
    }
    PlaceControl(m_pBtnShowAll.get(), kSideX, y0 + 75, kSideWidth, kButtonHeight);
    PlaceControl(m_pBtnHideAll.get(), kSideX, y0 + 105, kSideWidth, kButtonHeight);
    PlaceControl(m_pBtnMoveUp.get(), kSideX, y0 + 195, kSideWidth, kButtonHeight);
    PlaceControl(m_pBtnMoveDown.get(), kSideX, y0 + 225, kSideWidth, kButtonHeight);
    PlaceControl(m_pBtnOK.get(), kSideX, h - 60, kSideWidth, kButtonHeight);
    PlaceControl(m_pBtnCancel.get(), kSideX, h - 30, kSideWidth, kButtonHeight);
}

void TConfigCol::FillGrid(int nFirst) {
    TGridCtrl* grid = Grid();
    if (!grid) {
        return;
    }
    const int nRows = static_cast<int>(m_vecColumns.size()) + 1;
    grid->SetRowCount(nRows);
    // Whatever the view reports, the rows written are the working list's.
    nFirst = std::max(0, std::min(nFirst, nRows - 1));

    GridItem base = {};
    GetObjectW(g_hTextFont.get(), sizeof(base.lfFont), &base.lfFont);
    base.nTextTop = 5;
    base.nMargin = 3;
    base.mask = kItemMask;
    base.nFormat = DT_VCENTER; // left-aligned
    base.crBack = kCellColour;
    const int nTextChars = static_cast<int>(sizeof(base.text) / sizeof(base.text[0]));

    for (int k = 0, r = nFirst; r < nRows && r < nFirst + grid->RowsOnView(); ++k, ++r) {
        for (int col = 0; col < grid->ColumnCount(); ++col) {
            GridItem item = base;
            item.row = k;
            item.col = col;
            if (k == 0) {
                item.crBack = kFaceColour;
                item.crText = kHeaderText;
                lstrcpynW(item.text, GetConfigLabel(kColumnHeaders[col]), nTextChars);
            } else {
                const ColumnSetting& column = m_vecColumns[static_cast<std::size_t>(r - 1)];
                item.crText = kTextColour;
                if (col == 0) {
                    auto box = std::make_unique<TGridCellCheckbox>();
                    if (const TGridCellBase* old = grid->GetCell(k, 0)) {
                        box->CopyAttributes(*old);
                    }
                    box->m_bChecked = column.bShow;
                    grid->SetCell(k, 0, std::move(box));
                } else if (col == 1) {
                    lstrcpynW(item.text, GetColumnTitle(column.nColId), nTextChars);
                } else if (col == 2) {
                    lstrcpynW(item.text, ColourText(column.bColor), nTextChars);
                    grid->SetCellType(k, 2, kGridCellCombox);
                }
            }
            grid->SetItem(&item);
        }
    }
    // The editor exists from the first combo cell on. Its choices never change, and filling
    // them again would empty the text of an editor open over a cell that scrolls.
    if (grid->m_pEditor && grid->m_pEditor->ItemCount() == 0) {
        grid->SetEditorItems(ColourChoices());
    }
    // Once for all rows: each update redraws the scroll bars, which costs more than the rows.
    grid->UpdateScrollBars();
    InvalidateRect(grid->m_hWnd, nullptr, FALSE);
}

void TConfigCol::Refresh() {
    TGridCtrl* grid = Grid();
    if (!grid) {
        return;
    }
    FillGrid(grid->ViewPosition());
}

void TConfigCol::MoveColumn(bool bUp) {
    TGridCtrl* grid = Grid();
    if (!grid) {
        return;
    }
    const int n = static_cast<int>(m_vecColumns.size());
    const int s = grid->CurrentRow() - 1;
    const int t = bUp ? s - 1 : s + 1;
    if (s < 0 || s >= n || t < 0 || t >= n) {
        return;
    }
    std::swap(m_vecColumns[static_cast<std::size_t>(s)], m_vecColumns[static_cast<std::size_t>(t)]);
    grid->SelectRow(t + 1);
    grid->BringRowIntoView(t + 1);
    InvalidateRect(grid->m_hWnd, nullptr, FALSE);
}

void TConfigCol::DropInPlaceEdit() {
    if (TGridCtrl* grid = Grid()) {
        grid->CancelEdit();
    }
}

void TConfigCol::OnCheckChanged(const GridCellId& cell, bool bChecked) {
    const int i = cell.row - 1;
    if (i >= 0 && i < static_cast<int>(m_vecColumns.size())) {
        m_vecColumns[static_cast<std::size_t>(i)].bShow = bChecked;
    }
}

void TConfigCol::OnColorEdited(const GridCellId& cell, const wchar_t* szText) {
    const int i = cell.row - 1;
    if (i >= 0 && i < static_cast<int>(m_vecColumns.size())) {
        m_vecColumns[static_cast<std::size_t>(i)].bColor = std::wcscmp(szText, GetDialogText(kYesText)) == 0;
    }
}

void TConfigCol::OnCommand(LPARAM nCommand) {
    if (nCommand < kShowAll || nCommand > kMoveDown) {
        return;
    }
    DropInPlaceEdit();
    switch (nCommand) {
    case kShowAll:
    case kHideAll:
        for (ColumnSetting& column : m_vecColumns) {
            column.bShow = nCommand == kShowAll;
        }
        Refresh();
        break;
    case kOK:
        OnOK();
        break;
    case kCancel:
        // The result stays set: the bar saves its unchanged list.
        EndModal(1);
        break;
    case kMoveUp:
    case kMoveDown:
        MoveColumn(nCommand == kMoveUp);
        Refresh();
        break;
    default:
        break;
    }
}

void TConfigCol::OnColorChosen(WPARAM nIndex) {
    DropInPlaceEdit();
    for (ColumnSetting& column : m_vecColumns) {
        column.bColor = nIndex == 0;
    }
    Refresh();
}

void TConfigCol::OnColumnResized(WPARAM nCol, LPARAM nWidth) {
    TGridCtrl* grid = Grid();
    if (grid && nCol < static_cast<WPARAM>(grid->ColumnCount()) && nWidth > 0) {
        grid->SetColumnWidth(static_cast<int>(nCol), static_cast<int>(nWidth));
        grid->UpdateScrollBars();
    }
}

void TConfigCol::ApplyColumns() {
    if (m_pSrcColumns) {
        *m_pSrcColumns = MergeFromDialog(DialogColumns{m_AccountColumn, m_vecColumns, m_vecIgnored});
    }
}

void TConfigCol::OnOK() {
    ApplyColumns();
    SendMessageW(m_hParent, FBM_COLUMNSCHANGED, 0, 0);
    EndModal(1);
}
