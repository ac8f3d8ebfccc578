#include "columns/LayoutSave.h"

#include "base/DebugReport.h"
#include "base/FundsColumnIds.h"
#include "base/UniqueHandle.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr int kKeyChars = 10;
constexpr int kValueChars = 1024;
// Pauses between the tries of a step that another program's hold on a file refuses: growing,
// about a second in all, as storage engines on Windows wait out scanners and indexers, which
// open a file for a moment just after it changes.
constexpr DWORD kHoldPauses[] = {15, 30, 60, 120, 240, 480};
// A save whose copy another program changed or removed is made again from the start.
constexpr int kSaveAttempts = 3;
// The largest list the profile functions are asked for; layout files are a few kilobytes.
constexpr DWORD kMaxListBytes = 1u << 24;

bool IsHeld(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Tries a step until it succeeds, fails for another reason than a hold, or the pauses are
// spent. The last error is the last try's.
template <typename Step> bool RetryWhileHeld(Step step) {
    for (const DWORD pause : kHoldPauses) {
        if (step()) {
            return true;
        }
        const DWORD error = GetLastError();
        if (!IsHeld(error)) {
            return false;
        }
        Sleep(pause);
        SetLastError(error);
    }
    return step();
}

std::string WithError(const std::string& what, DWORD error) {
    return what + " (error " + std::to_string(error) + ")";
}

// The profile functions may keep a parsed copy of a file by name; letting go of it makes the
// next read see what is on disk, even when a name is reused.
void ForgetProfile(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// A file as the profile functions read it: each section's name and its lines, in order.
using ProfileSections = std::vector<std::pair<std::string, std::vector<std::string>>>;
using LayoutKeys = std::vector<std::pair<std::string, std::string>>;

// A list that a profile function writes as strings ending with an empty one, read through a
// buffer that grows until the list fits.
template <typename Read> std::vector<std::string> ReadStringList(Read read) {
    std::vector<char> buffer;
    for (DWORD size = 4096; size <= kMaxListBytes; size *= 4) {
        buffer.assign(size, '\0');
        if (read(buffer.data(), size) + 2 < size) {
            break;
        }
    }
    std::vector<std::string> list;
    for (const char* at = buffer.data(); *at; at += list.back().size() + 1) {
        list.emplace_back(at);
    }
    return list;
}

ProfileSections ReadSections(const std::string& path) {
    ProfileSections sections;
    const auto names = ReadStringList(
        [&](char* buffer, DWORD size) { return GetPrivateProfileSectionNamesA(buffer, size, path.c_str()); });
    for (const std::string& name : names) {
        sections.emplace_back(name, ReadStringList([&](char* buffer, DWORD size) {
                                  return GetPrivateProfileSectionA(name.c_str(), buffer, size, path.c_str());
                              }));
    }
    return sections;
}

// What the profile functions make of a file when each key is written into the section: a
// key's line changes in its place, a new key ends the section, a new section ends the file.
// A section named twice reads as its first, which is the one written.
void ApplyKeys(ProfileSections& sections, const char* szSection, const LayoutKeys& keys) {
    bool found = false;
    for (auto& [name, lines] : sections) {
        if (_stricmp(name.c_str(), szSection) != 0) {
            continue;
        }
        found = true;
        for (const auto& [key, value] : keys) {
            const std::string line = key + "=" + value;
            bool replaced = false;
            for (std::string& existing : lines) {
                if (_stricmp(existing.substr(0, existing.find('=')).c_str(), key.c_str()) == 0) {
                    existing = line;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) {
                lines.push_back(line);
            }
        }
    }
    if (!found) {
        std::vector<std::string> lines;
        for (const auto& [key, value] : keys) {
            lines.push_back(key + "=" + value);
        }
        sections.emplace_back(szSection, lines);
    }
}

LayoutKeys KeysOf(const std::vector<ColumnSetting>& columns) {
    LayoutKeys keys;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        char key[kKeyChars] = {};
        char value[kValueChars] = {};
        std::snprintf(key, sizeof(key), "%d", static_cast<int>(i));
        std::snprintf(value, sizeof(value), "%d|%d|%d", columns[i].nColId, columns[i].bShow ? 1 : 0,
                      columns[i].bColor ? 1 : 0);
        keys.emplace_back(key, value);
    }
    return keys;
}

// Every id of the list names a column, and none twice.
bool NamesColumnsOnce(const std::vector<ColumnSetting>& columns) {
    bool seen[kFundsColumnCount] = {};
    for (const ColumnSetting& column : columns) {
        if (column.nColId < 0 || column.nColId >= kFundsColumnCount || seen[column.nColId]) {
            return false;
        }
        seen[column.nColId] = true;
    }
    return true;
}

bool ReadAll(HANDLE file, std::string& bytes) {
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof(chunk), &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk, got);
    }
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr)) {
            return false;
        }
        done += wrote;
    }
    return true;
}

// This machine's name as a copy's name carries it: letters, digits, '-' and '_' as they are,
// every other byte as %XX, so that no name holds a dot and no two names look alike.
std::string MachineTag() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(name);
    if (!GetComputerNameA(name, &size)) {
        return "%00";
    }
    std::string tag;
    for (const char* at = name; *at; ++at) {
        const unsigned char c = static_cast<unsigned char>(*at);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
            c == '_') {
            tag += static_cast<char>(c);
        } else {
            char escaped[4] = {};
            std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
            tag += escaped;
        }
    }
    return tag;
}

enum class ProcessState { Running, Ended, Unknown };

ProcessState StateOf(DWORD processId) {
    const ProcessHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        // No such process; any other refusal (another user's process) tells nothing.
        return GetLastError() == ERROR_INVALID_PARAMETER ? ProcessState::Ended : ProcessState::Unknown;
    }
    DWORD code = 0;
    const bool read = GetExitCodeProcess(process.get(), &code) != FALSE;
    return !read ? ProcessState::Unknown : code == STILL_ACTIVE ? ProcessState::Running : ProcessState::Ended;
}

class LayoutSave {
public:
    LayoutSave(const char* szSection, const std::vector<ColumnSetting>& columns, const std::string& path,
               const LayoutFileOps& ops)
        : m_szSection(szSection), m_columns(columns), m_keys(KeysOf(columns)), m_path(path),
          m_copy(LayoutCopyPath(path)), m_ops(ops) {}

    bool Run();
    const std::string& Reason() const { return m_reason; }
    const char* Outcome() const { return m_szOutcome; }

private:
    enum class Result { Saved, CopyRefused, Spoilt, Failed };

    Result ThroughCopy();
    bool InPlace();
    FileHandle Open(const std::string& path, DWORD dwAccess, DWORD dwShare, DWORD dwDisposition) const {
        return FileHandle(m_ops.createFile(path.c_str(), dwAccess, dwShare, nullptr, dwDisposition,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    // Writes the keys; on false the reason is set.
    bool WriteKeys(const std::string& path, const char* szWhere);
    void DiscardCopy() const {
        ForgetProfile(m_copy);
        DeleteFileA(m_copy.c_str());
    }
    bool Fail(std::string reason) {
        m_reason = std::move(reason);
        return false;
    }
    Result FailWith(std::string reason) {
        m_reason = std::move(reason);
        return Result::Failed;
    }

    const char* m_szSection;
    const std::vector<ColumnSetting>& m_columns;
    const LayoutKeys m_keys;
    const std::string& m_path;
    const std::string m_copy;
    const LayoutFileOps& m_ops;
    std::string m_reason;
    const char* m_szOutcome = "the layout is not saved";
};

bool LayoutSave::Run() {
    // The file is replaced rather than rewritten, and a replacement can go where a write may
    // not: a read-only mark is honoured here as a write would honour it.
    const DWORD attributes = GetFileAttributesA(m_path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return Fail("the file is read-only");
    }
    if (!NamesColumnsOnce(m_columns)) {
        return Fail("the layout to save does not name each column at most once");
    }
    // Made empty when it is not there, as the first save finds it.
    FileHandle probe;
    if (!RetryWhileHeld([&] {
            probe = Open(m_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
            return static_cast<bool>(probe);
        })) {
        return Fail(WithError("the file cannot be opened for writing", GetLastError()));
    }
    probe.reset();
    RemoveStaleLayoutCopies(m_path);
    for (int attempt = 0; attempt < kSaveAttempts; ++attempt) {
        switch (ThroughCopy()) {
        case Result::Saved:
            return true;
        case Result::CopyRefused:
            return InPlace();
        case Result::Spoilt:
            break;
        case Result::Failed:
            return false;
        }
    }
    return false;
}

LayoutSave::Result LayoutSave::ThroughCopy() {
    std::string bytes;
    {
        FileHandle source;
        if (!RetryWhileHeld([&] {
                source = Open(m_path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              OPEN_EXISTING);
                return static_cast<bool>(source);
            }) ||
            !ReadAll(source.get(), bytes)) {
            return FailWith(WithError("the file cannot be read", GetLastError()));
        }
    }
    // What the copy must hold once the keys are in: the file as it was read, with the keys.
    ForgetProfile(m_path);
    ProfileSections expected = ReadSections(m_path);
    ApplyKeys(expected, m_szSection, m_keys);

    FileHandle copy;
    if (!RetryWhileHeld([&] {
            copy = Open(m_copy, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
            if (copy) {
                return true;
            }
            // Denied for a name that is not there: the folder lets no file be made.
            const DWORD error = GetLastError();
            const bool absent = GetFileAttributesA(m_copy.c_str()) == INVALID_FILE_ATTRIBUTES &&
                                GetLastError() == ERROR_FILE_NOT_FOUND;
            SetLastError(error == ERROR_ACCESS_DENIED && absent ? ERROR_CANNOT_MAKE : error);
            return false;
        })) {
        return GetLastError() == ERROR_CANNOT_MAKE
                   ? Result::CopyRefused
                   : FailWith(WithError("the copy cannot be made", GetLastError()));
    }
    const bool copied = WriteAll(copy.get(), bytes);
    const DWORD copyError = GetLastError();
    copy.reset();
    if (!copied) {
        DiscardCopy();
        return FailWith(WithError("the copy cannot be written", copyError));
    }
    ForgetProfile(m_copy);
    if (!WriteKeys(m_copy, "into the copy")) {
        DiscardCopy();
        return Result::Failed;
    }
    ForgetProfile(m_copy);
    // A copy removed between two keys comes back made anew by the next key, holding the keys
    // from there on and nothing else: read back, it shows.
    if (ReadSections(m_copy) != expected) {
        DiscardCopy();
        m_reason = "another program changed or removed the copy while the keys were written into it";
        return Result::Spoilt;
    }
    if (!RetryWhileHeld([&] {
            return m_ops.moveFile(m_copy.c_str(), m_path.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        })) {
        const DWORD error = GetLastError();
        DiscardCopy();
        if (error == ERROR_FILE_NOT_FOUND) {
            m_reason = "another program removed the copy before it could replace the file";
            return Result::Spoilt;
        }
        return FailWith(WithError(IsHeld(error) ? "another program held the file for over a second"
                                                : "the copy cannot replace the file",
                                  error));
    }
    ForgetProfile(m_path);
    return Result::Saved;
}

bool LayoutSave::InPlace() {
    ForgetProfile(m_path);
    ProfileSections expected = ReadSections(m_path);
    ApplyKeys(expected, m_szSection, m_keys);
    m_szOutcome = "the file may hold part of the new layout";
    if (!WriteKeys(m_path, "in place (no copy can be made in the folder)")) {
        return false;
    }
    ForgetProfile(m_path);
    if (ReadSections(m_path) != expected) {
        return Fail("the keys written in place (no copy can be made in the folder) do not read back");
    }
    return true;
}

bool LayoutSave::WriteKeys(const std::string& path, const char* szWhere) {
    for (const auto& [key, value] : m_keys) {
        if (!m_ops.writeKey(m_szSection, key.c_str(), value.c_str(), path.c_str())) {
            return Fail(WithError("key " + key + " cannot be written " + szWhere, GetLastError()));
        }
    }
    return true;
}

} // namespace

bool SaveLayoutFile(const char* szSection, const std::vector<ColumnSetting>& columns, const std::string& path,
                    const LayoutFileOps& ops) {
    LayoutSave save(szSection, columns, path, ops);
    if (save.Run()) {
        return true;
    }
    ReportToDebugger(path, save.Reason(), save.Outcome());
    return false;
}

std::string LayoutCopyPath(const std::string& path) {
    return path + "." + MachineTag() + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

void RemoveStaleLayoutCopies(const std::string& path) {
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    const std::string name = path.substr(folder.size());
    const std::string machine = MachineTag();
    WIN32_FIND_DATAA found = {};
    const FindHandle find(FindFirstFileA((path + ".*.*.tmp").c_str(), &found));
    if (!find) {
        return;
    }
    do {
        // "<name>.<machine>.<digits>.tmp", matched here as well as by the pattern, whose
        // wildcards are loose: anything else is no copy of ours.
        const std::string file = found.cFileName;
        const std::string prefix = name + "." + machine + ".";
        const std::size_t idStart = prefix.size(), idEnd = file.size() - 4;
        if (file.size() <= prefix.size() + 4 || _strnicmp(file.c_str(), prefix.c_str(), prefix.size()) != 0 ||
            _stricmp(file.c_str() + idEnd, ".tmp") != 0 ||
            file.find_first_not_of("0123456789", idStart) != idEnd) {
            continue;
        }
        const DWORD processId = std::strtoul(file.substr(idStart, idEnd - idStart).c_str(), nullptr, 10);
        // A copy of a save that may still run is left alone, and one held open stays anyway.
        if (processId == GetCurrentProcessId() || StateOf(processId) == ProcessState::Ended) {
            DeleteFileA((folder + file).c_str());
        }
    } while (FindNextFileA(find.get(), &found));
}
