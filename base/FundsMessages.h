#pragma once
#include <windows.h>

// Messages a funds bar receives; wParam is always 0.
constexpr UINT FBM_COLUMNSCHANGED = WM_USER + 110;  // lParam 0
constexpr UINT FBM_FUNDSCHANGED = WM_USER + 111;    // lParam: the host's FundsRecord pointer
constexpr UINT FBM_ACCOUNTSCHANGED = WM_USER + 112; // lParam: the host's value, unused
constexpr UINT FBM_USERNOUPDATE = WM_USER + 113;    // lParam 0

static_assert(FBM_COLUMNSCHANGED == 0x46E && FBM_USERNOUPDATE == 0x471, "funds bar message values");
