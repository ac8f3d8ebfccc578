#include "host/demo/DemoOptions.h"

namespace demo {

const wchar_t* const kUsage = L"usage: kestrova_demo [--lang 2052|1028|1033] [--bars N] [--seconds N]\n"
                              L"                     [--screenshot FILE.png] [--seed N] [--config-dialog]\n";

namespace {

// A whole decimal number without sign, at most max.
bool ParseCount(const std::wstring& text, std::uint32_t max, std::uint32_t& value) {
    if (text.empty() || text.size() > 10) {
        return false;
    }
    std::uint64_t number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        number = number * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (number > max) {
        return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

std::wstring BadValue(const std::wstring& option, const std::wstring& value) {
    return L"bad value for " + option + L": \"" + value + L"\"";
}

} // namespace

ParsedOptions ParseOptions(const std::vector<std::wstring>& args) {
    ParsedOptions parsed;
    DemoOptions& options = parsed.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& option = args[i];
        if (option == L"--help" || option == L"-h") {
            options.help = true;
            continue;
        }
        if (option == L"--config-dialog") {
            options.configDialog = true;
            continue;
        }
        if (option != L"--lang" && option != L"--bars" && option != L"--seconds" &&
            option != L"--screenshot" && option != L"--seed") {
            parsed.error = L"unknown option: " + option;
            return parsed;
        }
        if (i + 1 >= args.size()) {
            parsed.error = option + L" needs a value";
            return parsed;
        }
        const std::wstring& value = args[++i];
        std::uint32_t number = 0;
        if (option == L"--lang") {
            if (!ParseCount(value, 9999, number) || (number != 2052 && number != 1028 && number != 1033)) {
                parsed.error = BadValue(option, value) + L" (2052, 1028 or 1033)";
                return parsed;
            }
            options.language = static_cast<int>(number);
        } else if (option == L"--bars") {
            if (!ParseCount(value, kMaxBars, number)) {
                parsed.error = BadValue(option, value) + L" (0 to " + std::to_wstring(kMaxBars) + L")";
                return parsed;
            }
            options.bars = static_cast<int>(number);
        } else if (option == L"--seconds") {
            if (!ParseCount(value, 24 * 3600, number) || number == 0) {
                parsed.error = BadValue(option, value) + L" (1 to 86400)";
                return parsed;
            }
            options.seconds = static_cast<int>(number);
        } else if (option == L"--screenshot") {
            if (value.empty()) {
                parsed.error = BadValue(option, value);
                return parsed;
            }
            options.screenshot = value;
        } else {
            if (!ParseCount(value, 0xFFFFFFFFu, number)) {
                parsed.error = BadValue(option, value);
                return parsed;
            }
            options.seed = number;
            options.seeded = true;
        }
    }
    if (options.configDialog && options.bars == 0) {
        parsed.error = L"--config-dialog needs a bar to open the dialog on (--bars 1 or more)";
    }
    return parsed;
}

} // namespace demo
