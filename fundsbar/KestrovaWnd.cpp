#include "fundsbar/KestrovaWnd.h"

#include "columns/ConfigCol.h"
#include "fundsbar/FundsFields.h"
#include "base/DebugReport.h"
#include "base/FundsMessages.h"
#include "base/PluginState.h"
#include "base/TextCodec.h"
#include "base/Texts.h"
#include "base/UniqueHandle.h"
#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr COLORREF kBarBackground = RGB(40, 40, 40);
constexpr COLORREF kHotCell = RGB(0, 0, 0);
constexpr COLORREF kTitleText = RGB(0, 220, 220);
constexpr COLORREF kColouredValue = RGB(243, 203, 8);
constexpr COLORREF kPlainValue = RGB(235, 229, 190);
constexpr COLORREF kSeparator = RGB(84, 81, 46);
constexpr UINT kCellText = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr int kListHeight = 100;

// The "Account No." and "Currency" cells carry a drop mark and open a list.
bool IsDropColumn(int nColId) {
    return nColId == kAccountNoColumn || nColId == kCurrencyColumn;
}

// A value sits 20 pixels below its title, in a band of the same height.
RECT ValueRect(const RECT& rcCell) {
    return RECT{rcCell.left, rcCell.top + 20, rcCell.right, rcCell.bottom + 20};
}

// In the font and colour selected into the context.
void DrawCellText(HDC hDC, const std::wstring& text, RECT rc) {
    DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rc, kCellText);
}

} // namespace

TKestrovaWnd::TKestrovaWnd() {
    lstrcpynA(m_szName, kLayoutSection, sizeof(m_szName));
}

bool TKestrovaWnd::CreateBar() {
    DeleteWithWindow();
    Create(L"TKestrovaWnd", nullptr, WS_CLIPCHILDREN, 0);
    m_pAccountList = std::make_unique<TComboxList>();
    m_pAccountList->CreateList(m_hWnd, 0);
    m_pCurrencyList = std::make_unique<TComboxList>();
    m_pCurrencyList->CreateList(m_hWnd, 0);
    m_selection.EnsureAccount();
    LoadColumns();
    TFundsSelection::RefreshFundsList();
    m_selection.SelectFunds();
    return true;
}

void TKestrovaWnd::Close() {
    if (!m_hWnd) {
        OnDestroy();
        DeleteUnlessHandling();
        return;
    }
    if (GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(m_hWnd);
        return;
    }
    // Only its own thread may destroy a window: asked there, within a bound. The object may be
    // gone once that thread has closed it.
    const HWND hWnd = m_hWnd;
    const DWORD thread = GetWindowThreadProcessId(hWnd, nullptr);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hWnd, WM_CLOSE, 0, 0, SMTO_NORMAL, kForeignCloseMilliseconds, &result);
    if (IsWindow(hWnd)) {
        char subject[64] = {};
        std::snprintf(subject, sizeof(subject), "funds bar window %p of thread %lu", static_cast<void*>(hWnd),
                      static_cast<unsigned long>(thread));
        ReportToDebugger(subject, "its thread did not close it",
                         "it still routes its messages into the plug-in, which must not be unloaded");
    }
}

void TKestrovaWnd::OnDestroy() {
    // Its owner may be the host's frame rather than the bar: the dialog does not go with the
    // bar's window by itself, and must not write into a bar that has gone.
    if (m_pRunningDialog) {
        m_pRunningDialog->EndModal(0);
    }
    if (m_bMenuOpen) {
        EndMenu();
    }
    // Nor do the lists, when the bar is docked as a child of the host's frame: a popup's owner
    // is then the frame. Their objects go with the bar's.
    for (TComboxList* list : {m_pAccountList.get(), m_pCurrencyList.get()}) {
        if (list && list->m_hWnd) {
            DestroyWindow(list->m_hWnd);
        }
    }
    if (m_hWnd) {
        g_vecWndHandles.Remove(m_hWnd);
    }
    g_vecWnds.erase(std::remove(g_vecWnds.begin(), g_vecWnds.end(), this), g_vecWnds.end());
}

LRESULT TKestrovaWnd::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kConfigCommand) {
            OpenColumnDialog();
        }
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk();
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        m_bOwnRightPress = true;
        TrackLeave();
        return kNotHandled;
    case WM_RBUTTONUP:
        // Only the release of a press on the bar: one whose press closed a menu or a list
        // elsewhere opens nothing.
        if (std::exchange(m_bOwnRightPress, false)) {
            ShowContextMenu();
        }
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_CAPTURECHANGED:
        // A release after this is of a press that went elsewhere.
        m_bOwnRightPress = false;
        return 0;
    case TCM_SELCHANGED:
        OnListSelect(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
    case FBM_COLUMNSCHANGED:
        OnColumnsChanged();
        return 0;
    case FBM_FUNDSCHANGED:
        OnFundsChanged(reinterpret_cast<const FundsRecord*>(lParam));
        return 0;
    case FBM_ACCOUNTSCHANGED:
        OnAccountsChanged();
        return 0;
    case FBM_USERNOUPDATE:
        OnUserNoUpdate();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return kNotHandled;
    }
}

void TKestrovaWnd::LoadColumns() {
    const bool bStored = LoadColumnSettings(m_szName, m_vecSettings);
    LoadIgnoredColumns(m_szName, m_vecIgnored);
    if (!bStored) {
        m_vecSettings.clear();
        for (int id = 0; id < kFundsColumnCount; ++id) {
            ColumnSetting setting = {};
            setting.bShow = IsDefaultShown(id);
            setting.nColId = id;
            m_vecSettings.push_back(setting);
        }
    }
    for (ColumnSetting& setting : m_vecSettings) {
        if (std::find(m_vecIgnored.begin(), m_vecIgnored.end(), setting.nColId) != m_vecIgnored.end()) {
            setting.bIgnored = true;
            setting.bShow = false;
        }
    }
}

void TKestrovaWnd::FormatFundsValue(int nColId, wchar_t* dest) const {
    FormatFundsField(nColId, m_selection.Account(), m_selection.Funds(), dest);
}

void TKestrovaWnd::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) {
        SetBkMode(hDC, TRANSPARENT);
        FillSolid(hDC, rc, kBarBackground);
        if (m_bAccountHot || m_bCurrencyHot) {
            BrushHandle hot = MakeSolidBrush(kHotCell);
            if (m_bAccountHot) {
                FillRect(hDC, &m_rcAccount, hot.get());
            }
            if (m_bCurrencyHot) {
                FillRect(hDC, &m_rcCurrency, hot.get());
            }
        }
        DrawBar(hDC, rc);
    });
}

TKestrovaWnd::BarLayout TKestrovaWnd::LayOut(HDC hDC, const RECT& rcClient) {
    BarLayout layout;
    for (std::size_t i = 0; i < m_vecSettings.size(); ++i) {
        const ColumnSetting& setting = m_vecSettings[i];
        if (!setting.bShow) {
            continue;
        }
        wchar_t szValue[kTextChars] = {};
        FormatFundsValue(setting.nColId, szValue);
        layout.shown.push_back(i);
        layout.titles.emplace_back(GetColumnTitle(setting.nColId));
        layout.values.emplace_back(szValue);
    }
    // Texts are measured only when they change, and each font is selected once for all the
    // cells: the bar repaints on every mouse move over it.
    std::vector<int> titleWidths;
    std::vector<int> valueWidths;
    m_titleWidths.Measure(hDC, g_hTextFont.get(), layout.titles, titleWidths);
    m_valueWidths.Measure(hDC, g_hValueFont.get(), layout.values, valueWidths);

    const int y0 = rcClient.top;
    int x = rcClient.left;
    for (std::size_t k = 0; k < layout.shown.size(); ++k) {
        ColumnSetting& setting = m_vecSettings[layout.shown[k]];
        const int nTitleWidth =
            IsDropColumn(setting.nColId) ? titleWidths[k] + 10 + m_nArrowWidth : titleWidths[k];
        const int w = std::max(nTitleWidth, valueWidths[k]);
        setting.nWidth = std::max(setting.nWidth, w);
        layout.cells.push_back(RECT{x, y0, x + 20 + w, y0 + 30});
        x += 20 + w;
    }
    return layout;
}

void TKestrovaWnd::DrawBar(HDC hDC, const RECT& rcClient) {
    const HFONT hTextFont = g_hTextFont.get();
    const HFONT hValueFont = g_hValueFont.get();
    BarLayout layout = LayOut(hDC, rcClient);
    const std::vector<std::size_t>& shown = layout.shown;
    const std::vector<RECT>& cells = layout.cells;
    const int y0 = rcClient.top;

    SetBkMode(hDC, TRANSPARENT);
    {
        SelectScope font(hDC, hTextFont);
        SetTextColor(hDC, kTitleText);
        for (std::size_t k = 0; k < shown.size(); ++k) {
            DrawCellText(hDC, layout.titles[k], cells[k]);
        }
    }
    {
        SelectScope font(hDC, hValueFont);
        for (std::size_t k = 0; k < shown.size(); ++k) {
            SetTextColor(hDC, m_vecSettings[shown[k]].bColor ? kColouredValue : kPlainValue);
            DrawCellText(hDC, layout.values[k], ValueRect(cells[k]));
        }
    }
    PenHandle separator = MakeSolidPen(kSeparator);
    SelectScope pen(hDC, separator.get());
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const RECT& rcCell = cells[k];
        const int nColId = m_vecSettings[shown[k]].nColId;
        if (IsDropColumn(nColId)) {
            RECT& rcHit = nColId == kAccountNoColumn ? m_rcAccount : m_rcCurrency;
            rcHit = rcCell;
            DrawDropArrow(hDC, rcCell);
            rcHit.bottom = ValueRect(rcCell).bottom;
        }
        if (shown[k] != 0) {
            DrawLine(hDC, rcCell.left, y0 + 5, rcCell.left, y0 + 45);
        }
    }
    // Tools that follow the bar hear of each figure the paint changed.
    std::vector<int> ids;
    for (std::size_t i : shown) {
        ids.push_back(m_vecSettings[i].nColId);
    }
    m_drawnValues.Update(m_hWnd, std::move(ids), std::move(layout.values));
}

TKestrovaWnd::BarLayout TKestrovaWnd::LayOutClient() {
    WindowDC dc(m_hWnd);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    return LayOut(dc.get(), rc);
}

std::vector<LONG> TKestrovaWnd::AccChildren(LONG nParent) {
    const auto shown = std::count_if(m_vecSettings.begin(), m_vecSettings.end(),
                                     [](const ColumnSetting& setting) { return setting.bShow; });
    return NumberedElements(nParent == kWindowElement ? static_cast<std::size_t>(shown) : 0);
}

bool TKestrovaWnd::AccDescribe(LONG nId, AccElement& element) {
    if (nId == kWindowElement) {
        element.name = GetWindowTypeTitle();
        if (m_selection.Account()[0]) {
            wchar_t szAccount[kTextChars] = {};
            FormatFundsValue(kAccountNoColumn, szAccount);
            element.name += std::wstring(L" ") + szAccount;
        }
        element.nRole = ROLE_SYSTEM_GROUPING;
        return true;
    }
    const BarLayout layout = LayOutClient();
    const std::size_t k = static_cast<std::size_t>(nId) - 1;
    if (nId < 1 || k >= layout.shown.size()) {
        return false;
    }
    const int nColId = m_vecSettings[layout.shown[k]].nColId;
    element.name = layout.titles[k];
    element.value = layout.values[k];
    element.rcClient = layout.cells[k];
    element.rcClient.bottom = ValueRect(layout.cells[k]).bottom;
    if (!IsDropColumn(nColId)) {
        element.nRole = ROLE_SYSTEM_CELL;
        element.nState = STATE_SYSTEM_READONLY;
        return true;
    }
    const bool bAccount = nColId == kAccountNoColumn;
    const TComboxList* list = bAccount ? m_pAccountList.get() : m_pCurrencyList.get();
    const bool bOpen = list && list->IsDroppedDown();
    element.nRole = ROLE_SYSTEM_COMBOBOX;
    element.nState = STATE_SYSTEM_HASPOPUP | (bOpen ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED) |
                     ((bAccount ? m_bAccountHot : m_bCurrencyHot) ? STATE_SYSTEM_HOTTRACKED : 0);
    element.defaultAction = GetActionText(bOpen ? kCloseAction : kOpenAction);
    return true;
}

void TKestrovaWnd::AccDoDefaultAction(LONG nId) {
    const BarLayout layout = LayOutClient();
    const std::size_t k = static_cast<std::size_t>(nId) - 1;
    const int nColId = nId >= 1 && k < layout.shown.size() ? m_vecSettings[layout.shown[k]].nColId : -1;
    if (IsDropColumn(nColId)) {
        PressDropCell(nColId == kAccountNoColumn);
    }
}

void TKestrovaWnd::DrawDropArrow(HDC hDC, const RECT& rcCell) const {
    PenHandle pen = MakeSolidPen(kSeparator);
    SelectScope selected(hDC, pen.get());
    const int a = rcCell.right - m_nArrowWidth - 5;
    const int t = rcCell.top;
    DrawLine(hDC, a, t + 10, a + 5, t + 15);
    DrawLine(hDC, a + 5, t + 15, a + 11, t + 9);
}

void TKestrovaWnd::Invalidate() const {
    // A null window would invalidate every window there is: once the host has destroyed the
    // bar's, there is nothing to repaint.
    if (m_hWnd) {
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void TKestrovaWnd::TrackLeave() {
    if (!m_bTracking) {
        TrackMouseLeave();
        m_bTracking = true;
    }
}

void TKestrovaWnd::OnMouseMove() {
    const POINT pt = CursorPoint();
    TrackLeave();
    m_bAccountHot = PtInRect(&m_rcAccount, pt) != 0;
    m_bCurrencyHot = !m_bAccountHot && PtInRect(&m_rcCurrency, pt) != 0;
    Invalidate();
}

void TKestrovaWnd::OnMouseLeave() {
    // Released out there, a right press is over: the bar would never see its release.
    m_bOwnRightPress = false;
    m_bTracking = false;
    m_bAccountHot = false;
    m_bCurrencyHot = false;
    Invalidate();
}

void TKestrovaWnd::ShowContextMenu() {
    const MenuHandle menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, kConfigCommand, GetConfigLabel(kConfigColumnLabel));
    POINT pt = {};
    GetCursorPos(&pt);
    // The menu's loop runs inside this handler; a bar closed from it ends it.
    m_bMenuOpen = true;
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    m_bMenuOpen = false;
}

void TKestrovaWnd::OpenColumnDialog() {
    TConfigCol dialog(m_hWnd, GetConfigLabel(kConfigColumnLabel), g_pMainFrame);
    dialog.SetColumns(m_vecSettings);
    // OK and Cancel both end with the result set, so the list is saved after either, unchanged
    // after Cancel; Escape, the close commands, a quit and the bar's closing save nothing.
    m_pRunningDialog = &dialog;
    const bool bAccepted = dialog.DoModal();
    m_pRunningDialog = nullptr;
    if (bAccepted) {
        SaveColumnSettings(m_szName, m_vecSettings);
    }
    Invalidate();
}

void TKestrovaWnd::OnColumnsChanged() {
    const bool bCurrencyHidden =
        std::any_of(m_vecSettings.begin(), m_vecSettings.end(),
                    [](const ColumnSetting& s) { return !s.bShow && s.nColId == kCurrencyColumn; });
    if (bCurrencyHidden) {
        m_rcCurrency = RECT{};
    }
    Invalidate();
}

void TKestrovaWnd::OpenList(TComboxList& list, const RECT& rcCell, const std::vector<ComboItem>& rows) {
    list.SetItems(rows);
    // A double click on the bar opens its column dialog, even on the cell of an open list.
    list.DropDown(m_hWnd, rcCell, rcCell.right - rcCell.left, kListHeight, 0,
                  TComboxList::AnchorDoubleClick::PassedOn);
}

void TKestrovaWnd::CloseLists() {
    for (TComboxList* list : {m_pAccountList.get(), m_pCurrencyList.get()}) {
        if (list) {
            list->CloseUp();
        }
    }
}

void TKestrovaWnd::OnLButtonDown() {
    const POINT pt = CursorPoint();
    const bool bAccount = PtInRect(&m_rcAccount, pt) != 0;
    const bool bCurrency = !bAccount && PtInRect(&m_rcCurrency, pt) != 0;
    if (bAccount || bCurrency) {
        PressDropCell(bAccount);
    } else {
        CloseLists();
    }
}

void TKestrovaWnd::PressDropCell(bool bAccount) {
    TComboxList* list = bAccount ? m_pAccountList.get() : m_pCurrencyList.get();
    // The user's second click on a cell never gets here while its list shows; a click sent
    // to the bar does, and closes the list just the same.
    const bool bWasOpen = list && list->IsDroppedDown();
    CloseLists();
    if (!list || bWasOpen) {
        return;
    }
    std::vector<ComboItem> rows;
    if (bAccount) {
        TFundsSelection::BuildAccountItems(rows);
    } else {
        m_selection.BuildCurrencyItems(rows);
    }
    if (!rows.empty()) {
        OpenList(*list, bAccount ? m_rcAccount : m_rcCurrency, rows);
    }
}

void TKestrovaWnd::OnLButtonDblClk() {
    // A double click anywhere on the bar, a drop cell included, asks for the column dialog;
    // a list its first click opened goes first.
    CloseLists();
    OpenColumnDialog();
}

void TKestrovaWnd::OnListSelect(HWND hList, LPARAM nRow) {
    const bool bAccountList = m_pAccountList && hList == m_pAccountList->m_hWnd;
    const bool bCurrencyList = !bAccountList && m_pCurrencyList && hList == m_pCurrencyList->m_hWnd;
    if (!bAccountList && !bCurrencyList) {
        return;
    }
    const std::vector<ComboItem>& rows = (bAccountList ? m_pAccountList : m_pCurrencyList)->Items();
    // A row index from anywhere but the list's own click is ignored, not trusted.
    if (nRow < 0 || static_cast<std::size_t>(nRow) >= rows.size()) {
        return;
    }
    const std::string text = WideToCp936(rows[static_cast<std::size_t>(nRow)].name, kTextChars);
    const ShownFunds before = Shown();
    if (bAccountList) {
        m_selection.ChooseAccount(text.c_str());
    } else {
        m_selection.ChooseCurrency(text);
    }
    RepaintIfChanged(before);
}

void TKestrovaWnd::OnFundsChanged(const FundsRecord* record) {
    const ShownFunds before = Shown();
    m_selection.AddFundsRecord(record);
    // Notices come for every account to every bar, many a second: a bar repaints only for a
    // record of the account it shows, whose figures or currencies may have moved.
    if (m_selection.ShowsAccountOf(record)) {
        Invalidate();
    }
    RepaintIfChanged(before);
}

void TKestrovaWnd::OnAccountsChanged() {
    m_selection.ReloadAccounts();
    // The records were read again: the shown one's figures may differ even where it is the same.
    Invalidate();
}

void TKestrovaWnd::OnUserNoUpdate() {
    const std::string announced = g_strUserNo.Get();
    if (announced.empty()) {
        return;
    }
    const ShownFunds before = Shown();
    m_selection.SwitchAccount(announced.c_str());
    RepaintIfChanged(before);
}

TKestrovaWnd::ShownFunds TKestrovaWnd::Shown() const {
    return ShownFunds{m_selection.Account(), m_selection.Funds()};
}

void TKestrovaWnd::RepaintIfChanged(const ShownFunds& before) {
    if (before.account == m_selection.Account() && before.pFunds == m_selection.Funds()) {
        return;
    }
    // At once, not at the next idle moment: one account's number must never stand beside
    // another account's figures, not even until the queue empties.
    Invalidate();
    UpdateWindow(m_hWnd);
}
