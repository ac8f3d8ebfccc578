#include "toolkit/StaticButton.h"

#include "toolkit/MemDC.h"
#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"
#include "base/Texts.h"

#include <oleacc.h>

namespace {
constexpr COLORREF kHoverFace = RGB(240, 244, 252);
constexpr int kFocusInset = 3;
} // namespace

// The caption comes with Create: no window shows one before.
TStaticButton::TStaticButton() : m_hFont(g_hTextFont.get()) {}

TStaticButton::~TStaticButton() {
    // The parent normally takes the window with it.
    DestroyOwnWindow();
}

bool TStaticButton::Create(HWND hParent, const wchar_t* szText, int nID) {
    m_nID = nID;
    TIxFrm::Create(L"TStaticButton", hParent, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0);
    lstrcpynW(m_szText, szText ? szText : L"", kTextChars);
    m_hFont = g_hTextFont.get();
    Repaint();
    return true;
}

LRESULT TStaticButton::WndProc(UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The system tells assistive tools of the focus itself: raising it here as well would
        // have them announce the button twice.
        OnFocusChange(uMsg, m_bFocus);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
    // The second press of two quick ones comes as a double click: a click all the same.
    case WM_LBUTTONDBLCLK:
        OnLButtonDown();
        return 0;
    case WM_LBUTTONUP:
        Repaint();
        return 0;
    case WM_MOUSELEAVE:
        m_bHover = false;
        Repaint();
        return 0;
    default:
        return kNotHandled;
    }
}

void TStaticButton::Repaint() const {
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void TStaticButton::OnMouseMove() {
    m_bHover = true;
    TrackMouseLeave();
    Repaint();
}

bool TStaticButton::AccDescribe(LONG nId, AccElement& element) {
    if (nId != kWindowElement) {
        return false;
    }
    element.name = m_szText;
    element.nRole = ROLE_SYSTEM_PUSHBUTTON;
    element.nState = STATE_SYSTEM_FOCUSABLE | (m_bFocus ? STATE_SYSTEM_FOCUSED : 0) |
                     (m_bHover ? STATE_SYSTEM_HOTTRACKED : 0);
    element.defaultAction = GetActionText(kPressAction);
    return true;
}

void TStaticButton::OnLButtonDown() {
    SetFocus(m_hWnd);
    Repaint();
    Click();
}

void TStaticButton::OnKeyDown(WPARAM nKey) {
    // Every key is reported; Space and Enter press the button as well.
    PostMessageW(GetParent(m_hWnd), TCM_KEYDOWN, 0, reinterpret_cast<LPARAM>(m_hWnd));
    if (nKey == VK_SPACE || nKey == VK_RETURN) {
        Click();
    }
}

void TStaticButton::Click() {
    // The parent may destroy the button while it handles the click: nothing of this object
    // may be touched once the message is sent.
    const HWND hParent = GetParent(m_hWnd);
    const int nID = m_nID;
    SendMessageW(hParent, TCM_CLICKED, 0, nID);
}

void TStaticButton::OnPaint() {
    PaintBuffered([this](HDC hDC, const RECT& rc) { DrawButton(hDC, rc); });
}

void TStaticButton::DrawButton(HDC hDC, const RECT& rcClient) const {
    SetBkMode(hDC, TRANSPARENT);
    FillSolid(hDC, rcClient, kFaceColour);
    FrameRect(hDC, &rcClient, g_hBorderBrush.get());
    if (m_bHover) {
        FillSolid(hDC, rcClient, kHoverFace);
        BrushHandle frame = MakeSolidBrush(kHoverFrameColour);
        FrameRect(hDC, &rcClient, frame.get());
    }
    if (m_bFocus) {
        RECT rcFocus = rcClient;
        InflateRect(&rcFocus, -kFocusInset, -kFocusInset);
        DrawDotFrame(hDC, rcFocus);
    }
    SelectScope font(hDC, m_hFont);
    SIZE extent = {};
    GetTextExtentPoint32W(hDC, m_szText, lstrlenW(m_szText), &extent);
    RECT rcText = rcClient;
    rcText.top += (rcText.bottom - rcText.top - extent.cy) / 2;
    SetTextColor(hDC, kTextColour);
    DrawTextW(hDC, m_szText, -1, &rcText, DT_CENTER);
}
