#pragma once
// Column layouts that the unit tests and the layout writer both know by number.
#include "columns/ColumnStore.h"

#include <vector>

// 36 columns, each id once; different variants differ at every position.
inline std::vector<ColumnSetting> SampleLayout(int variant) {
    std::vector<ColumnSetting> columns;
    for (int i = 0; i < 36; ++i) {
        columns.push_back(
            {(i + variant) % 3 != 0, {}, (i * 5 + variant) % 36, (i + variant) % 2 != 0, false, 0});
    }
    return columns;
}
