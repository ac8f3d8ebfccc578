#include "grid/GridCtrl.h"

#include "base/Texts.h"
#include "toolkit/Combox.h"
#include "toolkit/ToolkitMessages.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace {

constexpr int kDefaultColumnWidth = 100;
constexpr int kWheelRows = 3;    // rows per wheel message, whatever its delta
constexpr int kHScrollLine = 5;  // pixels per horizontal arrow click
constexpr int kBorderReach = 2;  // a border is hot this close, exclusive: x-1, x and x+1
constexpr int kEditorWidth = 74; // the editor's width until it is first placed over a cell
constexpr COLORREF kResizeGuide = RGB(0, 0, 0);
constexpr int kFocusInset = 2; // the focus frame inside the current row's band
constexpr int kCellBits = 8;   // of an element number, for the column
constexpr LONG kColumnMask = (1 << kCellBits) - 1;

SCROLLINFO ReadScrollInfo(HWND hWnd, int bar) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(hWnd, bar, &si);
    return si;
}

void SetCursorShape(LPCWSTR id) {
    SetCursor(LoadCursorW(nullptr, id));
}

// Position of a point along a walk of stored sizes: the key of the first band with
// acc < v <= acc + size, -1 when none. Open at the start, closed at the end.
int BandAt(const std::map<int, int>& sizes, int v) {
    int acc = 0;
    for (const auto& [key, size] : sizes) {
        if (acc < v && v <= acc + size) {
            return key;
        }
        acc += size;
    }
    return -1;
}

// Sum of the first `count` stored sizes (fewer when the map ends first).
int SumOfFirst(const std::map<int, int>& sizes, int count) {
    int sum = 0;
    for (auto it = sizes.begin(); it != sizes.end() && count > 0; ++it, --count) {
        sum += it->second;
    }
    return sum;
}

} // namespace

TGridCtrl::TGridCtrl() = default;

TGridCtrl::~TGridCtrl() {
    // An owner may free the grid before its window has gone; the editor's window goes with it.
    DestroyOwnWindow();
}

bool TGridCtrl::Create(HWND hParent) {
    TIxFrm::Create(L"GridCtrl", hParent, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL,
                   0);
    return m_hWnd != nullptr;
}

LRESULT TGridCtrl::WndProc(UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETCURSOR:
        OnSetCursor();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        OnFocusChange(uMsg, m_bFocus);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(uMsg, wParam);
        return 0;
    case WM_SYSKEYDOWN:
        OnKeyDown(uMsg, wParam);
        // The default handling still sees every key with Alt, so that letting go of Alt
        // afterwards does not enter a menu.
        return kNotHandled;
    case WM_HSCROLL:
        OnHScroll(wParam);
        return 0;
    case WM_VSCROLL:
        OnVScroll(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(m_hWnd);
        m_bOwnPress = true;
        OnLButtonDown();
        return 0;
    case WM_LBUTTONUP:
        // The release of a press made elsewhere (on a list row over the grid, which hid on
        // that press) is no click of the grid's: nothing is selected, ticked, resized or dropped.
        if (std::exchange(m_bOwnPress, false)) {
            OnLButtonUp();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        // The second press of two quick ones: a press as the first was (it may start a resize
        // or a header drag), then what a double click means.
        SetFocus(m_hWnd);
        m_bOwnPress = true;
        OnLButtonDown();
        OnLButtonDblClk();
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        SetFocus(m_hWnd);
        OnRButtonDown();
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        return 0;
    case WM_PARENTNOTIFY:
        // A press on the in-place editor: the double click that opened it under the pointer
        // gave the editor its release, and what comes next is not that press's release.
        if (LOWORD(wParam) == WM_LBUTTONDOWN) {
            m_bOwnPress = false;
        }
        return 0;
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
        // The grid never sees the release of a press that left it: a release it sees later
        // belongs to a press made elsewhere (on a button, dragged over a check box).
        m_bOwnPress = false;
        return 0;
    case TCM_SELCHANGED:
        if (m_pEditor) {
            EndEdit();
        }
        return 0;
    default:
        return kNotHandled;
    }
}

void TGridCtrl::SetColumnCount(int nCols) {
    m_nCols = nCols;
}

int TGridCtrl::ColumnCount() const {
    return m_nCols;
}

void TGridCtrl::SetBackgroundColour(COLORREF crBkgnd) {
    m_crBkgnd = crBkgnd;
}

void TGridCtrl::SetColumnWidth(int col, int width) {
    m_colWidths[col] = width;
}

int TGridCtrl::ColumnWidth(int col) const {
    const auto it = m_colWidths.find(col);
    return it != m_colWidths.end() ? it->second : kDefaultColumnWidth;
}

TGridCellBase* TGridCtrl::GetCell(int row, int col) const {
    const auto rowIt = m_cells.find(row);
    if (rowIt == m_cells.end()) {
        return nullptr;
    }
    const auto cellIt = rowIt->second.find(col);
    return cellIt != rowIt->second.end() ? cellIt->second.get() : nullptr;
}

void TGridCtrl::SetCell(int row, int col, std::unique_ptr<TGridCellBase> cell) {
    m_cells[row][col] = std::move(cell);
}

void TGridCtrl::SetCellType(int row, int col, int kind) {
    std::unique_ptr<TGridCellBase> cell;
    switch (kind) {
    case kGridCellHeader:
        cell = std::make_unique<TGridHeader>();
        break;
    case kGridCellCheckbox:
        cell = std::make_unique<TGridCellCheckbox>();
        break;
    case kGridCellCombox: {
        auto combo = std::make_unique<TGridCellCombox>();
        combo->m_hGrid = m_hWnd;
        cell = std::move(combo);
        EnsureEditor();
        break;
    }
    default:
        return;
    }
    if (const TGridCellBase* old = GetCell(row, col)) {
        cell->CopyAttributes(*old);
    }
    SetCell(row, col, std::move(cell));
}

void TGridCtrl::SetItem(const GridItem* item) {
    if (TGridCellBase* cell = item ? GetCell(item->row, item->col) : nullptr) {
        cell->Apply(*item);
    }
}

void TGridCtrl::EnsureEditor() {
    if (m_pEditor) {
        return;
    }
    m_pEditor = std::make_unique<TCombox>();
    m_pEditor->Create(m_hWnd);
    const HWND hEditor = m_pEditor->m_hWnd;
    SetWindowPos(hEditor, nullptr, 0, 0, kEditorWidth, m_pEditor->m_nHeight, SWP_NOZORDER | SWP_NOMOVE);
    InvalidateRect(hEditor, nullptr, TRUE);
    // Shown only while a combo cell is edited.
    ShowWindow(hEditor, SW_HIDE);
}

void TGridCtrl::SetEditorItems(const std::vector<std::wstring>& items) {
    if (!m_pEditor) {
        return;
    }
    m_pEditor->SetItems(ChoiceRows(items));
    m_pEditor->EnsureList();
}

void TGridCtrl::SetRowCount(int nRows) {
    if (m_nRows == nRows) {
        return;
    }
    if (nRows <= m_nCurRow) {
        m_nCurRow = -1;
        m_selRows.clear();
    }
    m_nRows = nRows;
    UpdateScrollBars();
}

void TGridCtrl::SelectRow(int logicalRow) {
    m_selRows.clear();
    m_nCurRow = logicalRow;
    m_selRows.push_back(logicalRow);
}

void TGridCtrl::BringRowIntoView(int logicalRow) {
    // Without a scrolling view every row shows already; a page of the header alone shows none.
    if (m_bVScroll && m_nPageRows >= 2) {
        ScrollToShow(logicalRow);
    }
}

bool TGridCtrl::ScrollToShow(int logicalRow) {
    // Screen rows 1 .. page - 1 show logical rows P + 1 .. P + page - 1.
    const int pos = VScrollPos();
    if (logicalRow <= pos) {
        SetScrollPos(m_hWnd, SB_VERT, logicalRow - 1, TRUE);
    } else if (logicalRow >= pos + m_nPageRows) {
        SetScrollPos(m_hWnd, SB_VERT, logicalRow - m_nPageRows + 1, TRUE);
    } else {
        return false;
    }
    return true;
}

void TGridCtrl::CancelEdit() {
    if (m_pEditor && m_pEditor->m_hWnd) {
        ShowWindow(m_pEditor->m_hWnd, SW_HIDE);
    }
}

int TGridCtrl::ViewPosition() const {
    const SCROLLINFO si = ReadScrollInfo(m_hWnd, SB_VERT);
    return m_bVScroll && si.nPos >= 0 && si.nPos <= si.nMax ? si.nPos : 0;
}

int TGridCtrl::RowCount() const {
    return m_nRows;
}

int TGridCtrl::CurrentRow() const {
    return m_nCurRow;
}

const std::vector<int>& TGridCtrl::SelectedRows() const {
    return m_selRows;
}

void TGridCtrl::EnsureCells() {
    // Rows already present are the owner's and stay as they are.
    for (int row = 0; row < m_nPageRows; ++row) {
        if (m_cells.count(row)) {
            continue;
        }
        for (int col = 0; col < m_nCols; ++col) {
            SetCell(row, col, std::make_unique<TGridCellBase>());
        }
    }
}

void TGridCtrl::OnSize() {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    m_nPageRows = (rc.bottom - rc.top) / kRowHeight;
    EnsureCells();
    UpdateScrollBars();
}

int TGridCtrl::GetTotalWidth() const {
    int total = 0;
    for (const auto& entry : m_colWidths) {
        total += entry.second;
    }
    return total;
}

int TGridCtrl::RowFromY(const POINT& pt) const {
    const int row = pt.y > 0 ? (pt.y - 1) / kRowHeight : -1;
    return row < RowsOnView() ? row : -1;
}

int TGridCtrl::RowsOnView() const {
    return std::min(m_nPageRows, m_nRows);
}

int TGridCtrl::ColumnFromX(const POINT& pt) const {
    return BandAt(m_colWidths, pt.x);
}

bool TGridCtrl::GetCellOrigin(int screenRow, int col, POINT* out) const {
    if (m_colWidths.empty()) {
        return false;
    }
    out->x = SumOfFirst(m_colWidths, col);
    out->y = screenRow * kRowHeight;
    return true;
}

int TGridCtrl::VScrollPos() const {
    return GetScrollPos(m_hWnd, SB_VERT);
}

int TGridCtrl::ScreenRowOf(int logicalRow) const {
    return logicalRow == 0 ? 0 : logicalRow - VScrollPos();
}

GridCellId TGridCtrl::HitTest(const POINT& pt) const {
    GridCellId hit = {RowFromY(pt), -1};
    // The header and a miss stay as they are.
    if (hit.row != 0 && hit.row != -1) {
        hit.row += VScrollPos();
    }
    hit.col = ColumnFromX(POINT{pt.x + GetScrollPos(m_hWnd, SB_HORZ), pt.y});
    return hit;
}

RECT TGridCtrl::GetCellRect(const GridCellId& id) const {
    const int screenRow = ScreenRowOf(id.row);
    RECT rc = {};
    POINT topLeft = {}, bottomRight = {};
    if (GetCellOrigin(screenRow, id.col, &topLeft) &&
        GetCellOrigin(screenRow + 1, id.col + 1, &bottomRight)) {
        const int hPos = GetScrollPos(m_hWnd, SB_HORZ);
        rc = RECT{topLeft.x - hPos, topLeft.y, bottomRight.x - hPos, bottomRight.y};
    }
    return rc;
}

bool TGridCtrl::HitColumnBorder(const POINT& pt, int* col) const {
    const int x = pt.x + GetScrollPos(m_hWnd, SB_HORZ);
    *col = -1;
    int acc = 0;
    for (int c = 0; c < m_nCols; ++c) {
        acc += ColumnWidth(c);
        if (acc - kBorderReach < x && x < acc + kBorderReach) {
            *col = c;
            return true;
        }
    }
    return false;
}

void TGridCtrl::EraseColumnWidth(int col) {
    m_colWidths.erase(col);
}

TGridCellBase* TGridCtrl::CellAt(const GridCellId& hit) const {
    return GetCell(ScreenRowOf(hit.row), hit.col);
}

void TGridCtrl::DrawBackground(HDC hDC, const RECT& rc) {
    FillSolid(hDC, rc, m_crBkgnd);
}

void TGridCtrl::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) {
        DrawBackground(hDC, rc);
        {
            TCellPaint paint(hDC, rc, m_crBkgnd);
            PaintRows(hDC, rc, paint);
        }
        if (m_bFocus) {
            DrawFocus(hDC, rc);
        }
        if (m_nMouseMode == kGridResizing) {
            const POINT pt = CursorPoint();
            PenHandle pen = MakeSolidPen(kResizeGuide);
            SelectScope penScope(hDC, pen.get());
            DrawLine(hDC, pt.x, rc.top, pt.x, rc.bottom);
        }
    });
}

void TGridCtrl::DrawFocus(HDC hDC, const RECT& rcClient) {
    // Around the current row where it shows, else around the whole grid.
    RECT rc = rcClient;
    const int screenRow = m_nCurRow - VScrollPos();
    POINT topLeft = {}, bottomRight = {};
    if (HasCurrentDataRow() && screenRow >= 1 && screenRow < m_nPageRows &&
        GetCellOrigin(screenRow, 0, &topLeft) && GetCellOrigin(screenRow + 1, m_nCols, &bottomRight)) {
        // Rows start one pixel right of and below their origin.
        rc = RECT{topLeft.x + 1, topLeft.y + 1, bottomRight.x + 1, bottomRight.y + 1};
        OffsetRect(&rc, -GetScrollPos(m_hWnd, SB_HORZ), 0);
    }
    InflateRect(&rc, -kFocusInset, -kFocusInset);
    DrawFocusRect(hDC, &rc);
}

void TGridCtrl::PaintRows(HDC hDC, RECT rc, TCellPaint& paint) {
    // Rows start one pixel right of and below the origin that hit testing uses.
    InflateRect(&rc, -1, -1);
    const int rows = RowsOnView();
    if (m_bHScroll) {
        const SCROLLINFO si = ReadScrollInfo(m_hWnd, SB_HORZ);
        const int hPos = si.nPos >= 0 && si.nPos <= si.nMax ? si.nPos : 0;
        OffsetRect(&rc, -hPos, 0);
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int first = VScrollPos();
    for (int row = 0, y = rc.top; row < rows; ++row, y += kRowHeight) {
        PaintRow(hDC, RECT{rc.left, y, rc.right, y + kRowHeight}, row, first, client.right, paint);
    }
}

void TGridCtrl::PaintRow(HDC hDC, const RECT& rcRow, int screenRow, int nFirst, int nClientRight,
                         TCellPaint& paint) {
    const int logicalRow = nFirst + screenRow;
    const bool selected =
        screenRow != 0 && std::find(m_selRows.begin(), m_selRows.end(), logicalRow) != m_selRows.end();
    int x = rcRow.left;
    for (int col = 0; col < m_nCols; ++col) {
        const int width = ColumnWidth(col);
        TGridCellBase* cell = GetCell(screenRow, col);
        if (!cell) {
            return;
        }
        const bool leftOfView = x < 0 && x + width < 0;
        const bool rightOfView = x > nClientRight && x + width > nClientRight;
        if (!leftOfView && !rightOfView) {
            cell->SetSelected(selected);
            cell->Paint(hDC, RECT{x, rcRow.top, x + width, rcRow.bottom}, paint);
        }
        x += width;
    }
}

void TGridCtrl::UpdateScrollBars() {
    const int run = ++m_nScrollUpdates;
    const int hPos = GetScrollPos(m_hWnd, SB_HORZ);
    const int vPos = GetScrollPos(m_hWnd, SB_VERT);

    m_bVScroll = m_nPageRows < m_nRows;
    if (m_bVScroll) {
        EnableScrollBar(m_hWnd, SB_VERT, ESB_ENABLE_BOTH);
    }
    ShowScrollBar(m_hWnd, SB_VERT, m_bVScroll);
    if (run != m_nScrollUpdates) {
        return;
    }

    const int vScrollWidth = m_bVScroll ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    RECT rcWindow = {};
    GetWindowRect(m_hWnd, &rcWindow);
    const int width = rcWindow.right - rcWindow.left - vScrollWidth;
    const int total = GetTotalWidth();
    m_bHScroll = width < total;
    if (m_bHScroll) {
        EnableScrollBar(m_hWnd, SB_HORZ, ESB_ENABLE_BOTH);
    }
    ShowScrollBar(m_hWnd, SB_HORZ, m_bHScroll);
    if (run != m_nScrollUpdates) {
        return;
    }

    SetScrollBar(SB_HORZ, total + vScrollWidth, width, hPos);
    SetScrollBar(SB_VERT, m_nRows - 1, m_nPageRows, vPos);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void TGridCtrl::SetScrollBar(int bar, int nMax, int nPage, int nPos) {
    // Redrawing a bar is dear and an owner updates the bars once per row it fills: a bar that
    // already holds what the system would store (an empty range as 0..0, the page cut to the
    // range, the position clamped into it) is left alone, which changes nothing it shows.
    const int storedMax = std::max(nMax, 0);
    const int storedPage = std::clamp(nPage, 0, storedMax + 1);
    const int storedPos = std::min(std::max(nPos, 0), storedMax - std::max(storedPage - 1, 0));
    const SCROLLINFO current = ReadScrollInfo(m_hWnd, bar);
    if (current.nMin == 0 && current.nMax == storedMax && current.nPage == static_cast<UINT>(storedPage) &&
        current.nPos == storedPos) {
        return;
    }
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    si.nMax = nMax;
    si.nPage = static_cast<UINT>(std::max(nPage, 0));
    si.nPos = nPos;
    SetScrollInfo(m_hWnd, bar, &si, TRUE);
}

void TGridCtrl::OnVScroll(WPARAM wParam) {
    const int old = VScrollPos();
    int pos = old;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        pos = old - 1;
        break;
    case SB_LINEDOWN:
        pos = old + 1;
        break;
    case SB_PAGEUP:
        pos = old - m_nPageRows;
        break;
    case SB_PAGEDOWN:
        pos = old + m_nPageRows;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        pos = ReadScrollInfo(m_hWnd, SB_VERT).nTrackPos;
        break;
    default:
        return;
    }
    SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
    if (VScrollPos() != old) {
        NotifyVisibleRange();
    }
}

void TGridCtrl::OnHScroll(WPARAM wParam) {
    const SCROLLINFO si = ReadScrollInfo(m_hWnd, SB_HORZ);
    const int page = static_cast<int>(si.nPage);
    int pos = si.nPos;
    bool moves = true;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT:
        pos = std::max(si.nMin, si.nPos - kHScrollLine);
        break;
    case SB_LINERIGHT:
        pos = std::min(si.nPos + kHScrollLine, si.nMax);
        break;
    case SB_PAGELEFT:
        pos = std::max(si.nMin, si.nPos - page);
        break;
    case SB_PAGERIGHT:
        pos = std::min(si.nPos + page, si.nMax);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        pos = si.nTrackPos;
        break;
    default:
        moves = false;
        break;
    }
    if (moves) {
        SetScrollPos(m_hWnd, SB_HORZ, pos, TRUE);
    }
    PositionEditor(m_editCell, m_pEditor.get());
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TGridCtrl::OnMouseWheel(WPARAM wParam) {
    if (!m_bVScroll) {
        return;
    }
    const SCROLLINFO si = ReadScrollInfo(m_hWnd, SB_VERT);
    const int pos = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? std::min(si.nPos + kWheelRows, si.nMax)
                                                       : std::max(si.nPos - kWheelRows, si.nMin);
    SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
    // Announced even at either end of the range, where nothing moved.
    NotifyVisibleRange();
}

void TGridCtrl::NotifyVisibleRange() {
    PositionEditor(m_editCell, m_pEditor.get());
    const SCROLLINFO si = ReadScrollInfo(m_hWnd, SB_VERT);
    GridViewRange range = {m_hWnd, std::max(si.nPos, si.nMin),
                           std::min(si.nPos + static_cast<int>(si.nPage), si.nMax)};
    SendMessageW(GetParent(m_hWnd), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&range));
}

void TGridCtrl::PositionEditor(const GridCellId& cell, TCombox* editor) {
    if (!editor) {
        return;
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const RECT rc = GetCellRect(cell);
    if (rc.top > client.top && rc.bottom < client.bottom) {
        MoveWindow(editor->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    } else {
        MoveWindow(editor->m_hWnd, 0, 0, 0, 0, TRUE);
    }
}

void TGridCtrl::OnSetCursor() {
    switch (m_nMouseMode) {
    case kGridResizing:
    case kGridOverBorder:
        SetCursorShape(IDC_SIZEWE);
        break;
    case kGridIdle:
        SetCursorShape(IDC_ARROW);
        break;
    default:
        // A header drag keeps the hand it was given when it began.
        break;
    }
}

void TGridCtrl::OnMouseMove() {
    TrackMouseLeave();
    const POINT pt = CursorPoint();
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    m_hoverCell = {-1, -1};
    if (PtInRect(&client, pt)) {
        m_hoverCell = HitTest(pt);
        const bool onBorder = m_hoverCell.row == 0 && m_hoverCell.col >= 0 &&
                              m_hoverCell.col < static_cast<int>(m_colWidths.size()) &&
                              HitColumnBorder(pt, &m_hoverCell.col);
        if (onBorder) {
            if (m_nMouseMode == kGridIdle) {
                m_nMouseMode = kGridOverBorder;
                SetCursorShape(IDC_SIZEWE);
            }
        } else if (m_nMouseMode == kGridOverBorder) {
            m_nMouseMode = kGridIdle;
            SetCursorShape(IDC_ARROW);
        } else if (m_nMouseMode == kGridIdle && m_bPressed && m_pressedCell.row == 0) {
            m_nMouseMode = kGridHeaderDrag;
            SetCursorShape(IDC_HAND);
        }
    }
    // The resize guide follows the pointer.
    InvalidateRect(m_hWnd, &client, FALSE);
}

void TGridCtrl::OnLButtonDown() {
    // A pending edit is dropped, not committed.
    CancelEdit();
    if (m_nMouseMode == kGridOverBorder) {
        m_nMouseMode = kGridResizing;
        SetCursorShape(IDC_SIZEWE);
        m_resizeCell = m_hoverCell;
    } else if (m_nMouseMode == kGridIdle) {
        m_pressedCell = HitTest(CursorPoint());
        m_bPressed = true;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TGridCtrl::OnLButtonUp() {
    const POINT pt = CursorPoint();
    const HWND hParent = GetParent(m_hWnd);
    switch (m_nMouseMode) {
    case kGridIdle: {
        GridCellId hit = HitTest(pt);
        if (auto* checkbox = dynamic_cast<TGridCellCheckbox*>(CellAt(hit))) {
            if (checkbox->OnClick(pt, GetCellRect(hit))) {
                ReportCheck(hit, checkbox->m_bChecked);
                break;
            }
        }
        m_selRows.clear();
        if (hit.row != 0) {
            SelectRow(hit.row);
        }
        GridClickInfo info = {0, hit.row, hit.col};
        SendMessageW(hParent, TCM_CELLCLICK, 0, reinterpret_cast<LPARAM>(&info));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    }
    case kGridResizing: {
        const int x = pt.x + std::max(GetScrollPos(m_hWnd, SB_HORZ), 0);
        const int col = m_resizeCell.col;
        POINT origin = {};
        GetCellOrigin(m_resizeCell.row, col, &origin);
        if (x != origin.x && !(x == 0 && pt.y == 0)) {
            const int width = std::max(x - static_cast<int>(origin.x), 1);
            EraseColumnWidth(col);
            SetColumnWidth(col, width);
            UpdateScrollBars();
            PostMessageW(hParent, TCM_COLRESIZED, static_cast<WPARAM>(col), width);
        }
        SetCursorShape(IDC_ARROW);
        InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    }
    case kGridHeaderDrag: {
        const GridCellId hit = HitTest(pt);
        SetCursorShape(IDC_ARROW);
        if (m_pressedCell.row == 0 && hit.row == 0) {
            PostMessageW(hParent, TCM_HEADERDROP, static_cast<WPARAM>(m_pressedCell.col), hit.col);
        }
        break;
    }
    default:
        break;
    }
    m_bPressed = false;
    m_nMouseMode = kGridIdle;
}

void TGridCtrl::ReportCheck(GridCellId cell, bool bChecked) {
    SendMessageW(GetParent(m_hWnd), TCM_CELLCHECK, reinterpret_cast<WPARAM>(&cell), bChecked ? 1 : 0);
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWnd, RowElement(cell.row), cell.col + 1);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TGridCtrl::OnRButtonDown() {
    const GridCellId hit = HitTest(CursorPoint());
    GridClickInfo info = {1, hit.row, hit.col};
    if (std::find(m_selRows.begin(), m_selRows.end(), hit.row) == m_selRows.end()) {
        SelectRow(hit.row);
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    SendMessageW(GetParent(m_hWnd), TCM_CELLCLICK, 0, reinterpret_cast<LPARAM>(&info));
}

void TGridCtrl::OnLButtonDblClk() {
    const GridCellId hit = HitTest(CursorPoint());
    TGridCellBase* cell = CellAt(hit);
    if (!cell) {
        return;
    }
    if (auto* combo = dynamic_cast<TGridCellCombox*>(cell)) {
        LendEditor(*combo, hit);
    } else {
        m_nCurRow = hit.row;
        InvalidateRect(m_hWnd, nullptr, TRUE);
        GridClickInfo info = {2, hit.row, hit.col};
        SendMessageW(GetParent(m_hWnd), TCM_CELLCLICK, 0, reinterpret_cast<LPARAM>(&info));
    }
    cell->BeginEdit(GetCellRect(hit));
}

void TGridCtrl::LendEditor(TGridCellCombox& cell, const GridCellId& id) {
    cell.m_pCombox = m_pEditor.get();
    m_editCell = id;
}

bool TGridCtrl::HasCurrentDataRow() const {
    return m_nCurRow > 0 && m_nCurRow < m_nRows;
}

template <typename Cell> Cell* TGridCtrl::CurrentRowCell(GridCellId* id) {
    if (!HasCurrentDataRow()) {
        return nullptr;
    }
    if (ScrollToShow(m_nCurRow)) {
        NotifyVisibleRange();
    }
    // A page too small for a data row shows none.
    const int screenRow = ScreenRowOf(m_nCurRow);
    if (screenRow < 1 || screenRow >= m_nPageRows) {
        return nullptr;
    }
    for (int col = 0; col < m_nCols; ++col) {
        if (auto* cell = dynamic_cast<Cell*>(GetCell(screenRow, col))) {
            *id = GridCellId{m_nCurRow, col};
            return cell;
        }
    }
    return nullptr;
}

void TGridCtrl::ToggleCurrentRow() {
    GridCellId id = {};
    if (auto* checkbox = CurrentRowCell<TGridCellCheckbox>(&id)) {
        checkbox->m_bChecked = !checkbox->m_bChecked;
        ReportCheck(id, checkbox->m_bChecked);
    }
}

void TGridCtrl::ToggleEditorList() {
    if (m_pEditor && m_pEditor->m_pList && m_pEditor->m_pList->IsDroppedDown()) {
        m_pEditor->m_pList->CloseUp();
        return;
    }
    GridCellId id = {};
    auto* combo = CurrentRowCell<TGridCellCombox>(&id);
    if (!combo || !m_pEditor) {
        return;
    }
    LendEditor(*combo, id);
    combo->BeginEdit(GetCellRect(id));
    m_pEditor->ToggleList(true);
}

void TGridCtrl::OnKeyDown(UINT uMsg, WPARAM wParam) {
    if (TCombox::IsDropDownKey(uMsg, wParam)) {
        ToggleEditorList();
        return;
    }
    if (uMsg != WM_KEYDOWN) {
        return;
    }
    switch (wParam) {
    case VK_UP:
    case VK_DOWN:
        MoveCurrentRow(wParam == VK_UP ? -1 : 1);
        break;
    case VK_SPACE:
        ToggleCurrentRow();
        break;
    default:
        break;
    }
}

void TGridCtrl::MoveCurrentRow(int nStep) {
    m_selRows.clear();
    if (m_nCurRow < 0 || m_nCurRow >= m_nRows) {
        m_nCurRow = 0;
    }
    m_nCurRow += nStep;
    // The header cannot be reached with the keys.
    if (m_nCurRow <= 0) {
        m_nCurRow = 1;
    } else if (m_nCurRow >= m_nRows) {
        m_nCurRow = m_nRows - 1;
    }
    m_selRows.push_back(m_nCurRow);
    if (ScrollToShow(m_nCurRow)) {
        NotifyVisibleRange();
    } else {
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void TGridCtrl::EndEdit() {
    ShowWindow(m_pEditor->m_hWnd, SW_HIDE);
    GridItem item = {};
    item.row = ScreenRowOf(m_editCell.row);
    item.col = m_editCell.col;
    item.mask = GIF_TEXT;
    lstrcpynW(item.text, m_pEditor->GetText(), static_cast<int>(std::size(item.text)));
    // A data row scrolled out of view must not write its text into the header's screen row.
    if (item.row > 0 || m_editCell.row == 0) {
        SetItem(&item);
    }
    SendMessageW(GetParent(m_hWnd), TCM_EDITDONE, reinterpret_cast<WPARAM>(&m_editCell),
                 reinterpret_cast<LPARAM>(item.text));
    UpdateWindow(m_hWnd);
}

LONG TGridCtrl::RowElement(int logicalRow) {
    return static_cast<LONG>(logicalRow + 1) << kCellBits;
}

int TGridCtrl::RowOnView(LONG nId) const {
    const int row = static_cast<int>(nId >> kCellBits) - 1;
    const int screenRow = row > 0 ? ScreenRowOf(row) : row;
    const bool bOnView = row >= 0 && row < m_nRows && (row == 0 || screenRow > 0) &&
                         screenRow < std::min(m_nPageRows, m_nRows) && GetCell(screenRow, 0);
    return bOnView ? row : -1;
}

std::vector<LONG> TGridCtrl::AccChildren(LONG nParent) {
    std::vector<LONG> ids;
    if (nParent == kWindowElement) {
        for (int screenRow = 0, first = VScrollPos(); screenRow < std::min(m_nPageRows, m_nRows);
             ++screenRow) {
            const LONG nRow = RowElement(screenRow == 0 ? 0 : first + screenRow);
            if (RowOnView(nRow) >= 0) {
                ids.push_back(nRow);
            }
        }
    } else if (nParent > 0 && (nParent & kColumnMask) == 0 && RowOnView(nParent) >= 0) {
        for (int col = 0; col < m_nCols && col < kColumnMask; ++col) {
            ids.push_back(nParent | (col + 1));
        }
    }
    return ids;
}

bool TGridCtrl::AccDescribe(LONG nId, AccElement& element) {
    if (nId == kWindowElement) {
        element.nRole = ROLE_SYSTEM_TABLE;
        element.nState = STATE_SYSTEM_FOCUSABLE;
        return true;
    }
    const int row = nId > 0 ? RowOnView(nId) : -1;
    const int col = static_cast<int>(nId & kColumnMask) - 1;
    if (row < 0 || col >= m_nCols) {
        return false;
    }
    if (col < 0) {
        const bool bSelected =
            row > 0 && std::find(m_selRows.begin(), m_selRows.end(), row) != m_selRows.end();
        element.nRole = ROLE_SYSTEM_ROW;
        element.nState = row > 0 ? STATE_SYSTEM_SELECTABLE | (bSelected ? STATE_SYSTEM_SELECTED : 0) : 0;
        const RECT rcFirst = GetCellRect(GridCellId{row, 0});
        const RECT rcLast = GetCellRect(GridCellId{row, m_nCols - 1});
        element.rcClient = RECT{rcFirst.left, rcFirst.top, rcLast.right, rcLast.bottom};
        return true;
    }
    const TGridCellBase* cell = CellAt(GridCellId{row, col});
    if (!cell) {
        return false;
    }
    element.rcClient = GetCellRect(GridCellId{row, col});
    if (row == 0) {
        element.name = cell->m_szText;
        element.nRole = ROLE_SYSTEM_COLUMNHEADER;
        return true;
    }
    if (const TGridCellBase* header = GetCell(0, col)) {
        element.name = header->m_szText;
    }
    if (const auto* box = dynamic_cast<const TGridCellCheckbox*>(cell)) {
        element.nRole = ROLE_SYSTEM_CHECKBUTTON;
        element.nState = box->m_bChecked ? STATE_SYSTEM_CHECKED : 0;
        element.defaultAction = GetActionText(box->m_bChecked ? kUncheckAction : kCheckAction);
    } else {
        element.nRole = ROLE_SYSTEM_CELL;
        element.value = cell->m_szText;
    }
    return true;
}

void TGridCtrl::AccDoDefaultAction(LONG nId) {
    const GridCellId cell = {RowOnView(nId), static_cast<int>(nId & kColumnMask) - 1};
    if (auto* box = dynamic_cast<TGridCellCheckbox*>(CellAt(cell))) {
        // As a press on the box: a pending edit is dropped.
        CancelEdit();
        box->m_bChecked = !box->m_bChecked;
        ReportCheck(cell, box->m_bChecked);
    }
}
