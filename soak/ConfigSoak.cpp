// The column store under abuse: generated layout and ignore files, hostile ones among them,
// loaded by new funds bars in a worker process whose crashes are counted; and saves of
// another process killed at a random moment.
#include "columns/ColumnStore.h"
#include "fundsbar/FundsFields.h"
#include "fundsbar/KestrovaWnd.h"
#include "base/Texts.h"
#include "soak/GeneratedConfig.h"
#include "soak/Soak.h"
#include "support/TestSupport.h"
#include "writer/SampleLayouts.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace soak {

namespace {

constexpr unsigned kSeed = 6101;
constexpr int kRestartEvery = 200;

LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Replaces a file (or removes it, given nothing) and drops the system's parsed copy of it.
void Write(const std::string& path, const std::optional<std::string>& bytes) {
    if (bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << *bytes;
    } else {
        DeleteFileA(path.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// "default" or "stored" for a bar whose columns are what the files allow, else what is wrong.
std::string Judge(const TKestrovaWnd& bar, const GeneratedConfig& config) {
    const std::vector<ColumnSetting>& columns = bar.Settings();
    if (columns.size() != kFundsColumnCount) {
        return "wrong: " + std::to_string(columns.size()) + " columns";
    }
    bool seen[kFundsColumnCount] = {};
    bool isDefault = true;
    for (std::size_t at = 0; at < columns.size(); ++at) {
        const ColumnSetting& column = columns[at];
        const int id = column.nColId;
        const std::string where = " at position " + std::to_string(at);
        if (id < 0 || id >= kFundsColumnCount || seen[id]) {
            return "wrong: id " + std::to_string(id) + where;
        }
        seen[id] = true;
        const bool listed = config.ignored && std::count(config.ignored->begin(), config.ignored->end(), id);
        if ((column.bIgnored && column.bShow) || (config.ignored && column.bIgnored != listed)) {
            return "wrong: ignore list not applied" + where;
        }
        isDefault = isDefault && id == static_cast<int>(at) && !column.bColor &&
                    column.bShow == (IsDefaultShown(id) && !column.bIgnored);
    }
    switch (config.expect) {
    case GeneratedConfig::Expect::Refused:
        return isDefault ? "default" : "wrong: not the default layout";
    case GeneratedConfig::Expect::Stored:
        for (std::size_t at = 0; at < columns.size(); ++at) {
            const ColumnSetting &got = columns[at], &want = config.stored[at];
            if (got.nColId != want.nColId || got.bColor != want.bColor ||
                got.bShow != (want.bShow && !got.bIgnored)) {
                return "wrong: not the stored layout at position " + std::to_string(at);
            }
        }
        return "stored";
    case GeneratedConfig::Expect::Either:
        break;
    }
    return isDefault ? "default" : "stored";
}

struct Outcome {
    std::string layoutKind, ignoreKind, result;
};

// Every outcome the workers wrote, by round.
std::map<int, Outcome> ReadOutcomes(const std::string& path) {
    std::map<int, Outcome> outcomes;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string round;
        Outcome outcome;
        if (std::getline(fields, round, '\t') && std::getline(fields, outcome.layoutKind, '\t') &&
            std::getline(fields, outcome.ignoreKind, '\t') && std::getline(fields, outcome.result)) {
            outcomes[std::atoi(round.c_str())] = outcome;
        }
    }
    return outcomes;
}

// Wine now and then fails to start a process with an internal error (about once in ten thousand
// starts, with or without heap checking): a start is tried again before the soak counts it
// against the plug-in.
HANDLE Spawn(const std::string& commandLine) {
    constexpr int kStartAttempts = 3;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process)) {
            CloseHandle(process.hThread);
            return process.hProcess;
        }
    }
    return nullptr;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
               ? (static_cast<long long>(data.nFileSizeHigh) << 32) + data.nFileSizeLow
               : -1;
}

// Runs a worker on rounds first.. until it ends; empty when it ended well, else how it ended.
std::string RunWorker(int first, int count, const std::string& results) {
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const HANDLE worker = Spawn("\"" + std::string(self) + "\" --load-worker " + std::to_string(first) + " " +
                                std::to_string(count) + " \"" + results + "\"");
    if (!worker) {
        return "could not start";
    }
    // A worker that writes nothing for a minute is stuck: it counts as a crash.
    long long size = FileSize(results);
    double progressed = Now();
    while (WaitForSingleObject(worker, 1000) == WAIT_TIMEOUT) {
        const long long now = FileSize(results);
        if (now != size) {
            size = now;
            progressed = Now();
        } else if (Now() - progressed > 60) {
            TerminateProcess(worker, 1);
            WaitForSingleObject(worker, 30000);
            CloseHandle(worker);
            return "no progress for a minute";
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(worker, &code);
    CloseHandle(worker);
    char how[32] = {};
    std::snprintf(how, sizeof(how), "exit code 0x%08lX", static_cast<unsigned long>(code));
    return code == 0 ? "" : how;
}

// The files beside the layout file that a save writes through, removed when asked to.
int CountCopies(bool remove) {
    int count = 0;
    WIN32_FIND_DATAA found = {};
    const HANDLE find = FindFirstFileA((ConfigDir() + "*.tmp").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found)) {
        count += !remove || DeleteFileA((ConfigDir() + found.cFileName).c_str()) ? 1 : 0;
    }
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
    return count;
}

} // namespace

int LoadConfigsWorker(int first, int count, const std::string& results) {
    // A crash ends this process with the exception's code, for the driver to count, instead of
    // waiting for a debugger or a dialog nobody answers.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&EndOnCrash);
    std::set_terminate([] { TerminateProcess(GetCurrentProcess(), 3); });
    std::FILE* out = std::fopen(results.c_str(), "a");
    if (!out) {
        return 2;
    }
    const std::string layoutFile = ConfigDir() + "Kestrova.Show.pub",
                      ignoreFile = ConfigDir() + "Kestrova.Ignore.pub";
    LoadedPlugin plugin;
    for (int round = first; round < first + count; ++round) {
        const GeneratedConfig config = GenerateConfig(kSeed, round);
        Write(layoutFile, config.layoutFile);
        Write(ignoreFile, config.ignoreFile);
        const HWND hWnd = plugin.host.OpenWindow();
        const auto* bar = hWnd ? dynamic_cast<const TKestrovaWnd*>(TIxFrm::FromHandle(hWnd)) : nullptr;
        std::string result = bar ? Judge(*bar, config) : "wrong: no bar";
        // A refused file of a known damage is refused for that damage.
        const std::vector<LayoutProblem> problems = CheckLayoutFile(kLayoutSection, layoutFile).problems;
        if (result == "default" && !config.reasons.empty() &&
            (problems.empty() || std::find(config.reasons.begin(), config.reasons.end(),
                                           problems.front().kind) == config.reasons.end())) {
            result =
                "wrong: refused for " + (problems.empty() ? std::string("no reason") : problems.front().text);
        }
        std::fprintf(out, "%d\t%s\t%s\t%s\n", round, config.layoutKind, config.ignoreKind, result.c_str());
        std::fflush(out);
        if ((round - first) % kRestartEvery == kRestartEvery - 1) {
            plugin.Restart();
        }
    }
    std::fclose(out);
    return 0;
}

int GeneratedConfigs(int files) {
    std::printf("\ngenerated layout and ignore files\n");
    const std::string results = testing_support::ExeDirA() + "soak-loads.txt";
    DeleteFileA(results.c_str());
    std::vector<std::pair<int, std::string>> crashes; // round, how the worker ended
    const double start = Now();
    for (int next = 0; next < files;) {
        const std::string how = RunWorker(next, files - next, results);
        const std::map<int, Outcome> outcomes = ReadOutcomes(results);
        int done = next;
        while (done < files && outcomes.count(done)) {
            ++done;
        }
        if (done < files) {
            crashes.emplace_back(done, how.empty() ? "ended early" : how);
        }
        next = done + 1;
    }
    const double seconds = Now() - start;

    // Counts by kind of layout file: default, stored, wrong, crashed.
    std::map<std::string, std::array<int, 4>> byKind;
    std::map<std::string, int> ignoreKinds;
    std::array<int, 4> total = {};
    std::vector<std::string> wrong;
    const std::map<int, Outcome> outcomes = ReadOutcomes(results);
    for (const auto& [round, outcome] : outcomes) {
        const int column = outcome.result == "default" ? 0 : outcome.result == "stored" ? 1 : 2;
        ++byKind[outcome.layoutKind][column];
        ++total[column];
        ++ignoreKinds[outcome.ignoreKind];
        if (column == 2) {
            wrong.push_back("round " + std::to_string(round) + " (" + outcome.layoutKind +
                            "): " + outcome.result);
        }
    }
    for (const auto& [round, how] : crashes) {
        const GeneratedConfig config = GenerateConfig(kSeed, round);
        ++byKind[config.layoutKind][3];
        ++total[3];
        wrong.push_back("round " + std::to_string(round) + " (" + config.layoutKind + "): crashed, " + how);
    }
    DeleteFileA(results.c_str());

    std::printf("  %d generated pairs of files, each loaded by a new funds bar, in %.1f s\n", files, seconds);
    std::printf("  %-18s %8s %8s %8s %8s\n", "layout file", "default", "stored", "wrong", "crashed");
    for (const auto& [kind, counts] : byKind) {
        std::printf("  %-18s %8d %8d %8d %8d\n", kind.c_str(), counts[0], counts[1], counts[2], counts[3]);
    }
    std::printf("  %-18s %8d %8d %8d %8d\n", "all", total[0], total[1], total[2], total[3]);
    std::printf("  ignore files:");
    for (const auto& [kind, count] : ignoreKinds) {
        std::printf(" %s %d;", kind.c_str(), count);
    }
    std::printf("\n");
    for (std::size_t i = 0; i < wrong.size() && i < 10; ++i) {
        std::printf("  %s\n", wrong[i].c_str());
    }
    if (wrong.size() > 10) {
        std::printf("  ... and %zu more\n", wrong.size() - 10);
    }
    return total[2] + total[3];
}

int KilledSaves(int rounds) {
    std::printf("\nsaves killed at a random moment\n");
    const std::string writer = testing_support::ExeDirA() + "layout_writer.exe";
    const std::string layout = ConfigDir() + "Kestrova.Show.pub";
    std::mt19937 random(kSeed);
    int between = 0, kept = 0, landed = 0, mixed = 0, unstarted = 0, copies = 0, remaining = 0;
    const double start = Now();
    for (int round = 0; round < rounds; ++round) {
        const std::string name =
            "KestrovaSoakSave" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(round);
        const HANDLE saved = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
        const HANDLE counts = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 2 * sizeof(LONG), (name + ".saves").c_str());
        const auto* saves = static_cast<const volatile LONG*>(MapViewOfFile(counts, FILE_MAP_READ, 0, 0, 0));
        const HANDLE process = Spawn("\"" + writer + "\" " + name);
        const HANDLE waits[] = {saved, process};
        const bool started = process && WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
        if (started) {
            Sleep(random() % 40);
        }
        if (process) {
            TerminateProcess(process, 9);
            WaitForSingleObject(process, 30000);
            CloseHandle(process);
        }
        // Save n writes sample layout 1 + (n - 1) % 2.
        const LONG begun = saves ? saves[0] : 0, finished = saves ? saves[1] : 0;
        const int cutCopies = CountCopies(false);
        std::vector<ColumnSetting> columns;
        const bool loaded = LoadColumnSettings(kLayoutSection, columns);
        const auto holds = [&](LONG save) {
            return loaded && save > 0 && LayoutIni(columns) == LayoutIni(SampleLayout(1 + (save - 1) % 2));
        };
        if (!started) {
            ++unstarted;
        } else if (begun == finished) {
            between += holds(finished);
            mixed += !holds(finished);
        } else {
            kept += holds(finished);
            landed += holds(begun);
            mixed += !holds(finished) && !holds(begun);
        }
        // A save cut short leaves its copy beside the file, which the load above must remove;
        // one it left counts as a fault, and goes before the next round.
        copies += cutCopies;
        remaining += CountCopies(false);
        CountCopies(true);
        if (saves) {
            UnmapViewOfFile(const_cast<LONG*>(saves));
        }
        CloseHandle(counts);
        CloseHandle(saved);
        if ((round + 1) % 100 == 0) {
            std::printf("  %d saves killed so far, %.0f s\n", round + 1, Now() - start);
        }
    }
    DeleteFileA(layout.c_str());
    std::printf("  %d saves of another process, each killed at a random moment, in %.0f s:\n", rounds,
                Now() - start);
    std::printf("    killed between two saves, the last layout whole: %d\n", between);
    std::printf("    killed during a save, the old layout whole: %d\n", kept);
    std::printf("    killed during a save, the new layout whole: %d\n", landed);
    std::printf("    a mix of the two, or nothing readable: %d\n", mixed);
    std::printf("    the writer never saved: %d\n", unstarted);
    std::printf("    copies left beside the file by cut saves: %d\n", copies);
    std::printf("    copies remaining after the next load: %d\n", remaining);
    return mixed + unstarted + remaining;
}

} // namespace soak
