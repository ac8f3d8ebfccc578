#include "toolkit/ComboxList.h"

#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"
#include "base/Texts.h"
#include "base/UniqueHandle.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <utility>

#include <windowsx.h>

namespace {

constexpr int kWheelRows = 2; // rows per wheel message, whatever its delta
constexpr int kScrollBarRoom = 20;
constexpr std::size_t kScrollRows = 11; // from this many rows the width leaves room for the scroll bar

template <std::size_t N> std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, wcsnlen(field, N));
}

// Left-aligned in a column of at least width characters, as "%-Ns" would write it.
std::wstring PadRight(std::wstring text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), L' ');
    }
    return text;
}

// What a row shows: a ten-character name column, then a twenty-character description.
std::wstring RowText(const ComboItem& item) {
    return PadRight(FieldText(item.name), 10) + PadRight(FieldText(item.desc), 20);
}

// What a row needs for its width: the name as it is, then the description padded to 15.
std::wstring MeasuredText(const ComboItem& item) {
    std::wstring text = FieldText(item.name);
    if (item.desc[0] != L'\0') {
        text += PadRight(FieldText(item.desc), 15);
    }
    return text;
}

// The list that shows, and the hooks that watch the thread's messages for it meanwhile: at
// most one drop-down list is open at a time.
TComboxList* g_pOpenList = nullptr;
HookHandle g_queuedHook;
HookHandle g_sentHook;

bool IsButtonDown(UINT uMsg) {
    switch (uMsg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

// A press that chose a row (or just closed the list) hides the list at once, so its release
// lands on whatever lay under the row: a grid row, a button of the host's. That release is
// held back, up to the next press.
HookHandle g_releaseHook;

void StopHoldingBackRelease() {
    g_releaseHook.reset();
}

LRESULT CALLBACK HoldBackRelease(int nCode, WPARAM wParam, LPARAM lParam) {
    const HHOOK hHook = g_releaseHook.get();
    if (nCode == HC_ACTION && (wParam & PM_REMOVE)) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_LBUTTONUP || msg->message == WM_NCLBUTTONUP) {
            msg->message = WM_NULL;
            StopHoldingBackRelease();
        } else if (IsButtonDown(msg->message)) {
            StopHoldingBackRelease();
        }
    }
    return CallNextHookEx(hHook, nCode, wParam, lParam);
}

void StartHoldingBackRelease() {
    if (!g_releaseHook) {
        g_releaseHook.reset(
            SetWindowsHookExW(WH_GETMESSAGE, &HoldBackRelease, nullptr, GetCurrentThreadId()));
    }
}

} // namespace

void ReleaseListHooks() {
    if (g_pOpenList) {
        g_pOpenList->CloseUp();
    }
    StopHoldingBackRelease();
}

LRESULT CALLBACK TComboxList::WatchQueuedMessages(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && (wParam & PM_REMOVE) && g_pOpenList) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (g_pOpenList->TakesKey(*msg) || g_pOpenList->ClosesOn(*msg, Delivery::Queued)) {
            msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(g_queuedHook.get(), nCode, wParam, lParam);
}

LRESULT CALLBACK TComboxList::WatchSentMessages(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION && g_pOpenList) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        const MSG msg = {sent->hwnd, sent->message, sent->wParam, sent->lParam, 0, {}};
        g_pOpenList->ClosesOn(msg, Delivery::Sent);
    }
    return CallNextHookEx(g_sentHook.get(), nCode, wParam, lParam);
}

void TComboxList::StartWatching() {
    if (g_pOpenList == this) {
        return;
    }
    if (g_pOpenList) {
        g_pOpenList->CloseUp();
    }
    g_pOpenList = this;
    const DWORD dwThread = GetCurrentThreadId();
    g_queuedHook.reset(SetWindowsHookExW(WH_GETMESSAGE, &WatchQueuedMessages, nullptr, dwThread));
    g_sentHook.reset(SetWindowsHookExW(WH_CALLWNDPROC, &WatchSentMessages, nullptr, dwThread));
}

void TComboxList::StopWatching() {
    m_hAnchor = nullptr;
    if (g_pOpenList != this) {
        return;
    }
    g_pOpenList = nullptr;
    g_queuedHook.reset();
    g_sentHook.reset();
}

std::vector<ComboItem> ChoiceRows(const std::vector<std::wstring>& names) {
    std::vector<ComboItem> rows;
    for (std::size_t i = 0; i < names.size(); ++i) {
        ComboItem row = {};
        lstrcpynW(row.name, names[i].c_str(), static_cast<int>(std::size(row.name)));
        row.tag = L'F';
        row.data = static_cast<int>(i);
        row.checked = true;
        rows.push_back(row);
    }
    return rows;
}

TComboxList::TComboxList() : m_hFont(g_hTextFont.get()) {}

TComboxList::~TComboxList() {
    StopWatching();
    StopHoldingBackRelease();
    DestroyOwnWindow();
}

bool TComboxList::CreateList(HWND hOwner, int nMode) {
    m_hParent = hOwner;
    m_nMode = nMode;
    TIxFrm::Create(L"TComboxList", hOwner, WS_POPUP | WS_CLIPCHILDREN | WS_VSCROLL,
                   WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    return true;
}

void TComboxList::SetItems(const std::vector<ComboItem>& items) {
    m_vecItems = items;
    m_nHot = -1;
    if (m_hWnd) {
        UpdateScrollBar();
    }
}

int TComboxList::RowHeight() const {
    if (!m_hWnd) {
        return 0;
    }
    LOGFONTW lf = {};
    GetObjectW(m_hFont, sizeof(lf), &lf);
    return lf.lfHeight + m_nRowExtra;
}

long long TComboxList::RowsHeight() const {
    return static_cast<long long>(m_vecItems.size()) * RowHeight();
}

int TComboxList::MeasureWidth() const {
    WindowDC dc(m_hWnd);
    SelectScope fontScope(dc.get(), m_hFont);
    int nWidth = 0;
    for (const ComboItem& item : m_vecItems) {
        const std::wstring text = MeasuredText(item);
        SIZE extent = {};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        nWidth = std::max(nWidth, static_cast<int>(extent.cx) + 2 * m_nMargin);
    }
    if (m_vecItems.size() >= kScrollRows) {
        nWidth += kScrollBarRoom;
    }
    return nWidth;
}

int TComboxList::FirstVisibleRow() const {
    if (!m_bHasScroll) {
        return 0;
    }
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(m_hWnd, SB_VERT, &si);
    return std::max(si.nPos, 0);
}

int TComboxList::PageRows() const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    const int nRowHeight = RowHeight();
    return nRowHeight > 0 ? std::max(static_cast<int>(rc.bottom - rc.top) / nRowHeight, 1) : 1;
}

int TComboxList::VisibleRowAt(int y) const {
    const int nRowHeight = RowHeight();
    return nRowHeight > 0 ? y / nRowHeight : -1;
}

SIZE TComboxList::ListSize(int nWidth, int nHeight) const {
    int h = static_cast<int>(std::min<long long>(RowsHeight(), m_nMaxHeight));
    if (h < 1) {
        h = nHeight;
    }
    return SIZE{std::max(nWidth, MeasureWidth()), h};
}

void TComboxList::SetPos(int& x, int& y, int& nWidth, int& nHeight) {
    const SIZE size = ListSize(nWidth, nHeight);
    SetWindowPos(m_hWnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void TComboxList::DropDown(HWND hAnchor, const RECT& rcAnchor, int nWidth, int nHeight, int nOverlap,
                           AnchorDoubleClick doubleClick) {
    if (!m_hWnd) {
        return;
    }
    RECT rcScreen = rcAnchor;
    MapWindowPoints(hAnchor, nullptr, reinterpret_cast<POINT*>(&rcScreen), 2);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&rcScreen, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& rcWork = monitor.rcWork;
    const SIZE size = ListSize(nWidth, nHeight);

    int x = std::max(std::min(static_cast<int>(rcScreen.left), static_cast<int>(rcWork.right - size.cx)),
                     static_cast<int>(rcWork.left));
    int y = rcScreen.bottom - nOverlap;
    const int yAbove = rcScreen.top + nOverlap - size.cy;
    // Above only when it does not fit below, and fits above or has more room there.
    if (y + size.cy > rcWork.bottom &&
        (yAbove >= rcWork.top || rcScreen.top - rcWork.top > rcWork.bottom - rcScreen.bottom)) {
        y = yAbove;
    }
    SetPos(x, y, nWidth, nHeight);
    UpdateScrollBar();
    m_nHot = -1;
    m_hAnchor = hAnchor;
    m_rcAnchor = rcAnchor;
    m_ptAnchorOrigin = AnchorOrigin();
    m_anchorDoubleClick = doubleClick;
    GetCursorPos(&m_ptMouse);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TComboxList::CloseUp() {
    if (m_hWnd && IsWindowVisible(m_hWnd)) {
        ShowWindow(m_hWnd, SW_HIDE);
    }
}

bool TComboxList::IsDroppedDown() const {
    return m_hWnd && IsWindowVisible(m_hWnd);
}

void TComboxList::LightRow(int nRow) {
    m_nHot = -1;
    if (nRow >= 0 && nRow < static_cast<int>(m_vecItems.size())) {
        const int nFirst = FirstVisibleRow(), nPage = PageRows();
        if (m_bHasScroll && (nRow < nFirst || nRow >= nFirst + nPage)) {
            SetScrollPos(m_hWnd, SB_VERT, nRow < nFirst ? nRow : nRow - nPage + 1, TRUE);
        }
        m_nHot = nRow - FirstVisibleRow();
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TComboxList::ChooseLitRow() {
    const int i = LitRow();
    if (i >= 0) {
        ChooseRow(i);
    } else {
        CloseUp();
    }
}

POINT TComboxList::AnchorOrigin() const {
    POINT pt = {};
    ClientToScreen(m_hAnchor, &pt);
    return pt;
}

bool TComboxList::IsAnchorInPlace() const {
    if (!m_hAnchor) {
        return true;
    }
    const POINT origin = AnchorOrigin();
    return IsWindowVisible(m_hAnchor) && !IsIconic(GetAncestor(m_hAnchor, GA_ROOT)) &&
           origin.x == m_ptAnchorOrigin.x && origin.y == m_ptAnchorOrigin.y;
}

bool TComboxList::IsOnAnchor(const MSG& msg) const {
    if (!m_hAnchor || msg.hwnd != m_hAnchor) {
        return false;
    }
    // Where the cursor was, as the bar reads its clicks: for the user's own clicks that is
    // also the point the message carries.
    POINT pt = msg.pt;
    ScreenToClient(m_hAnchor, &pt);
    return PtInRect(&m_rcAnchor, pt) != 0;
}

bool TComboxList::TakesKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    switch (msg.wParam) {
    case VK_UP:
    case VK_DOWN: {
        // From no lit row either key lights the first.
        const int nLast = static_cast<int>(m_vecItems.size()) - 1, nLit = LitRow();
        LightRow(nLit < 0 ? 0 : std::clamp(nLit + (msg.wParam == VK_UP ? -1 : 1), 0, nLast));
        return true;
    }
    case VK_RETURN:
        ChooseLitRow();
        return true;
    default:
        return false;
    }
}

bool TComboxList::ClosesOn(const MSG& msg, Delivery delivery) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
        CloseUp();
        return delivery == Delivery::Queued;
    }
    // Any window that moved, was hidden or minimised may carry the anchor with it: the list
    // does not float where the anchor was.
    if (msg.message == WM_WINDOWPOSCHANGED && msg.hwnd != m_hWnd && !IsAnchorInPlace()) {
        CloseUp();
        return false;
    }
    // Its own rows and scroll bar take their clicks.
    if (!IsButtonDown(msg.message) || msg.hwnd == m_hWnd) {
        return false;
    }
    // A click sent to the anchor's window is its owner's to judge (IsDroppedDown tells it
    // the list shows). A queued left click on the anchor would open the list again, so it
    // only closes it; so does a double click, unless the owner gives it a meaning of its own.
    if (delivery == Delivery::Sent && msg.hwnd == m_hAnchor) {
        return false;
    }
    const bool bSecondClick =
        msg.message == WM_LBUTTONDOWN ||
        (msg.message == WM_LBUTTONDBLCLK && m_anchorDoubleClick == AnchorDoubleClick::HeldBack);
    const bool bHoldBack = bSecondClick && IsOnAnchor(msg);
    CloseUp();
    return bHoldBack;
}

LRESULT TComboxList::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE:
        UpdateScrollBar();
        return 0;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
        // The default handling still sends WM_SIZE and WM_MOVE.
        return kNotHandled;
    case WM_MOUSEACTIVATE:
        // A click on a row leaves activation and the keyboard focus where they are.
        return MA_NOACTIVATE;
    case WM_ACTIVATEAPP:
        if (!wParam) {
            CloseUp();
        }
        return 0;
    case WM_DESTROY:
        StopWatching();
        return 0;
    case WM_PAINT:
        PaintList();
        return 0;
    case WM_VSCROLL:
        OnVScroll(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        return 0;
    case WM_LBUTTONDOWN:
    // The class takes double clicks: a second quick click on a row is a click all the same.
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(lParam);
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    default:
        return TPopupWnd::WndProc(uMsg, wParam, lParam);
    }
}

void TComboxList::OnWindowPosChanged(const WINDOWPOS& pos) {
    // However the list is shown or hidden, by DropDown or by anyone's ShowWindow.
    if (pos.flags & SWP_SHOWWINDOW) {
        StartWatching();
    } else if (pos.flags & SWP_HIDEWINDOW) {
        StopWatching();
    }
}

void TComboxList::UpdateScrollBar() {
    m_bHasScroll = RowsHeight() > m_nMaxHeight;
    ShowScrollBar(m_hWnd, SB_VERT, m_bHasScroll ? TRUE : FALSE);
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(static_cast<int>(m_vecItems.size()) - 1, 0);
    // A page of the rows that fit whole, so that the last row can be scrolled into view
    // whatever the font makes a row's height.
    si.nPage = static_cast<UINT>(PageRows());
    // Every resize starts again from the top.
    si.nPos = 0;
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void TComboxList::PaintList() {
    PaintBuffered([this](HDC hDC, const RECT& rc) { DrawList(hDC, rc); });
}

void TComboxList::DrawList(HDC hDC, const RECT& rcClient) {
    FillSolid(hDC, rcClient, m_crBack);
    FrameRect(hDC, &rcClient, g_hBorderBrush.get());
    // Whatever moved it (the pointer, a key, a scroll under the pointer), the lit row is the
    // selection that tools follow.
    const int nLit = LitRow();
    if (nLit != std::exchange(m_nLitRow, nLit) && nLit >= 0) {
        NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hWnd, OBJID_CLIENT, nLit + 1);
    }
    if (m_nHot >= 0) {
        const int nRowHeight = RowHeight();
        const RECT rcHot = {rcClient.left, m_nHot * nRowHeight, rcClient.right, (m_nHot + 1) * nRowHeight};
        FillSolid(hDC, rcHot, m_crHot);
    }
    DrawItems(hDC, rcClient);
}

void TComboxList::DrawItems(HDC hDC, const RECT& rcClient) {
    SetBkMode(hDC, TRANSPARENT);
    SelectScope fontScope(hDC, m_hFont);
    SetTextColor(hDC, kTextColour);
    const int nFirst = FirstVisibleRow();
    const int nRows = static_cast<int>(m_vecItems.size());
    const int nRowHeight = RowHeight();
    if (nRowHeight <= 0) {
        return;
    }
    // The rows that fit, and one cut by the bottom edge.
    const int nVisible = (rcClient.bottom - rcClient.top + nRowHeight - 1) / nRowHeight;
    const int nEnd = std::min(nRows, nFirst + nVisible);
    for (int i = nFirst; i < nEnd; ++i) {
        const int k = i - nFirst;
        RECT rcText = {};
        rcText.left = rcClient.left + m_nMargin;
        rcText.top = rcClient.top + m_nRowExtra / 2 + k * nRowHeight;
        rcText.right = rcClient.right;
        rcText.bottom = rcText.top + nRowHeight;
        const std::wstring text = RowText(m_vecItems[static_cast<std::size_t>(i)]);
        DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rcText, DT_SINGLELINE);
    }
}

int TComboxList::LitRow() const {
    const int i = m_nHot >= 0 ? FirstVisibleRow() + m_nHot : -1;
    return i < static_cast<int>(m_vecItems.size()) ? i : -1;
}

void TComboxList::OnVScroll(WPARAM wParam) {
    const int nOld = GetScrollPos(m_hWnd, SB_VERT);
    int nNew = nOld;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        nNew = nOld - 1;
        break;
    case SB_LINEDOWN:
        nNew = nOld + 1;
        break;
    case SB_PAGEUP:
        nNew = nOld - PageRows();
        break;
    case SB_PAGEDOWN:
        nNew = nOld + PageRows();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_hWnd, SB_VERT, &si);
        nNew = si.nTrackPos;
        break;
    }
    default:
        return;
    }
    // The scroll bar keeps the position inside its range.
    SetScrollPos(m_hWnd, SB_VERT, nNew, TRUE);
    if (GetScrollPos(m_hWnd, SB_VERT) != nOld) {
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void TComboxList::OnMouseWheel(WPARAM wParam) {
    if (!m_bHasScroll) {
        return;
    }
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_POS;
    GetScrollInfo(m_hWnd, SB_VERT, &si);
    const int nPos = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? std::min(si.nPos + kWheelRows, si.nMax)
                                                        : std::max(si.nPos - kWheelRows, si.nMin);
    SetScrollPos(m_hWnd, SB_VERT, nPos, TRUE);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TComboxList::OnMouseMove(LPARAM lParam) {
    POINT ptScreen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(m_hWnd, &ptScreen);
    if (ptScreen.x == m_ptMouse.x && ptScreen.y == m_ptMouse.y) {
        return;
    }
    m_ptMouse = ptScreen;
    TrackMouseLeave();
    const POINT pt = PointOf(lParam);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (PtInRect(&rc, pt)) {
        m_nHot = VisibleRowAt(pt.y);
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void TComboxList::OnMouseLeave() {
    m_nHot = -1;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TComboxList::OnLButtonDown(LPARAM lParam) {
    const POINT pt = PointOf(lParam);
    if (HideIfOutside(pt)) {
        return;
    }
    const int k = VisibleRowAt(pt.y);
    const int nRows = static_cast<int>(m_vecItems.size());
    if (k < 0 || k >= nRows) {
        return;
    }
    const int i = k + FirstVisibleRow();
    if (i >= nRows) {
        return;
    }
    StartHoldingBackRelease();
    ChooseRow(i);
}

void TComboxList::ChooseRow(int i) {
    // The owner may destroy the list, or free the plug-in, while it handles the choice: nothing
    // of this object is touched once the message is sent.
    const HWND hList = m_hWnd;
    if (m_vecItems[static_cast<std::size_t>(i)].checked) {
        // Sent, not posted: the owner acts on the choice while the list is still shown.
        SendMessageW(m_hParent, TCM_SELCHANGED, reinterpret_cast<WPARAM>(hList), i);
    }
    ShowWindow(hList, SW_HIDE);
}

std::vector<LONG> TComboxList::AccChildren(LONG nParent) {
    return NumberedElements(nParent == kWindowElement ? m_vecItems.size() : 0);
}

bool TComboxList::AccDescribe(LONG nId, AccElement& element) {
    if (nId == kWindowElement) {
        element.nRole = ROLE_SYSTEM_LIST;
        return true;
    }
    const int i = static_cast<int>(nId) - 1;
    if (i < 0 || i >= static_cast<int>(m_vecItems.size())) {
        return false;
    }
    const ComboItem& item = m_vecItems[static_cast<std::size_t>(i)];
    element.name = FieldText(item.name);
    if (item.desc[0] != L'\0') {
        element.name += L' ' + FieldText(item.desc);
    }
    element.nRole = ROLE_SYSTEM_LISTITEM;
    const int k = i - FirstVisibleRow();
    const bool bOnView = k >= 0 && k < PageRows();
    element.nState = STATE_SYSTEM_SELECTABLE | (i == LitRow() ? STATE_SYSTEM_SELECTED : 0) |
                     (bOnView ? 0 : STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    element.rcClient = RECT{rc.left, k * RowHeight(), rc.right, (k + 1) * RowHeight()};
    if (IsDroppedDown()) {
        element.defaultAction = GetActionText(kSelectAction);
    }
    return true;
}

void TComboxList::AccDoDefaultAction(LONG nId) {
    if (IsDroppedDown()) {
        ChooseRow(static_cast<int>(nId) - 1);
    }
}
