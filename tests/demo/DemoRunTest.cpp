// The demo terminal as a person runs it: the real plug-in, a few seconds, a screenshot.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

// Runs the demo with the arguments; its exit code, or a negative value when it did not run or end.
int RunDemo(const std::wstring& args) {
    std::wstring exe = testing_support::Env(L"KESTROVA_DEMO");
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -2;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

TEST(DemoRun, RunsHeadlessAndWritesAScreenshotOfTheFrameAndItsBars) {
    EXPECT_EQ(RunDemo(L"--bars many"), 1);

    const std::wstring shot = testing_support::ExeDir() + L"demo-run.png";
    DeleteFileW(shot.c_str());
    // The demo itself fails when the bars' pixels are missing from the capture.
    ASSERT_EQ(RunDemo(L"--seconds 2 --bars 3 --seed 11 --lang 1033 --screenshot \"" + shot + L"\""), 0);
    std::ifstream file(shot.c_str(), std::ios::binary);
    const std::string png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
    EXPECT_GE(static_cast<unsigned char>(png[22]) << 8 | static_cast<unsigned char>(png[23]),
              3 * 50); // height
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}
