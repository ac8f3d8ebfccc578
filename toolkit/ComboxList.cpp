#include "toolkit/ComboxList.h"

#include "toolkit/SharedDrawing.h"
#include "toolkit/MemDC.h"
#include "toolkit/ToolkitMessages.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

constexpr int kPageRows = 10; // rows drawn at once, and the scroll bar's page
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

} // namespace

TComboxList::TComboxList() : m_hFont(g_hTextFont.get()) {}

TComboxList::~TComboxList() {
    // Destroyed here, while messages still reach this class's handler.
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
    }
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

int TComboxList::VisibleRowAt(int y) const {
    const int nRowHeight = RowHeight();
    return nRowHeight > 0 ? y / nRowHeight : -1;
}

void TComboxList::SetPos(int& x, int& y, int& nWidth, int& nHeight) {
    int h = static_cast<int>(std::min<long long>(RowsHeight(), m_nMaxHeight));
    if (h < 1) {
        h = nHeight;
    }
    const int w = std::max(nWidth, MeasureWidth());
    SetWindowPos(m_hWnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT TComboxList::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE:
        OnSize();
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

void TComboxList::OnSize() {
    m_bHasScroll = RowsHeight() > m_nMaxHeight;
    ShowScrollBar(m_hWnd, SB_VERT, m_bHasScroll ? TRUE : FALSE);
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(static_cast<int>(m_vecItems.size()) - 1, 0);
    si.nPage = kPageRows;
    // Every resize starts again from the top.
    si.nPos = 0;
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void TComboxList::PaintList() {
    TMemDC dc(m_hWnd);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    DrawList(dc.GetSafeHdc(), rc);
}

void TComboxList::DrawList(HDC hDC, const RECT& rcClient) {
    FillSolid(hDC, rcClient, m_crBack);
    FrameRect(hDC, &rcClient, g_hBorderBrush.get());
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
    SetTextColor(hDC, RGB(0, 0, 0));
    const int nFirst = FirstVisibleRow();
    const int nRows = static_cast<int>(m_vecItems.size());
    const int nRowHeight = RowHeight();
    const int nEnd = std::min(nRows, nFirst + kPageRows);
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
        nNew = nOld - kPageRows;
        break;
    case SB_PAGEDOWN:
        nNew = nOld + kPageRows;
        break;
    case SB_THUMBPOSITION: {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_hWnd, SB_VERT, &si);
        nNew = si.nTrackPos;
        break;
    }
    default:
        // The list follows the thumb only once it is let go.
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
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&tme);
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
    if (m_vecItems[static_cast<std::size_t>(i)].checked) {
        // Sent, not posted: the owner acts on the choice while the list is still shown.
        SendMessageW(m_hParent, TCM_SELCHANGED, reinterpret_cast<WPARAM>(m_hWnd), i);
    }
    ShowWindow(m_hWnd, SW_HIDE);
}
