#include "writer/SampleLayouts.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <tuple>

#include <process.h>

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

// What the code sends to a debugger while this lives, caught as the exceptions a debugger
// would see: a wide text may be followed by its narrow form, which is kept once.
class DebugOutput {
public:
    DebugOutput() : m_handler(AddVectoredExceptionHandler(1, &Catch)) { lines.clear(); }
    ~DebugOutput() { RemoveVectoredExceptionHandler(m_handler); }
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    // The plug-in's lines caught since the last call (this test's own failures go there too).
    std::vector<std::string> Take() {
        std::vector<std::string> told;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(told),
                     [](const std::string& line) { return line.rfind("Kestrova: ", 0) == 0; });
        lines.clear();
        return told;
    }

private:
    static inline std::vector<std::string> lines;
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* info) {
        constexpr DWORD kNarrow = 0x40010006, kWide = 0x4001000A; // DBG_PRINTEXCEPTION_(WIDE_)C
        const EXCEPTION_RECORD& record = *info->ExceptionRecord;
        const bool wide = record.ExceptionCode == kWide;
        if ((wide || record.ExceptionCode == kNarrow) && record.NumberParameters >= 2) {
            const ULONG_PTR text = record.ExceptionInformation[1];
            char narrow[2048] = {};
            if (wide) {
                WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, narrow,
                                    sizeof(narrow) - 1, nullptr, nullptr);
            }
            const std::string line = wide ? narrow : reinterpret_cast<const char*>(text);
            if (wide || lines.empty() || lines.back() != line) {
                lines.push_back(line);
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID m_handler;
};

static std::vector<std::string> Texts(const std::vector<LayoutProblem>& problems) {
    std::vector<std::string> texts;
    for (const LayoutProblem& problem : problems) {
        texts.push_back(problem.text);
    }
    return texts;
}

// Fails the next key written after `keysLeft` more succeed, once it has written a stray key.
static int keysLeft = 0;
static BOOL WINAPI FailingKeyWriter(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
    if (keysLeft-- > 0) {
        return WritePrivateProfileStringA(section, key, value, path);
    }
    WritePrivateProfileStringA(section, "stray", "1", path);
    return FALSE;
}

static std::string Bytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

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
    DebugOutput debugger;
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
    DebugOutput debugger;
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
    EXPECT_EQ(Loaded(), LayoutIni(SampleLayout(11)));
    std::vector<ColumnSetting> expected = SampleLayout(11);
    std::rotate(expected.begin(), expected.begin() + 1, expected.begin() + 10);
    ASSERT_TRUE(SaveColumnSettings("Kestrova", {expected.begin(), expected.begin() + 10}));
    EXPECT_EQ(Loaded(), LayoutIni(expected));
    // Without its folder, nothing is saved.
    ASSERT_TRUE(DeleteFileA(kLayoutFile.c_str()));
    ASSERT_TRUE(RemoveDirectoryA(kDir.c_str())) << "a copy was left behind";
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));
}

TEST_F(ColumnStore, ASaveThatFailsLeavesTheFileAsItWasAndNoCopy) {
    const std::string before = "; the desk's notes\r\n[Other]\r\nkeep=1\r\n" + LayoutIni(SampleLayout(1));
    Write("Kestrova.Show.pub", before);
    // A key that fails, the first or a later one, after writing something else.
    for (int written : {0, 20}) {
        keysLeft = written;
        EXPECT_FALSE(SaveLayoutFile("Kestrova", SampleLayout(2), kLayoutFile, &FailingKeyWriter)) << written;
        EXPECT_EQ(Bytes(kLayoutFile), before) << written;
        EXPECT_TRUE(OtherFiles().empty()) << written;
    }
    // The copy cannot be made while the file is held without read sharing; the copy cannot
    // replace the file while it is held without delete sharing.
    for (const DWORD sharing : {DWORD(FILE_SHARE_WRITE), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
        const HANDLE held = CreateFileA(kLayoutFile.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(2))) << sharing;
        CloseHandle(held);
        EXPECT_EQ(Bytes(kLayoutFile), before) << sharing;
        EXPECT_TRUE(OtherFiles().empty()) << sharing;
    }
    keysLeft = 0;
}

// Copies of saves cut short: one of an ended process, one of this process, one of a process still
// running (its save may yet end), and files that only look alike.
TEST_F(ColumnStore, LoadsAndSavesRemoveTheCopiesOfSavesCutShortByThisOrAnEndedProcess) {
    Write("Kestrova.Show.pub", LayoutIni(SampleLayout(1)));
    char self[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION ended = {}, running = {};
    char commandLine[] = "unit_tests --gtest_list_tests";
    ASSERT_TRUE(CreateProcessA(self, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &running));
    ASSERT_TRUE(CreateProcessA(self, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &ended));
    TerminateProcess(ended.hProcess, 9);
    WaitForSingleObject(ended.hProcess, 30000);
    const auto copyOf = [](DWORD processId) {
        return "Kestrova.Show.pub." + std::to_string(processId) + ".tmp";
    };
    std::vector<std::string> kept = {copyOf(running.dwProcessId), "Kestrova.Show.pub.x1.tmp",
                                     "Kestrova.Show.pub.1.tmp.bak", "other.tmp"};
    std::sort(kept.begin(), kept.end());
    for (const auto& load : {std::function<void()>([] { Loaded(); }), std::function<void()>([] {
                                 SaveColumnSettings("Kestrova", SampleLayout(2));
                             })}) {
        for (const std::string& name : kept) {
            Write(name, "kept");
        }
        Write(copyOf(ended.dwProcessId), LayoutIni(SampleLayout(3)));
        Write(copyOf(GetCurrentProcessId()), "");
        load();
        EXPECT_EQ(OtherFiles(), kept);
    }
    EXPECT_EQ(Loaded(), LayoutIni(SampleLayout(2)));
    TerminateProcess(running.hProcess, 9);
    for (const PROCESS_INFORMATION& process : {ended, running}) {
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
