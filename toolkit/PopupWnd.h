#pragma once
#include "toolkit/IxFrm.h"

// Borderless tool window floating over its owner; hides itself when it loses activation or
// is clicked outside its client area.
class TPopupWnd : public TIxFrm {
public:
    TPopupWnd() = default;
    ~TPopupWnd() override;

    LRESULT WndProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    virtual bool Create(HWND hOwner);
    virtual void SetPos(int& x, int& y, int& nWidth, int& nHeight);
    // Draws the content over the framed background; empty here.
    virtual void DrawContent(HDC hDC, const RECT& rcClient);

    // Framed light background, then the content.
    void DrawPopup(HDC hDC, const RECT& rcClient);

    HWND m_hParent = nullptr;
    bool m_bAutoHide = true;

protected:
    void OnActivate(WPARAM wParam);
    void OnPaint();
    // Hides the window when pt (client coordinates) lies outside the client area and the
    // window hides itself; returns whether it hid.
    bool HideIfOutside(POINT pt);
    // The client point a mouse message carries.
    static POINT PointOf(LPARAM lParam);
};
