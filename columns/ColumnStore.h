#pragma once
// The stored column layout ("config\Kestrova.Show.pub") and the hand-made ignore list
// ("config\Kestrova.Ignore.pub"), INI files beside the host's executable.
#include <windows.h>

#include <string>
#include <vector>

// The section of both files: every funds bar reads and writes this one, so all bars share one
// layout.
constexpr const char* kLayoutSection = "Kestrova";
// The ignore file's one key: column ids separated by "|".
constexpr const char* kIgnoreKey = "ignorecol";

// One column of a funds bar, in display order.
struct ColumnSetting {
    bool bShow;
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
// and they hold each column id exactly once. On false the caller builds the default layout. A file
// that is there but not used is reported once through OutputDebugStringW, with its first
// problem.
bool LoadColumnSettings(const char* szSection, std::vector<ColumnSetting>& columns);
// Parses one layout value "id|show|colour" into a record the caller prepared.
void ParseColumnSetting(const char* szValue, ColumnSetting& setting);
// Writes every column; false when the layout is not saved (SaveLayoutFile tells how a save
// goes and when it fails).
bool SaveColumnSettings(const char* szSection, const std::vector<ColumnSetting>& columns);
// Appends the ids of the ignore file; always true. Pieces that can have no effect, or that
// are not plain numbers, are reported once through OutputDebugStringW, the first of them.
bool LoadIgnoredColumns(const char* szSection, std::vector<int>& ids);

// Why a layout file is not used, or why a piece of an ignore list does not do what it seems
// to say. Text names the key or piece for a person: "key 17 is missing".
struct LayoutProblem {
    enum class Kind {
        NoFile,
        Unreadable,
        MissingSection,
        MissingKey,
        EmptyValue,
        IdOutOfRange,
        IdRepeated,
        NotANumber
    };
    Kind kind;
    std::string text;
};

// A layout file as a funds bar reads it: all 36 columns (ids and flags, no titles) when the
// file is usable, else every problem, in the order of the keys.
struct LayoutFileCheck {
    std::vector<ColumnSetting> columns;
    std::vector<LayoutProblem> problems;
};
LayoutFileCheck CheckLayoutFile(const char* szSection, const std::string& path);

// An ignore file as a funds bar reads it: the ids it appends, and what it skips or misreads
// (a piece naming no column, a repeated id, a piece that is not a plain number).
struct IgnoreFileCheck {
    std::vector<int> ids;
    std::vector<LayoutProblem> problems;
};
IgnoreFileCheck CheckIgnoreFile(const char* szSection, const std::string& path);
