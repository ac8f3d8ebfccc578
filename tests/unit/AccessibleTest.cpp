// What screen readers and automation tools read of the plug-in's windows, from a thread of their
// own in another apartment: a bar's cells and its drop-down lists, the column dialog's controls
// and table, the default actions, the events, the apartments a host may have set up, and
// objects held past their window.
#include "columns/ConfigCol.h"

#include "support/AccessibleTool.h"
#include "support/BarHarness.h"
#include "support/ModalScript.h"
#include "support/RecordingWindow.h"

#include <optional>

using namespace testing_support;

namespace {

using AccessibleBar = FundsTest;

RECT ScreenRect(HWND hWnd, RECT rc) {
    MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// What a call that finds an element answers, and the element's place: -1 for an object or none.
std::pair<HRESULT, LONG> Found(HRESULT hr, const VARIANT& v) {
    return {hr, v.vt == VT_I4 ? v.lVal : -1};
}

} // namespace

TEST_F(AccessibleBar, ReadsAsItsCellsAndItsListsChooseAsClicksDo) {
    AccEventLog events; // a bar's first paint raises none
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const HWND hBar = bar->m_hWnd, hList = bar->CurrencyList()->m_hWnd;
    const RECT account = ScreenRect(hBar, bar->AccountCell()),
               currency = ScreenRect(hBar, bar->CurrencyCell());
    const int nRowHeight = bar->CurrencyList()->RowHeight();
    // Tools that listen hear of a figure the bar draws anew, before any has read the bar.
    host::RecordStore::SetDouble(base1, host::Funds::NetPnl, 11.0);
    RedrawWindow(hBar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    AccEventLog::Settle();
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_VALUECHANGE, hBar, OBJID_CLIENT, 6}), 1);
    AsTool([&] {
        const AccNode root = FromWindow(hBar);
        EXPECT_EQ(Summary({root}), (NamesValuesRoles{{L"Funds Bar 1001", L"", ROLE_SYSTEM_GROUPING}}));
        const std::vector<AccNode> cells = Children(root);
        const LONG combo = ROLE_SYSTEM_COMBOBOX, cell = ROLE_SYSTEM_CELL;
        EXPECT_EQ(Summary(cells), (NamesValuesRoles{{L"Account No.", L"1001", combo},
                                                    {L"Currency", L"Base", combo},
                                                    {L"Account Balance", L"1234.50", cell},
                                                    {L"Account Value", L"2000.00", cell},
                                                    {L"Exchange Fee", L"-3.25", cell},
                                                    {L"Net PnL", L"11.00", cell},
                                                    {L"PnL%", L"12.34%", cell},
                                                    {L"Unrealized PnL", L"0.00", cell},
                                                    {L"Adjustment", L"0.00", cell},
                                                    {L"Risk%", L"0.12", cell}}));
        // Where a click opens the list, and the cells side by side.
        EXPECT_EQ(Edges(Read(cells[0]).rc), Edges(account));
        EXPECT_EQ(Edges(Read(cells[1]).rc), Edges(currency));
        EXPECT_EQ(Read(cells[2]).rc.left, currency.right);
        EXPECT_EQ(Read(cells[1]).action, L"Open");
        EXPECT_EQ(DoDefault(cells[2]), DISP_E_MEMBERNOTFOUND);
        // A point finds its cell, or right of the cells the bar itself; a step a neighbour or the
        // last; above the bar is the system's object for its window.
        VARIANT v = {};
        const LONG x = currency.left + 1, beside = Read(cells[9]).rc.right;
        EXPECT_EQ(Found(root.acc->accHitTest(x, currency.bottom - 1, &v), v), std::pair(S_OK, 2L));
        EXPECT_EQ(Found(root.acc->accHitTest(x, currency.bottom, &v), v), std::pair(S_FALSE, -1L));
        EXPECT_EQ(Found(root.acc->accHitTest(beside, currency.top, &v), v), std::pair(S_OK, 0L)); // itself
        EXPECT_EQ(Found(root.acc->accNavigate(NAVDIR_NEXT, ChildId(2), &v), v), std::pair(S_OK, 3L));
        EXPECT_EQ(Found(root.acc->accNavigate(NAVDIR_PREVIOUS, ChildId(2), &v), v), std::pair(S_OK, 1L));
        EXPECT_EQ(Found(root.acc->accNavigate(NAVDIR_LASTCHILD, ChildId(0), &v), v), std::pair(S_OK, 10L));
        IDispatch* parent = nullptr;
        EXPECT_EQ(root.acc->get_accParent(&parent), S_OK);
        HWND hParentWindow = nullptr;
        EXPECT_EQ(WindowFromAccessibleObject(Hold(Query(parent)).get(), &hParentWindow), S_OK);
        EXPECT_EQ(hParentWindow, hBar);

        // The currency list opens as a click opens it; the lit row is the selected item, and an
        // item's default action chooses it.
        EXPECT_EQ(DoDefault(cells[1]), S_OK);
        EXPECT_TRUE(Eventually([&] { return Read(cells[1]).state & STATE_SYSTEM_EXPANDED; }));
        const AccNode list = FromWindow(hList);
        const std::vector<AccNode> items = Children(list);
        const LONG item = ROLE_SYSTEM_LISTITEM;
        EXPECT_EQ(Summary(items), (NamesValuesRoles{{L"Base", L"", item}, {L"CNY", L"", item}}));
        EXPECT_EQ(Read(items[1]).state & STATE_SYSTEM_SELECTED, 0);
        Mouse(hList, POINT{5, nRowHeight + 3}, {WM_MOUSEMOVE}); // the real cursor there, or it has left

        EXPECT_TRUE(Eventually([&] { return Read(items[1]).state & STATE_SYSTEM_SELECTED; }));
        EXPECT_TRUE(Eventually([&] {
            return AccEventLog::Count({EVENT_OBJECT_SELECTION, hList, OBJID_CLIENT, 2});
        }));
        EXPECT_EQ(Read(items[1]).action, L"Select");
        EXPECT_EQ(DoDefault(items[1]), S_OK);
        EXPECT_TRUE(Eventually([&] { return Read(cells[1]).value == L"CNY"; }));
        EXPECT_EQ(Read(cells[2]).value, L"1.00");
        EXPECT_EQ(Read(cells[1]).state & (STATE_SYSTEM_EXPANDED | STATE_SYSTEM_COLLAPSED),
                  STATE_SYSTEM_COLLAPSED);
        EXPECT_TRUE(Read(list).state & STATE_SYSTEM_INVISIBLE);
        EXPECT_EQ(DoDefault(items[0]), DISP_E_MEMBERNOTFOUND); // a hidden list chooses nothing

        // Objects held past their windows answer that they are gone.
        SendMessageW(hBar, WM_CLOSE, 0, 0);
        for (const AccNode& node : {root, cells[1], list, items[0]}) {
            EXPECT_EQ(Read(node).hr, CO_E_OBJNOTCONNECTED);
            EXPECT_EQ(DoDefault(node), CO_E_OBJNOTCONNECTED);
        }
    });
    // Tools hear of each figure the choice changed.
    AccEventLog::Settle();
    for (LONG changed : {2, 3}) {
        EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_VALUECHANGE, hBar, OBJID_CLIENT, changed}), 1) << changed;
    }
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_VALUECHANGE, hBar, OBJID_CLIENT, 1}), 0);
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_REORDER, hBar, OBJID_CLIENT, CHILDID_SELF}), 0);
}

TEST_F(AccessibleBar, TheColumnDialogReadsAsItsControlsAndTablePressedByDefaultActions) {
    TKestrovaWnd* bar = OpenBar();
    ASSERT_NE(bar, nullptr);
    const HWND hBar = bar->m_hWnd;
    HWND hHideAll = nullptr, hGrid = nullptr, hCombo = nullptr;
    std::optional<AccEventLog> events; // from the dialog's first step on
    const auto step = [&](HWND hDialog) {
        TConfigCol& dialog = *dynamic_cast<TConfigCol*>(TIxFrm::FromHandle(hDialog));
        // The buttons in the order they are made: "Show All", then "Hide All".
        hHideAll = FindWindowExW(hDialog, FindWindowExW(hDialog, nullptr, L"TStaticButton", nullptr),
                                 L"TStaticButton", nullptr);
        hGrid = dialog.Grid()->m_hWnd;
        hCombo = FindWindowExW(hDialog, nullptr, L"TCombox", nullptr);
        ClickAt(hGrid, POINT{120, 22 * 3 + 11}); // the third row selected
        UpdateWindow(hDialog);
        Canvas caption(TConfigCol::kWidth, 30); // the close cross 20 to 9 pixels from the right, unlit
        CaptureWindow(hDialog, caption);
        EXPECT_GT(caption.Count({365, 9, 376, 21}, RGB(150, 150, 150)), 15);
        events.emplace();
        AsTool([&] {
            const AccNode root = FromWindow(hDialog);
            EXPECT_EQ(Summary({root}), (NamesValuesRoles{{L"Config Column", L"", ROLE_SYSTEM_DIALOG}}));
            const std::vector<AccNode> controls = Children(root);
            const LONG button = ROLE_SYSTEM_PUSHBUTTON;
            EXPECT_EQ(Summary(controls), (NamesValuesRoles{{L"", L"", ROLE_SYSTEM_TABLE},
                                                           {L"", L"Yes", ROLE_SYSTEM_COMBOBOX},
                                                           {L"Show All", L"", button},
                                                           {L"Hide All", L"", button},
                                                           {L"OK", L"", button},
                                                           {L"Cancel", L"", button},
                                                           {L"Move Up", L"", button},
                                                           {L"Move Down", L"", button}}));
            const std::vector<AccNode> rows = Children(controls[0]);
            const LONG header = ROLE_SYSTEM_COLUMNHEADER, cell = ROLE_SYSTEM_CELL;
            EXPECT_EQ(Summary(Children(rows[0])),
                      (NamesValuesRoles{
                          {L"Show", L"", header}, {L"Title", L"", header}, {L"Show Color", L"", header}}));
            const std::vector<AccNode> first = Children(rows[1]);
            EXPECT_EQ(Summary(first), (NamesValuesRoles{{L"Show", L"", ROLE_SYSTEM_CHECKBUTTON},
                                                        {L"Title", L"Currency", cell},
                                                        {L"Show Color", L"No", cell}}));
            EXPECT_TRUE(Read(first[0]).state & STATE_SYSTEM_CHECKED);
            // The table has the focus the click gave it, on none of its rows; its first selected
            // row is the third.
            EXPECT_TRUE(Read(controls[0]).state & STATE_SYSTEM_FOCUSED);
            VARIANT selected = {};
            EXPECT_EQ(Found(controls[0].acc->get_accFocus(&selected), selected), std::pair(S_OK, 0L));
            EXPECT_EQ(controls[0].acc->get_accSelection(&selected), S_OK);
            EXPECT_EQ(
                Read(AccNode{Hold(Query(selected.vt == VT_DISPATCH ? selected.pdispVal : nullptr))}).rc.top,
                Read(rows[3]).rc.top);
            IDispatch* parent = nullptr;
            EXPECT_EQ(controls[0].acc->get_accParent(&parent), S_OK);
            EXPECT_EQ(Read(AccNode{Hold(Query(parent))}).name, L"Config Column");
            EXPECT_EQ(rows[3].acc->get_accParent(&parent), S_OK);
            EXPECT_EQ(Read(AccNode{Hold(Query(parent))}).role, ROLE_SYSTEM_TABLE);

            EXPECT_EQ(DoDefault(controls[3]), S_OK); // Hide All
            EXPECT_TRUE(Eventually([&] { return !(Read(first[0]).state & STATE_SYSTEM_CHECKED); }));
            EXPECT_TRUE(Read(controls[3]).state & STATE_SYSTEM_FOCUSED);

            // The bar's cells take no action while the dialog holds back its clicks: of a bar's
            // cell and a check box asked after it, the box is ticked, the bar's list stays shut.
            const AccNode account = Children(FromWindow(hBar))[0];
            const AccNode excessCash = Children(rows[2])[0];
            EXPECT_EQ(Read(excessCash).action, L"Check");
            EXPECT_EQ(DoDefault(account), S_OK);
            EXPECT_EQ(DoDefault(excessCash), S_OK);
            EXPECT_TRUE(Eventually([&] { return Read(excessCash).state & STATE_SYSTEM_CHECKED; }));
            EXPECT_TRUE(Read(account).state & STATE_SYSTEM_COLLAPSED);
            // The box as its event names it: its row's object, its place in the row.
            IAccessible* row = nullptr;
            VARIANT box = {};
            EXPECT_EQ(AccessibleObjectFromEvent(hGrid, TGridCtrl::RowElement(2), 1, &row, &box), S_OK);
            EXPECT_EQ(Read(AccNode{Hold(row), box.lVal}).state & STATE_SYSTEM_CHECKED, STATE_SYSTEM_CHECKED);

            EXPECT_EQ(DoDefault(controls[1]), S_OK);
            EXPECT_TRUE(Eventually([&] { return Read(controls[1]).state & STATE_SYSTEM_EXPANDED; }));
            HWND hList = nullptr; // the combo box's list, the one popup that shows
            while ((hList = FindWindowExW(nullptr, hList, L"TPopupWnd", nullptr)) &&
                   !IsWindowVisible(hList)) {
            }
            const std::vector<AccNode> choices = Children(FromWindow(hList));
            EXPECT_EQ(Summary(choices), (NamesValuesRoles{{L"Yes", L"", ROLE_SYSTEM_LISTITEM},
                                                          {L"No", L"", ROLE_SYSTEM_LISTITEM}}));
            EXPECT_EQ(DoDefault(choices[1]), S_OK);
            EXPECT_TRUE(Eventually([&] { return Read(controls[1]).value == L"No"; }));
            EXPECT_EQ(DoDefault(choices[0]), DISP_E_MEMBERNOTFOUND);

            EXPECT_EQ(DoDefault(controls[4]), S_OK); // OK
            EXPECT_TRUE(Eventually([&] { return Read(root).hr == CO_E_OBJNOTCONNECTED; }));
        });
    };
    ASSERT_TRUE(RunModal({step}, [&] { DoubleClickAt(hBar, POINT{300, 25}); }));
    std::wstring shown;
    for (const ColumnSetting& setting : bar->Settings()) {
        shown += setting.bShow ? std::to_wstring(setting.nColId) + L" " : L"";
    }
    EXPECT_EQ(shown, L"0 2 ");
    UpdateWindow(hBar); // the cells the dialog changed, drawn: tools must read them again
    AccEventLog::Settle();
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_REORDER, hBar, OBJID_CLIENT, CHILDID_SELF}), 1);
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_FOCUS, hHideAll, OBJID_CLIENT, CHILDID_SELF}), 1);
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_STATECHANGE, hGrid, TGridCtrl::RowElement(2), 1}), 1);
    EXPECT_EQ(AccEventLog::Count({EVENT_OBJECT_VALUECHANGE, hCombo, OBJID_CLIENT, CHILDID_SELF}), 1);
}

// A host that set up an apartment on its thread keeps it as it was; one that did not finds its
// thread in a single-threaded apartment for good; one that put it in the multithreaded apartment
// gets the system's standard object, whose calls never reach the window's object.
TEST_F(AccessibleBar, KeepsTheHostsApartmentEntersOneWhereThereIsNoneAndStaysOutOfTheMultithreaded) {
    constexpr DWORD kNone = ~0u;
    const std::tuple<DWORD, LONG, bool> cases[] = {
        {kNone, ROLE_SYSTEM_PUSHBUTTON, true},
        {COINIT_APARTMENTTHREADED, ROLE_SYSTEM_PUSHBUTTON, false},
        {COINIT_MULTITHREADED, ROLE_SYSTEM_CLIENT, false},
    };
    for (const auto& [apartment, role, staysInOne] : cases) {
        SCOPED_TRACE(apartment);
        std::thread([&, apartment = apartment, role = role, staysInOne = staysInOne] {
            if (apartment != kNone) {
                CoInitializeEx(nullptr, apartment);
            }
            const HWND parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 50});
            {
                TStaticButton button;
                button.Create(parent, L"OK", 2);
                AsTool([&] { EXPECT_EQ(Read(FromWindow(button.m_hWnd)).role, role); });
            }
            DestroyWindow(parent);
            if (apartment != kNone) {
                CoUninitialize();
            }
            APTTYPE type = APTTYPE_CURRENT;
            APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
            const HRESULT hr = CoGetApartmentType(&type, &qualifier);
            EXPECT_EQ(hr == S_OK && (type == APTTYPE_STA || type == APTTYPE_MAINSTA), staysInOne) << hr;
            EXPECT_EQ(hr == CO_E_NOTINITIALIZED, !staysInOne) << hr;
        }).join();
    }
}
