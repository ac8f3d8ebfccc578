// Prints what a scroll step of the grid costs against the number of rows it scrolls through,
// and what a full repaint of a page of rows costs against a bare fill-and-copy of the same
// size. The owner refills the screen rows on every WM_NOTIFY as the column dialog does.
#include "grid/GridCtrl.h"
#include "plugin/entry/Exports.h"
#include "support/TestSupport.h"
#include "toolkit/MemDC.h"
#include "toolkit/SharedDrawing.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int kGridWidth = 290;
constexpr int kGridHeight = 450; // the column dialog's grid
constexpr COLORREF kHeaderBack = RGB(240, 240, 240);
constexpr COLORREF kRowBack = RGB(243, 243, 243);

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1e6 / double(frequency.QuadPart);
}

// The grid's owner: a top-level window holding the grid over its client area, refilling the
// rows on view whenever the grid announces a move.
class GridOwner : public TIxFrm {
public:
    explicit GridOwner(int rows) : m_nItems(rows - 1) {
        Create(L"KestrovaBenchGridOwner", nullptr, WS_POPUP | WS_VISIBLE, 0);
        MoveWindow(m_hWnd, 0, 0, kGridWidth, kGridHeight, TRUE);
        m_grid.Create(m_hWnd);
        m_grid.m_nCols = 3;
        m_grid.m_crBkgnd = kRowBack;
        const int widths[] = {40, 160, 75};
        for (int c = 0; c < 3; ++c) {
            m_grid.SetColumnWidth(c, widths[c]);
        }
        m_grid.SetRowHeight(0);
        MoveWindow(m_grid.m_hWnd, 0, 0, kGridWidth, kGridHeight, TRUE);
        Fill(0);
        UpdateWindow(m_grid.m_hWnd);
    }
    ~GridOwner() override { DestroyWindow(m_hWnd); }

    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM lParam) override {
        if (uMsg != WM_NOTIFY) {
            return kNotHandled;
        }
        Fill(reinterpret_cast<const GridViewRange*>(lParam)->nFirst);
        return 0;
    }

    // Writes the cells of the screen rows from logical row first + 1 on, as the column dialog
    // does: a check box, a title and a Yes/No combo cell per row.
    void Fill(int first) {
        if (m_grid.m_nRows != m_nItems + 1) {
            m_grid.m_nRows = m_nItems + 1;
            m_grid.UpdateScrollBars();
        }
        GridItem model = {};
        GetObjectW(g_hTextFont.get(), sizeof(model.lfFont), &model.lfFont);
        model.nTextTop = 5;
        model.nMargin = 3;
        model.mask = 0x3F1;
        model.nFormat = DT_VCENTER;
        model.crBack = kRowBack;
        const std::vector<std::wstring> choices = {L"Yes", L"No"};
        const wchar_t* headers[] = {L"Show", L"Title", L"Show Color"};
        for (int k = 0, r = first; r < m_grid.m_nRows && r < first + m_grid.m_nPageRows; ++k, ++r) {
            for (int j = 0; j < m_grid.m_nCols; ++j) {
                GridItem item = model;
                item.row = k;
                item.col = j;
                if (k == 0) {
                    item.crBack = kHeaderBack;
                    item.crText = RGB(58, 58, 58);
                    lstrcpynW(item.text, headers[j], 261);
                } else if (j == 0) {
                    auto box = std::make_unique<TGridCellCheckbox>();
                    if (const TGridCellBase* old = m_grid.GetCell(k, 0)) {
                        box->CopyAttributes(*old);
                    }
                    box->m_bChecked = r % 3 != 0;
                    m_grid.SetCell(k, 0, std::move(box));
                } else if (j == 1) {
                    lstrcpynW(item.text, (L"Column " + std::to_wstring(r)).c_str(), 261);
                } else {
                    lstrcpynW(item.text, r % 2 ? L"Yes" : L"No", 261);
                    m_grid.SetCellType(k, 2, kGridCellCombox);
                    m_grid.SetEditorItems(choices);
                }
                m_grid.SetItem(&item);
            }
            m_grid.SetRowHeight(r);
            m_grid.UpdateScrollBars();
        }
        InvalidateRect(m_grid.m_hWnd, nullptr, FALSE);
    }

    TGridCtrl m_grid;
    int m_nItems;
};

// Others share the machine: each figure is the best of several rounds, and the two figures
// of a ratio are taken in alternating rounds so that both see the same load.
template <typename Work> void BestMicroseconds(double& best, int count, Work work) {
    const double begin = Now();
    for (int i = 0; i < count; ++i) {
        work();
    }
    const double each = (Now() - begin) / count;
    best = best > 0 && best < each ? best : each;
}

// Scrolls one row at a time as the user does (the grid scrolls, its owner refills, the grid
// paints), going down and turning back at the ends, so that every step moves the view.
class Scroller {
public:
    Scroller(int rows, int start) : m_owner(rows) {
        SetScrollPos(Grid(), SB_VERT, start, TRUE);
        m_owner.Fill(start);
    }
    void Step() {
        SCROLLINFO si = {sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(Grid(), SB_VERT, &si);
        const int last = si.nMax - static_cast<int>(si.nPage) + 1;
        if ((m_code == SB_LINEDOWN && si.nPos >= last) || (m_code == SB_LINEUP && si.nPos <= 0)) {
            m_code = m_code == SB_LINEDOWN ? SB_LINEUP : SB_LINEDOWN;
        }
        SendMessageW(Grid(), WM_VSCROLL, MAKEWPARAM(m_code, 0), 0);
        UpdateWindow(Grid());
    }

private:
    HWND Grid() const { return m_owner.m_grid.m_hWnd; }

    GridOwner m_owner;
    int m_code = SB_LINEDOWN;
};

// The least any double-buffered paint of the same size does: fill and copy.
class FloorWnd : public TIxFrm {
public:
    FloorWnd() {
        Create(L"KestrovaBenchGridFloor", nullptr, WS_POPUP | WS_VISIBLE, 0);
        MoveWindow(m_hWnd, 0, 0, kGridWidth, kGridHeight, TRUE);
    }
    ~FloorWnd() override { DestroyWindow(m_hWnd); }
    LRESULT WndProc(UINT uMsg, WPARAM, LPARAM) override {
        if (uMsg != WM_PAINT) {
            return kNotHandled;
        }
        TMemDC dc(m_hWnd);
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        FillSolid(dc.GetSafeHdc(), rc, kRowBack);
        return 0;
    }
};

void Repaint(HWND hWnd) {
    InvalidateRect(hWnd, nullptr, FALSE);
    UpdateWindow(hWnd);
}

void BenchScrolling() {
    Scroller few(100, 0), many(100000, 50000);
    double bestFew = 0, bestMany = 0;
    for (int round = 0; round < 20; ++round) {
        BestMicroseconds(bestFew, 60, [&] { few.Step(); });
        BestMicroseconds(bestMany, 60, [&] { many.Step(); });
    }
    std::printf("grid scroll step (refill and paint), 100 rows: %.1f us; 100000 rows: %.1f us; ratio %.2f "
                "(target at most 1.2)\n",
                bestFew, bestMany, bestMany / bestFew);
}

void BenchPaint() {
    GridOwner owner(40);
    FloorWnd floor;
    const HWND hGrid = owner.m_grid.m_hWnd;
    double bestGrid = 0, bestFloor = 0;
    for (int round = 0; round < 20; ++round) {
        BestMicroseconds(bestGrid, 100, [&] { Repaint(hGrid); });
        BestMicroseconds(bestFloor, 100, [&] { Repaint(floor.m_hWnd); });
    }
    std::printf(
        "grid paint %dx%d, %d rows of 3 cells: %.1f us; floor (fill and copy only): %.1f us; ratio %.2f "
        "(target at most 3)\n",
        kGridWidth, kGridHeight, owner.m_grid.m_nPageRows, bestGrid, bestFloor, bestGrid / bestFloor);
}

} // namespace

int main() {
    OnPluginLoad(1033);
    BenchPaint();
    BenchScrolling();
    OnPluginFree();
    testing_support::PumpMessages();
    return 0;
}
