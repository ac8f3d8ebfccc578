#include "columns/DialogColumns.h"

#include "base/FundsColumnIds.h"

#include <algorithm>

DialogColumns SplitForDialog(const std::vector<ColumnSetting>& columns, const ColumnSetting& accountDefault) {
    DialogColumns parts = {accountDefault, {}, {}};
    std::size_t nPlace = 0;
    for (const ColumnSetting& column : columns) {
        if (column.nColId == kAccountNoColumn) {
            parts.account = column;
            continue;
        }
        if (column.bIgnored) {
            parts.ignored.emplace_back(nPlace, column);
        } else {
            parts.offered.push_back(column);
        }
        ++nPlace;
    }
    return parts;
}

std::vector<ColumnSetting> MergeFromDialog(const DialogColumns& parts) {
    std::vector<ColumnSetting> others = parts.offered;
    // In ascending places, each no further than the list is long: every one lands where it was.
    for (const auto& [nPlace, column] : parts.ignored) {
        others.insert(others.begin() + static_cast<std::ptrdiff_t>(std::min(nPlace, others.size())), column);
    }
    std::vector<ColumnSetting> merged;
    merged.reserve(others.size() + 1);
    merged.push_back(parts.account);
    merged.insert(merged.end(), others.begin(), others.end());
    return merged;
}
