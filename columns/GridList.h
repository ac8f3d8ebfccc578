#pragma once
#include "grid/GridCtrl.h"
#include "toolkit/IxFrm.h"

#include <memory>

// A thin window around one grid: a light grey background, the grid laid over the client area,
// and the grid's notifications passed on unchanged to the list's own parent.
class TGridList : public TIxFrm {
public:
    // Shown: the grid covers exactly the client area; Hidden: its top and left edges lie 2
    // pixels outside it.
    enum class GridEdge { Hidden, Shown };
    explicit TGridList(GridEdge edge = GridEdge::Hidden);
    ~TGridList() override;

    // Creates the child window (class "GridList"); its creation makes the grid.
    void Create(HWND hParent);
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Made with the window; null before.
    TGridCtrl* Grid() const { return m_pGrid.get(); }

private:
    // Made with the window, freed with the list, after the window that holds the grid's is gone.
    std::unique_ptr<TGridCtrl> m_pGrid;
    void OnCreate();
    void OnSize();
    void OnPaint();
    void PassToParent(UINT uMsg, WPARAM wParam, LPARAM lParam) const;

    // true: GridEdge::Shown.
    bool m_bGridEdge = false;
};
