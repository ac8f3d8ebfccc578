#include "toolkit/Combox.h"

#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"
#include "base/Texts.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {
constexpr int kFirstListHeight = 200;
constexpr int kFocusInset = 3;
} // namespace

TCombox::TCombox() : m_hFont(g_hTextFont.get()) {}

TCombox::~TCombox() {
    m_pList.reset();
    DestroyOwnWindow();
}

bool TCombox::Create(HWND hParent) {
    TIxFrm::Create(L"TCombox", hParent, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0);
    return true;
}

LRESULT TCombox::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        OnFocusChange(uMsg, m_bFocus);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (IsDropDownKey(uMsg, wParam)) {
            ToggleList(true);
        }
        // The default handling still sees the keys: with Alt, so that letting go of Alt
        // afterwards does not enter a menu.
        return kNotHandled;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
    // Quick clicks open and close the list in turn; the system pairs two of them into a
    // double click, which is one more such click.
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(lParam);
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case TCM_SELCHANGED:
        SelectItem(static_cast<int>(lParam));
        return 0;
    default:
        return kNotHandled;
    }
}

bool TCombox::IsDropDownKey(UINT uMsg, WPARAM wParam) {
    return (uMsg == WM_KEYDOWN && wParam == VK_F4) || (uMsg == WM_SYSKEYDOWN && wParam == VK_DOWN);
}

void TCombox::SetText(const std::wstring& text) {
    const bool bChanged = text != m_strText;
    m_strText = text;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    if (bChanged && m_hWnd) {
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    }
}

void TCombox::SetCurSel(int nIndex) {
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_vecItems.size()) {
        return;
    }
    m_nCurSel = nIndex;
    SetText(m_vecItems[static_cast<std::size_t>(nIndex)].name);
}

void TCombox::SetItems(const std::vector<ComboItem>& items) {
    m_strText.clear();
    m_vecItems = items;
    if (m_pList) {
        m_pList->SetItems(m_vecItems);
    }
}

void TCombox::EnsureList() {
    if (m_pList) {
        return;
    }
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    m_pList = std::make_unique<TComboxList>();
    m_pList->Create(m_hWnd);
    int x = 0, y = 0, nWidth = rc.right - rc.left, nHeight = kFirstListHeight;
    m_pList->SetPos(x, y, nWidth, nHeight);
    m_pList->SetItems(m_vecItems);
}

void TCombox::OnMouseMove() {
    m_bHover = true;
    TrackMouseLeave();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TCombox::OnMouseLeave() {
    m_bHover = false;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TCombox::OnLButtonDown(LPARAM lParam) {
    // Both words unsigned, as the list reads its own clicks.
    const POINT pt = {static_cast<LONG>(LOWORD(lParam)), static_cast<LONG>(HIWORD(lParam))};
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (PtInRect(&rc, pt)) {
        ToggleList(false);
    }
}

void TCombox::ToggleList(bool bLightChoice) {
    // A click sent while the list shows closes it, as the user's own click on the combo does.
    if (m_pList && m_pList->IsDroppedDown()) {
        m_pList->CloseUp();
        return;
    }
    EnsureList();
    RECT rc = {}, rcList = {};
    GetClientRect(m_hWnd, &rc);
    GetClientRect(m_pList->m_hWnd, &rcList);
    // The list covers the combo's last pixel row (its first when it opens above), so the two
    // read as one control.
    m_pList->DropDown(m_hWnd, rc, rcList.right - rcList.left, rcList.bottom - rcList.top, 1);
    if (bLightChoice) {
        // The row that the text shows, however the text came: chosen, or set by an owner.
        const auto shown = std::find_if(m_vecItems.begin(), m_vecItems.end(), [this](const ComboItem& item) {
            return m_strText == std::wstring(item.name, wcsnlen(item.name, std::size(item.name)));
        });
        m_pList->LightRow(shown != m_vecItems.end() ? static_cast<int>(shown - m_vecItems.begin()) : -1);
    }
}

void TCombox::SelectItem(int nIndex) {
    if (nIndex >= 0 && static_cast<std::size_t>(nIndex) < m_vecItems.size()) {
        m_nCurSel = nIndex;
        SetText(m_vecItems[static_cast<std::size_t>(nIndex)].name);
    }
    // Posted: the parent acts once the list has hidden and the click is over.
    PostMessageW(GetParent(m_hWnd), TCM_SELCHANGED, static_cast<WPARAM>(nIndex),
                 reinterpret_cast<LPARAM>(m_hWnd));
}

bool TCombox::AccDescribe(LONG nId, AccElement& element) {
    if (nId != kWindowElement) {
        return false;
    }
    const bool bOpen = m_pList && m_pList->IsDroppedDown();
    element.value = m_strText;
    element.nRole = ROLE_SYSTEM_COMBOBOX;
    element.nState = STATE_SYSTEM_HASPOPUP | (bOpen ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED) |
                     (m_bHover ? STATE_SYSTEM_HOTTRACKED : 0);
    element.defaultAction = GetActionText(bOpen ? kCloseAction : kOpenAction);
    return true;
}

void TCombox::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) { DrawCombox(hDC, rc); });
}

void TCombox::DrawCombox(HDC hDC, const RECT& rcClient) const {
    BrushHandle hover = MakeSolidBrush(kHoverFrameColour);
    FillRect(hDC, &rcClient, g_hBackBrush.get());
    FrameRect(hDC, &rcClient, m_bHover ? hover.get() : g_hBorderBrush.get());
    DrawDropButton(hDC, rcClient, hover.get());

    RECT rcText = rcClient;
    rcText.right -= m_nButtonWidth;
    if (m_bFocus) {
        RECT rcFocus = rcText;
        InflateRect(&rcFocus, -kFocusInset, -kFocusInset);
        DrawDotFrame(hDC, rcFocus);
    }
    InflateRect(&rcText, -4, -2);
    SelectScope font(hDC, m_hFont);
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, kTextColour);
    DrawTextW(hDC, m_strText.c_str(), static_cast<int>(m_strText.size()), &rcText,
              DT_VCENTER | DT_SINGLELINE);
}

void TCombox::DrawDropButton(HDC hDC, const RECT& rcClient, HBRUSH hHoverBrush) const {
    RECT rcArea = rcClient;
    rcArea.left = rcClient.right - m_nButtonWidth;
    if (m_bHover) {
        FrameRect(hDC, &rcArea, hHoverBrush);
    }
    SelectScope pen(hDC, GetStockObject(NULL_PEN));
    SelectScope brush(hDC, g_hBorderBrush.get());
    const int y0 = rcArea.top + (rcArea.bottom - rcArea.top - 3) / 2;
    const POINT triangle[] = {
        {rcArea.left + 2, y0}, {(rcArea.left + 2 + rcArea.right - 3) / 2, y0 + 5}, {rcArea.right - 3, y0}};
    Polygon(hDC, triangle, 3);
}
