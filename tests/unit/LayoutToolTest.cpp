// kestrova_layout, the administrators' tool, run as they run it: what it writes is what a new
// funds bar shows, what it checks is what the store judges, and a bad name writes nothing.
#include "support/BarHarness.h"
#include "writer/SampleLayouts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // standard output and error, UTF-8
};

// Runs the tool with the words of a command line and collects what it prints.
ToolRun RunTool(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ToolRun run;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::wstring line = L"kestrova_layout " + arguments;
    const std::wstring tool = testing_support::Env(L"KESTROVA_LAYOUT_TOOL");
    const bool started = CreateProcessW(tool.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        for (DWORD read = 0; ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0;) {
            run.output.append(buffer, read);
        }
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

std::string Bytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

using LayoutTool = testing_support::BarTest;

TEST_F(LayoutTool, AWrittenLayoutIsWhatANewBarShowsAndABadNameWritesNothing) {
    const std::string layout = config.dir + "Kestrova.Show.pub";
    const std::wstring file = L"\"" + testing_support::ExeDir() + L"config\\Kestrova.Show.pub\"";
    config.Write("Kestrova.Show.pub", "; notes\r\n[Other]\r\nkeep=1\r\n[Kestrova]\r\n36=1|1|1\r\n");

    // Names in each language and by id; "Account No." stays first even when named.
    const ToolRun wrote =
        RunTool(L"write " + file + L" --show \" net pnl ,币种,風險率,8,Account No.\" --colour Risk%,0");
    ASSERT_EQ(wrote.exitCode, 0u) << wrote.output;
    const std::vector<int> shown = {0, 19, 1, 26, 8};
    const TKestrovaWnd* bar = OpenBar();
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->m_vecSettings.size(), 36u);
    std::vector<int> hidden;
    for (std::size_t at = 0; at < bar->m_vecSettings.size(); ++at) {
        const ColumnSetting& column = bar->m_vecSettings[at];
        EXPECT_EQ(column.bShow, at < shown.size()) << at;
        EXPECT_EQ(column.bColor, column.nColId == 26 || column.nColId == 0) << at;
        if (at < shown.size()) {
            EXPECT_EQ(column.nColId, shown[at]) << at;
        } else {
            hidden.push_back(column.nColId);
        }
    }
    EXPECT_TRUE(std::is_sorted(hidden.begin(), hidden.end()));
    // The file's other sections and keys are kept.
    const std::string written = Bytes(layout);
    EXPECT_TRUE(Holds(written, "; notes") && Holds(written, "keep=1") && Holds(written, "36=1|1|1"))
        << written;

    // check lists what a bar shows.
    const ToolRun checked = RunTool(L"check " + file);
    EXPECT_EQ(checked.exitCode, 0u) << checked.output;
    EXPECT_TRUE(Holds(checked.output, "a usable layout of 36 columns")) << checked.output;
    EXPECT_TRUE(Holds(checked.output, "  3    26  Risk%                   yes    yes\r\n") ||
                Holds(checked.output, "  3    26  Risk%                   yes    yes\n"))
        << checked.output;

    // An unknown or repeated name, or no --show, writes nothing.
    for (const wchar_t* bad : {L"--show \"Net PnL,Acount No\"", L"--show Currency --colour 36",
                               L"--show Currency,1", L"--colour Risk%", L"--show"}) {
        const ToolRun refused = RunTool(L"write " + file + L" " + bad);
        EXPECT_NE(refused.exitCode, 0u) << refused.output;
        EXPECT_EQ(Bytes(layout), written) << bad;
    }
    const ToolRun misspelt = RunTool(L"write " + file + L" --show \"Net PnL,Acount No\"");
    EXPECT_TRUE(Holds(misspelt.output, "\"Acount No\"") && Holds(misspelt.output, "\"Account No.\" (id 0)"))
        << misspelt.output;
}

TEST_F(LayoutTool, CheckGivesEveryReasonTheStoreFinds) {
    const std::wstring folder = L"\"" + testing_support::ExeDir() + L"config\\";
    std::string damaged = LayoutIni(SampleLayout(1)); // key 5 holds id 26, key 6 id 31
    damaged.replace(damaged.find("\r\n5=") + 2, 2, "5=31|");
    damaged.erase(damaged.find("17="), damaged.find("\r\n", damaged.find("17=")) + 2 - damaged.find("17="));
    config.Write("Kestrova.Show.pub", damaged);
    const ToolRun layout = RunTool(L"check " + folder + L"Kestrova.Show.pub\"");
    EXPECT_EQ(layout.exitCode, 1u);
    EXPECT_TRUE(Holds(layout.output, "ignores this layout") &&
                Holds(layout.output, "keys 5 and 6 both hold id 31") &&
                Holds(layout.output, "key 17 is missing"))
        << layout.output;

    config.Write("Kestrova.Ignore.pub", "[Kestrova]\r\nignorecol=3||40|5|\r\n");
    const ToolRun ignore = RunTool(L"check " + folder + L"Kestrova.Ignore.pub\"");
    EXPECT_EQ(ignore.exitCode, 1u);
    EXPECT_TRUE(Holds(ignore.output, "ids read: 3, 40, 5") &&
                Holds(ignore.output, "piece 3 \"40\" names no column"))
        << ignore.output;
    EXPECT_EQ(RunTool(L"check " + folder + L"nothing.pub\"").exitCode, 1u);
    EXPECT_EQ(RunTool(L"--help").exitCode, 0u);
    EXPECT_EQ(RunTool(L"").exitCode, 2u);
}
