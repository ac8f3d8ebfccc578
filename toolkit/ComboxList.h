#pragma once
#include "toolkit/PopupWnd.h"

#include <vector>

// One row of a drop-down list or combo box.
struct ComboItem {
    wchar_t name[40];
    wchar_t desc[40];
    wchar_t tag;
    int data;
    bool checked; // a click on the row is reported to the owner
};

// Drop-down list: rows of "%-10s%-20s", at most 230 pixels high with a scroll bar beyond,
// hot row under the mouse, the chosen row reported to the owner with TCM_SELCHANGED.
class TComboxList : public TPopupWnd {
public:
    TComboxList();
    ~TComboxList() override;

    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void SetPos(int& x, int& y, int& nWidth, int& nHeight) override;
    virtual bool CreateList(HWND hOwner, int nMode);
    virtual void DrawItems(HDC hDC, const RECT& rcClient);

    void SetItems(const std::vector<ComboItem>& items);
    // Height of a row: the font's LOGFONT height plus m_nRowExtra; 0 without a window.
    int RowHeight() const;
    // Width the rows need, measured with the list's font.
    int MeasureWidth() const;
    // First row on view.
    int FirstVisibleRow() const;
    // Background, frame, hot band and rows.
    void DrawList(HDC hDC, const RECT& rcClient);

    int m_nHot = -1;
    int m_nMargin = 10;
    int m_nMode = 0;
    bool m_bHasScroll = false;
    HFONT m_hFont = nullptr;
    std::vector<ComboItem> m_vecItems;
    COLORREF m_crBack = RGB(231, 231, 231);
    COLORREF m_crHot = RGB(51, 153, 255);
    int m_nRowExtra = 10;
    int m_nMaxHeight = 230;

private:
    // Visible row at a client y, -1 when rows have no height.
    int VisibleRowAt(int y) const;
    // Rows x row height, wide enough for any number of rows.
    long long RowsHeight() const;

    void OnSize();
    void PaintList();
    void OnVScroll(WPARAM wParam);
    void OnMouseMove(LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnMouseWheel(WPARAM wParam);
    void OnMouseLeave();
};
