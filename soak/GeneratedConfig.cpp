#include "soak/GeneratedConfig.h"

#include "base/FundsColumnIds.h"

#include <algorithm>
#include <random>
#include <set>

namespace soak {

namespace {

using Expect = GeneratedConfig::Expect;

class Dice {
public:
    Dice(unsigned seed, int round) : m_engine(seed * 2654435761u ^ static_cast<unsigned>(round)) {}
    int Below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
    bool OneIn(int n) { return Below(n) == 0; }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N]) { return items[Below(int(N))]; }
    std::mt19937& Engine() { return m_engine; }

private:
    std::mt19937 m_engine;
};

enum LayoutKind {
    kClean,
    kMissingKey,
    kEmptyValue,
    kIdOutOfRange,
    kHugeId,
    kRepeatedId,
    kTruncatedFile,
    kTruncatedValue,
    kWrongSeparators,
    kBinaryBytes,
    kHugeValue,
    kNoLayout,
    kUtf16,
    kLayoutKindCount
};
const char* const kLayoutKindNames[] = {
    "clean",       "missing key",    "empty value",     "id out of range",  "huge id",
    "repeated id", "truncated file", "truncated value", "wrong separators", "binary bytes",
    "64 KB value", "no layout",      "UTF-16 file"};
static_assert(sizeof(kLayoutKindNames) / sizeof(kLayoutKindNames[0]) == kLayoutKindCount, "a name per kind");

enum IgnoreKind {
    kNoIgnore,
    kEmptyIgnore,
    kIds,
    kIdsOutOfRange,
    kOtherSeparators,
    kIgnoreBinary,
    kIgnore64K,
    kIgnoreKindCount
};
const char* const kIgnoreKindNames[] = {
    "none", "empty", "ids", "ids out of range", "other separators", "binary bytes", "64 KB value"};
static_assert(sizeof(kIgnoreKindNames) / sizeof(kIgnoreKindNames[0]) == kIgnoreKindCount, "a name per kind");

constexpr std::size_t k64K = 64 * 1024;

// A complete layout of any order and flags.
std::vector<ColumnSetting> AnyLayout(Dice& dice) {
    std::vector<ColumnSetting> columns;
    for (int id = 0; id < kFundsColumnCount; ++id) {
        columns.push_back({dice.OneIn(2), id, dice.OneIn(2), false, 0});
    }
    std::shuffle(columns.begin(), columns.end(), dice.Engine());
    return columns;
}

// A value as people and other programs spell it: a show flag of any non-zero number or of
// several zeros, words or a long tail after the colour flag.
std::string SpellValue(Dice& dice, const ColumnSetting& column) {
    std::string value = std::to_string(column.nColId);
    if (column.bShow) {
        value += (dice.OneIn(2) ? "|-" : "|") + std::to_string(1 + dice.Below(999));
    } else {
        value += dice.OneIn(2) ? "|0" : "|00";
    }
    value += column.bColor ? "|7" : "|0";
    if (dice.OneIn(4)) {
        value += " words|";
    }
    if (dice.OneIn(8)) {
        value += std::string(3000, 'x');
    }
    return value;
}

// Key lines in any order among comments, other sections and their keys.
std::string Assemble(Dice& dice, std::vector<std::string> lines) {
    std::shuffle(lines.begin(), lines.end(), dice.Engine());
    std::string text =
        dice.OneIn(2) ? "; note\n[Other]\r\n0=1|1|1\r\n[Kestrova]\n" : "[kestrova]\r\n36=0|0|0\n";
    for (const std::string& line : lines) {
        text += line + (dice.OneIn(2) ? "\r\n" : "\n");
    }
    return text + (dice.OneIn(2) ? "[Other]\n1=1|0|0\n" : "");
}

std::string Line(int key, const std::string& value) {
    return std::to_string(key) + "=" + value;
}

std::string Utf16WithMark(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

void MakeLayout(Dice& dice, LayoutKind kind, GeneratedConfig& config) {
    const std::vector<ColumnSetting> layout = AnyLayout(dice);
    std::vector<std::string> values;
    for (const ColumnSetting& column : layout) {
        values.push_back(SpellValue(dice, column));
    }
    const int at = dice.Below(kFundsColumnCount);
    const int other = (at + 1 + dice.Below(kFundsColumnCount - 1)) % kFundsColumnCount;
    const std::string rest = values[at].substr(values[at].find('|'));
    config.expect = Expect::Refused;
    switch (kind) {
    case kClean:
    case kTruncatedFile:
    case kUtf16:
        config.expect = kind == kClean ? Expect::Stored : Expect::Either;
        break;
    case kMissingKey:
        values[at].clear();
        config.reasons = {LayoutProblem::Kind::MissingKey};
        break;
    case kEmptyValue:
        values[at].clear();
        config.reasons = {LayoutProblem::Kind::EmptyValue};
        break;
    case kIdOutOfRange:
        config.reasons = {LayoutProblem::Kind::IdOutOfRange};
        values[at] =
            std::to_string(dice.OneIn(2) ? kFundsColumnCount + dice.Below(1000) : -1 - dice.Below(1000)) +
            rest;
        break;
    case kHugeId: {
        config.reasons = {LayoutProblem::Kind::IdOutOfRange};
        const char* const huge[] = {"99999999999999999999", "2147483648", "-2147483649", "4294967296",
                                    "18446744073709551616"};
        values[at] = dice.Pick(huge) + rest;
        break;
    }
    case kRepeatedId:
        config.reasons = {LayoutProblem::Kind::IdRepeated};
        values[at] = std::to_string(layout[other].nColId) + rest;
        break;
    case kTruncatedValue:
        values[at].resize(static_cast<std::size_t>(dice.Below(int(values[at].size()))));
        config.expect = Expect::Either;
        break;
    case kWrongSeparators: {
        const char* const separators[] = {",", ";", "/", " ", "\\", ":", "||", "\t"};
        for (int n = 1 + dice.Below(kFundsColumnCount); n > 0; --n) {
            std::string& value = values[dice.Below(kFundsColumnCount)];
            const std::string separator = dice.Pick(separators);
            for (std::size_t p = value.find('|'); p != std::string::npos;
                 p = value.find('|', p + separator.size())) {
                value.replace(p, 1, separator);
            }
        }
        config.expect = Expect::Either;
        break;
    }
    case kHugeValue: {
        const std::string tails[] = {
            std::to_string(layout[at].nColId) + "|1|" + std::string(k64K, '9'), std::string(k64K, 'x'),
            std::to_string(layout[at].nColId) + std::string(k64K, '|'), std::string(k64K, '9') + rest};
        values[at] = dice.Pick(tails);
        config.expect = Expect::Either;
        break;
    }
    case kBinaryBytes:
    case kNoLayout:
        config.expect = kind == kBinaryBytes ? Expect::Either : Expect::Refused;
        break;
    case kLayoutKindCount:
        break;
    }

    std::vector<std::string> lines;
    for (int key = 0; key < kFundsColumnCount; ++key) {
        if (kind != kMissingKey || key != at) {
            lines.push_back(Line(key, values[key]));
        }
    }
    std::string text = Assemble(dice, lines);
    switch (kind) {
    case kTruncatedFile:
        text.resize(static_cast<std::size_t>(1 + dice.Below(int(text.size()) - 1)));
        break;
    case kBinaryBytes:
        for (int n = 1 + dice.Below(500); n > 0; --n) {
            const char byte = dice.OneIn(2) ? char(dice.Below(256)) : "|=\r\n[];0123456789"[dice.Below(17)];
            text.insert(text.begin() + dice.Below(int(text.size())), byte);
        }
        break;
    case kNoLayout: {
        const std::optional<std::string> nothing[] = {
            std::nullopt, std::string(), std::string("[Other]\r\n0=0|1|0\r\n"), std::string("[Kestrova]\r\n"),
            std::string("0=0|1|0\r\n")};
        config.layoutFile = dice.Pick(nothing);
        config.reasons = {LayoutProblem::Kind::NoFile, LayoutProblem::Kind::MissingSection};
        return;
    }
    case kUtf16:
        text = Utf16WithMark(text);
        break;
    default:
        break;
    }
    config.layoutFile = text;
    if (config.expect == Expect::Stored) {
        config.stored = layout;
    }
}

void MakeIgnore(Dice& dice, IgnoreKind kind, GeneratedConfig& config) {
    std::set<int> named;
    std::string value;
    const auto add = [&](const std::string& piece) { value += (value.empty() ? "" : "|") + piece; };
    switch (kind) {
    case kNoIgnore:
        config.ignored = std::vector<int>();
        return;
    case kEmptyIgnore:
        break;
    case kIds:
    case kIdsOutOfRange:
        for (int n = dice.Below(8); n > 0; --n) {
            const int id = dice.Below(kFundsColumnCount);
            named.insert(id);
            add((dice.OneIn(3) ? "|" : "") + std::to_string(id));
        }
        for (int n = kind == kIdsOutOfRange ? 1 + dice.Below(5) : 0; n > 0; --n) {
            const char* const outside[] = {"36", "-1", "999", "-2147483648", "99999999999", "4294967296"};
            add(dice.Pick(outside));
        }
        value += dice.OneIn(2) ? "|" : "";
        break;
    case kOtherSeparators: {
        const char* const separators[] = {",", ";", " ", "/"};
        const std::string separator = dice.Pick(separators);
        for (int n = 1 + dice.Below(6); n > 0; --n) {
            value += std::to_string(dice.Below(kFundsColumnCount)) + separator;
        }
        break;
    }
    case kIgnoreBinary:
        for (int n = 1 + dice.Below(200); n > 0; --n) {
            value += dice.OneIn(2) ? char(1 + dice.Below(255)) : "|0123456789-"[dice.Below(12)];
        }
        break;
    case kIgnore64K:
        while (value.size() < k64K) {
            add(std::to_string(dice.Below(kFundsColumnCount * 2)));
        }
        break;
    case kIgnoreKindCount:
        break;
    }
    config.ignoreFile = "[Kestrova]\r\nignorecol=" + value + "\r\n";
    if (kind == kEmptyIgnore || kind == kIds || kind == kIdsOutOfRange) {
        config.ignored = std::vector<int>(named.begin(), named.end());
    }
}

} // namespace

GeneratedConfig GenerateConfig(unsigned seed, int round) {
    Dice dice(seed, round);
    GeneratedConfig config;
    const auto layoutKind = static_cast<LayoutKind>(round % kLayoutKindCount);
    const auto ignoreKind = static_cast<IgnoreKind>(round / kLayoutKindCount % kIgnoreKindCount);
    config.layoutKind = kLayoutKindNames[layoutKind];
    config.ignoreKind = kIgnoreKindNames[ignoreKind];
    MakeLayout(dice, layoutKind, config);
    MakeIgnore(dice, ignoreKind, config);
    return config;
}

} // namespace soak
