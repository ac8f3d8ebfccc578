#include "plugin/Texts.h"

#include "plugin/PluginState.h"

#include <gtest/gtest.h>

// The first and last entry of each table, and the ones the bar and its dialog are known by,
// in each language; the language is read at every call.
TEST(Texts, EachLanguageReadsItsOwnColumnOfEveryTable) {
    struct Entry {
        const wchar_t* (*lookup)(int);
        int id;
        const wchar_t *english, *simplified, *traditional;
    };
    const Entry entries[] = {
        {&GetDialogText, 0, L"Show All", L"显示全部", L"顯示全部"},
        {&GetDialogText, kDialogTextCount - 1, L"Move Down", L"下移", L"下移"},
        {&GetDialogText, kDialogTextCount, L"", L"", L""},
        {&GetConfigLabel, 0, L"Show", L"显示", L"顯示"},
        {&GetConfigLabel, kConfigLabelCount - 1, L"Config Column", L"配置列头", L"配置列頭"},
        {&GetConfigLabel, -1, L"", L"", L""},
        {&GetColumnTitle, 0, L"Account No.", L"资金帐号", L"資金帳號"},
        {&GetColumnTitle, 20, L"PnL%", L"盈利率 ", L"盈利率 "},
        {&GetColumnTitle, kColumnTitleCount - 1, L"Cash In/Out Balance", L"原始出入金", L"原始出入金"},
        {&GetColumnTitle, kColumnTitleCount, L"", L"", L""},
    };
    const int saved = g_nLanguage;
    for (const Entry& entry : entries) {
        for (const int language : {1033, 2052, 1028, 1041, 0}) {
            g_nLanguage = language;
            const wchar_t* expected = language == 1033   ? entry.english
                                      : language == 1028 ? entry.traditional
                                                         : entry.simplified;
            EXPECT_STREQ(entry.lookup(entry.id), expected) << "id " << entry.id << " language " << language;
        }
    }
    g_nLanguage = saved;
}
