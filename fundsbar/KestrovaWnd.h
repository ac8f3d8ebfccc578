#pragma once
#include "columns/ColumnStore.h"
#include "fundsbar/FundsSelection.h"
#include "toolkit/Accessible.h"
#include "toolkit/ComboxList.h"
#include "toolkit/IxFrm.h"
#include "toolkit/ModalWnd.h"
#include "toolkit/TextWidths.h"

#include <memory>
#include <string>
#include <vector>

// The funds bar: a dark strip of cells, one per shown funds column, showing the funds of
// one account in one currency. Assistive tools read it as a group named by the window type's
// title and the account, holding a cell per shown column in display order, named by its title,
// its value the text drawn; "Account No." and "Currency" are combo boxes whose default action
// opens their list.
class TKestrovaWnd : public TIxFrm, public TAccessibleContent {
public:
    static constexpr int kConfigCommand = 101;
    static constexpr UINT kForeignCloseMilliseconds = 5000;

    TKestrovaWnd();

    // Creates the window and its lists and brings the bar to its first state.
    bool CreateBar();
    // Ends the bar for good, as the host's destroying its window does: a column dialog or menu
    // it runs ends without saving, its lists go, the bar leaves the plug-in's lists, and the
    // object is deleted as soon as none of its handlers is running. A window of another thread
    // is closed through that thread, waited for up to kForeignCloseMilliseconds; one that stays
    // is reported to a debugger.
    void Close();
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Lays out and draws every shown column into dc within rcClient.
    virtual void DrawBar(HDC hDC, const RECT& rcClient);
    // The text of one column for the shown account and record; dest holds 260 characters.
    void FormatFundsValue(int nColId, wchar_t* dest) const;

    // Shown cell k is element k + 1.
    std::vector<LONG> AccChildren(LONG nParent) override;
    bool AccDescribe(LONG nId, AccElement& element) override;
    void AccDoDefaultAction(LONG nId) override;

    // The bar's columns in display order, as loaded or as the column dialog left them.
    const std::vector<ColumnSetting>& Settings() const { return m_vecSettings; }
    // The "Account No." and "Currency" cells as the last paint placed them (client coordinates).
    const RECT& AccountCell() const { return m_rcAccount; }
    const RECT& CurrencyCell() const { return m_rcCurrency; }
    // Which account, currency and record the bar shows.
    const TFundsSelection& Selection() const { return m_selection; }
    // The lists the two cells open; null before the bar is created.
    const TComboxList* AccountList() const { return m_pAccountList.get(); }
    const TComboxList* CurrencyList() const { return m_pCurrencyList.get(); }

protected:
    // A bar goes with its window (Close, or the host destroying it).
    ~TKestrovaWnd() override = default;

private:
    // The window is being destroyed: a column dialog the bar runs ends unsaved, and the bar
    // leaves the lists that notices walk.
    void OnDestroy();
    void LoadColumns();
    void OnPaint();
    // Asks for a WM_MOUSELEAVE unless one is pending.
    void TrackLeave();
    void OnMouseMove();
    void OnMouseLeave();
    void OnLButtonDown();
    // What a click on the "Account No." or the "Currency" cell does: its list opens, or closes
    // when it shows.
    void PressDropCell(bool bAccount);
    void OnLButtonDblClk();
    void ShowContextMenu();
    void OpenColumnDialog();
    void OnColumnsChanged();
    void OnListSelect(HWND hList, LPARAM nRow);
    void OnFundsChanged(const FundsRecord* record);
    void OnAccountsChanged();
    void OnUserNoUpdate();

    // The account and the record whose figures the bar shows.
    struct ShownFunds {
        std::string account;
        const FundsRecord* pFunds;
    };
    ShownFunds Shown() const;
    // Repaints at once when the account or the record differs from before.
    void RepaintIfChanged(const ShownFunds& before);

    // The shown columns as a paint lays them out: the settings' places, titles, values and
    // cell rectangles (the title's band; the value's lies 20 pixels lower).
    struct BarLayout {
        std::vector<std::size_t> shown;
        std::vector<std::wstring> titles;
        std::vector<std::wstring> values;
        std::vector<RECT> cells;
    };
    BarLayout LayOut(HDC hDC, const RECT& rcClient);
    // As the window's next paint would.
    BarLayout LayOutClient();

    void DrawDropArrow(HDC hDC, const RECT& rcCell) const;
    void OpenList(TComboxList& list, const RECT& rcCell, const std::vector<ComboItem>& rows);
    void CloseLists();
    void Invalidate() const;

    // The right button went down on the bar and has not been released there since, nor has
    // the mouse left the bar.
    bool m_bOwnRightPress = false;
    // Its context menu's loop is running.
    bool m_bMenuOpen = false;
    TTextWidths m_titleWidths;
    TTextWidths m_valueWidths;
    TAccessibleTexts m_drawnValues;
    TModalWnd* m_pRunningDialog = nullptr;
    bool m_bTracking = false;
    RECT m_rcAccount = {};
    bool m_bAccountHot = false;
    RECT m_rcCurrency = {};
    bool m_bCurrencyHot = false;
    std::vector<ColumnSetting> m_vecSettings;
    std::vector<int> m_vecIgnored;
    char m_szName[40] = {};
    TFundsSelection m_selection;
    std::unique_ptr<TComboxList> m_pAccountList;
    std::unique_ptr<TComboxList> m_pCurrencyList;
    int m_nArrowWidth = 9;
};
