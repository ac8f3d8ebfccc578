#pragma once
#include "columns/ColumnStore.h"

#include <windows.h>

#include <vector>

// Runs the column configuration dialog modally over the owner on the bar's column list;
// true when it ended with its result set (the list is then the edited one).
bool RunConfigColumnDialog(HWND hOwner, const wchar_t* szTitle, std::vector<ColumnSetting>& settings);
