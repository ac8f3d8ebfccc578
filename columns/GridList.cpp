#include "columns/GridList.h"

#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"

namespace {
// How far the grid reaches past the top and left edges when the list shows no grid edge.
constexpr int kHiddenEdge = 2;
} // namespace

TGridList::TGridList(GridEdge edge) : m_bGridEdge(edge == GridEdge::Shown) {}

TGridList::~TGridList() {
    // The grid's window goes with the list's, before the grid object does.
    DestroyOwnWindow();
}

void TGridList::Create(HWND hParent) {
    TIxFrm::Create(L"GridList", hParent, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0);
}

LRESULT TGridList::WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_NOTIFY:
    case TCM_HEADERDROP:
    case TCM_EDITDONE:
    case TCM_CELLCLICK:
    case TCM_COLRESIZED:
    case TCM_CELLCHECK:
        // The grid's own notifications only: its editor's TCM_SELCHANGED stays with the grid.
        PassToParent(uMsg, wParam, lParam);
        return 0;
    default:
        return kNotHandled;
    }
}

void TGridList::OnCreate() {
    m_pGrid = std::make_unique<TGridCtrl>();
    m_pGrid->Create(m_hWnd);
}

void TGridList::OnSize() {
    if (!m_pGrid) {
        return;
    }
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (!m_bGridEdge) {
        rc.left = -kHiddenEdge;
        rc.top = -kHiddenEdge;
    }
    MoveWindow(m_pGrid->m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void TGridList::OnPaint() {
    PaintBuffered([](HDC hDC, const RECT& rc) { FillSolid(hDC, rc, kFaceColour); });
}

void TGridList::PassToParent(UINT uMsg, WPARAM wParam, LPARAM lParam) const {
    // Sent, so pointers in wParam and lParam stay valid while the parent handles them.
    SendMessageW(GetParent(m_hWnd), uMsg, wParam, lParam);
}
