#include "plugin/Texts.h"

#include "plugin/PluginState.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>

namespace {

// The tables as UTF-8, English, Simplified and Traditional side by side.
struct TextRow {
    const char* english;
    const char* simplified;
    const char* traditional;
};

const TextRow kDialogRows[] = {
    {u8"Show All", u8"显示全部", u8"顯示全部"},
    {u8"Hide All", u8"隐藏全部", u8"隱藏全部"},
    {u8"OK", u8"确定", u8"確定"},
    {u8"Cancel", u8"取消", u8"取消"},
    {u8"Yes", u8"是", u8"是"},
    {u8"No", u8"否", u8"否"},
    {u8"Move Up", u8"上移", u8"上移"},
    {u8"Move Down", u8"下移", u8"下移"},
};

const TextRow kConfigRows[] = {
    {u8"Show", u8"显示", u8"顯示"},
    {u8"Title", u8"标题", u8"標題"},
    {u8"Show Color", u8"显示颜色", u8"顯示顏色"},
    {u8"Config", u8"设置", u8"設置"},
    {u8"Config Column", u8"配置列头", u8"配置列頭"},
};

const TextRow kTitleRows[] = {
    {u8"Account No.", u8"资金帐号", u8"資金帳號"},
    {u8"Currency", u8"币种", u8"幣種"},
    {u8"Excess Cash", u8"今可用", u8"今可用"},
    {u8"Account Balance", u8"今资金", u8"今資金"},
    {u8"Account Value", u8"今权益", u8"今權益"},
    {u8"Cash Withdrawable", u8"今可提", u8"今可提"},
    {u8"Commission", u8"交易手续费", u8"交易手續費"},
    {u8"Delivery Fee", u8"交割手续费", u8"交割手續費"},
    {u8"Exchange Fee", u8"汇兑手续费", u8"匯兌手續費"},
    {u8"Margin on hold", u8"冻结保证金", u8"凍結保證金"},
    {u8"Commission on hold", u8"冻结手续费", u8"凍結手續費"},
    {u8"Hold by risk", u8"风险冻结", u8"風險凍結"},
    {u8"Initial Margin", u8"保证金", u8"保證金"},
    {u8"Maintain Margin", u8"维持保证金", u8"維持保證金"},
    {u8"Floating PnL", u8"浮盈", u8"浮盈"},
    {u8"LME Floating PnL", u8"LME浮盈", u8"LME浮盈"},
    {u8"Current Floating PnL", u8"逐笔浮盈", u8"逐筆浮盈"},
    {u8"Realized PnL", u8"平盈", u8"平盈"},
    {u8"Current Realized PnL", u8"逐笔平盈", u8"逐筆平盈"},
    {u8"Net PnL", u8"净盈利", u8"淨盈利"},
    {u8"PnL%", u8"盈利率 ", u8"盈利率 "},
    {u8"Unrealized PnL", u8"未结平盈 ", u8"未結平盈 "},
    {u8"Premium", u8"权利金", u8"權利金"},
    {u8"Withdraw", u8"出金", u8"出金"},
    {u8"Doposit", u8"入金", u8"入金"},
    {u8"Adjustment", u8"资金调整", u8"資金調整"},
    {u8"Risk%", u8"风险率", u8"風險率"},
    {u8"Option Market Value", u8"期权市值", u8"期權市值"},
    {u8"Last Account Balance", u8"昨资金", u8"昨資金"},
    {u8"Last Account Value", u8"昨权益 ", u8"昨權益 "},
    {u8"Last Excess Cash", u8"昨可用 ", u8"昨可用 "},
    {u8"Last Unrealized PnL", u8"昨未结平盈", u8"昨未結平盈"},
    {u8"Mortgage", u8"质押金", u8"質押金"},
    {u8"Warrants as Collateral", u8"仓单质押", u8"倉單質押"},
    {u8"LME Discount", u8"贴现", u8"貼現"},
    {u8"Cash In/Out Balance", u8"原始出入金", u8"原始出入金"},
};

using Lookup = const wchar_t* (*)(int);

struct Table {
    const char* name;
    Lookup lookup;
    const TextRow* rows;
    int count;
};

const Table kTables[] = {
    {"dialog texts", &GetDialogText, kDialogRows, kDialogTextCount},
    {"configuration labels", &GetConfigLabel, kConfigRows, kConfigLabelCount},
    {"column titles", &GetColumnTitle, kTitleRows, kColumnTitleCount},
};

const char* TextOf(const TextRow& row, int language) {
    switch (language) {
    case 1028:
        return row.traditional;
    case 1033:
        return row.english;
    default:
        return row.simplified;
    }
}

class Texts : public ::testing::Test {
protected:
    ~Texts() override { g_nLanguage = m_saved; }
    int m_saved = g_nLanguage;
};

} // namespace

TEST_F(Texts, EveryEntryOfEveryLanguageIsExact) {
    static_assert(sizeof(kDialogRows) / sizeof(kDialogRows[0]) == kDialogTextCount, "dialog rows");
    static_assert(sizeof(kConfigRows) / sizeof(kConfigRows[0]) == kConfigLabelCount, "label rows");
    static_assert(sizeof(kTitleRows) / sizeof(kTitleRows[0]) == kColumnTitleCount, "title rows");
    // 2052 and every unknown language read the Simplified table.
    for (int language : {1033, 2052, 1028, 1041, 0, -1}) {
        g_nLanguage = language;
        for (const Table& table : kTables) {
            for (int row = 0; row < table.count; ++row) {
                EXPECT_EQ(std::wstring(table.lookup(row)),
                          testing_support::Wide(TextOf(table.rows[row], language)))
                    << table.name << " row " << row << " language " << language;
            }
        }
    }
}

TEST_F(Texts, LanguageIsReadAtEveryCall) {
    g_nLanguage = 1033;
    EXPECT_EQ(std::wstring(GetConfigLabel(4)), L"Config Column");
    g_nLanguage = 2052;
    EXPECT_EQ(std::wstring(GetConfigLabel(4)), testing_support::Wide(u8"配置列头"));
    g_nLanguage = 1028;
    EXPECT_EQ(std::wstring(GetConfigLabel(4)), testing_support::Wide(u8"配置列頭"));
    g_nLanguage = 1033;
    EXPECT_EQ(std::wstring(GetColumnTitle(20)), L"PnL%");
}

TEST_F(Texts, TrailingBlanksBelongToTheTitles) {
    for (int language : {2052, 1028}) {
        g_nLanguage = language;
        for (int id = 0; id < kColumnTitleCount; ++id) {
            const std::wstring title = GetColumnTitle(id);
            const bool blank = id == 20 || id == 21 || id == 29 || id == 30;
            EXPECT_EQ(!title.empty() && title.back() == L' ', blank)
                << "id " << id << " language " << language;
        }
    }
}

TEST_F(Texts, EveryTitleFitsASettingsTitleField) {
    for (int language : {1033, 2052, 1028}) {
        g_nLanguage = language;
        for (int id = 0; id < kColumnTitleCount; ++id) {
            EXPECT_LT(std::wcslen(GetColumnTitle(id)), 40u) << "id " << id;
        }
    }
}

TEST_F(Texts, RowsOutsideATableGiveTheEmptyText) {
    for (int language : {1033, 2052, 1028}) {
        g_nLanguage = language;
        for (const Table& table : kTables) {
            for (int row : {-1, table.count, table.count + 1, INT_MIN, INT_MAX}) {
                ASSERT_NE(table.lookup(row), nullptr);
                EXPECT_STREQ(table.lookup(row), L"") << table.name << " row " << row;
            }
        }
    }
}
