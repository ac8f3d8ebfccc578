// The demo terminal's command line.
#include "host/demo/DemoOptions.h"

#include <gtest/gtest.h>

using demo::ParseOptions;

TEST(DemoOptions, NoArgumentsGiveTheDefaults) {
    const demo::ParsedOptions parsed = ParseOptions({});
    EXPECT_TRUE(parsed.error.empty());
    EXPECT_EQ(parsed.options.language, 2052);
    EXPECT_EQ(parsed.options.bars, 2);
    EXPECT_EQ(parsed.options.seconds, 0);
    EXPECT_TRUE(parsed.options.screenshot.empty());
    EXPECT_FALSE(parsed.options.seeded);
    EXPECT_FALSE(parsed.options.help);
}

TEST(DemoOptions, EveryOptionIsTaken) {
    const demo::ParsedOptions parsed =
        ParseOptions({L"--lang", L"1028", L"--bars", L"0", L"--seconds", L"5", L"--screenshot",
                      L"Z:\\tmp\\shot.png", L"--seed", L"4294967295"});
    ASSERT_TRUE(parsed.error.empty()) << std::string(parsed.error.begin(), parsed.error.end());
    EXPECT_EQ(parsed.options.language, 1028);
    EXPECT_EQ(parsed.options.bars, 0);
    EXPECT_EQ(parsed.options.seconds, 5);
    EXPECT_EQ(parsed.options.screenshot, L"Z:\\tmp\\shot.png");
    EXPECT_TRUE(parsed.options.seeded);
    EXPECT_EQ(parsed.options.seed, 4294967295u);

    EXPECT_EQ(ParseOptions({L"--lang", L"1033", L"--lang", L"2052"}).options.language, 2052);
    EXPECT_TRUE(ParseOptions({L"--seed", L"0"}).options.seeded);
    EXPECT_TRUE(ParseOptions({L"--help"}).options.help);
    EXPECT_EQ(ParseOptions({L"--bars", L"16"}).options.bars, 16);
}

TEST(DemoOptions, BadArgumentsAreRejectedWithTheOptionNamed) {
    const std::vector<std::vector<std::wstring>> bad = {
        {L"--colour"},          {L"--bars"},          {L"--lang", L"1041"},
        {L"--lang", L"0"},      {L"--bars", L"17"},   {L"--bars", L"-1"},
        {L"--bars", L"2x"},     {L"--seconds", L"0"}, {L"--seconds", L"5s"},
        {L"--seconds", L""},    {L"--seed", L"abc"},  {L"--seed", L"4294967296"},
        {L"--screenshot", L""}, {L"--seed", L"+3"},   {L"bars"},
    };
    for (const std::vector<std::wstring>& args : bad) {
        const std::wstring error = ParseOptions(args).error;
        EXPECT_NE(error.find(args.front()), std::wstring::npos)
            << std::string(args.front().begin(), args.front().end());
    }
}
