#pragma once
// Column layouts that the unit tests and the layout writer both know by number.
#include "columns/ColumnStore.h"

#include <vector>

namespace samples {

constexpr const char* kSection = "Kestrova";

// A full layout of 36 columns, each id once; different variants differ at every position.
inline std::vector<ColumnSetting> Layout(int variant) {
    std::vector<ColumnSetting> columns;
    for (int i = 0; i < 36; ++i) {
        ColumnSetting column = {};
        column.nColId = (i * 5 + variant) % 36;
        column.bShow = (i + variant) % 3 != 0;
        column.bColor = (i + variant) % 2 != 0;
        columns.push_back(column);
    }
    return columns;
}

// What the layout file keeps: order, ids and both flags.
inline bool SameLayout(const std::vector<ColumnSetting>& a, const std::vector<ColumnSetting>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].nColId != b[i].nColId || a[i].bShow != b[i].bShow || a[i].bColor != b[i].bColor) {
            return false;
        }
    }
    return true;
}

} // namespace samples
