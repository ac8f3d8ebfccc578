// The grid's model and geometry: cells kept by screen row, kinds and attributes, bands open at
// the top and left and closed at the bottom and right, the border hot zone, the page of rows.
#include "support/GridHarness.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <vector>

using testing_support::GridTest;
using testing_support::SameRect;

namespace {

// A cell that counts its own destruction.
struct CountedCell : TGridCellBase {
    explicit CountedCell(int* destroyed) : m_pDestroyed(destroyed) {}
    ~CountedCell() override { ++*m_pDestroyed; }
    int* m_pDestroyed;
};

using GridModel = GridTest;
using GridGeometry = GridTest;

} // namespace

TEST_F(GridModel, CellsAreOwnedReplacedByKindWithTheirAttributesAndFilledByMask) {
    int destroyed = 0;
    grid->SetCell(3, 1, std::make_unique<CountedCell>(&destroyed));
    EXPECT_EQ(grid->GetCell(3, 0), nullptr);
    EXPECT_EQ(grid->GetCell(4, 1), nullptr);
    grid->SetCell(3, 1, std::make_unique<CountedCell>(&destroyed));
    EXPECT_EQ(destroyed, 1);

    // SetItem: each bit its own field, nothing else; null items and missing cells are ignored.
    GridItem item = {};
    item.row = 3;
    item.col = 1;
    wcscpy(item.text, L"Risk%");
    item.nTextTop = 5;
    item.nMargin = 3;
    item.nFormat = DT_VCENTER;
    wcscpy(item.lfFont.lfFaceName, L"Arial");
    item.crBack = RGB(1, 1, 1);
    item.crText = RGB(2, 2, 2);
    item.crSelText = RGB(3, 3, 3);
    TGridCellBase* cell = grid->GetCell(3, 1);
    cell->m_nState = GCS_SELECTED;
    item.mask = 0;
    grid->SetItem(&item);
    EXPECT_STREQ(cell->m_szText, L"");
    item.mask = GIF_TEXT;
    grid->SetItem(&item);
    EXPECT_STREQ(cell->m_szText, L"Risk%");
    EXPECT_EQ(cell->m_crBack, RGB(243, 243, 243));
    EXPECT_EQ(cell->m_nMargin, 0);
    item.mask = 0x7FF; // every bit, those without a field included
    grid->SetItem(&item);
    EXPECT_EQ(cell->m_crBack, RGB(1, 1, 1));
    EXPECT_EQ(cell->m_crText, RGB(2, 2, 2));
    EXPECT_EQ(cell->m_crSelText, RGB(3, 3, 3));
    EXPECT_STREQ(cell->m_lfFont.lfFaceName, L"Arial");
    EXPECT_EQ(cell->m_nTextTop, 5);
    EXPECT_EQ(cell->m_nMargin, 3);
    EXPECT_EQ(cell->m_nFormat, UINT(DT_VCENTER));
    // Never the mask, the state, the selected background or the border.
    EXPECT_EQ(cell->m_nMask, 0x3F9u);
    EXPECT_EQ(cell->m_nState, GCS_SELECTED);
    EXPECT_EQ(cell->m_crSelBack, RGB(50, 112, 195));
    EXPECT_EQ(cell->m_crBorder, RGB(135, 135, 135));
    // Text longer than a cell holds is cut to 259 characters.
    std::fill(std::begin(item.text), std::end(item.text), L'x');
    item.mask = GIF_TEXT;
    grid->SetItem(&item);
    EXPECT_EQ(wcsnlen(cell->m_szText, kCellTextChars), std::size_t(kCellTextChars - 1));
    grid->SetItem(nullptr);
    item.row = 9;
    grid->SetItem(&item);
    EXPECT_EQ(grid->GetCell(9, 1), nullptr);

    // A kind change keeps every attribute, not the kind's own state; kind 3 changes nothing.
    cell->m_crSelBack = RGB(4, 4, 4);
    cell->m_crBorder = RGB(5, 5, 5);
    cell->m_nMask = 0x181;
    grid->SetCellType(3, 1, kGridCellCheckbox);
    EXPECT_EQ(destroyed, 2);
    auto* box = dynamic_cast<TGridCellCheckbox*>(grid->GetCell(3, 1));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->m_szText[258], L'x');
    EXPECT_EQ(box->m_szText[259], L'\0');
    const COLORREF colours[] = {box->m_crBack, box->m_crText, box->m_crSelText, box->m_crSelBack,
                                box->m_crBorder};
    EXPECT_EQ(std::vector<COLORREF>(std::begin(colours), std::end(colours)),
              (std::vector<COLORREF>{RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3), RGB(4, 4, 4), RGB(5, 5, 5)}));
    EXPECT_STREQ(box->m_lfFont.lfFaceName, L"Arial");
    EXPECT_EQ(box->m_nTextTop, 5);
    EXPECT_EQ(box->m_nMargin, 3);
    EXPECT_EQ(box->m_nMask, 0x181u);
    EXPECT_EQ(box->m_nFormat, UINT(DT_VCENTER));
    EXPECT_EQ(box->m_nState, GCS_SELECTED);
    box->m_bChecked = true;
    grid->SetCellType(3, 1, kGridCellCheckbox);
    EXPECT_FALSE(dynamic_cast<TGridCellCheckbox*>(grid->GetCell(3, 1))->m_bChecked);
    grid->SetCellType(3, 1, 3);
    grid->SetCellType(3, 1, 0);
    EXPECT_NE(dynamic_cast<TGridCellCheckbox*>(grid->GetCell(3, 1)), nullptr);
    grid->SetCellType(5, 2, kGridCellHeader);
    auto* header = dynamic_cast<TGridHeader*>(grid->GetCell(5, 2));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->m_nSortArrow, 1);
    EXPECT_EQ(header->m_crBack, RGB(243, 243, 243));
    EXPECT_EQ(header->m_nMask, 0x3F9u);
}

TEST_F(GridModel, PageComesFromTheHeaderHeightAndNewScreenRowsGetDefaultCells) {
    grid->m_nCols = 2;
    grid->SetRowHeight(0);
    auto rowsAndColumns = [&] {
        int cells = 0;
        for (const auto& row : grid->m_cells) {
            cells += static_cast<int>(row.second.size());
        }
        return std::make_pair(static_cast<int>(grid->m_cells.size()), cells);
    };
    MoveWindow(grid->m_hWnd, 0, 0, 300, 100, TRUE); // 100 / 22
    EXPECT_EQ(grid->m_nPageRows, 4);
    EXPECT_EQ(rowsAndColumns(), std::make_pair(4, 8));

    // The owner's cells stay; growing adds rows of default cells, shrinking removes none.
    auto owned = std::make_unique<TGridCellCheckbox>();
    TGridCellBase* kept = owned.get();
    grid->SetCell(2, 1, std::move(owned));
    MoveWindow(grid->m_hWnd, 0, 0, 300, 180, TRUE);
    EXPECT_EQ(grid->m_nPageRows, 8);
    EXPECT_EQ(rowsAndColumns(), std::make_pair(8, 16));
    EXPECT_EQ(grid->GetCell(2, 1), kept);
    const TGridCellBase* added = grid->GetCell(7, 1);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->m_crBack, RGB(243, 243, 243));
    EXPECT_EQ(added->m_nFormat, UINT(DT_CENTER | DT_VCENTER));
    MoveWindow(grid->m_hWnd, 0, 0, 300, 30, TRUE);
    EXPECT_EQ(grid->m_nPageRows, 1);
    EXPECT_EQ(rowsAndColumns(), std::make_pair(8, 16));

    // Without a stored header height a row is 25 pixels.
    grid->m_rowHeights.clear();
    MoveWindow(grid->m_hWnd, 0, 0, 300, 99, TRUE);
    EXPECT_EQ(grid->m_nPageRows, 3);
}

TEST_F(GridGeometry, BandsAreOpenAtTheTopAndLeftAndClosedAtTheBottomAndRight) {
    Layout({40, 160, 75}, 40, SIZE{400, 400}); // 18 rows a page, scrolled below
    struct Case {
        POINT pt;
        int vPos;
        GridCellId hit; // logical row
    } cases[] = {
        {{0, 0}, 0, {-1, -1}},                           // the top line and the left column are in no band
        {{1, 1}, 0, {0, 0}},      {{40, 22}, 0, {0, 0}}, // closed right and bottom edges
        {{41, 23}, 0, {1, 1}},    {{200, 44}, 0, {1, 1}},    {{201, 45}, 0, {2, 2}},
        {{275, 396}, 0, {17, 2}}, {{276, 397}, 0, {-1, -1}}, // beyond the last column and row
        {{10, 10}, 7, {0, 0}},                               // the header stays row 0 at any scroll position
        {{10, 23}, 7, {8, 0}},    {{10, 396}, 7, {24, 0}},   {{10, 397}, 22, {-1, 0}},
    };
    for (const Case& c : cases) {
        SetScrollPos(grid->m_hWnd, SB_VERT, c.vPos, FALSE);
        const GridCellId hit = grid->HitTest(c.pt);
        EXPECT_EQ(hit.row, c.hit.row) << c.pt.x << "," << c.pt.y << " at " << c.vPos;
        EXPECT_EQ(hit.col, c.hit.col) << c.pt.x << "," << c.pt.y << " at " << c.vPos;
    }

    // A cell's rectangle in hit-test coordinates, following both scroll positions.
    SetScrollPos(grid->m_hWnd, SB_VERT, 5, FALSE);
    RECT rc = grid->GetCellRect(GridCellId{7, 1});
    EXPECT_TRUE(SameRect(rc, RECT{40, 44, 200, 66}));
    rc = grid->GetCellRect(GridCellId{0, 2});
    EXPECT_TRUE(SameRect(rc, RECT{200, 0, 275, 22}));
    grid->SetColumnWidth(1, 600);
    grid->UpdateScrollBars();
    SetScrollPos(grid->m_hWnd, SB_HORZ, 30, FALSE);
    rc = grid->GetCellRect(GridCellId{6, 2});
    EXPECT_TRUE(SameRect(rc, RECT{610, 22, 685, 44}));
    EXPECT_EQ(grid->HitTest(POINT{11, 30}).col, 1); // x 41 once scrolled
    EXPECT_EQ(grid->HitTest(POINT{10, 30}).col, 0);
}

TEST_F(GridGeometry, ColumnBorderIsHotOnePixelEitherSideAndWithoutWidthsNothingHits) {
    Layout({40, 160, 75}, 3, SIZE{600, 200});
    for (const int border : {40, 200, 275}) {
        for (int dx = -3; dx <= 3; ++dx) {
            int col = 99;
            const bool hot = grid->HitColumnBorder(POINT{border + dx, 10}, &col);
            const int expected = border == 40 ? 0 : border == 200 ? 1 : 2;
            EXPECT_EQ(hot, std::abs(dx) <= 1) << border << " " << dx;
            EXPECT_EQ(col, hot ? expected : -1) << border << " " << dx;
        }
    }
    // A column without a stored width counts 100 pixels for the border test.
    grid->m_nCols = 4;
    int col = 0;
    EXPECT_TRUE(grid->HitColumnBorder(POINT{375, 10}, &col));
    EXPECT_EQ(col, 3);
    EXPECT_EQ(grid->GetTotalWidth(), 275);

    grid->m_colWidths.clear();
    EXPECT_EQ(grid->HitTest(POINT{20, 10}).col, -1);
    POINT origin = {7, 7};
    EXPECT_FALSE(grid->GetCellOrigin(1, 1, &origin));
    EXPECT_EQ(origin.x, 7);
    const RECT rc = grid->GetCellRect(GridCellId{1, 1});
    EXPECT_TRUE(SameRect(rc, RECT{0, 0, 0, 0}));
    EXPECT_EQ(grid->GetTotalWidth(), 0);
}
