// The demo terminal: its command line, and the program itself run headless with the real
// plug-in and the column dialog open.
#include "host/Png.h"
#include "host/demo/DemoOptions.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <process.h>

#include <algorithm>
#include <sstream>

// The words of a command line, "_" standing for an empty one.
static std::vector<std::wstring> Words(const wchar_t* line) {
    std::vector<std::wstring> words;
    std::wistringstream in(line);
    for (std::wstring word; in >> word;) {
        words.push_back(word == L"_" ? L"" : word);
    }
    return words;
}

TEST(DemoOptions, CommandLinesAreTakenOrRejectedWithTheOptionNamed) {
    // What each command line gives: language, bars, seconds, [screenshot], seed, help, dialog.
    const std::pair<const wchar_t*, std::wstring> good[] = {
        {L"", L"2052 2 0 [] -"},
        {L"--lang 1028 --lang 2052 --bars 16 --seconds 5 --screenshot Z:\\s.png --seed 0 --help "
         L"--config-dialog",
         L"2052 16 5 [Z:\\s.png] 0 help dialog"}};
    for (const auto& [line, expected] : good) {
        const auto& [o, error] = demo::ParseOptions(Words(line));
        EXPECT_EQ(error + std::to_wstring(o.language) + L" " + std::to_wstring(o.bars) + L" " +
                      std::to_wstring(o.seconds) + L" [" + o.screenshot + L"] " +
                      (o.seeded ? std::to_wstring(o.seed) : L"-") + (o.help ? L" help" : L"") +
                      (o.configDialog ? L" dialog" : L""),
                  expected);
    }
    for (const wchar_t* line :
         {L"--colour", L"--bars", L"--lang 1041", L"--lang 0", L"--bars 17", L"--bars -1", L"--bars 2x",
          L"--seconds 0", L"--seconds 5s", L"--seconds _", L"--seed abc", L"--seed 4294967296",
          L"--screenshot _", L"--seed +3", L"bars", L"--config-dialog --bars 0"}) {
        EXPECT_NE(demo::ParseOptions(Words(line)).error.find(Words(line).front()), std::wstring::npos)
            << line;
    }
}

TEST(DemoRun, TheDialogOptionLeavesACompressedScreenshotShowingTheDialogAndSavesNothing) {
    const std::wstring exe = testing_support::Env(L"KESTROVA_DEMO");
    const std::wstring shot = testing_support::ExeDir() + L"demo-dialog.png",
                       layout = exe.substr(0, exe.find_last_of(L"/\\") + 1) + L"config\\Kestrova.Show.pub";
    // A layout left by an earlier run would hide one that this run saves.
    DeleteFileW(layout.c_str());
    DeleteFileW(shot.c_str());
    // The demo itself fails when the capture does not show the pixels of the bars it holds.
    const wchar_t* args[] = {exe.c_str(),     L"--seconds", L"2",   L"--lang",
                             L"1033",         L"--bars",    L"1",   L"--config-dialog",
                             L"--screenshot", shot.c_str(), nullptr};
    ASSERT_EQ(0, _wspawnv(_P_WAIT, exe.c_str(), args));
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB
    int width = 0, height = 0;
    ASSERT_TRUE(host::ReadPng(shot, pixels, width, height));
    // The dialog's caption bar, 385 x 30 less its title and close box, and its grid's rows;
    // uncompressed, the rows would take three bytes a pixel.
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0x606060u), 380 * 24);
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0xF3F3F3u), 10000);
    EXPECT_LT(testing_support::FileBytes(shot).size(), std::size_t(width * height / 4));
    EXPECT_EQ(testing_support::FileBytes(layout), ""); // the run ends with Escape, which saves nothing
}
