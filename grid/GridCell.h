#pragma once
// The cells of the grid: each holds its text and look and paints itself into the grid's
// off-screen context. Plain text cells, check box cells, combo cells edited in place through
// the grid's one combo box, and header cells with a sort arrow.
#include "base/TextCodec.h"
#include "toolkit/GdiHandle.h"
#include "toolkit/SharedDrawing.h"

#include <utility>
#include <vector>

class TCombox;

// Attribute bits of a GridItem's mask and of a cell's m_nMask.
constexpr UINT GIF_TEXT = 0x001;
constexpr UINT GIF_BKCOLOR = 0x010;
constexpr UINT GIF_TEXTCOLOR = 0x020;
constexpr UINT GIF_FONT = 0x040;
constexpr UINT GIF_TEXTTOP = 0x080;
constexpr UINT GIF_MARGIN = 0x100;
constexpr UINT GIF_FORMAT = 0x200;
constexpr UINT GIF_SELTEXTCOLOR = 0x400;

// Attributes for a cell; mask says which apply (GIF_* above).
struct GridItem {
    int row; // screen row
    int col;
    wchar_t text[kTextChars + 1]; // a cell keeps kTextChars - 1 of them
    int nTextTop;
    int nMargin;
    UINT mask;
    UINT nFormat;
    LOGFONTW lfFont;
    COLORREF crBack;
    COLORREF crText;
    COLORREF crSelText;
};

// State bit of a cell painted as part of a selected row.
constexpr UINT GCS_SELECTED = 0x2;

// What one paint of the grid shares among its cells, for the paint's context only.
// Fills: the context's own brush stays selected, so a fill makes and selects nothing.
// Fonts: one made per distinct LOGFONT and selected when a cell's differs from the one
// selected; the context gets its own font back when the paint ends, before the fonts go.
// Check boxes: the 2-pixel pen costs more than all else a cell draws, so the first box of a
// look drawn whole into the buffer is copied wherever the paint needs that look again.
class TCellPaint {
public:
    // rcBuffer: the part of the context that holds pixels, an empty one keeping no boxes;
    // crBuffer: the colour it holds wherever no cell drew yet, or CLR_INVALID.
    TCellPaint(HDC hDC, const RECT& rcBuffer, COLORREF crBuffer);
    ~TCellPaint();
    TCellPaint(const TCellPaint&) = delete;
    TCellPaint& operator=(const TCellPaint&) = delete;

    COLORREF Background() const { return m_crBuffer; }
    // A solid fill through the context's own brush, selected for the whole paint.
    void Fill(const RECT& rc, COLORREF colour) const;
    void SelectFont(const LOGFONTW& lf);
    // Copies area from where this paint kept a box of the same look; false when it kept none.
    bool CopyBox(COLORREF crBack, bool bChecked, const RECT& area) const;
    // Keeps area, a box just drawn, as the one to copy for its look when it lies in the buffer.
    void KeepBox(COLORREF crBack, bool bChecked, const RECT& area);

private:
    struct Box {
        COLORREF crBack;
        bool bChecked;
        POINT at;
    };
    const Box* FindBox(COLORREF crBack, bool bChecked) const;

    HDC m_hDC;
    RECT m_rcBuffer;
    COLORREF m_crBuffer;
    HGDIOBJ m_hOriginalFont = nullptr;
    HGDIOBJ m_hOriginalBrush = nullptr;
    int m_nSelected = -1; // index in m_fonts of the font selected by this paint
    std::vector<std::pair<LOGFONTW, FontHandle>> m_fonts;
    std::vector<Box> m_boxes;
};

class TGridCellBase {
public:
    TGridCellBase();
    virtual ~TGridCellBase() = default;

    // Paints the cell into rc (the grid's client coordinates); nothing when rc has no width.
    void Draw(HDC hDC, const RECT& rc);
    // The same, as one of the cells of a paint.
    virtual void Paint(HDC hDC, const RECT& rc, TCellPaint& paint);
    // A left click at pt inside rc; true when the cell's value changed.
    virtual bool OnClick(POINT pt, const RECT& rc);
    // Shows the cell's in-place editor over rc; nothing for most cells.
    virtual void BeginEdit(const RECT& rc);

    // Takes over the text, the five colours, font, text top, margin, mask, format and state of
    // another cell: what a cell keeps when it changes kind.
    void CopyAttributes(const TGridCellBase& other);
    // Takes the attributes the item's mask names; its row and column are the grid's business.
    void Apply(const GridItem& item);
    bool IsSelected() const { return (m_nState & GCS_SELECTED) != 0; }
    void SetSelected(bool bSelected);
    const LOGFONTW& Font() const { return m_lfFont; }
    // Where the text goes in rc: inside the margin on the side the format aligns it to, with
    // nRightExtra pixels more on the right for right-aligned text, and below the text top.
    RECT TextRect(RECT rc, int nRightExtra) const;

    wchar_t m_szText[kTextChars] = {};

protected:
    COLORREF m_crText = RGB(50, 50, 50);
    COLORREF m_crSelText = RGB(255, 255, 255);
    COLORREF m_crBack = kCellColour;
    COLORREF m_crSelBack = RGB(50, 112, 195);
    COLORREF m_crBorder = RGB(135, 135, 135);
    LOGFONTW m_lfFont = {};
    int m_nTextTop = 0;
    int m_nMargin = 0;
    UINT m_nMask = 0x3F9;
    UINT m_nFormat = DT_CENTER | DT_VCENTER;
    UINT m_nState = 0;
};

class TGridCellCheckbox : public TGridCellBase {
public:
    void Paint(HDC hDC, const RECT& rc, TCellPaint& paint) override;
    // Toggles when pt lies on the box (its right and bottom edges excluded).
    bool OnClick(POINT pt, const RECT& rc) override;
    // The 15 x 15 box of a cell at rc: 5 pixels from its left edge, centred vertically.
    static RECT BoxRect(const RECT& rc);

    bool m_bChecked = false;
};

class TGridCellCombox : public TGridCellBase {
public:
    // Places, fills and shows m_pCombox over rc; nothing while the grid has lent none.
    void BeginEdit(const RECT& rc) override;

    TCombox* m_pCombox = nullptr; // the grid's editor, lent while this cell is edited
    HWND m_hGrid = nullptr;       // the grid that made the cell
};

class TGridHeader : public TGridCellBase {
public:
    void Paint(HDC hDC, const RECT& rc, TCellPaint& paint) override;

private:
    int m_nSortArrow = 1; // 1 down, 0 up, -1 none
};
