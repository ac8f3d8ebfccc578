#pragma once
// Every text the plug-in draws, in the language the host chose (g_nLanguage, read at each
// call): 1028 Traditional Chinese, 1033 English, any other value Simplified Chinese.
#include "base/FundsColumnIds.h"

constexpr int kDialogTextCount = 8;
constexpr int kConfigLabelCount = 5;

// Buttons and yes/no texts of the column dialog, rows 0..7.
const wchar_t* GetDialogText(int nRow);
// Column dialog grid headers (0..2), "Config" (3), "Config Column" (4).
const wchar_t* GetConfigLabel(int nRow);
// Title of a funds column.
const wchar_t* GetColumnTitle(int nColId);
