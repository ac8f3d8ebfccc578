#include "grid/GridCell.h"

#include "toolkit/Combox.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr int kBoxSize = 15;
constexpr int kBoxLeft = 5;        // box offset from the cell's left edge
constexpr int kBoxClearWidth = 22; // left part of the cell kept free of the selection colour
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

bool HoldsFont(HDC hDC, const LOGFONTW& lf) {
    LOGFONTW current = {};
    return GetObjectW(GetCurrentObject(hDC, OBJ_FONT), sizeof(current), &current) == sizeof(current) &&
           SameFont(current, lf);
}

// The font of one drawing: made from the cell's LOGFONT and selected until the drawing ends,
// unless the context already holds one made from the same LOGFONT.
class DrawingFont {
public:
    DrawingFont(HDC hDC, const LOGFONTW& lf) : m_hDC(hDC) {
        if (!HoldsFont(hDC, lf)) {
            m_font.reset(CreateFontIndirectW(&lf));
            m_previous = SelectObject(hDC, m_font.get());
        }
    }
    ~DrawingFont() {
        if (m_font) {
            SelectObject(m_hDC, m_previous);
        }
    }
    DrawingFont(const DrawingFont&) = delete;
    DrawingFont& operator=(const DrawingFont&) = delete;

private:
    HDC m_hDC;
    FontHandle m_font;
    HGDIOBJ m_previous = nullptr;
};

bool HasWidth(const RECT& rc) {
    return rc.right > rc.left;
}

// The cell frame reaches one pixel past the rectangle, so neighbours share their lines.
void FrameCell(HDC hDC, const RECT& rc, COLORREF colour) {
    const RECT frame = {rc.left, rc.top, rc.right + 1, rc.bottom + 1};
    BrushHandle brush = MakeSolidBrush(colour);
    FrameRect(hDC, &frame, brush.get());
}

void DrawCellText(HDC hDC, const wchar_t* text, RECT rc, UINT format) {
    DrawTextW(hDC, text, static_cast<int>(wcsnlen(text, kTextChars)), &rc, format);
}

} // namespace

void TCellFonts::Select(HDC hDC, const LOGFONTW& lf) {
    if (HoldsFont(hDC, lf)) {
        return;
    }
    auto it = std::find_if(m_fonts.begin(), m_fonts.end(),
                           [&](const auto& font) { return SameFont(font.first, lf); });
    if (it == m_fonts.end()) {
        m_fonts.emplace_back(lf, FontHandle(CreateFontIndirectW(&lf)));
        it = m_fonts.end() - 1;
    }
    // Left selected: the paint's context goes before these fonts do.
    SelectObject(hDC, it->second.get());
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
    if (!HasWidth(rc)) {
        return;
    }
    DrawingFont font(hDC, m_lfFont);
    FillSolid(hDC, rc, m_crBack);
    if (IsSelected()) {
        // The top line stays in the cell colour: it is the frame shared with the row above.
        FillSolid(hDC, RECT{rc.left, rc.top + 1, rc.right, rc.bottom}, m_crSelBack);
    }
    FrameCell(hDC, rc, m_crBorder);
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

void TGridCellCheckbox::Draw(HDC hDC, const RECT& rc) {
    if (!HasWidth(rc)) {
        return;
    }
    TGridCellBase::Draw(hDC, rc);
    // The box sits on the plain background even in a selected row.
    FillSolid(hDC, RECT{rc.left, rc.top, rc.left + kBoxClearWidth, rc.bottom}, m_crBack);
    FrameCell(hDC, rc, m_crBorder);

    PenHandle pen = MakeSolidPen(kBoxPen, 2);
    SelectScope penScope(hDC, pen.get());
    SelectScope brushScope(hDC, GetStockObject(HOLLOW_BRUSH));
    const RECT box = BoxRect(rc);
    Rectangle(hDC, box.left, box.top, box.right, box.bottom);
    if (m_bChecked) {
        const int x = rc.left, y = box.top;
        DrawLine(hDC, x + 8, y + 7, x + 10, y + 11);
        DrawLine(hDC, x + 10, y + 11, x + 17, y + 4);
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

void TGridHeader::Draw(HDC hDC, const RECT& rc) {
    if (!HasWidth(rc)) {
        return;
    }
    PenHandle pen = MakeSolidPen(kArrowPen);
    SelectScope penScope(hDC, pen.get());
    DrawingFont font(hDC, m_lfFont);
    FillSolid(hDC, rc, IsSelected() ? m_crSelBack : m_crBack);
    FrameCell(hDC, rc, m_crBorder);

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
