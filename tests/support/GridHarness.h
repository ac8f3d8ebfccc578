#pragma once
// White-box harness of the grid control: a grid in a plain top-level window of the test's own
// that records every notification the grid sends or posts it, one line of text per notice.
// The grid's mouse handlers read the real cursor, so the harness puts the cursor on a client
// point before it sends a mouse message.
#include "grid/GridCtrl.h"
#include "support/RecordingWindow.h"
#include "support/TestSupport.h"
#include "toolkit/SharedDrawing.h"
#include "toolkit/ToolkitMessages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

inline bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

class GridTest : public ::testing::Test {
protected:
    static constexpr int kRowHeight = 22;

    void SetUp() override {
        parent = RecordingWindow::Create(nullptr, WS_POPUP | WS_VISIBLE, RECT{100, 100, 800, 700});
        grid = std::make_unique<TGridCtrl>();
        grid->Create(parent);
        RecordingWindow::onMessage = [this](const MSG& msg) { Record(msg); };
    }
    void TearDown() override {
        RecordingWindow::onMessage = nullptr;
        DestroyWindow(parent);
        grid.reset();
        RecordingWindow::log.clear();
        PumpMessages();
    }

    // Lays the grid out as the column dialog does: column widths and a 22-pixel header, the
    // row count, the window's size, then a stored height for every screen row of the page.
    void Layout(const std::vector<int>& widths, int rows, SIZE size) {
        grid->m_nCols = static_cast<int>(widths.size());
        for (std::size_t c = 0; c < widths.size(); ++c) {
            grid->SetColumnWidth(static_cast<int>(c), widths[c]);
        }
        grid->SetRowHeight(0);
        grid->m_nRows = rows;
        MoveWindow(grid->m_hWnd, 0, 0, size.cx, size.cy, TRUE);
        for (int r = 0; r < grid->m_nPageRows; ++r) {
            grid->SetRowHeight(r);
        }
        grid->UpdateScrollBars();
        notices.clear();
    }

    // Combo cells "Yes" (odd rows) and "No" in a column of every screen row but the header,
    // in the font of the grid's texts, and the editor's choices, as the column dialog has them.
    void MakeComboCells(int col) {
        for (int row = 1; row < grid->m_nPageRows; ++row) {
            grid->SetCellType(row, col, kGridCellCombox);
            GridItem item = {};
            item.row = row;
            item.col = col;
            item.mask = GIF_TEXT | GIF_FONT;
            lstrcpynW(item.text, row % 2 ? L"Yes" : L"No", 261);
            GetObjectW(g_hTextFont.get(), sizeof(item.lfFont), &item.lfFont);
            grid->SetItem(&item);
        }
        grid->SetEditorItems({L"Yes", L"No"});
    }

    // Puts the cursor on a client point of the grid and lets the moves it causes arrive.
    void PointAt(POINT pt) {
        ClientToScreen(grid->m_hWnd, &pt);
        SetCursorPos(pt.x, pt.y);
        PumpMessages();
    }
    LRESULT Send(UINT uMsg, WPARAM wParam = 0) { return SendMessageW(grid->m_hWnd, uMsg, wParam, 0); }
    void MoveTo(POINT pt) {
        PointAt(pt);
        Send(WM_MOUSEMOVE);
    }
    void Press(POINT pt) {
        PointAt(pt);
        Send(WM_LBUTTONDOWN, MK_LBUTTON);
    }
    void Release(POINT pt) {
        PointAt(pt);
        Send(WM_LBUTTONUP);
    }
    void Click(POINT pt) {
        Press(pt);
        Release(pt);
    }
    // The messages a double click brings, in the order the system sends them.
    void DoubleClick(POINT pt) {
        Click(pt);
        Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
        Send(WM_LBUTTONUP);
    }
    void Scroll(UINT uMsg, int code) { Send(uMsg, MAKEWPARAM(code, 0)); }
    void Wheel(int delta) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))));
    }
    int VPos() const { return GetScrollPos(grid->m_hWnd, SB_VERT); }
    int HPos() const { return GetScrollPos(grid->m_hWnd, SB_HORZ); }
    SCROLLINFO Bar(int bar) const {
        SCROLLINFO si = {sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(grid->m_hWnd, bar, &si);
        return si;
    }
    // Middle of a cell of a screen row (hit-test coordinates).
    POINT CellPoint(int screenRow, int col) const {
        int x = 0;
        for (int c = 0; c < col; ++c) {
            x += grid->ColumnWidth(c);
        }
        return POINT{x + grid->ColumnWidth(col) / 2, screenRow * kRowHeight + kRowHeight / 2};
    }
    std::vector<std::string> TakeNotices() {
        std::vector<std::string> taken;
        taken.swap(notices);
        return taken;
    }

    HWND parent = nullptr;
    std::unique_ptr<TGridCtrl> grid;
    std::vector<std::string> notices;

private:
    void Record(const MSG& msg) {
        char line[400] = {};
        switch (msg.message) {
        case WM_NOTIFY: {
            const auto* range = reinterpret_cast<const GridViewRange*>(msg.lParam);
            std::snprintf(line, sizeof(line), "view %d %d%s", range->nFirst, range->nLast,
                          range->hwndFrom == grid->m_hWnd && msg.wParam == 0 ? "" : " malformed");
            break;
        }
        case TCM_CELLCLICK: {
            const auto* info = reinterpret_cast<const GridClickInfo*>(msg.lParam);
            std::snprintf(line, sizeof(line), "click %d %d %d%s", info->kind, info->row, info->col,
                          msg.wParam == 0 ? "" : " malformed");
            break;
        }
        case TCM_CELLCHECK: {
            const auto* id = reinterpret_cast<const GridCellId*>(msg.wParam);
            std::snprintf(line, sizeof(line), "check %d %d %d", id->row, id->col,
                          static_cast<int>(msg.lParam));
            break;
        }
        case TCM_EDITDONE: {
            const auto* id = reinterpret_cast<const GridCellId*>(msg.wParam);
            const std::wstring text = reinterpret_cast<const wchar_t*>(msg.lParam);
            std::snprintf(line, sizeof(line), "edit %d %d %ls", id->row, id->col, text.c_str());
            break;
        }
        case TCM_COLRESIZED:
            std::snprintf(line, sizeof(line), "resized %d %d", static_cast<int>(msg.wParam),
                          static_cast<int>(msg.lParam));
            break;
        case TCM_HEADERDROP:
            std::snprintf(line, sizeof(line), "drop %d %d", static_cast<int>(msg.wParam),
                          static_cast<int>(msg.lParam));
            break;
        default:
            return;
        }
        notices.push_back(line);
    }
};

} // namespace testing_support
