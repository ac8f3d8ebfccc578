#pragma once
// Column layouts that the tests, the soak and the layout writer all know by number.
#include "columns/ColumnStore.h"

#include <functional>
#include <string>
#include <vector>

// 36 columns, each id once; different variants differ at every position.
inline std::vector<ColumnSetting> SampleLayout(int variant) {
    std::vector<ColumnSetting> columns;
    for (int i = 0; i < 36; ++i) {
        columns.push_back({(i + variant) % 3 != 0, (i * 5 + variant) % 36, (i + variant) % 2 != 0, false, 0});
    }
    return columns;
}

// Ids 0 to 35 in order, shown where shown(id) holds, the value of id coloured highlighted.
inline std::vector<ColumnSetting> OrderedLayout(const std::function<bool(int)>& shown, int coloured = -1) {
    std::vector<ColumnSetting> columns;
    for (int id = 0; id < 36; ++id) {
        columns.push_back({shown(id), id, id == coloured, false, 0});
    }
    return columns;
}

// The layout file's text of the columns, "id|show|colour" at each position.
inline std::string LayoutIni(const std::vector<ColumnSetting>& columns) {
    std::string text = "[Kestrova]\r\n";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += std::to_string(i) + "=" + std::to_string(columns[i].nColId) + "|" +
                std::to_string(columns[i].bShow) + "|" + std::to_string(columns[i].bColor) + "\r\n";
    }
    return text;
}
