#include "writer/SampleLayouts.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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

// A config folder for each test, removed after it.
struct ColumnStore : ::testing::Test {
    void SetUp() override { std::filesystem::create_directory(kDir); }
    void TearDown() override { std::filesystem::remove_all(kDir); }
};

TEST_F(ColumnStore, ValuesAreReadAsAtoiReadsThemAndWholeLayoutsAreLoadedAndSavedWholeOrNotAtAll) {
    // Prepared as a hidden column 31: what a value does not supply stays so.
    // clang-format off
    const std::pair<const char*, const char*> values[] = {{"12|0|1", "12|0|1"}, {"7", "31|0|1"}, {"5|1", "5|0|1"},
        {"abc", "31|0|0"}, {" 3| 1|\t0", "3|1|0"}, {"-4|2|x", "-4|1|0"}, {"+5|00|-1", "5|0|1"}};
    // clang-format on
    for (const auto& [value, expected] : values) {
        std::vector<ColumnSetting> setting = {ColumnSetting{false, {}, 31, false, false, 0}};
        ParseColumnSetting(value, setting[0]);
        EXPECT_EQ(LayoutIni(setting), "[Kestrova]\r\n0=" + std::string(expected) + "\r\n") << value;
    }
    // Ids are appended, to a list left as it is without a file.
    for (const auto& [value, expected] :
         {std::pair<const char*, std::vector<int>>{nullptr, {9}}, {"3||5|", {9, 3, 5}}, {"x", {9, 0}}}) {
        if (value) {
            Write("Kestrova.Ignore.pub", std::string("[Kestrova]\r\nignorecol=") + value);
        }
        std::vector<int> ids = {9};
        EXPECT_TRUE(LoadIgnoredColumns("Kestrova", ids) && ids == expected) << (value ? value : "no file");
    }

    // A layout is refused unless all 36 keys hold each id once.
    const std::string clean = LayoutIni(SampleLayout(1)); // id 31 at key 6
    Write("Kestrova.Show.pub", clean);
    EXPECT_EQ(Loaded(), clean);
    const auto key5 = [&](const std::string& line) {
        const std::size_t at = clean.find("\r\n5=") + 2;
        return clean.substr(0, at) + line + clean.substr(clean.find("\r\n", at) + 2);
    };
    // clang-format off
    const std::pair<const char*, std::string> damaged[] = {{"key missing", key5("")}, {"empty value", key5("5=\r\n")},
        {"id 36", key5("5=36|1|0\r\n")}, {"id -1", key5("5=-1|1|0\r\n")}, {"id past 32 bits", key5("5=4294967296|1|0\r\n")},
        {"id twice", key5("5=31|1|0\r\n")}, {"another section", "[Other]" + clean.substr(10)}, {"empty file", ""}};
    // clang-format on
    for (const auto& [damage, text] : damaged) {
        Write("Kestrova.Show.pub", text);
        EXPECT_EQ(Loaded(), "refused") << damage;
    }

    // A save replaces the layout whole, keeping the keys past a shorter list.
    ASSERT_TRUE(SaveColumnSettings("Kestrova", SampleLayout(11)));
    EXPECT_EQ(Loaded(), LayoutIni(SampleLayout(11)));
    std::vector<ColumnSetting> expected = SampleLayout(11);
    std::rotate(expected.begin(), expected.begin() + 1, expected.begin() + 10);
    ASSERT_TRUE(SaveColumnSettings("Kestrova", {expected.begin(), expected.begin() + 10}));
    EXPECT_EQ(Loaded(), LayoutIni(expected));
    // Without its folder, nothing is saved.
    DeleteFileA((kDir + "Kestrova.Ignore.pub").c_str());
    ASSERT_TRUE(DeleteFileA(kLayoutFile.c_str()) && RemoveDirectoryA(kDir.c_str()))
        << "a copy was left behind";
    EXPECT_FALSE(SaveColumnSettings("Kestrova", SampleLayout(3)));

    // The layout writer beside this program saves layouts 1 and 2 in turn, signalling each
    // save, until it is killed a while after its first. A few rounds catch a save that writes
    // in place; `make soak` kills five hundred.
    std::filesystem::create_directory(kDir);
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
    }
    CloseHandle(saved);
}
