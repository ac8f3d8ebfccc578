// kestrova_layout, the administrators' tool, run as they run it: what it writes is what a new
// funds bar shows, what it checks is what the store judges, and a bad name writes nothing.
#include "support/BarHarness.h"
#include "writer/SampleLayouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // standard output and error, UTF-8, lines ended by "\n"
};

// Runs the tool with the words of a command line through the command interpreter, as an
// administrator does, and collects what it prints.
ToolRun RunTool(const std::wstring& arguments) {
    const std::wstring tool = testing_support::Env(L"KESTROVA_LAYOUT_TOOL");
    FILE* pipe = _wpopen((L"\"\"" + tool + L"\" " + arguments + L" 2>&1\"").c_str(), L"rb");
    ToolRun run;
    char buffer[4096];
    for (std::size_t read = 0; pipe && (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
        run.output.append(buffer, read);
    }
    run.exitCode = pipe ? DWORD(_pclose(pipe)) : run.exitCode;
    run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
    return run;
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// A layout file with notes and another section, and the tool's word for it.
struct LayoutTool : testing_support::BarTest {
    void SetUp() override {
        BarTest::SetUp();
        config.Write("Kestrova.Show.pub", before);
    }
    const std::string layout = config.dir + "Kestrova.Show.pub";
    const std::string before = "; notes\r\n[Other]\r\nkeep=1\r\n[Kestrova]\r\n36=1|1|1\r\n";
    const std::wstring file = L"\"" + testing_support::ExeDir() + L"config\\Kestrova.Show.pub\"";
};

// Names in each language and by id; "Account No." stays first even when named. The file keeps
// its other sections and keys, and check lists what the bar shows.
TEST_F(LayoutTool, AWrittenLayoutIsWhatANewBarShowsAndCheckLists) {
    // Shows Net PnL, Currency, Risk% and column 8 after "Account No.", Risk% and the account coloured.
    const ToolRun wrote =
        RunTool(L"write " + file + L" --show \" net pnl ,币种,風險率,8,Account No.\" --colour Risk%,0");
    ASSERT_EQ(wrote.exitCode, 0u) << wrote.output;
    std::vector<ColumnSetting> expected;
    for (const int id : {0,  19, 1,  26, 8,  2,  3,  4,  5,  6,  7,  9,  10, 11, 12, 13, 14, 15,
                         16, 17, 18, 20, 21, 22, 23, 24, 25, 27, 28, 29, 30, 31, 32, 33, 34, 35}) {
        expected.push_back({expected.size() < 5, id, id == 0 || id == 26, false, 0});
    }
    const TKestrovaWnd* bar = OpenBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(LayoutIni(bar->Settings()), LayoutIni(expected));
    EXPECT_EQ(testing_support::FileBytes(layout).rfind(before, 0), 0u); // the new keys follow key 36
    const ToolRun checked = RunTool(L"check " + file);
    EXPECT_EQ(checked.exitCode, 0u) << checked.output;
    EXPECT_PRED2(Holds, checked.output, "a usable layout of 36 columns");
    EXPECT_PRED2(Holds, checked.output, "  3    26  Risk%                   yes    yes\n");
}

TEST_F(LayoutTool, AnUnknownOrRepeatedNameOrNoShowWritesNothingAndAMisspeltNameGetsASuggestion) {
    for (const wchar_t* bad : {L"--show \"Net PnL,Acount No\"", L"--show Currency --colour 36",
                               L"--show Currency,1", L"--colour Risk%", L"--show"}) {
        const ToolRun refused = RunTool(L"write " + file + L" " + bad);
        EXPECT_NE(refused.exitCode, 0u) << refused.output;
        EXPECT_EQ(testing_support::FileBytes(layout), before) << bad;
    }
    const ToolRun misspelt = RunTool(L"write " + file + L" --show \"Net PnL,Acount No\"");
    EXPECT_PRED2(Holds, misspelt.output, "\"Acount No\"; the closest is \"Account No.\" (id 0)");
}

TEST_F(LayoutTool, CheckGivesEveryReasonTheStoreFinds) {
    std::string damaged = LayoutIni(SampleLayout(1)); // key 5 holds id 26, key 6 id 31
    damaged.replace(damaged.find("\r\n5=") + 2, 2, "5=31|");
    damaged.erase(damaged.find("17="), damaged.find("\r\n", damaged.find("17=")) + 2 - damaged.find("17="));
    config.Write("Kestrova.Show.pub", damaged);
    const ToolRun layout = RunTool(L"check " + file);
    EXPECT_EQ(layout.exitCode, 1u);
    EXPECT_PRED2(Holds, layout.output, "ignores this layout");
    EXPECT_PRED2(Holds, layout.output, "keys 5 and 6 both hold id 31");
    EXPECT_PRED2(Holds, layout.output, "key 17 is missing");

    config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=3||40|5|\r\n");
    const ToolRun ignore =
        RunTool(L"check \"" + testing_support::ExeDir() + L"config\\Kestrova.Ignore.pub\"");
    EXPECT_EQ(ignore.exitCode, 1u);
    EXPECT_PRED2(Holds, ignore.output, "ids read: 3, 40, 5\n  piece 3 \"40\" names no column");
}

TEST_F(LayoutTool, ExitsWithOneForAMissingFileZeroForHelpAndTwoWithoutACommand) {
    EXPECT_EQ(RunTool(L"check \"" + testing_support::ExeDir() + L"config\\nothing.pub\"").exitCode, 1u);
    EXPECT_EQ(RunTool(L"--help").exitCode, 0u);
    EXPECT_EQ(RunTool(L"").exitCode, 2u);
}
