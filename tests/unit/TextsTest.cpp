#include "plugin/Texts.h"

#include "plugin/PluginState.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

// The dialog texts, the configuration labels and the column titles in turn, two rows a line,
// each row English|Simplified|Traditional|
const char kRows[] = u8R"(Show All|显示全部|顯示全部|Hide All|隐藏全部|隱藏全部|
OK|确定|確定|Cancel|取消|取消|
Yes|是|是|No|否|否|
Move Up|上移|上移|Move Down|下移|下移|
Show|显示|顯示|Title|标题|標題|
Show Color|显示颜色|顯示顏色|Config|设置|設置|
Config Column|配置列头|配置列頭|
Account No.|资金帐号|資金帳號|Currency|币种|幣種|
Excess Cash|今可用|今可用|Account Balance|今资金|今資金|
Account Value|今权益|今權益|Cash Withdrawable|今可提|今可提|
Commission|交易手续费|交易手續費|Delivery Fee|交割手续费|交割手續費|
Exchange Fee|汇兑手续费|匯兌手續費|Margin on hold|冻结保证金|凍結保證金|
Commission on hold|冻结手续费|凍結手續費|Hold by risk|风险冻结|風險凍結|
Initial Margin|保证金|保證金|Maintain Margin|维持保证金|維持保證金|
Floating PnL|浮盈|浮盈|LME Floating PnL|LME浮盈|LME浮盈|
Current Floating PnL|逐笔浮盈|逐筆浮盈|Realized PnL|平盈|平盈|
Current Realized PnL|逐笔平盈|逐筆平盈|Net PnL|净盈利|淨盈利|
PnL%|盈利率 |盈利率 |Unrealized PnL|未结平盈 |未結平盈 |
Premium|权利金|權利金|Withdraw|出金|出金|
Doposit|入金|入金|Adjustment|资金调整|資金調整|
Risk%|风险率|風險率|Option Market Value|期权市值|期權市值|
Last Account Balance|昨资金|昨資金|Last Account Value|昨权益 |昨權益 |
Last Excess Cash|昨可用 |昨可用 |Last Unrealized PnL|昨未结平盈|昨未結平盈|
Mortgage|质押金|質押金|Warrants as Collateral|仓单质押|倉單質押|
LME Discount|贴现|貼現|Cash In/Out Balance|原始出入金|原始出入金|
)";

TEST(Texts, EveryEntryOfEveryLanguageIsExact) {
    const std::pair<const wchar_t* (*)(int), int> tables[] = {{&GetDialogText, kDialogTextCount},
                                                              {&GetConfigLabel, kConfigLabelCount},
                                                              {&GetColumnTitle, kColumnTitleCount}};
    const int saved = g_nLanguage;
    std::wistringstream rows(testing_support::Wide(kRows));
    for (const auto& [lookup, count] : tables) {
        // The rows just outside a table give the empty text.
        for (int id = -1; id <= count; ++id) {
            std::wstring texts[3];
            for (int i = 0; i < 3 && id >= 0 && id < count; ++i) {
                std::getline(rows >> std::ws, texts[i], L'|');
            }
            // The language is read at every call; any but English and Traditional reads Simplified.
            for (const auto& [language, column] :
                 {std::pair{1033, 0}, {2052, 1}, {1028, 2}, {1041, 1}, {0, 1}}) {
                g_nLanguage = language;
                EXPECT_EQ(lookup(id), texts[column]) << "id " << id << " language " << language;
            }
        }
    }
    EXPECT_TRUE((rows >> std::ws).eof()) << "rows left over";
    g_nLanguage = saved;
}
