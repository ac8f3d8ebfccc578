#include "writer/SampleLayouts.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <process.h>

static const std::string kDir = testing_support::ExeDirA() + "config\\";
static const std::string kLayoutFile = kDir + "Kestrova.Show.pub", kIgnoreFile = kDir + "Kestrova.Ignore.pub";

// Replaces a file, and drops the system's parsed copy, which a rewrite within one clock tick
// would not refresh.
static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// The stored layout as LayoutIni writes it, or "refused".
static std::string Loaded() {
    std::vector<ColumnSetting> columns(3);
    return LoadColumnSettings("Kestrova", columns) ? LayoutIni(columns) : "refused";
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
        EXPECT_EQ(LayoutIni(setting), "[Kestrova]\r\n0=" + std::string(expected) + "\r\n") << value;
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

TEST_F(ColumnStore, OnlyAWholeLayoutOfEveryIdOnceIsLoaded) {
    const std::string clean = LayoutIni(SampleLayout(1)); // id 31 at key 6
    const auto withKey5 = [&](const std::string& line) {
        const std::size_t at = clean.find("\r\n5=") + 2;
        return clean.substr(0, at) + line + clean.substr(clean.find("\r\n", at) + 2);
    };
    Write(kLayoutFile, clean);
    EXPECT_EQ(Loaded(), clean);
    const std::pair<const char*, std::string> files[] = {
        {"key missing", withKey5("")},
        {"empty value", withKey5("5=\r\n")},
        {"id 36", withKey5("5=36|1|0\r\n")},
        {"id -1", withKey5("5=-1|1|0\r\n")},
        {"id beyond 32 bits", withKey5("5=4294967296|1|0\r\n")},
        {"id twice", withKey5("5=31|1|0\r\n")},
        {"another section", "[Other]" + clean.substr(10)},
        {"empty file", ""},
    };
    for (const auto& [damage, text] : files) {
        Write(kLayoutFile, text);
        EXPECT_EQ(Loaded(), "refused") << damage;
    }
}

TEST_F(ColumnStore, SaveReplacesTheLayoutWholeOrNotAtAll) {
    EXPECT_EQ(Loaded(), "refused");
    ASSERT_TRUE(SaveColumnSettings("Kestrova", SampleLayout(11)));
    EXPECT_EQ(Loaded(), LayoutIni(SampleLayout(11)));
    // A shorter list keeps the keys past it.
    std::vector<ColumnSetting> expected = SampleLayout(11);
    std::rotate(expected.begin(), expected.begin() + 1, expected.begin() + 10);
    ASSERT_TRUE(SaveColumnSettings("Kestrova", {expected.begin(), expected.begin() + 10}));
    EXPECT_EQ(Loaded(), LayoutIni(expected));
    // A read-only file, or no folder at all, is left as it is.
    ASSERT_TRUE(SetFileAttributesA(kLayoutFile.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));
    EXPECT_EQ(Loaded(), LayoutIni(expected));
    SetFileAttributesA(kLayoutFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileA(kLayoutFile.c_str()) && RemoveDirectoryA(kDir.c_str()))
        << "a copy was left behind";
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));

    // Another process saves layouts 1 and 2 in turn until it is killed. A few rounds catch a
    // save that writes in place; `make soak` kills five hundred.
    std::filesystem::create_directory(kDir);
    for (int round = 0; round < 4; ++round) {
        ASSERT_TRUE(RunWriter(round * 12)) << "the writer did not save";
        const std::string loaded = Loaded();
        EXPECT_TRUE(loaded == LayoutIni(SampleLayout(1)) || loaded == LayoutIni(SampleLayout(2))) << loaded;
    }
}
