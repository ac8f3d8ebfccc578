#include "columns/ColumnStore.h"

#include "base/DebugReport.h"
#include "base/FundsColumnIds.h"
#include "columns/LayoutSave.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

constexpr DWORD kValueBytes = 1024;
constexpr int kKeyChars = 10;
// Read back in place of a key that is not there; no layout value looks like it.
constexpr const char* kAbsent = "\x01(absent)\x01";
// Pieces of an ignore list are quoted in reports up to this length.
constexpr std::size_t kQuotedChars = 24;

using Kind = LayoutProblem::Kind;

// atoi's reading of a number (blanks, sign, digits up to the first other character, 0 when
// there are none), but defined for numbers beyond int: strtol saturates, and long is 32 bits
// on Windows.
int ReadNumber(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

// Blanks, a sign, digits and blanks, and nothing else.
bool IsPlainNumber(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at != std::string::npos && (text[at] == '-' || text[at] == '+')) {
        ++at;
    }
    const std::size_t digitsEnd = text.find_first_not_of("0123456789", at);
    return at < text.size() && digitsEnd != at &&
           (digitsEnd == std::string::npos || text.find_first_not_of(" \t", digitsEnd) == std::string::npos);
}

bool IsColumnId(long long id) {
    return id >= 0 && id < kFundsColumnCount;
}

bool CanOpen(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadValue(const char* szSection, const char* szKey, const std::string& path,
                      const char* szDefault = "") {
    char value[kValueBytes] = {};
    GetPrivateProfileStringA(szSection, szKey, szDefault, value, kValueBytes, path.c_str());
    return value;
}

bool SectionHasKeys(const char* szSection, const std::string& path) {
    char names[4] = {};
    return GetPrivateProfileStringA(szSection, nullptr, "", names, sizeof(names), path.c_str()) > 0;
}

// A piece of a hand-written list as a report shows it: control bytes as "?", long ones cut.
std::string Quote(const std::string& piece) {
    std::string shown = piece.substr(0, kQuotedChars);
    for (char& c : shown) {
        c = static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
    return "\"" + shown + (piece.size() > kQuotedChars ? "...\"" : "\"");
}

// The opening problem of a file that is missing or cannot be read, if it is so.
bool FileProblem(const std::string& path, std::vector<LayoutProblem>& problems) {
    if (CanOpen(path, "r")) {
        return false;
    }
    if (Exists(path)) {
        problems.push_back({Kind::Unreadable, "the file cannot be opened for reading"});
    } else {
        problems.push_back({Kind::NoFile, "there is no such file"});
    }
    return true;
}

// Tells a debug-output viewer why a file was not taken as it stands, once per load; a file
// that is not there says nothing, as the plug-in runs without one until the first save.
void ReportProblem(const std::string& path, const std::vector<LayoutProblem>& problems,
                   const char* szOutcome) {
    if (problems.empty() || problems.front().kind == Kind::NoFile) {
        return;
    }
    ReportToDebugger(path, problems.front().text, szOutcome);
}

} // namespace

std::string GetExeDir() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* last = std::strrchr(path, '\\');
    return last ? std::string(path, static_cast<std::size_t>(last - path + 1)) : std::string();
}

std::string LayoutFilePath() {
    return GetExeDir() + "config\\Kestrova.Show.pub";
}

std::string IgnoreFilePath() {
    return GetExeDir() + "config\\Kestrova.Ignore.pub";
}

bool LoadColumnSettings(const char* szSection, std::vector<ColumnSetting>& columns) {
    const std::string path = LayoutFilePath();
    RemoveStaleLayoutCopies(path);
    LayoutFileCheck check = CheckLayoutFile(szSection, path);
    ReportProblem(path, check.problems, "the default layout is used");
    columns = std::move(check.columns);
    return !columns.empty();
}

LayoutFileCheck CheckLayoutFile(const char* szSection, const std::string& path) {
    LayoutFileCheck check;
    if (FileProblem(path, check.problems)) {
        return check;
    }
    if (!SectionHasKeys(szSection, path)) {
        check.problems.push_back(
            {Kind::MissingSection, "section [" + std::string(szSection) + "] is missing or empty"});
        return check;
    }
    // The funds bar indexes its tables by id, so a layout must name every id exactly once.
    int keyOfId[kFundsColumnCount];
    std::fill(std::begin(keyOfId), std::end(keyOfId), -1);
    for (int i = 0; i < kFundsColumnCount; ++i) {
        char key[kKeyChars] = {};
        std::snprintf(key, sizeof(key), "%d", i);
        const std::string value = ReadValue(szSection, key, path);
        const std::string where = "key " + std::to_string(i);
        if (value.empty()) {
            const bool absent = ReadValue(szSection, key, path, kAbsent) == kAbsent;
            check.problems.push_back(absent ? LayoutProblem{Kind::MissingKey, where + " is missing"}
                                            : LayoutProblem{Kind::EmptyValue, where + " has an empty value"});
            continue;
        }
        ColumnSetting setting = {};
        setting.bShow = true;
        ParseColumnSetting(value.c_str(), setting);
        if (!IsColumnId(setting.nColId)) {
            check.problems.push_back({Kind::IdOutOfRange, where + ": the id of " + Quote(value) +
                                                              " is not one of 0 to " +
                                                              std::to_string(kFundsColumnCount - 1)});
        } else if (keyOfId[setting.nColId] >= 0) {
            check.problems.push_back({Kind::IdRepeated, "keys " + std::to_string(keyOfId[setting.nColId]) +
                                                            " and " + std::to_string(i) + " both hold id " +
                                                            std::to_string(setting.nColId)});
        } else {
            keyOfId[setting.nColId] = i;
        }
        check.columns.push_back(setting);
    }
    if (!check.problems.empty()) {
        check.columns.clear();
    }
    return check;
}

void ParseColumnSetting(const char* szValue, ColumnSetting& setting) {
    const char* first = std::strchr(szValue, '|');
    if (first) {
        setting.nColId = ReadNumber(szValue);
    }
    const char* second = first ? std::strchr(first + 1, '|') : nullptr;
    if (second) {
        setting.bShow = ReadNumber(first + 1) != 0;
    }
    // Without a second separator the colour flag is read from the start of the value.
    setting.bColor = ReadNumber(second ? second + 1 : szValue) != 0;
}

bool SaveColumnSettings(const char* szSection, const std::vector<ColumnSetting>& columns) {
    return SaveLayoutFile(szSection, columns, LayoutFilePath());
}

bool LoadIgnoredColumns(const char* szSection, std::vector<int>& ids) {
    const std::string path = IgnoreFilePath();
    const IgnoreFileCheck check = CheckIgnoreFile(szSection, path);
    const bool unread =
        !check.problems.empty() && check.problems.front().kind == LayoutProblem::Kind::Unreadable;
    ReportProblem(path, check.problems, unread ? "no column is ignored" : "the ids read are ignored");
    ids.insert(ids.end(), check.ids.begin(), check.ids.end());
    return true;
}

IgnoreFileCheck CheckIgnoreFile(const char* szSection, const std::string& path) {
    IgnoreFileCheck check;
    if (FileProblem(path, check.problems)) {
        return check;
    }
    const std::string value = ReadValue(szSection, kIgnoreKey, path);
    int pieceOfId[kFundsColumnCount] = {};
    int piece = 0;
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = value.find('|', start);
        if (end == std::string::npos) {
            end = value.size();
        }
        ++piece;
        // Empty pieces are how lists are spelt ("3||5|"): they are skipped without a word.
        if (end > start) {
            const std::string text = value.substr(start, end - start);
            const int id = ReadNumber(text.c_str());
            check.ids.push_back(id);
            const std::string where = "piece " + std::to_string(piece) + " " + Quote(text);
            if (!IsPlainNumber(text)) {
                check.problems.push_back(
                    {Kind::NotANumber,
                     where + " is not a plain number; it is read as id " + std::to_string(id)});
            } else if (!IsColumnId(id)) {
                check.problems.push_back({Kind::IdOutOfRange, where + " names no column (ids are 0 to " +
                                                                  std::to_string(kFundsColumnCount - 1) +
                                                                  ")"});
            } else if (pieceOfId[id] > 0) {
                check.problems.push_back({Kind::IdRepeated, "pieces " + std::to_string(pieceOfId[id]) +
                                                                " and " + std::to_string(piece) +
                                                                " both name id " + std::to_string(id)});
            } else {
                pieceOfId[id] = piece;
            }
        }
        start = end + 1;
    }
    return check;
}
