#include "columns/ColumnStore.h"

#include "support/TestSupport.h"
#include "writer/SampleLayouts.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using samples::kSection;
using samples::SameLayout;

std::string ConfigDir() {
    return testing_support::ExeDirA() + "config\\";
}

// Every file of the config folder, by name.
std::vector<std::string> ConfigFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((ConfigDir() + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void RemoveConfigDir() {
    for (const std::string& name : ConfigFiles()) {
        const std::string path = ConfigDir() + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(ConfigDir().c_str());
}

// Replaces a file's bytes. The profile functions keep files they read, checked by their
// time of change, which a rewrite within one clock tick does not move: drop our copy.
void WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

std::string ReadKey(const std::string& path, const char* section, const char* key) {
    char value[1024] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof(value), path.c_str());
    return value;
}

// The key names of a section, in file order.
std::vector<std::string> KeysOf(const std::string& path, const char* section) {
    std::vector<char> buffer(65536, '\0');
    GetPrivateProfileStringA(section, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()),
                             path.c_str());
    std::vector<std::string> keys;
    for (const char* key = buffer.data(); *key; key += std::strlen(key) + 1) {
        keys.push_back(key);
    }
    return keys;
}

// A layout file's text: "[Kestrova]" and one line per column.
std::string LayoutText(const std::vector<ColumnSetting>& columns) {
    std::string text = "[Kestrova]\r\n";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += std::to_string(i) + "=" + std::to_string(columns[i].nColId) + "|" +
                (columns[i].bShow ? "1" : "0") + "|" + (columns[i].bColor ? "1" : "0") + "\r\n";
    }
    return text;
}

std::vector<ColumnSetting> Load() {
    std::vector<ColumnSetting> columns;
    EXPECT_TRUE(LoadColumnSettings(kSection, columns));
    return columns;
}

ColumnSetting Parsed(const char* value, bool bShow = true, int nColId = 0) {
    ColumnSetting setting = {};
    setting.bShow = bShow;
    setting.nColId = nColId;
    ParseColumnSetting(value, setting);
    return setting;
}

// Runs the layout writer beside this program; its exit code, or -1 when it did not start.
struct Child {
    PROCESS_INFORMATION info = {};
    bool started = false;
    explicit Child(const std::string& arguments) {
        std::wstring command =
            L"\"" + testing_support::ExeDir() + L"layout_writer.exe\" " + testing_support::Wide(arguments);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &info) != FALSE;
    }
    ~Child() {
        if (started) {
            // A test that stops early must not leave a writer running.
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 9);
                WaitForSingleObject(info.hProcess, 30000);
            }
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }
    int Wait() {
        if (!started || WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        return static_cast<int>(code);
    }
};

class ColumnStore : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveConfigDir();
        ASSERT_TRUE(CreateDirectoryA(ConfigDir().c_str(), nullptr));
    }
    void TearDown() override { RemoveConfigDir(); }

    const std::string m_layout = ConfigDir() + "Kestrova.Show.pub";
    const std::string m_ignore = ConfigDir() + "Kestrova.Ignore.pub";
};

} // namespace

TEST_F(ColumnStore, FilesLiveInTheConfigFolderBesideTheExecutable) {
    const std::string dir = GetExeDir();
    EXPECT_EQ(dir, testing_support::ExeDirA());
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_EQ(LayoutFilePath(), dir + "config\\Kestrova.Show.pub");
    EXPECT_EQ(IgnoreFilePath(), dir + "config\\Kestrova.Ignore.pub");
}

TEST_F(ColumnStore, ValuesAreReadAsAtoiReadsNumbers) {
    struct Case {
        const char* value;
        int nColId;
        bool bShow;
        bool bColor;
    };
    const Case cases[] = {
        {"12|0|1", 12, false, true},
        {"0|1|0", 0, true, false},
        {"7", 0, true, true},   // no separator: only the colour, from the whole value
        {"5|1", 5, true, true}, // one separator: the colour is again read from the start
        {"abc", 0, true, false},
        {"", 0, true, false},
        {" 3| 1|\t0", 3, true, false},
        {"-4|2|-1", -4, true, true},
        {"|1|1", 0, true, true},
        {"9x|0y|1z", 9, false, true},
        {"26|0|1|extra", 26, false, true},
        {"99999999999|1|0", INT_MAX, true, false},
    };
    for (const Case& c : cases) {
        const ColumnSetting setting = Parsed(c.value);
        EXPECT_EQ(setting.nColId, c.nColId) << c.value;
        EXPECT_EQ(setting.bShow, c.bShow) << c.value;
        EXPECT_EQ(setting.bColor, c.bColor) << c.value;
    }
    // What a value does not supply stays as the caller prepared it.
    const ColumnSetting kept = Parsed("7", false, 31);
    EXPECT_EQ(kept.nColId, 31);
    EXPECT_FALSE(kept.bShow);
    EXPECT_TRUE(kept.bColor);
}

TEST_F(ColumnStore, CompleteLayoutIsReadInOrder) {
    const std::vector<ColumnSetting> layout = samples::Layout(7);
    // Other sections, keys past the last position and comments change nothing.
    WriteBytes(m_layout,
               "; kept by hand\r\n[Other]\r\n0=1|1|1\r\n" + LayoutText(layout) + "36=0|0|0\r\nx=y\r\n");
    const std::vector<ColumnSetting> loaded = Load();
    EXPECT_TRUE(SameLayout(loaded, layout));
    for (const ColumnSetting& column : loaded) {
        EXPECT_STREQ(column.szTitle, L"");
        EXPECT_FALSE(column.bIgnored);
        EXPECT_EQ(column.nWidth, 0);
    }
}

TEST_F(ColumnStore, IncompleteOrUnusableLayoutIsRefused) {
    const std::string full = LayoutText(samples::Layout(0));
    struct Case {
        const char* why;
        std::string text;
    };
    std::vector<ColumnSetting> missing20 = samples::Layout(0);
    missing20.resize(20);
    std::vector<ColumnSetting> duplicate = samples::Layout(0);
    duplicate[35].nColId = duplicate[0].nColId;
    std::vector<ColumnSetting> outside = samples::Layout(0);
    outside[10].nColId = 36;
    std::vector<ColumnSetting> negative = samples::Layout(0);
    negative[10].nColId = -1;
    std::string emptyValue = full;
    const std::size_t value5 = emptyValue.find("\n5=") + 3;
    emptyValue.erase(value5, emptyValue.find('\r', value5) - value5);
    const Case cases[] = {
        {"empty file", ""},
        {"other section only", "[Other]\r\n" + full.substr(full.find('\n') + 1)},
        {"key 20 missing", LayoutText(missing20) + "21=21|1|0\r\n"},
        {"empty value", emptyValue},
        {"duplicate id", LayoutText(duplicate)},
        {"id beyond 35", LayoutText(outside)},
        {"negative id", LayoutText(negative)},
        {"bare numbers", "[Kestrova]\r\n0=7\r\n1=7\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(m_layout, c.text);
        std::vector<ColumnSetting> columns(3);
        EXPECT_FALSE(LoadColumnSettings(kSection, columns)) << c.why;
        EXPECT_TRUE(columns.empty()) << c.why;
    }
    std::vector<ColumnSetting> columns(3);
    DeleteFileA(m_layout.c_str());
    EXPECT_FALSE(LoadColumnSettings(kSection, columns));
    EXPECT_TRUE(columns.empty());
}

TEST_F(ColumnStore, SavedLayoutIsReadBack) {
    const std::vector<ColumnSetting> layout = samples::Layout(11);
    ASSERT_TRUE(SaveColumnSettings(kSection, layout));
    EXPECT_TRUE(SameLayout(Load(), layout));
    // Exactly the 36 positions, as "id|show|colour", and no copy left behind.
    std::vector<std::string> expectedKeys;
    for (int i = 0; i < 36; ++i) {
        expectedKeys.push_back(std::to_string(i));
    }
    EXPECT_EQ(KeysOf(m_layout, kSection), expectedKeys);
    EXPECT_EQ(ReadKey(m_layout, kSection, "0"), "11|1|1");
    EXPECT_EQ(ConfigFiles(), std::vector<std::string>{"Kestrova.Show.pub"});
}

TEST_F(ColumnStore, SavingKeepsWhatTheListDoesNotCover) {
    WriteBytes(m_layout, "[Notes]\r\nowner=desk 4\r\n" + LayoutText(samples::Layout(1)));
    std::vector<ColumnSetting> shorter = samples::Layout(2);
    shorter.resize(10);
    ASSERT_TRUE(SaveColumnSettings(kSection, shorter));
    const std::vector<ColumnSetting> first = samples::Layout(1);
    for (int i = 0; i < 36; ++i) {
        const ColumnSetting& expected = i < 10 ? shorter[i] : first[i];
        const ColumnSetting read = Parsed(ReadKey(m_layout, kSection, std::to_string(i).c_str()).c_str());
        EXPECT_EQ(read.nColId, expected.nColId) << i;
        EXPECT_EQ(read.bShow, expected.bShow) << i;
        EXPECT_EQ(read.bColor, expected.bColor) << i;
    }
    EXPECT_EQ(ReadKey(m_layout, "Notes", "owner"), "desk 4");
}

TEST_F(ColumnStore, SaveThatCannotWriteReportsFalseAndChangesNothing) {
    const std::vector<ColumnSetting> layout = samples::Layout(3);
    const std::vector<ColumnSetting> before = layout;

    const std::string stored = LayoutText(samples::Layout(4));
    WriteBytes(m_layout, stored);
    ASSERT_TRUE(SetFileAttributesA(m_layout.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveColumnSettings(kSection, layout));
    EXPECT_TRUE(SameLayout(layout, before));
    EXPECT_TRUE(SameLayout(Load(), samples::Layout(4)));
    EXPECT_EQ(ConfigFiles(), std::vector<std::string>{"Kestrova.Show.pub"});

    // Held open without sharing, as an editor may hold it.
    SetFileAttributesA(m_layout.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE held = CreateFileA(m_layout.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveColumnSettings(kSection, layout));
    CloseHandle(held);
    EXPECT_TRUE(SameLayout(Load(), samples::Layout(4)));
    EXPECT_EQ(ConfigFiles(), std::vector<std::string>{"Kestrova.Show.pub"});

    RemoveConfigDir();
    EXPECT_FALSE(SaveColumnSettings(kSection, layout));
    EXPECT_TRUE(SameLayout(layout, before));
    EXPECT_EQ(GetFileAttributesA(ConfigDir().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ColumnStore, IgnoreListIsAppended) {
    struct Case {
        const char* text;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {"[Kestrova]\r\nignorecol=3||5|\r\n", {9, 3, 5}},
        {"[Kestrova]\r\nignorecol=x\r\n", {9, 0}},
        {"[Kestrova]\r\nignorecol=|-1|40|3|3\r\n", {9, -1, 40, 3, 3}},
        {"[Kestrova]\r\nignorecol=\r\n", {9}},
        {"[Other]\r\nignorecol=1\r\n", {9}},
    };
    for (const Case& c : cases) {
        WriteBytes(m_ignore, c.text);
        std::vector<int> ids = {9};
        EXPECT_TRUE(LoadIgnoredColumns(kSection, ids)) << c.text;
        EXPECT_EQ(ids, c.ids) << c.text;
    }
    DeleteFileA(m_ignore.c_str());
    std::vector<int> ids = {9};
    EXPECT_TRUE(LoadIgnoredColumns(kSection, ids));
    EXPECT_EQ(ids, std::vector<int>{9});
}

TEST_F(ColumnStore, LayoutPassesBetweenProcesses) {
    Child writer("save 5");
    ASSERT_EQ(writer.Wait(), 0);
    EXPECT_TRUE(SameLayout(Load(), samples::Layout(5)));

    ASSERT_TRUE(SaveColumnSettings(kSection, samples::Layout(6)));
    Child reader("check 6");
    EXPECT_EQ(reader.Wait(), 0);
}

TEST_F(ColumnStore, SaveCutShortLeavesTheOldOrTheNewLayout) {
    // A writer saves layouts 1 and 2 in turn and is killed at varying moments; a user's own
    // section must survive every round.
    WriteBytes(m_layout, "[Notes]\r\nowner=desk 4\r\n");
    std::mt19937 rng(20240611);
    int sawFirst = 0, sawSecond = 0;
    for (int round = 0; round < 24; ++round) {
        const std::string eventName =
            "KestrovaLayoutWriter" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(round);
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        ASSERT_NE(ready, nullptr);
        Child writer("churn " + eventName);
        ASSERT_TRUE(writer.started);
        const HANDLE waits[] = {ready, writer.info.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 30000);
        CloseHandle(ready);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the writer stopped before its first save";
        Sleep(rng() % 300);
        TerminateProcess(writer.info.hProcess, 9);
        WaitForSingleObject(writer.info.hProcess, 30000);

        std::vector<ColumnSetting> columns;
        ASSERT_TRUE(LoadColumnSettings(kSection, columns)) << "round " << round;
        const bool first = SameLayout(columns, samples::Layout(1));
        const bool second = SameLayout(columns, samples::Layout(2));
        EXPECT_TRUE(first || second) << "round " << round;
        sawFirst += first ? 1 : 0;
        sawSecond += second ? 1 : 0;
        EXPECT_EQ(ReadKey(m_layout, "Notes", "owner"), "desk 4") << "round " << round;
    }
    std::printf("killed after layout 1: %d, after layout 2: %d\n", sawFirst, sawSecond);
}

namespace {

// Generated layout and ignore files: well-formed ones whose outcome is known, broken ones
// that must be refused, and noise of which only the shape of the outcome is known.
class FileGenerator {
public:
    explicit FileGenerator(unsigned seed) : m_rng(seed) {}

    int Below(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    // Bytes an INI file is made of, with a share of anything at all.
    std::string Noise(int length) {
        static const char kAlphabet[] = "0123456789||||--+  \t\r\n\n[]==;Kestrovaignorecol";
        std::string text;
        for (int i = 0; i < length; ++i) {
            text += Below(4) == 0 ? static_cast<char>(Below(256))
                                  : kAlphabet[Below(static_cast<int>(sizeof(kAlphabet) - 1))];
        }
        return text;
    }

    // Numbers written in ways atoi reads the same.
    std::string Number(int value) {
        switch (Below(4)) {
        case 0:
            return (value >= 0 ? "+" : "") + std::to_string(value);
        case 1:
            return value >= 0 ? "00" + std::to_string(value) : std::to_string(value);
        default:
            return std::to_string(value);
        }
    }

    std::string Flag(bool on) { return on ? Number((1 + Below(1000)) * (Below(2) ? 1 : -1)) : Number(0); }

    // Text that stays on its line and opens no section.
    std::string Printable(int length) {
        std::string text;
        for (int i = 0; i < length; ++i) {
            text += static_cast<char>('!' + Below(58));
        }
        return text;
    }

    std::string OtherSection() {
        std::string text = "[Other" + std::to_string(Below(3)) + "]\r\n";
        for (int i = 0, n = Below(40); i < n; ++i) {
            text += std::to_string(Below(40)) + "=" + Printable(Below(20)) + "\r\n";
        }
        return text;
    }

    // The lines of one position, mostly "id|show|colour" with trailing words or long tails
    // that the 1024-byte read cuts off.
    std::string Value(const ColumnSetting& column) {
        std::string value = Number(column.nColId) + "|" + Flag(column.bShow) + "|" + Flag(column.bColor);
        switch (Below(8)) {
        case 0:
            value += "|x" + std::string(static_cast<std::size_t>(Below(3000)), 'x');
            break;
        case 1:
            value += " trailing words";
            break;
        default:
            break;
        }
        return value;
    }

    std::vector<ColumnSetting> Permutation() {
        std::vector<ColumnSetting> columns(36);
        for (int i = 0; i < 36; ++i) {
            columns[i] = ColumnSetting{};
            columns[i].nColId = i;
            columns[i].bShow = Below(2) != 0;
            columns[i].bColor = Below(2) != 0;
        }
        std::shuffle(columns.begin(), columns.end(), m_rng);
        return columns;
    }

    // The file text of the lines of section Kestrova, in any order, among other sections.
    std::string File(std::vector<std::string> lines) {
        std::shuffle(lines.begin(), lines.end(), m_rng);
        std::string text = Below(2) ? OtherSection() : "";
        text += Below(2) ? "[Kestrova]\r\n" : "[kestrova]\n";
        for (const std::string& line : lines) {
            text += line + (Below(2) ? "\r\n" : "\n");
        }
        text += Below(2) ? OtherSection() : "";
        return text;
    }

    std::vector<std::string> Lines(const std::vector<ColumnSetting>& columns) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            lines.push_back(std::to_string(i) + "=" + Value(columns[i]));
        }
        return lines;
    }

    // A complete layout with one fault that makes it unusable.
    std::string Broken() {
        std::vector<ColumnSetting> columns = Permutation();
        std::vector<std::string> lines = Lines(columns);
        const int at = Below(36);
        switch (Below(5)) {
        case 0:
            lines.erase(lines.begin() + at);
            break;
        case 1:
            lines[at] = std::to_string(at) + "=";
            break;
        case 2:
            columns[at].nColId = columns[(at + 1 + Below(35)) % 36].nColId;
            lines[at] = std::to_string(at) + "=" + Value(columns[at]);
            break;
        case 3:
            columns[at].nColId = Below(2) ? 36 + Below(100000) : -1 - Below(100000);
            lines[at] = std::to_string(at) + "=" + Value(columns[at]);
            break;
        default:
            lines[at] = std::to_string(at) + "=99999999999999|1|1";
            break;
        }
        return File(lines);
    }

    std::mt19937& Rng() { return m_rng; }

private:
    std::mt19937 m_rng;
};

// What a load may give whatever the file: nothing, or every id once with plain flags.
::testing::AssertionResult UsableOrNothing(bool loaded, const std::vector<ColumnSetting>& columns) {
    if (!loaded) {
        return columns.empty()
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << "refused but left " << columns.size() << " records";
    }
    if (columns.size() != 36) {
        return ::testing::AssertionFailure() << columns.size() << " records";
    }
    bool seen[36] = {};
    for (const ColumnSetting& column : columns) {
        unsigned char show = 0, colour = 0;
        std::memcpy(&show, &column.bShow, 1);
        std::memcpy(&colour, &column.bColor, 1);
        if (column.nColId < 0 || column.nColId >= 36 || seen[column.nColId] || show > 1 || colour > 1) {
            return ::testing::AssertionFailure() << "bad record for id " << column.nColId;
        }
        seen[column.nColId] = true;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(ColumnStore, GeneratedLayoutFilesLoadWholeOrNotAtAll) {
    // A full read costs 36 profile reads, slow on Wine: one round in sixteen for each kind
    // that reaches every key, and plain noise, which mostly fails at once, for the rest.
    FileGenerator gen(3136);
    for (int round = 0; round < 1000; ++round) {
        std::vector<ColumnSetting> columns;
        std::string text;
        switch (round % 16) {
        case 0: {
            const std::vector<ColumnSetting> layout = gen.Permutation();
            text = gen.File(gen.Lines(layout));
            WriteBytes(m_layout, text);
            ASSERT_TRUE(LoadColumnSettings(kSection, columns)) << "round " << round << "\n" << text;
            ASSERT_TRUE(SameLayout(columns, layout)) << "round " << round << "\n" << text;
            continue;
        }
        case 1:
            text = gen.Broken();
            WriteBytes(m_layout, text);
            ASSERT_FALSE(LoadColumnSettings(kSection, columns)) << "round " << round << "\n" << text;
            ASSERT_TRUE(columns.empty());
            continue;
        case 2: {
            // Every key, with values of any bytes, numbers of any size and any length.
            std::vector<std::string> lines;
            for (int i = 0; i < 36; ++i) {
                lines.push_back(std::to_string(i) + "=" +
                                (gen.Below(2) ? gen.Noise(gen.Below(gen.Below(8) ? 20 : 3000))
                                              : gen.Number(static_cast<int>(gen.Rng()())) + "|" +
                                                    gen.Number(static_cast<int>(gen.Rng()()))));
            }
            text = gen.File(lines);
            break;
        }
        case 3:
            // A good file with noise spliced in somewhere: it may or may not survive.
            text = gen.File(gen.Lines(gen.Permutation()));
            text.insert(static_cast<std::size_t>(gen.Below(static_cast<int>(text.size()))),
                        gen.Noise(gen.Below(200)));
            break;
        default:
            text = (gen.Below(2) ? "[Kestrova]\r\n" : "") + gen.Noise(gen.Below(4000));
            break;
        }
        WriteBytes(m_layout, text);
        const bool loaded = LoadColumnSettings(kSection, columns);
        ASSERT_TRUE(UsableOrNothing(loaded, columns)) << "round " << round;
    }
}

TEST_F(ColumnStore, GeneratedIgnoreFilesOnlyAppend) {
    FileGenerator gen(4242);
    for (int round = 0; round < 1000; ++round) {
        const std::vector<int> prefix(static_cast<std::size_t>(gen.Below(3)), 35);
        std::vector<int> ids = prefix;
        if (round % 2 == 0) {
            // Ids of any value, with empty pieces between and around them.
            std::vector<int> expected = prefix;
            std::string value = gen.Below(2) ? "|" : "";
            for (int i = 0, n = gen.Below(40); i < n; ++i) {
                const int id = gen.Below(3) ? gen.Below(36) : static_cast<int>(gen.Rng()());
                expected.push_back(id);
                value += gen.Number(id) + std::string(static_cast<std::size_t>(1 + gen.Below(2)), '|');
            }
            WriteBytes(m_ignore, gen.File({"ignorecol=" + value}));
            ASSERT_TRUE(LoadIgnoredColumns(kSection, ids));
            ASSERT_EQ(ids, expected) << "round " << round << ": " << value;
        } else {
            WriteBytes(m_ignore, gen.Below(2) ? gen.Noise(gen.Below(3000))
                                              : gen.File({"ignorecol=" + gen.Noise(gen.Below(3000))}));
            ASSERT_TRUE(LoadIgnoredColumns(kSection, ids));
            ASSERT_GE(ids.size(), prefix.size());
            ASSERT_TRUE(std::equal(prefix.begin(), prefix.end(), ids.begin())) << "round " << round;
        }
    }
}
