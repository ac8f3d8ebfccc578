#include "plugin/TextCodec.h"

#include <gtest/gtest.h>

#include <random>

TEST(TextCodec, ConversionsTakeWholeTextsAndCopiesWholeCharacters) {
    // "资金帐号" in code page 936 and in UTF-16: four characters and the terminator do not fit
    // four places, and then nothing is touched.
    const char word936[] = "\xD7\xCA\xBD\xF0\xD5\xCA\xBA\xC5";
    const wchar_t word[] = L"\x8D44\x91D1\x5E10\x53F7";
    wchar_t dest[] = L"#####";
    EXPECT_FALSE(Cp936ToWide(word936, dest, 4));
    EXPECT_STREQ(dest, L"#####");
    EXPECT_TRUE(Cp936ToWide(word936, dest, 5));
    EXPECT_STREQ(dest, word);
    EXPECT_FALSE(Cp936ToWide(nullptr, dest, 5));
    EXPECT_EQ(WideToCp936(word, 9), word936);
    EXPECT_EQ(WideToCp936(word, 8), "");

    // Digits and double-byte characters, whose second bytes may pass for first bytes or for
    // ASCII, cut at every size: the longest prefix of whole characters is kept.
    const char pieces[] = "\xD7\xCA\xCA\xC5\x81\x40\xBA\xC5";
    std::mt19937 rng(936);
    for (int round = 0; round < 500; ++round) {
        std::size_t size = 1 + rng() % 32, fits = 0;
        std::string text, copy(size, '#');
        for (int i = rng() % 30; i > 0; --i) {
            const std::size_t at = rng() % 4 * 2;
            text += rng() % 2 ? std::string(1, static_cast<char>('0' + at)) : std::string(pieces + at, 2);
            fits = text.size() < size ? text.size() : fits;
        }
        CopyCp936Bounded(&copy[0], size, text.c_str());
        ASSERT_EQ(copy.substr(0, fits + 1), text.substr(0, fits) + '\0') << text << " in " << size;
    }
}
