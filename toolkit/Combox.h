#pragma once
#include "toolkit/Accessible.h"
#include "toolkit/ComboxList.h"
#include "toolkit/IxFrm.h"

#include <memory>
#include <string>
#include <vector>

// Drop-down choice box: shows the current text and a grey triangle, frames itself blue under
// the mouse and opens its list under itself when clicked. A row chosen in the list becomes
// the text and is reported to the parent with a posted TCM_SELCHANGED (wParam the row index,
// lParam the combo's window). The text is never typed in. While it has the keyboard focus it
// shows a dotted frame, and Alt+Down or F4 opens its list with the row of its text lit (or
// closes the list). Assistive tools read it as a combo box whose value is its text and whose
// default action opens or closes the list.
class TCombox : public TIxFrm, public TAccessibleContent {
public:
    TCombox();
    ~TCombox() override;

    // Creates the child window; the owner then places it, m_nHeight high.
    bool Create(HWND hParent);
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // The triangle area at the right edge of rcClient.
    virtual void DrawDropButton(HDC hDC, const RECT& rcClient, HBRUSH hHoverBrush) const;
    // Background, frame, triangle and text into dc, over the client rectangle.
    void DrawCombox(HDC hDC, const RECT& rcClient) const;

    void SetText(const std::wstring& text);
    const wchar_t* GetText() const { return m_strText.c_str(); }
    // Chooses a row without telling the parent; an index outside the rows changes nothing.
    void SetCurSel(int nIndex);
    // New rows to choose from, passed on to the list once it exists; the text, which came
    // from the old rows, is emptied.
    void SetItems(const std::vector<ComboItem>& items);
    // Creates the list on first use, sized to the combo's width and filled with its rows.
    void EnsureList();
    // Opens the list under the combo, with the row of its text lit when asked; closes it when
    // it shows.
    void ToggleList(bool bLightChoice);
    // F4 (WM_KEYDOWN) or Alt+Down (WM_SYSKEYDOWN): the keys that open or close a drop-down list.
    static bool IsDropDownKey(UINT uMsg, WPARAM wParam);
    // The drop-down list, once EnsureList has made it.
    TComboxList* List() const { return m_pList.get(); }
    std::size_t ItemCount() const { return m_vecItems.size(); }

    std::vector<LONG> AccChildren(LONG) override { return {}; }
    bool AccDescribe(LONG nId, AccElement& element) override;
    void AccDoDefaultAction(LONG) override { ToggleList(false); }

    std::unique_ptr<TComboxList> m_pList;
    int m_nHeight = 20;

private:
    bool m_bHover = false;
    bool m_bFocus = false;
    HFONT m_hFont = nullptr;
    std::wstring m_strText;
    int m_nCurSel = -1;
    std::vector<ComboItem> m_vecItems;
    int m_nButtonWidth = 14;

    void OnPaint();
    void OnMouseMove();
    void OnLButtonDown(LPARAM lParam);
    void OnMouseLeave();
    // A row reported by the list: taken when it is one of ours, passed on in every case.
    void SelectItem(int nIndex);
};
