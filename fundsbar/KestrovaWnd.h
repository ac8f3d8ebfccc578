#pragma once
#include "toolkit/IxFrm.h"

// The funds bar: a dark strip of cells, one per shown funds column.
class TKestrovaWnd : public TIxFrm {
public:
    TKestrovaWnd();
    ~TKestrovaWnd() override;

    // Creates the window and brings the bar to its first state.
    bool CreateBar();
    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
};
