// Prints what a scroll step of the grid costs against the number of rows it scrolls through,
// and what a full repaint of a page of rows costs against a bare fill-and-copy of the same size.
// The owner refills the screen rows on every WM_NOTIFY as the column dialog does.
#include "grid/GridCtrl.h"
#include "plugin/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/SharedDrawing.h"
#include "BenchSupport.h"

#include <cstdio>

namespace {

constexpr int kWidth = 290, kHeight = 450; // the column dialog's grid
constexpr int kColumnWidths[] = {40, 160, 75};

// A top-level window of the grid's size holding a grid, refilling the rows on view whenever the
// grid announces a move. Without rows, the grid's paint is the floor: a fill and the copy of the
// double buffer.
class Owner : public TIxFrm {
public:
    explicit Owner(int rows, int first = 0) {
        Create(L"KestrovaBenchGridOwner", nullptr, WS_POPUP | WS_VISIBLE, 0);
        MoveWindow(m_hWnd, 0, 0, kWidth, kHeight, TRUE);
        m_grid.Create(m_hWnd);
        m_grid.SetBackgroundColour(kCellColour);
        m_grid.SetColumnCount(3);
        for (int col = 0; col < 3; ++col) {
            m_grid.SetColumnWidth(col, kColumnWidths[col]);
        }
        m_grid.SetRowCount(rows);
        MoveWindow(m_grid.m_hWnd, 0, 0, kWidth, kHeight, TRUE);
        SetScrollPos(m_grid.m_hWnd, SB_VERT, first, TRUE);
        Fill(first);
        m_grid.SetEditorItems({L"Yes", L"No"});
    }
    ~Owner() override { DestroyWindow(m_hWnd); }

    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM lParam) override {
        if (uMsg != WM_NOTIFY) {
            return kNotHandled;
        }
        Fill(reinterpret_cast<const GridViewRange*>(lParam)->nFirst);
        return 0;
    }

    // A header of plain cells, then a check box, a title and a Yes/No combo cell per row.
    void Fill(int first) {
        GridItem item = {};
        GetObjectW(g_hTextFont.get(), sizeof(item.lfFont), &item.lfFont);
        item.mask = 0x3F1;
        item.nFormat = DT_VCENTER;
        for (int k = 0, r = first; r < m_grid.RowCount() && k < m_grid.RowsOnView(); ++k, ++r) {
            const std::wstring texts[] = {L"", L"Column " + std::to_wstring(r), r % 2 ? L"Yes" : L"No"};
            const wchar_t* headers[] = {L"Show", L"Title", L"Show Color"};
            for (item.row = k, item.col = 0; item.col < 3; ++item.col) {
                item.crBack = k == 0 ? kFaceColour : kCellColour;
                lstrcpynW(item.text, k == 0 ? headers[item.col] : texts[item.col].c_str(), kTextChars + 1);
                if (k > 0 && item.col != 1) {
                    m_grid.SetCellType(k, item.col, item.col == 0 ? kGridCellCheckbox : kGridCellCombox);
                }
                m_grid.SetItem(&item);
            }
            if (k > 0) {
                static_cast<TGridCellCheckbox*>(m_grid.GetCell(k, 0))->m_bChecked = r % 3 != 0;
            }
        }
        m_grid.UpdateScrollBars();
    }

    // One row as the user scrolls (the grid scrolls, its owner refills, the grid paints), turning
    // back at the ends so that every step moves the view.
    void Step() {
        const int pos = GetScrollPos(m_grid.m_hWnd, SB_VERT);
        m_nCode = pos == 0                                         ? SB_LINEDOWN
                  : pos == m_grid.RowCount() - m_grid.RowsOnView() ? SB_LINEUP
                                                                   : m_nCode;
        SendMessageW(m_grid.m_hWnd, WM_VSCROLL, static_cast<WPARAM>(m_nCode), 0);
        UpdateWindow(m_grid.m_hWnd);
    }

    TGridCtrl m_grid;
    int m_nCode = SB_LINEDOWN;
};

// The texts a full page of the grid shows, where its cells show them.
std::vector<bench::FloorText> GridTexts(int pageRows) {
    std::vector<bench::FloorText> texts;
    for (int k = 0; k < pageRows; ++k) {
        const std::wstring row[] = {k == 0 ? L"Show" : L"",
                                    k == 0 ? L"Title" : L"Column " + std::to_wstring(k),
                                    k == 0  ? L"Show Color"
                                    : k % 2 ? L"Yes"
                                            : L"No"};
        for (int col = 0, x = 4; col < 3; x += kColumnWidths[col++]) {
            texts.push_back({g_hTextFont.get(), RGB(50, 50, 50), {x, k * 22 + 4}, row[col]});
        }
    }
    return texts;
}

} // namespace

int main() {
    OnPluginLoad(1033);
    {
        Owner owner(40), empty(0);
        bench::FloorWnd textFloor(kCellColour, GridTexts(owner.m_grid.RowsOnView()));
        SetWindowPos(textFloor.m_hWnd, HWND_TOP, 0, 0, kWidth, kHeight, SWP_SHOWWINDOW);
        const auto print = [&](const char* floor, const bench::Medians& m) {
            std::printf(
                "grid paint %dx%d, %d rows of 3 cells: %.1f us; floor %s: %.1f us; ratio %.2f (target at "
                "most %s)\n",
                kWidth, kHeight, owner.m_grid.RowsOnView(), m.first, floor, m.second, m.ratio,
                floor[0] == '(' ? "3" : "1.3");
        };
        print("(fill and copy only)", bench::InTurn(
                                          21, 50, [&] { bench::Repaint(owner.m_grid.m_hWnd); },
                                          [&] { bench::Repaint(empty.m_grid.m_hWnd); }));
        print("with the same texts (fill, ExtTextOutW and copy)",
              bench::InTurn(
                  21, 50, [&] { bench::Repaint(owner.m_grid.m_hWnd); },
                  [&] { bench::Repaint(textFloor.m_hWnd); }));
    }
    {
        Owner few(100), many(100000, 50000);
        const bench::Medians m = bench::InTurn(
            21, 30, [&] { few.Step(); }, [&] { many.Step(); });
        std::printf(
            "grid scroll step (refill and paint), 100 rows: %.1f us; 100000 rows: %.1f us; ratio %.2f "
            "(target at most 1.2)\n",
            m.first, m.second, 1 / m.ratio);
    }
    OnPluginFree();
    testing_support::PumpMessages();
    return 0;
}
