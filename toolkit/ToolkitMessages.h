#pragma once
#include "base/FundsMessages.h"

#include <windows.h>

#include <cstddef>
#include <iterator>

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

// The funds bar's messages share the WM_USER range with these (the bar's lists and its dialog
// talk to it): no two private messages may have one number.
constexpr UINT kPrivateMessages[] = {
    TCM_CLICKED,      TCM_KEYDOWN,         TCM_SELCHANGED,  TCM_HEADERDROP,       TCM_EDITDONE,
    TCM_CELLCLICK,    TCM_COLRESIZED,      TCM_CELLCHECK,   TCM_ACCDEFAULTACTION, FBM_COLUMNSCHANGED,
    FBM_FUNDSCHANGED, FBM_ACCOUNTSCHANGED, FBM_USERNOUPDATE};
constexpr bool PrivateMessagesAreDistinct() {
    for (std::size_t i = 0; i < std::size(kPrivateMessages); ++i) {
        for (std::size_t j = i + 1; j < std::size(kPrivateMessages); ++j) {
            if (kPrivateMessages[i] == kPrivateMessages[j]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(PrivateMessagesAreDistinct(), "a private message number used twice");
