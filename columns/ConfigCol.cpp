#include "columns/ConfigCol.h"

// The grid the dialog is built on does not exist yet: until it does, the command leaves
// the columns as they are and nothing is saved.
bool RunConfigColumnDialog(HWND, const wchar_t*, std::vector<ColumnSetting>&) {
    return false;
}
