#pragma once
// Command-line options of the demo terminal.
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct DemoOptions {
    int language = 2052;     // handed to OnPluginLoad: 2052, 1028 or 1033
    int bars = 2;            // funds bars opened at start
    int seconds = 0;         // quit after this long; 0 runs until the frame is closed
    std::wstring screenshot; // PNG of the frame written just before quitting; empty for none
    bool seeded = false;     // a seed was given: the feed repeats itself run after run
    std::uint32_t seed = 0;
    bool configDialog = false; // open the column dialog on the first bar shortly after start
    bool help = false;
};

constexpr int kMaxBars = 16;

struct ParsedOptions {
    DemoOptions options;
    std::wstring error; // empty when the arguments were understood
};

// The arguments after the program name.
ParsedOptions ParseOptions(const std::vector<std::wstring>& args);

extern const wchar_t* const kUsage;

} // namespace demo
