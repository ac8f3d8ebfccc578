#pragma once
// The stored column layout ("config\Kestrova.Show.pub") and the hand-made ignore list
// ("config\Kestrova.Ignore.pub"), INI files beside the host's executable.
#include <string>
#include <vector>

constexpr int kColumnTitleChars = 40;

// One column of a funds bar, in display order.
struct ColumnSetting {
    bool bShow;
    wchar_t szTitle[kColumnTitleChars];
    int nColId;
    bool bColor;
    bool bIgnored;
    int nWidth;
};

// Directory of the host process's executable with its trailing backslash, or empty.
std::string GetExeDir();
std::string LayoutFilePath();
std::string IgnoreFilePath();

// Fills columns from the layout file; true only when a position was read for every column
// and they hold each column id exactly once. On false the caller builds the default layout.
bool LoadColumnSettings(const char* szSection, std::vector<ColumnSetting>& columns);
// Parses one layout value "id|show|colour" into a record the caller prepared.
void ParseColumnSetting(const char* szValue, ColumnSetting& setting);
// Writes every column; false when the layout file cannot be opened for appending. A save
// is all-or-nothing: the file holds either the old layout or the new one.
bool SaveColumnSettings(const char* szSection, const std::vector<ColumnSetting>& columns);
// Appends the ids of the ignore file; always true.
bool LoadIgnoredColumns(const char* szSection, std::vector<int>& ids);
