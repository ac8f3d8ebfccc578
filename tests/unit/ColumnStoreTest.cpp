#include "writer/SampleLayouts.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include <process.h>

static const std::string kDir = testing_support::ExeDirA() + "config\\";
static const std::string kLayoutFile = kDir + "Kestrova.Show.pub", kIgnoreFile = kDir + "Kestrova.Ignore.pub";

// Replaces a file, and drops the system's parsed copy, which a rewrite within one clock tick
// would not refresh.
static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// The layout file's text of the columns, "id|show|colour" at each position.
static std::string Ini(const std::vector<ColumnSetting>& columns) {
    std::string text = "[Kestrova]\r\n";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += std::to_string(i) + "=" + std::to_string(columns[i].nColId) + "|" +
                std::to_string(columns[i].bShow) + "|" + std::to_string(columns[i].bColor) + "\r\n";
    }
    return text;
}

// The stored layout as Ini writes it, "refused", or "broken" when a load gave anything but
// nothing or each id 0..35 once.
static std::string Loaded() {
    std::vector<ColumnSetting> columns(3);
    const bool whole = LoadColumnSettings("Kestrova", columns);
    unsigned long long ids = 0;
    for (const ColumnSetting& c : columns) {
        ids |= 1ull << (c.nColId & 63);
    }
    const bool good = columns.size() == (whole ? 36u : 0u) && ids == (whole ? (1ull << 36) - 1 : 0);
    return !good ? "broken" : whole ? Ini(columns) : "refused";
}

// Runs the layout writer beside this program until `kill` milliseconds after its first save;
// false when it did not save within 30 seconds.
static bool RunWriter(DWORD kill) {
    const std::string event = "KestrovaLayoutSaved" + std::to_string(GetCurrentProcessId());
    const HANDLE saved = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    const intptr_t writer = _spawnl(_P_NOWAIT, (testing_support::ExeDirA() + "layout_writer.exe").c_str(),
                                    "layout_writer", event.c_str(), nullptr);
    const HANDLE waits[] = {saved, writer == -1 ? nullptr : reinterpret_cast<HANDLE>(writer)};
    const bool done = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    Sleep(done ? kill : 0);
    TerminateProcess(waits[1], 9);
    WaitForSingleObject(waits[1], 30000);
    return CloseHandle(waits[1]) && CloseHandle(saved) && done;
}

// A config folder for each test, removed after it.
struct ColumnStore : ::testing::Test {
    void SetUp() override { std::filesystem::create_directory(kDir); }
    void TearDown() override { std::filesystem::remove_all(kDir); }
};

TEST_F(ColumnStore, LayoutValuesAndIgnoreListsAreReadAsAtoiReadsThem) {
    // Prepared as a hidden column 31: what a value does not supply stays so.
    const std::pair<const char*, const char*> values[] = {
        {"12|0|1", "12|0|1"},   {"7", "31|0|1"},      {"5|1", "5|0|1"},     {"abc", "31|0|0"},
        {" 3| 1|\t0", "3|1|0"}, {"-4|2|x", "-4|1|0"}, {"+5|00|-1", "5|0|1"}};
    for (const auto& [value, expected] : values) {
        std::vector<ColumnSetting> setting = {ColumnSetting{false, {}, 31, false, false, 0}};
        ParseColumnSetting(value, setting[0]);
        EXPECT_EQ(Ini(setting), "[Kestrova]\r\n0=" + std::string(expected) + "\r\n") << value;
    }
    // Ids are appended, to a list left as it is without a file.
    const std::pair<const char*, std::vector<int>> lists[] = {
        {nullptr, {9}}, {"ignorecol=3||5|", {9, 3, 5}}, {"ignorecol=x", {9, 0}}};
    for (const auto& [value, expected] : lists) {
        if (value) {
            Write(kIgnoreFile, std::string("[Kestrova]\r\n") + value);
        }
        std::vector<int> ids = {9};
        EXPECT_TRUE(LoadIgnoredColumns("Kestrova", ids) && ids == expected) << (value ? value : "no file");
    }
}

TEST_F(ColumnStore, SaveReplacesTheLayoutWholeOrNotAtAll) {
    EXPECT_EQ(Loaded(), "refused");
    ASSERT_TRUE(SaveColumnSettings("Kestrova", SampleLayout(11)));
    EXPECT_EQ(Loaded(), Ini(SampleLayout(11)));
    // A shorter list keeps the keys past it.
    std::vector<ColumnSetting> expected = SampleLayout(11);
    std::rotate(expected.begin(), expected.begin() + 1, expected.begin() + 10);
    ASSERT_TRUE(SaveColumnSettings("Kestrova", {expected.begin(), expected.begin() + 10}));
    EXPECT_EQ(Loaded(), Ini(expected));
    // A read-only file, or no folder at all, is left as it is.
    ASSERT_TRUE(SetFileAttributesA(kLayoutFile.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));
    EXPECT_EQ(Loaded(), Ini(expected));
    SetFileAttributesA(kLayoutFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileA(kLayoutFile.c_str()) && RemoveDirectoryA(kDir.c_str()))
        << "a copy was left behind";
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));
}

TEST_F(ColumnStore, SaveCutShortLeavesTheOldOrTheNewLayout) {
    // Another process saves layouts 1 and 2 in turn until it is killed; this one reads them.
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(RunWriter(round * 15)) << "the writer did not save";
        const std::string loaded = Loaded();
        EXPECT_TRUE(loaded == Ini(SampleLayout(1)) || loaded == Ini(SampleLayout(2))) << loaded;
    }
}

TEST_F(ColumnStore, GeneratedFilesLoadWholeOrNotAtAll) {
    std::mt19937 rng(3136);
    const auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 240; ++round) {
        // A layout of any order and flags, values with odd spellings, words or a long tail after them.
        std::vector<ColumnSetting> layout = SampleLayout(0);
        std::shuffle(layout.begin(), layout.end(), rng);
        std::vector<std::string> lines;
        for (ColumnSetting& c : layout) {
            c.bShow = below(2);
            c.bColor = below(2);
            lines.push_back(std::to_string(lines.size()) + "=" + std::to_string(c.nColId) +
                            (c.bShow ? "|-" + std::to_string(1 + below(999)) : "|00") +
                            (c.bColor ? "|7" : "|0") + (below(4) ? "" : " words|") +
                            std::string(below(8) ? 0 : 3000, 'x'));
        }
        // A third with one fault: a key missing or empty, or an id twice or out of range; a third with noise.
        const int at = below(36), fault = below(6);
        const std::string twice = "=" + std::to_string(layout[(at + 1 + below(35)) % 36].nColId);
        const std::string bad[] = {"", "=", "=36", "=-1", "=99999999999999", twice};
        if (round % 3 == 1) {
            lines[at] = (fault ? std::to_string(at) : "") + bad[fault] + (fault > 1 ? "|1|1" : "");
        }
        // The lines in any order, among comments, other sections and keys.
        std::shuffle(lines.begin(), lines.end(), rng);
        std::string text =
            below(2) ? "; note\n[Other]\r\n0=1|1|1\r\n[Kestrova]\n" : "[kestrova]\r\n36=0|0|0\n";
        for (const std::string& line : lines) {
            text += line + (below(2) ? "\r\n" : "\n");
        }
        for (int i = round % 3 == 2 ? below(500) : 0; i > 0; --i) {
            const int byte = below(2) ? below(256) : "|=\n[]0123456789"[below(15)];
            text.insert(text.begin() + below(static_cast<int>(text.size())), static_cast<char>(byte));
        }
        Write(kLayoutFile, text + (below(2) ? "[Other]\n1=1|0|0\n" : ""));
        // Noise aside, the outcome is known; with noise, a complete layout or nothing.
        const std::string loaded = Loaded(), known = round % 3 == 0 ? Ini(layout) : "refused";
        ASSERT_TRUE(loaded == known || (round % 3 == 2 && loaded != "broken")) << loaded << "\n" << text;
    }
}
