#include "plugin/TextCodec.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <windows.h>

namespace {

// "资金帐号" and "人民币" in code page 936.
const char kAccountWord[] = "\xD7\xCA\xBD\xF0\xD5\xCA\xBA\xC5";
const char kYuan[] = "\xC8\xCB\xC3\xF1\xB1\xD2";

bool DecodesCleanly(const std::string& text) {
    return text.empty() || MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0) > 0;
}

} // namespace

TEST(TextCodec, NarrowTextBecomesWideOnlyWhenItFits) {
    wchar_t dest[8];
    std::fill(std::begin(dest), std::end(dest), L'#');
    ASSERT_TRUE(Cp936ToWide(kYuan, dest, 4));
    EXPECT_EQ(std::wstring(dest), testing_support::Wide(u8"人民币"));

    // Four characters and the terminator do not fit four places: nothing is touched.
    std::fill(std::begin(dest), std::end(dest), L'#');
    EXPECT_FALSE(Cp936ToWide(kAccountWord, dest, 4));
    EXPECT_EQ(std::wstring(dest, 8), std::wstring(8, L'#'));

    ASSERT_TRUE(Cp936ToWide("", dest, 1));
    EXPECT_EQ(dest[0], L'\0');
    EXPECT_FALSE(Cp936ToWide(nullptr, dest, 8));
}

TEST(TextCodec, WideTextBecomesNarrowOnlyWhenItFits) {
    const std::wstring word = testing_support::Wide(u8"资金帐号");
    EXPECT_EQ(WideToCp936(word.c_str(), 9), std::string(kAccountWord));
    EXPECT_EQ(WideToCp936(word.c_str(), 8), std::string());
    EXPECT_EQ(WideToCp936(L"ACC-01", 25), "ACC-01");
    EXPECT_EQ(WideToCp936(L"", 25), "");
    EXPECT_EQ(WideToCp936(nullptr, 25), "");
}

TEST(TextCodec, BoundedCopyNeverSplitsADoubleByteCharacter) {
    char dest[25];
    const std::string mixed = std::string("AB") + kYuan; // A B, then three two-byte characters
    CopyCp936Bounded(dest, 4, mixed.c_str());
    EXPECT_STREQ(dest, "AB");
    CopyCp936Bounded(dest, 5, mixed.c_str());
    EXPECT_EQ(std::string(dest), mixed.substr(0, 4));
    CopyCp936Bounded(dest, sizeof(dest), mixed.c_str());
    EXPECT_EQ(std::string(dest), mixed);
    CopyCp936Bounded(dest, 4, "ABCDEF");
    EXPECT_STREQ(dest, "ABC");
    CopyCp936Bounded(dest, 1, "ABC");
    EXPECT_STREQ(dest, "");
    CopyCp936Bounded(dest, sizeof(dest), nullptr);
    EXPECT_STREQ(dest, "");
}

TEST(TextCodec, BoundedCopyKeepsTheLongestWholePrefix) {
    // Texts of one- and two-byte characters cut at every size: the copy is a prefix of the
    // text, decodes without a broken character, and one more character would not fit.
    std::mt19937 rng(936);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        std::vector<std::size_t> ends;
        const int characters = static_cast<int>(rng() % 30);
        for (int i = 0; i < characters; ++i) {
            if (rng() % 2) {
                text += static_cast<char>('0' + rng() % 10);
            } else {
                const std::size_t character = rng() % 4;
                text += kAccountWord[2 * character];
                text += kAccountWord[2 * character + 1];
            }
            ends.push_back(text.size());
        }
        const std::size_t size = 1 + rng() % 32;
        std::vector<char> dest(size, '#');
        CopyCp936Bounded(dest.data(), size, text.c_str());
        const std::string copy(dest.data());
        ASSERT_LT(copy.size(), size);
        ASSERT_EQ(text.compare(0, copy.size(), copy), 0) << text;
        ASSERT_TRUE(DecodesCleanly(copy)) << text;
        for (std::size_t end : ends) {
            if (end > copy.size()) {
                EXPECT_GT(end, size - 1) << "a whole character was left out of " << text;
                break;
            }
        }
    }
}
