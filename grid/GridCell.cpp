#include "grid/GridCell.h"

#include "toolkit/Combox.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr int kBoxSize = 15;
constexpr int kBoxLeft = 5;        // box offset from the cell's left edge
constexpr int kBoxClearWidth = 22; // left part of the cell kept free of the selection colour
constexpr int kBoxBleed = 2;       // how far the box's 2-pixel pen and the tick reach past the box
constexpr COLORREF kBoxPen = kBorderColour;
constexpr COLORREF kArrowPen = RGB(70, 70, 70);
constexpr int kArrowRoom = 10; // header text stops this far left of a sort arrow

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

bool HasWidth(const RECT& rc) {
    return rc.right > rc.left;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The cell's background inside its frame, unless the buffer holds that colour there already.
// The frame reaches one pixel past the rectangle, so neighbours share their lines.
void FillFramed(const RECT& rc, COLORREF crBorder, COLORREF crInside, const TCellPaint& paint) {
    if (crInside != paint.Background()) {
        paint.Fill(RECT{rc.left + 1, rc.top + 1, rc.right, rc.bottom}, crInside);
    }
    paint.Fill(RECT{rc.left, rc.top, rc.right + 1, rc.top + 1}, crBorder);
    paint.Fill(RECT{rc.left, rc.bottom, rc.right + 1, rc.bottom + 1}, crBorder);
    paint.Fill(RECT{rc.left, rc.top + 1, rc.left + 1, rc.bottom}, crBorder);
    paint.Fill(RECT{rc.right, rc.top + 1, rc.right + 1, rc.bottom}, crBorder);
}

void DrawCellText(HDC hDC, const wchar_t* text, RECT rc, UINT format) {
    DrawTextW(hDC, text, static_cast<int>(wcsnlen(text, kTextChars)), &rc, format);
}

} // namespace

TCellPaint::TCellPaint(HDC hDC, const RECT& rcBuffer, COLORREF crBuffer)
    : m_hDC(hDC), m_rcBuffer(rcBuffer), m_crBuffer(crBuffer),
      m_hOriginalFont(GetCurrentObject(hDC, OBJ_FONT)),
      m_hOriginalBrush(SelectObject(hDC, GetStockObject(DC_BRUSH))) {}

TCellPaint::~TCellPaint() {
    SelectObject(m_hDC, m_hOriginalBrush);
    if (m_nSelected >= 0) {
        SelectObject(m_hDC, m_hOriginalFont);
    }
}

void TCellPaint::Fill(const RECT& rc, COLORREF colour) const {
    SetDCBrushColor(m_hDC, colour);
    PatBlt(m_hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
}

void TCellPaint::SelectFont(const LOGFONTW& lf) {
    if (m_nSelected >= 0 && SameFont(m_fonts[m_nSelected].first, lf)) {
        return;
    }
    auto it = std::find_if(m_fonts.begin(), m_fonts.end(),
                           [&](const auto& font) { return SameFont(font.first, lf); });
    if (it == m_fonts.end()) {
        m_fonts.emplace_back(lf, FontHandle(CreateFontIndirectW(&lf)));
        it = m_fonts.end() - 1;
    }
    SelectObject(m_hDC, it->second.get());
    m_nSelected = static_cast<int>(it - m_fonts.begin());
}

const TCellPaint::Box* TCellPaint::FindBox(COLORREF crBack, bool bChecked) const {
    const auto it = std::find_if(m_boxes.begin(), m_boxes.end(), [&](const Box& box) {
        return box.crBack == crBack && box.bChecked == bChecked;
    });
    return it == m_boxes.end() ? nullptr : &*it;
}

bool TCellPaint::CopyBox(COLORREF crBack, bool bChecked, const RECT& area) const {
    const Box* box = FindBox(crBack, bChecked);
    return box && BitBlt(m_hDC, area.left, area.top, area.right - area.left, area.bottom - area.top, m_hDC,
                         box->at.x, box->at.y, SRCCOPY);
}

void TCellPaint::KeepBox(COLORREF crBack, bool bChecked, const RECT& area) {
    if (!FindBox(crBack, bChecked) && Contains(m_rcBuffer, area)) {
        m_boxes.push_back(Box{crBack, bChecked, POINT{area.left, area.top}});
    }
}

TGridCellBase::TGridCellBase() = default;

void TGridCellBase::CopyAttributes(const TGridCellBase& other) {
    wmemcpy(m_szText, other.m_szText, kTextChars);
    m_crText = other.m_crText;
    m_crSelText = other.m_crSelText;
    m_crBack = other.m_crBack;
    m_crSelBack = other.m_crSelBack;
    m_crBorder = other.m_crBorder;
    m_lfFont = other.m_lfFont;
    m_nTextTop = other.m_nTextTop;
    m_nMargin = other.m_nMargin;
    m_nMask = other.m_nMask;
    m_nFormat = other.m_nFormat;
    m_nState = other.m_nState;
}

void TGridCellBase::Apply(const GridItem& item) {
    const UINT mask = item.mask;
    if (mask & GIF_TEXT) {
        const std::size_t length = wcsnlen(item.text, kTextChars - 1);
        wmemcpy(m_szText, item.text, length);
        m_szText[length] = L'\0';
    }
    if (mask & GIF_BKCOLOR) {
        m_crBack = item.crBack;
    }
    if (mask & GIF_TEXTCOLOR) {
        m_crText = item.crText;
    }
    if (mask & GIF_SELTEXTCOLOR) {
        m_crSelText = item.crSelText;
    }
    if (mask & GIF_FONT) {
        m_lfFont = item.lfFont;
    }
    if (mask & GIF_TEXTTOP) {
        m_nTextTop = item.nTextTop;
    }
    if (mask & GIF_MARGIN) {
        m_nMargin = item.nMargin;
    }
    if (mask & GIF_FORMAT) {
        m_nFormat = item.nFormat;
    }
}

void TGridCellBase::SetSelected(bool bSelected) {
    m_nState = bSelected ? (m_nState | GCS_SELECTED) : (m_nState & ~GCS_SELECTED);
}

void TGridCellBase::Draw(HDC hDC, const RECT& rc) {
    TCellPaint paint(hDC, RECT{}, CLR_INVALID);
    Paint(hDC, rc, paint);
}

void TGridCellBase::Paint(HDC hDC, const RECT& rc, TCellPaint& paint) {
    if (!HasWidth(rc)) {
        return;
    }
    paint.SelectFont(m_lfFont);
    FillFramed(rc, m_crBorder, IsSelected() ? m_crSelBack : m_crBack, paint);
    SetTextColor(hDC, IsSelected() ? m_crSelText : m_crText);
    SetBkMode(hDC, TRANSPARENT);
    DrawCellText(hDC, m_szText, TextRect(rc, 0), m_nFormat);
}

RECT TGridCellBase::TextRect(RECT rc, int nRightExtra) const {
    if (m_nMask & GIF_MARGIN) {
        if (m_nFormat & DT_CENTER) {
            rc.left += 1;
            rc.right -= 1;
        } else if (m_nFormat & DT_RIGHT) {
            rc.right -= nRightExtra + m_nMargin;
        } else {
            rc.left += m_nMargin;
        }
    }
    if (m_nMask & GIF_TEXTTOP) {
        rc.top += m_nTextTop;
    }
    return rc;
}

bool TGridCellBase::OnClick(POINT, const RECT&) {
    return false;
}

void TGridCellBase::BeginEdit(const RECT&) {}

RECT TGridCellCheckbox::BoxRect(const RECT& rc) {
    const int top = rc.top + (rc.bottom - rc.top - kBoxSize) / 2;
    return RECT{rc.left + kBoxLeft, top, rc.left + kBoxLeft + kBoxSize, top + kBoxSize};
}

void TGridCellCheckbox::Paint(HDC hDC, const RECT& rc, TCellPaint& paint) {
    if (!HasWidth(rc)) {
        return;
    }
    TGridCellBase::Paint(hDC, rc, paint);
    // The box sits on the plain background even in a selected row.
    const RECT plain = {rc.left + 1, rc.top + 1, std::min(rc.left + kBoxClearWidth, rc.right), rc.bottom};
    if (IsSelected() || m_szText[0]) {
        paint.Fill(plain, m_crBack);
    }
    const RECT box = BoxRect(rc);
    RECT area = box; // what the box's pen and the tick reach
    InflateRect(&area, kBoxBleed, kBoxBleed);
    // Boxes of one look are alike, pixel for pixel, where all they reach is plain background.
    const bool bAlike = Contains(plain, area);
    if (bAlike && paint.CopyBox(m_crBack, m_bChecked, area)) {
        return;
    }
    PenHandle pen = MakeSolidPen(kBoxPen, 2);
    SelectScope penScope(hDC, pen.get());
    SelectScope brushScope(hDC, GetStockObject(HOLLOW_BRUSH));
    Rectangle(hDC, box.left, box.top, box.right, box.bottom);
    if (m_bChecked) {
        const int x = rc.left, y = box.top;
        DrawLine(hDC, x + 8, y + 7, x + 10, y + 11);
        DrawLine(hDC, x + 10, y + 11, x + 17, y + 4);
    }
    if (bAlike) {
        paint.KeepBox(m_crBack, m_bChecked, area);
    }
}

bool TGridCellCheckbox::OnClick(POINT pt, const RECT& rc) {
    const RECT box = BoxRect(rc);
    if (!PtInRect(&box, pt)) {
        return false;
    }
    m_bChecked = !m_bChecked;
    return true;
}

void TGridCellCombox::BeginEdit(const RECT& rc) {
    if (!m_pCombox) {
        return;
    }
    const HWND hEditor = m_pCombox->m_hWnd;
    ShowWindow(hEditor, SW_SHOW);
    SetWindowPos(hEditor, nullptr, rc.left + 2, rc.top + 2, rc.right - rc.left - 1, m_pCombox->m_nHeight,
                 SWP_NOZORDER);
    InvalidateRect(hEditor, nullptr, TRUE);
    m_pCombox->SetText(m_szText);
    InvalidateRect(hEditor, nullptr, FALSE);
}

void TGridHeader::Paint(HDC hDC, const RECT& rc, TCellPaint& paint) {
    if (!HasWidth(rc)) {
        return;
    }
    PenHandle pen = MakeSolidPen(kArrowPen);
    SelectScope penScope(hDC, pen.get());
    paint.SelectFont(m_lfFont);
    FillFramed(rc, m_crBorder, IsSelected() ? m_crSelBack : m_crBack, paint);

    const int yB = rc.bottom - (rc.bottom - rc.top - 5) / 2;
    const int yT = yB - 5;
    const int xR = rc.right - 5;
    const int xL = rc.right - 15;
    if (m_nSortArrow == 1) {
        DrawLine(hDC, xL, yT, xL + 6, yB + 1);
        DrawLine(hDC, xR, yT, xL + 4, yB + 1);
    } else if (m_nSortArrow == 0) {
        DrawLine(hDC, xL, yB, xL + 6, yT - 1);
        DrawLine(hDC, xR, yB, xL + 4, yT - 1);
    }

    SetTextColor(hDC, IsSelected() ? m_crSelText : m_crText);
    SetBkMode(hDC, TRANSPARENT);
    RECT text = rc;
    if (m_nSortArrow != -1) {
        text.right = rc.right - kArrowRoom;
    }
    // Two pixels more than a plain cell keeps right-aligned text off the arrow's room.
    DrawCellText(hDC, m_szText, TextRect(text, 2), m_nFormat);
}
