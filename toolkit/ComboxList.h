#pragma once
#include "toolkit/Accessible.h"
#include "toolkit/PopupWnd.h"
#include "toolkit/SharedDrawing.h"

#include <string>
#include <vector>

// One row of a drop-down list or combo box.
struct ComboItem {
    wchar_t name[40];
    wchar_t desc[40];
    wchar_t tag;
    int data;
    bool checked; // a click on the row is reported to the owner
};

// Rows of a plain choice: each name a row that reports its index when clicked.
std::vector<ComboItem> ChoiceRows(const std::vector<std::wstring>& names);

// Closes the open list and lets go of every hook the lists set on the thread (a release still
// held back among them), whose procedures are in this library.
void ReleaseListHooks();

// Drop-down list: rows of "%-10s%-20s", at most 230 pixels high with a scroll bar beyond,
// hot row under the mouse, the chosen row reported to the owner with TCM_SELCHANGED.
//
// Owners open it with DropDown and may close it with CloseUp. While it shows it never takes
// activation or the keyboard focus, and it closes as drop-down lists do: on Escape, on a
// click anywhere outside it, when the application loses activation, and when the window it
// dropped down from moves, hides or is minimised. Meanwhile it takes Up and Down, which move
// the lit row, and Enter, which chooses the lit row as a click does (or only closes the list
// when none is lit); Escape closes it. These keys go no further. The release of a click on a
// row lands nowhere. A click on the cell or box it was opened from only closes it; an owner
// that is sent such a click itself (no click from the user is) tells it apart with
// IsDroppedDown.
//
// Assistive tools read it as a list of items, the lit row selected (as in a standard drop-down,
// the selection follows the pointer and the keys); an item's default action chooses it as a
// click does.
class TComboxList : public TPopupWnd, public TAccessibleContent {
public:
    TComboxList();
    ~TComboxList() override;

    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void SetPos(int& x, int& y, int& nWidth, int& nHeight) override;
    virtual bool CreateList(HWND hOwner, int nMode);
    virtual void DrawItems(HDC hDC, const RECT& rcClient);

    // Opens the list for the anchor rcAnchor, a rectangle in hAnchor's client coordinates
    // (the cell or box that opens it): its top left corner at the anchor's bottom left, or,
    // when the work area of the anchor's monitor has no room below, its bottom at the anchor's
    // top; each nOverlap pixels over the anchor's edge; moved left where it would leave the
    // work area on the right. Sized as SetPos sizes it, scrolled to the top. A double click
    // on the anchor closes the list too; whether it then goes on to the anchor's window or is
    // held back like a second click depends on what it means there.
    enum class AnchorDoubleClick { HeldBack, PassedOn };
    void DropDown(HWND hAnchor, const RECT& rcAnchor, int nWidth, int nHeight, int nOverlap = 0,
                  AnchorDoubleClick doubleClick = AnchorDoubleClick::HeldBack);
    void CloseUp();
    bool IsDroppedDown() const;
    // Lights a row (an index of the rows) and scrolls it into view; any other index lights none.
    void LightRow(int nRow);

    // The rows as last set.
    const std::vector<ComboItem>& Items() const { return m_vecItems; }
    // Copies the rows and forgets the hot row, which named one of the old rows; the scroll
    // range follows them at once, even when the size does not.
    void SetItems(const std::vector<ComboItem>& items);
    // Height of a row: the font's LOGFONT height plus m_nRowExtra; 0 without a window.
    int RowHeight() const;
    // Width the rows need, measured with the list's font.
    int MeasureWidth() const;
    // First row on view.
    int FirstVisibleRow() const;
    // Rows that fit the list's height whole: the scroll bar's page.
    int PageRows() const;
    // Background, frame, hot band and rows.
    void DrawList(HDC hDC, const RECT& rcClient);

    // Row i is element i + 1.
    std::vector<LONG> AccChildren(LONG nParent) override;
    bool AccDescribe(LONG nId, AccElement& element) override;
    void AccDoDefaultAction(LONG nId) override;

private:
    // While the list shows, hooks on the thread hand it every message the thread takes from
    // its queue (posted, or the user's input) and every message sent to one of its windows.
    enum class Delivery { Queued, Sent };
    static LRESULT CALLBACK WatchQueuedMessages(int nCode, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WatchSentMessages(int nCode, WPARAM wParam, LPARAM lParam);
    void StartWatching();
    // Also forgets the anchor.
    void StopWatching();
    // Closes the list when the message does; true when the message must then go no further
    // (only a queued one can be held back).
    bool ClosesOn(const MSG& msg, Delivery delivery);
    // Acts on a key the open list takes from the thread's queue; true when it took it.
    bool TakesKey(const MSG& msg);
    // Reports the lit row to the owner as a click on it does, then closes the list.
    void ChooseLitRow();
    // The lit row (under the mouse or lit by the keys) as an index of the rows, -1 for none.
    int LitRow() const;
    // Visible row at a client y, -1 when rows have no height.
    int VisibleRowAt(int y) const;
    // Rows x row height, wide enough for any number of rows.
    long long RowsHeight() const;

    // The size SetPos gives the list for the width and height an owner asks for.
    SIZE ListSize(int nWidth, int nHeight) const;
    // Range, page and visibility of the scroll bar for the rows and the height; back to the top.
    void UpdateScrollBar();
    void OnWindowPosChanged(const WINDOWPOS& pos);
    // A mouse message for the anchor's window at a point of the anchor.
    bool IsOnAnchor(const MSG& msg) const;
    // The anchor window's client origin on the screen.
    POINT AnchorOrigin() const;
    // The anchor shows, its top-level window is not minimised and it has not moved on the
    // screen since the list dropped down from it; true without an anchor.
    bool IsAnchorInPlace() const;
    void PaintList();
    void OnVScroll(WPARAM wParam);
    void OnMouseMove(LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    // What a click on row i does: the owner hears of it when the row reports, the list hides.
    void ChooseRow(int i);
    void OnMouseWheel(WPARAM wParam);
    void OnMouseLeave();

    // Visible row under the mouse or lit by the keys (counted from the first visible row), -1
    // for none.
    int m_nHot = -1;
    // Where the pointer last was, on the screen: a mouse move that does not move it (the list
    // appearing or scrolling under a resting pointer) leaves the lit row alone.
    POINT m_ptMouse = {};
    // The row last drawn lit, -1 for none: tools hear of each new one.
    int m_nLitRow = -1;
    // The window and rectangle the list was dropped down from; no window once it hides.
    HWND m_hAnchor = nullptr;
    RECT m_rcAnchor = {};
    POINT m_ptAnchorOrigin = {};
    AnchorDoubleClick m_anchorDoubleClick = AnchorDoubleClick::HeldBack;
    int m_nMargin = 10;
    int m_nMode = 0;
    bool m_bHasScroll = false;
    HFONT m_hFont = nullptr;
    std::vector<ComboItem> m_vecItems;
    COLORREF m_crBack = kBackColour;
    COLORREF m_crHot = RGB(51, 153, 255);
    int m_nRowExtra = 10;
    int m_nMaxHeight = 230;
};
