#pragma once
// How the column dialog takes a bar's column list apart and puts it back together.
#include "columns/ColumnStore.h"

#include <cstddef>
#include <utility>
#include <vector>

// An ignored column with its place among the bar's columns after "Account No.".
using PlacedColumn = std::pair<std::size_t, ColumnSetting>;

// A bar's column list as the dialog works on it: "Account No." kept aside to stay first, the
// columns offered in their order, and the ignored ones, not offered, kept with their places so
// that the bar's list keeps all its ids.
struct DialogColumns {
    ColumnSetting account;
    std::vector<ColumnSetting> offered;
    std::vector<PlacedColumn> ignored;
};

// account is the list's "Account No." record, or accountDefault when the list has none.
DialogColumns SplitForDialog(const std::vector<ColumnSetting>& columns, const ColumnSetting& accountDefault);
// "Account No." first, then the offered columns in their order with each ignored one back at
// its place, or last where the offered columns have become fewer than its place.
std::vector<ColumnSetting> MergeFromDialog(const DialogColumns& parts);
