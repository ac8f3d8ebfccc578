#include "columns/ColumnStore.h"

#include "base/FundsColumnIds.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kValueBytes = 1024;
constexpr int kKeyChars = 10;
constexpr const char* kIgnoreKey = "ignorecol";

// atoi's reading of a number (blanks, sign, digits up to the first other character, 0 when
// there are none), but defined for numbers beyond int: strtol saturates, and long is 32 bits
// on Windows.
int ReadNumber(const char* text) {
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool CanOpen(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

std::string ReadValue(const char* szSection, const char* szKey, const std::string& path) {
    char value[kValueBytes] = {};
    GetPrivateProfileStringA(szSection, szKey, "", value, kValueBytes, path.c_str());
    return value;
}

// The profile functions may keep a parsed copy of a file by name; letting go of it makes the
// next read see what is on disk, even when a name is reused.
void ForgetProfile(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// The funds bar indexes its tables by id, so a layout must name every id exactly once.
bool IsCompleteLayout(const std::vector<ColumnSetting>& columns) {
    if (columns.size() != static_cast<std::size_t>(kFundsColumnCount)) {
        return false;
    }
    bool seen[kFundsColumnCount] = {};
    for (const ColumnSetting& column : columns) {
        if (!IsFundsColumnId(column.nColId) || seen[column.nColId]) {
            return false;
        }
        seen[column.nColId] = true;
    }
    return true;
}

bool WriteLayout(const char* szSection, const std::vector<ColumnSetting>& columns, const std::string& path) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        char key[kKeyChars] = {};
        char value[kValueBytes] = {};
        std::snprintf(key, sizeof(key), "%d", static_cast<int>(i));
        std::snprintf(value, sizeof(value), "%d|%d|%d", columns[i].nColId, columns[i].bShow ? 1 : 0,
                      columns[i].bColor ? 1 : 0);
        if (!WritePrivateProfileStringA(szSection, key, value, path.c_str())) {
            return false;
        }
    }
    return true;
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
    columns.clear();
    const std::string path = LayoutFilePath();
    if (!CanOpen(path, "r")) {
        return false;
    }
    for (int i = 0; i < kFundsColumnCount; ++i) {
        char key[kKeyChars] = {};
        std::snprintf(key, sizeof(key), "%d", i);
        const std::string value = ReadValue(szSection, key, path);
        if (value.empty()) {
            columns.clear();
            return false;
        }
        ColumnSetting setting = {};
        setting.bShow = true;
        ParseColumnSetting(value.c_str(), setting);
        columns.push_back(setting);
    }
    if (!IsCompleteLayout(columns)) {
        columns.clear();
        return false;
    }
    return true;
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
    const std::string path = LayoutFilePath();
    // The file is replaced rather than rewritten, and a replacement can go where a write may
    // not: a read-only mark is honoured here as a write would honour it.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    if (!CanOpen(path, "a")) {
        return false;
    }
    // The keys go into a copy beside the file, which then replaces it in one step: a save
    // that is cut short leaves the previous layout whole, and keys past the end of a shorter
    // list keep their values.
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    char temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.c_str(), "ksv", 0, temp)) {
        return false;
    }
    ForgetProfile(temp);
    const bool saved = CopyFileA(path.c_str(), temp, FALSE) && WriteLayout(szSection, columns, temp);
    ForgetProfile(temp);
    if (!saved || !MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp);
        return false;
    }
    ForgetProfile(path);
    return true;
}

bool LoadIgnoredColumns(const char* szSection, std::vector<int>& ids) {
    const std::string path = IgnoreFilePath();
    if (!CanOpen(path, "r")) {
        return true;
    }
    const std::string value = ReadValue(szSection, kIgnoreKey, path);
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = value.find('|', start);
        if (end == std::string::npos) {
            end = value.size();
        }
        if (end > start) {
            ids.push_back(ReadNumber(value.substr(start, end - start).c_str()));
        }
        start = end + 1;
    }
    return true;
}
