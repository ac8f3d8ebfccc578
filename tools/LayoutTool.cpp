// kestrova_layout: checks and writes the funds bar's layout file and checks its ignore file,
// for the people who roll a layout out to many desks. It reads and writes through the
// plug-in's own column store, so it judges a file exactly as a funds bar does.
#include "columns/LayoutSave.h"
#include "base/PluginState.h"
#include "base/Texts.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = kFundsColumnCount;

const wchar_t* const kUsage =
    L"usage: kestrova_layout check FILE\n"
    L"       kestrova_layout write FILE --show COLUMN,... [--colour COLUMN,...]\n"
    L"\n"
    L"check  For a layout file (config\\Kestrova.Show.pub), prints the 36 columns a funds bar\n"
    L"       shows from it, or every reason why a bar ignores it and shows the default layout;\n"
    L"       exits 0 when the file is usable, else 1. For an ignore file (a file named\n"
    L"       ...Ignore.pub, or holding key \"ignorecol\"), prints the ids it ignores and the\n"
    L"       pieces that do nothing or are misread; exits 1 when there are any.\n"
    L"write  Writes a complete layout: \"Account No.\" first, then the --show columns in the\n"
    L"       order given, shown, then every other column hidden, in id order; the --colour\n"
    L"       columns are drawn in the highlight colour. Other sections and keys of the file are\n"
    L"       kept, and the file is replaced in one step, as the plug-in saves it. The folder\n"
    L"       must exist. Nothing is written when a name is unknown.\n"
    L"\n"
    L"A COLUMN is an id (0 to 35) or a title in English, Simplified or Traditional Chinese,\n"
    L"case and surrounding blanks aside; quote titles that hold blanks:\n"
    L"  kestrova_layout write config\\Kestrova.Show.pub --show \"Currency,Net PnL,Risk%\" --colour Risk%\n";

// Text for a person, on the console as it is, elsewhere (a pipe, a file) in UTF-8.
void Print(DWORD stream, const std::wstring& text) {
    const HANDLE out = GetStdHandle(stream);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr,
                        nullptr);
    WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}
void Out(const std::wstring& text) {
    Print(STD_OUTPUT_HANDLE, text);
}
void Error(const std::wstring& text) {
    Print(STD_ERROR_HANDLE, L"kestrova_layout: " + text + L"\n");
}

std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int chars =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(chars > 0 ? static_cast<std::size_t>(chars - 1) : 0);
    return wide;
}

// The full path in the ANSI code page, as the profile functions take it: a bare name would
// otherwise be looked for in the Windows folder.
std::string FullPath(const std::wstring& file) {
    wchar_t full[MAX_PATH + 1] = {};
    if (!GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr)) {
        return {};
    }
    char path[MAX_PATH * 2 + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, full, -1, path, sizeof(path) - 1, nullptr, nullptr);
    return path;
}

std::wstring Trimmed(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    return first == std::wstring::npos ? L"" : text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = Trimmed(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](wchar_t c) { return std::towlower(c); });
    return folded;
}

// The plug-in's title of a column in a language.
std::wstring Title(int language, int id) {
    return Trimmed(GetColumnTitleIn(language, id));
}

std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The id a name means, or -1 with the closest title in closest.
int ColumnOf(const std::wstring& name, std::wstring& closest) {
    const std::wstring wanted = Folded(name);
    if (!wanted.empty() && wanted.size() <= 2 &&
        wanted.find_first_not_of(L"0123456789") == std::wstring::npos) {
        const int id = std::stoi(wanted);
        if (id < kColumns) {
            return id;
        }
    }
    std::size_t best = std::wstring::npos;
    for (int language : kHostLanguages) {
        for (int id = 0; id < kColumns; ++id) {
            const std::wstring title = Title(language, id);
            if (Folded(title) == wanted) {
                return id;
            }
            const std::size_t distance = EditDistance(Folded(title), wanted);
            if (distance < best) {
                best = distance;
                closest = title + L"\" (id " + std::to_wstring(id) + L")";
            }
        }
    }
    return -1;
}

// The ids of a comma-separated list of names; false after saying which name is unknown.
bool ColumnsOf(const std::wstring& list, std::vector<int>& ids) {
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(L',', start), list.size());
        const std::wstring name = list.substr(start, end - start);
        start = end + 1;
        if (Trimmed(name).empty()) {
            continue;
        }
        std::wstring closest;
        const int id = ColumnOf(name, closest);
        if (id < 0) {
            Error(L"no column is called \"" + Trimmed(name) + L"\"; the closest is \"" + closest +
                  L". Nothing was written.");
            return false;
        }
        if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
            Error(L"\"" + Trimmed(name) + L"\" names column " + std::to_wstring(id) +
                  L" a second time. Nothing was written.");
            return false;
        }
        ids.push_back(id);
    }
    return true;
}

std::wstring Padded(std::wstring text, std::size_t width) {
    text.resize(std::max(width, text.size()), L' ');
    return text;
}

bool IsIgnoreFile(const std::string& path) {
    constexpr const char* kIgnoreEnding = "Ignore.pub";
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    const std::size_t ending = std::strlen(kIgnoreEnding);
    char value[4] = {};
    return (name.size() >= ending && _stricmp(name.c_str() + name.size() - ending, kIgnoreEnding) == 0) ||
           GetPrivateProfileStringA(kLayoutSection, kIgnoreKey, "", value, sizeof(value), path.c_str()) > 0;
}

int Check(const std::string& path) {
    // A file edited since this process last read it must be read afresh.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const std::wstring file = Widen(path);
    if (IsIgnoreFile(path)) {
        const IgnoreFileCheck check = CheckIgnoreFile(kLayoutSection, path);
        std::wstring ids;
        for (int id : check.ids) {
            ids += (ids.empty() ? L"" : L", ") + std::to_wstring(id);
        }
        Out(file + L": an ignore list; " + (ids.empty() ? L"no column is ignored" : L"ids read: " + ids) +
            L"\n");
        for (const LayoutProblem& problem : check.problems) {
            Out(L"  " + Widen(problem.text) + L"\n");
        }
        return check.problems.empty() ? 0 : 1;
    }
    const LayoutFileCheck check = CheckLayoutFile(kLayoutSection, path);
    if (!check.problems.empty()) {
        Out(file + L": a funds bar ignores this layout and shows the default one:\n");
        for (const LayoutProblem& problem : check.problems) {
            Out(L"  " + Widen(problem.text) + L"\n");
        }
        return 1;
    }
    Out(file + L": a usable layout of " + std::to_wstring(check.columns.size()) + L" columns\n");
    Out(L"  key  id  " + Padded(L"title", 24) + L"shown  coloured\n");
    for (std::size_t at = 0; at < check.columns.size(); ++at) {
        const ColumnSetting& column = check.columns[at];
        Out(Padded(L"  " + std::to_wstring(at), 7) + Padded(std::to_wstring(column.nColId), 4) +
            Padded(Title(1033, column.nColId), 24) + Padded(column.bShow ? L"yes" : L"no", 7) +
            (column.bColor ? L"yes" : L"no") + L"\n");
    }
    return 0;
}

int Write(const std::string& path, const std::wstring& shown, const std::wstring& coloured) {
    std::vector<int> shownIds, colouredIds;
    if (!ColumnsOf(shown, shownIds) || !ColumnsOf(coloured, colouredIds)) {
        return 1;
    }
    // "Account No." leads every layout: its cell is where the bar's account list opens.
    std::vector<int> order = {0};
    for (int id : shownIds) {
        if (id != 0) {
            order.push_back(id);
        }
    }
    const std::size_t shownCount = order.size();
    for (int id = 0; id < kColumns; ++id) {
        if (std::find(order.begin(), order.end(), id) == order.end()) {
            order.push_back(id);
        }
    }
    std::vector<ColumnSetting> columns;
    for (std::size_t at = 0; at < order.size(); ++at) {
        const bool colour = std::find(colouredIds.begin(), colouredIds.end(), order[at]) != colouredIds.end();
        columns.push_back({at < shownCount, order[at], colour, false, 0});
    }
    if (!SaveLayoutFile(kLayoutSection, columns, path)) {
        Error(L"could not write " + Widen(path) +
              L" (does its folder exist, and may it be written?). It is as it was.");
        return 1;
    }
    Out(L"wrote " + Widen(path) + L": " + std::to_wstring(shownCount) + L" columns shown\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"/?") {
        Out(kUsage);
        return args.empty() ? 2 : 0;
    }
    if (args.size() < 2) {
        Error(L"a command and a file are needed; see --help");
        return 2;
    }
    const std::string path = FullPath(args[1]);
    if (path.empty()) {
        Error(L"\"" + args[1] + L"\" is not a file name");
        return 2;
    }
    if (args[0] == L"check" && args.size() == 2) {
        return Check(path);
    }
    if (args[0] == L"write") {
        std::wstring shown, coloured;
        bool hasShow = false;
        for (std::size_t i = 2; i < args.size(); i += 2) {
            if (i + 1 >= args.size() || (args[i] != L"--show" && args[i] != L"--colour")) {
                Error(L"write takes --show COLUMN,... and --colour COLUMN,...; see --help");
                return 2;
            }
            (args[i] == L"--show" ? shown : coloured) = args[i + 1];
            hasShow = hasShow || args[i] == L"--show";
        }
        if (!hasShow) {
            Error(L"write needs --show COLUMN,...; see --help");
            return 2;
        }
        return Write(path, shown, coloured);
    }
    Error(L"unknown command \"" + args[0] + L"\"; see --help");
    return 2;
}
