#include "columns/LayoutSave.h"
#include "writer/SampleLayouts.h"

#include "support/DebugOutput.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>

#include <process.h>
#include <sddl.h>

static const std::string kDir = testing_support::ExeDirA() + "config\\";
static const std::string kLayoutFile = kDir + "Kestrova.Show.pub";

// Replaces a file, and drops the system's parsed copy, which a rewrite within one clock tick
// would not refresh.
static void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(kDir + name, std::ios::binary) << bytes;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, (kDir + name).c_str());
}

// The stored layout as LayoutIni writes it, or "refused".
static std::string Loaded() {
    std::vector<ColumnSetting> columns(3);
    return LoadColumnSettings("Kestrova", columns) ? LayoutIni(columns) : "refused";
}

static std::vector<std::string> Texts(const std::vector<LayoutProblem>& problems) {
    std::vector<std::string> texts;
    for (const LayoutProblem& problem : problems) {
        texts.push_back(problem.text);
    }
    return texts;
}

// What other programs do to a save's files, at the moments the save's file operations give them.
struct Meddling {
    int failAtKey = -1;   // this key's write fails, having written a stray key
    int vanishAtKey = -1; // the copy is removed just before this key is written...
    int vanishings = 0;   // ...in this many attempts
    bool refuseNewFiles = false;
    HANDLE holdTarget = nullptr; // let go of once the replacing has been tried for 300 ms
    DWORD holdingSince = 0;
};
static Meddling meddling;

static BOOL WINAPI MeddledWriteKey(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
    if (std::atoi(key) == meddling.failAtKey) {
        WritePrivateProfileStringA(section, "stray", "1", path);
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (std::atoi(key) == meddling.vanishAtKey && meddling.vanishings > 0) {
        --meddling.vanishings;
        DeleteFileA(path);
    }
    return WritePrivateProfileStringA(section, key, value, path);
}

static HANDLE WINAPI MeddledCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                       DWORD disposition, DWORD flags, HANDLE hTemplate) {
    const bool makes = disposition != OPEN_EXISTING &&
                       (disposition != OPEN_ALWAYS || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES);
    if (meddling.refuseNewFiles && makes) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, access, share, security, disposition, flags, hTemplate);
}

static BOOL WINAPI MeddledMoveFile(LPCSTR from, LPCSTR to, DWORD flags) {
    if (meddling.holdTarget && !meddling.holdingSince) {
        meddling.holdingSince = GetTickCount();
    } else if (meddling.holdTarget && GetTickCount() - meddling.holdingSince >= 300) {
        CloseHandle(std::exchange(meddling.holdTarget, nullptr));
    }
    return MoveFileExA(from, to, flags);
}

static constexpr LayoutFileOps kMeddledOps = {&MeddledWriteKey, &MeddledCreateFile, &MeddledMoveFile};

// The names of the files in the config folder, but the layout and ignore files, sorted.
static std::vector<std::string> OtherFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kDir)) {
        const std::string name = entry.path().filename().string();
        if (name != "Kestrova.Show.pub" && name != "Kestrova.Ignore.pub") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A config folder for each test, removed after it.
struct ColumnStore : ::testing::Test {
    void SetUp() override { std::filesystem::create_directory(kDir); }
    void TearDown() override { std::filesystem::remove_all(kDir); }
};

TEST_F(ColumnStore, ValuesAreReadAsAtoiReadsThem) {
    // Prepared as a hidden column 31: what a value does not supply stays so.
    // clang-format off
    const std::pair<const char*, const char*> values[] = {{"12|0|1", "12|0|1"}, {"7", "31|0|1"}, {"5|1", "5|0|1"},
        {"abc", "31|0|0"}, {" 3| 1|\t0", "3|1|0"}, {"-4|2|x", "-4|1|0"}, {"+5|00|-1", "5|0|1"}};
    // clang-format on
    for (const auto& [value, expected] : values) {
        std::vector<ColumnSetting> setting = {ColumnSetting{false, 31, false, false, 0}};
        ParseColumnSetting(value, setting[0]);
        EXPECT_EQ(LayoutIni(setting), "[Kestrova]\r\n0=" + std::string(expected) + "\r\n") << value;
    }
}

// Ids are appended, to a list left as it is without a file; pieces that do nothing or are misread
// are told to a debugger, the first of them once per load.
TEST_F(ColumnStore, IgnoredIdsAreAppendedAndTheFirstMisreadPieceIsToldOncePerLoad) {
    testing_support::DebugOutput debugger;
    const std::string ignoreFile = kDir + "Kestrova.Ignore.pub";
    // clang-format off
    const std::tuple<const char*, std::vector<int>, std::vector<std::string>> lists[] = {
        {nullptr, {9}, {"there is no such file"}}, {"3||5|", {9, 3, 5}, {}}, {"x", {9, 0}, {"piece 1 \"x\" is not a plain number; it is read as id 0"}},
        {"5|36| 5 |-1|7,8", {9, 5, 36, 5, -1, 7}, {"piece 2 \"36\" names no column (ids are 0 to 35)",
            "pieces 1 and 3 both name id 5", "piece 4 \"-1\" names no column (ids are 0 to 35)",
            "piece 5 \"7,8\" is not a plain number; it is read as id 7"}}};
    // clang-format on
    for (const auto& [value, expected, problems] : lists) {
        if (value) {
            Write("Kestrova.Ignore.pub", std::string("[Kestrova]\r\nignorecol=") + value);
        }
        std::vector<int> ids = {9};
        EXPECT_TRUE(LoadIgnoredColumns("Kestrova", ids)) << (value ? value : "no file");
        EXPECT_EQ(ids, expected) << (value ? value : "no file");
        EXPECT_EQ(Texts(CheckIgnoreFile("Kestrova", ignoreFile).problems), problems);
        EXPECT_EQ(debugger.Take(),
                  !value || problems.empty()
                      ? std::vector<std::string>()
                      : std::vector<std::string>{"Kestrova: " + ignoreFile + ": " + problems[0] +
                                                 "; the ids read are ignored\n"});
    }
}

// A layout is refused unless all 36 keys hold each id once; every reason is found, and the first
// is told to a debugger once per load.
TEST_F(ColumnStore, ALayoutIsRefusedUnlessEveryKeyHoldsEachIdOnceAndTheFirstReasonIsTold) {
    testing_support::DebugOutput debugger;
    const std::string clean = LayoutIni(SampleLayout(1)); // id 26 at key 5, 31 at key 6
    Write("Kestrova.Show.pub", clean);
    EXPECT_EQ(Loaded(), clean);
    EXPECT_TRUE(debugger.Take().empty()) << "a usable layout says nothing";
    const auto key = [&](int n, const std::string& line, const std::string& text) {
        const std::size_t at = text.find("\r\n" + std::to_string(n) + "=") + 2;
        return text.substr(0, at) + line + text.substr(text.find("\r\n", at) + 2);
    };
    const std::string section = "section [Kestrova] is missing or empty";
    // clang-format off
    const std::tuple<const char*, std::string, std::vector<std::string>> damaged[] = {
        {"key missing", key(5, "", clean), {"key 5 is missing"}},
        {"empty value", key(5, "5=\r\n", clean), {"key 5 has an empty value"}},
        {"id 36", key(5, "5=36|1|0\r\n", clean), {"key 5: the id of \"36|1|0\" is not one of 0 to 35"}},
        {"id -1", key(5, "5=-1|1|0\r\n", clean), {"key 5: the id of \"-1|1|0\" is not one of 0 to 35"}},
        {"id past 32 bits", key(5, "5=4294967296|1|0\r\n", clean), {"key 5: the id of \"4294967296|1|0\" is not one of 0 to 35"}},
        {"id twice", key(5, "5=31|1|0\r\n", clean), {"keys 5 and 6 both hold id 31"}},
        {"several", key(35, "35=\r\n", key(20, "20=1|1|1\r\n", key(3, "", key(2, "2=x\r\n", clean)))),
            {"key 3 is missing", "keys 2 and 7 both hold id 0", "keys 0 and 20 both hold id 1", "key 35 has an empty value"}},
        {"another section", "[Other]" + clean.substr(10), {section}}, {"no keys", "[Kestrova]\r\n", {section}},
        {"empty file", "", {section}}};
    // clang-format on
    for (const auto& [damage, text, reasons] : damaged) {
        Write("Kestrova.Show.pub", text);
        EXPECT_EQ(Loaded(), "refused") << damage;
        EXPECT_EQ(debugger.Take(), std::vector<std::string>{"Kestrova: " + kLayoutFile + ": " + reasons[0] +
                                                            "; the default layout is used\n"})
            << damage;
        EXPECT_EQ(Texts(CheckLayoutFile("Kestrova", kLayoutFile).problems), reasons) << damage;
    }
    // No file is the first run's state: nothing to tell.
    DeleteFileA(kLayoutFile.c_str());
    EXPECT_EQ(Loaded(), "refused");
    EXPECT_TRUE(debugger.Take().empty());
    EXPECT_EQ(Texts(CheckLayoutFile("Kestrova", kLayoutFile).problems),
              std::vector<std::string>{"there is no such file"});
}

TEST_F(ColumnStore, ASaveReplacesTheLayoutWholeKeepingTheKeysPastAShorterListAndNeedsItsFolder) {
    ASSERT_TRUE(SaveColumnSettings("Kestrova", SampleLayout(11)));
    std::vector<ColumnSetting> expected = SampleLayout(11);
    std::rotate(expected.begin(), expected.begin() + 1, expected.begin() + 10);
    ASSERT_TRUE(SaveColumnSettings("Kestrova", {expected.begin(), expected.begin() + 10}));
    EXPECT_EQ(Loaded(), LayoutIni(expected));
    // Without its folder, nothing is saved.
    ASSERT_TRUE(DeleteFileA(kLayoutFile.c_str()));
    ASSERT_TRUE(RemoveDirectoryA(kDir.c_str())) << "a copy was left behind";
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));
}

// Other programs at work in the folder: a save that comes through keeps the file's other
// sections and notes; one that fails leaves the file byte for byte as it was and tells a
// debugger why. Neither leaves a file behind.
TEST_F(ColumnStore, ASaveNeverPutsAPartialLayoutInPlaceAndOutlastsABriefHold) {
    testing_support::DebugOutput debugger;
    const std::string notes = "; the desk's notes\r\n[Other]\r\nkeep=1\r\n";
    const std::string before = notes + LayoutIni(SampleLayout(1));
    const char* vanished = "another program changed or removed the copy while the keys were written into it";
    constexpr DWORD kScanner = FILE_SHARE_READ | FILE_SHARE_WRITE; // no delete sharing
    const struct {
        const char* name;
        Meddling meddling;
        DWORD heldSharing;  // the file held open (as a scanner holds it) with this sharing, 0 for not held
        bool briefly;       // let go of while the save waits
        const char* reason; // told when the save fails, null when it comes through
    } cases[] = {
        {"first key fails", {0}, 0, false, "key 0 cannot be written into the copy (error 29)"},
        {"a later key fails", {20}, 0, false, "key 20 cannot be written into the copy (error 29)"},
        {"the copy vanishes in every attempt", {-1, 9, 3}, 0, false, vanished},
        {"the copy vanishes once", {-1, 9, 1}, 0, false, nullptr},
        {"no file may be made", {-1, -1, 0, true}, 0, false, nullptr},
        {"held for 300 ms as it is replaced", {}, kScanner, true, nullptr},
        // Wine refuses to replace a held file as access denied, Windows as a sharing violation (32).
        {"held", {}, kScanner, false, "another program held the file for over a second (error 5)"},
        {"held without read sharing", {}, FILE_SHARE_WRITE, false, "the file cannot be read (error 32)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("Kestrova.Show.pub", before);
        meddling = c.meddling;
        const HANDLE held = c.heldSharing ? CreateFileA(kLayoutFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                        c.heldSharing, nullptr, OPEN_EXISTING, 0, nullptr)
                                          : nullptr;
        meddling.holdTarget = c.briefly ? held : nullptr;
        const bool saved = SaveLayoutFile("Kestrova", SampleLayout(2), kLayoutFile, kMeddledOps);
        CloseHandle(c.briefly ? nullptr : held); // one held briefly was let go of in the save
        EXPECT_EQ(meddling.holdTarget, nullptr) << "never let go of";
        EXPECT_EQ(saved, !c.reason);
        EXPECT_EQ(debugger.Take(), c.reason
                                       ? std::vector<std::string>{"Kestrova: " + kLayoutFile + ": " +
                                                                  c.reason + "; the layout is not saved\n"}
                                       : std::vector<std::string>{});
        EXPECT_TRUE(OtherFiles().empty());
        EXPECT_EQ(testing_support::FileBytes(kLayoutFile).rfind(notes, 0), 0u);
        EXPECT_EQ(saved ? Loaded() : testing_support::FileBytes(kLayoutFile),
                  saved ? LayoutIni(SampleLayout(2)) : before);
    }
    meddling = {};
}

// Copies of saves cut short: one of an ended process of this machine, one of this process; and
// what must stay: a copy of a process still running (its save may yet end) or whose state cannot
// be read, a copy of another machine, whose processes cannot be asked, a copy named as earlier
// versions named them, which says no machine, and files that only look alike.
TEST_F(ColumnStore, LoadsAndSavesRemoveOnlyTheCopiesOfSavesCertainlyCutShort) {
    Write("Kestrova.Show.pub", LayoutIni(SampleLayout(1)));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION ended = {}, running = {}, hidden = {};
    char commandLine[] = "unit_tests.exe --gtest_list_tests"; // found beside this program
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &running));
    // One no other process may look into (an empty access list), as another user's.
    SECURITY_ATTRIBUTES hiding = {sizeof(hiding), nullptr, FALSE};
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:", SDDL_REVISION_1,
                                                                     &hiding.lpSecurityDescriptor, nullptr));
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, &hiding, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &hidden));
    LocalFree(hiding.lpSecurityDescriptor);
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &ended));
    TerminateProcess(ended.hProcess, 9);
    WaitForSingleObject(ended.hProcess, 30000);
    // "Kestrova.Show.pub.<machine>.<process id>.tmp"
    const std::string own = LayoutCopyPath(kLayoutFile).substr(kDir.size());
    const std::string ownId = "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    const std::string machine = own.substr(18, own.size() - 18 - ownId.size());
    const std::string elsewhere = (machine[0] == 'Q' ? "R" : "Q") + machine.substr(1);
    const auto copyOf = [](const std::string& machine, DWORD processId) {
        return "Kestrova.Show.pub." + machine + "." + std::to_string(processId) + ".tmp";
    };
    std::vector<std::string> kept = {copyOf(machine, running.dwProcessId),
                                     copyOf(machine, hidden.dwProcessId),
                                     copyOf(elsewhere, ended.dwProcessId),
                                     "Kestrova.Show.pub." + std::to_string(ended.dwProcessId) + ".tmp",
                                     copyOf(machine, 0) + ".bak",
                                     "Kestrova.Show.pub." + machine + ".1x.tmp",
                                     "other.tmp"};
    std::sort(kept.begin(), kept.end());
    for (const bool save : {false, true}) { // a load, then a save

        for (const std::string& name : kept) {
            Write(name, "kept");
        }
        Write(copyOf(machine, ended.dwProcessId), LayoutIni(SampleLayout(3)));
        Write(own, "");
        EXPECT_TRUE(save ? SaveColumnSettings("Kestrova", SampleLayout(2)) : Loaded() != "refused");
        EXPECT_EQ(OtherFiles(), kept);
    }
    EXPECT_EQ(Loaded(), LayoutIni(SampleLayout(2)));
    for (const PROCESS_INFORMATION& process : {ended, running, hidden}) {
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

TEST_F(ColumnStore, ASaveKilledAtAnyMomentLeavesOneWholeLayout) {
    // The layout writer beside this program saves layouts 1 and 2 in turn, signalling each
    // save, until it is killed a while after its first. A few rounds catch a save that writes
    // in place; `make soak` kills five hundred.
    const std::string event = "KestrovaLayoutSaved" + std::to_string(GetCurrentProcessId());
    const HANDLE saved = CreateEventA(nullptr, FALSE, FALSE, event.c_str());
    for (int round = 0; round < 4; ++round) {
        const auto writer = reinterpret_cast<HANDLE>(
            _spawnl(_P_NOWAIT, (testing_support::ExeDirA() + "layout_writer.exe").c_str(), "layout_writer",
                    event.c_str(), nullptr));
        ASSERT_EQ(WaitForSingleObject(saved, 30000), WAIT_OBJECT_0) << "the writer did not save";
        Sleep(round * 12);
        TerminateProcess(writer, 9);
        WaitForSingleObject(writer, 30000);
        CloseHandle(writer);
        const std::string loaded = Loaded();
        EXPECT_TRUE(loaded == LayoutIni(SampleLayout(1)) || loaded == LayoutIni(SampleLayout(2))) << loaded;
        EXPECT_TRUE(OtherFiles().empty()) << "the load left the cut save's copy";
    }
    CloseHandle(saved);
}
