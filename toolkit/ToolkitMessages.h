#pragma once
#include <windows.h>

// Notifications of the toolkit windows and the grid to their owners.
constexpr UINT TCM_CLICKED = WM_USER + 101;
constexpr UINT TCM_KEYDOWN = WM_USER + 102;
constexpr UINT TCM_SELCHANGED = WM_USER + 104; // wParam: the list's window, lParam: row index
constexpr UINT TCM_HEADERDROP = WM_USER + 105;
constexpr UINT TCM_EDITDONE = WM_USER + 106;
constexpr UINT TCM_CELLCLICK = WM_USER + 107;
constexpr UINT TCM_COLRESIZED = WM_USER + 108;
constexpr UINT TCM_CELLCHECK = WM_USER + 109;
// A window to itself: an assistive tool asked for an element's default action (lParam).
constexpr UINT TCM_ACCDEFAULTACTION = WM_USER + 120;

static_assert(TCM_SELCHANGED == 0x468, "list notification value");
