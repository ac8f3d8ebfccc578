#include "base/Texts.h"

#include "base/PluginState.h"

#include <iterator>

namespace {

// One array per language, in the order of the Language enumeration, which is that of
// kHostLanguages.
enum Language { kSimplified, kTraditional, kEnglish, kLanguageCount };
static_assert(std::size(kHostLanguages) == kLanguageCount, "a host identifier for every language");

constexpr const wchar_t* kDialogTexts[kLanguageCount][kDialogTextCount] = {
    {
        L"显示全部",
        L"隐藏全部",
        L"确定",
        L"取消",
        L"是",
        L"否",
        L"上移",
        L"下移",
    },
    {
        L"顯示全部",
        L"隱藏全部",
        L"確定",
        L"取消",
        L"是",
        L"否",
        L"上移",
        L"下移",
    },
    {
        L"Show All",
        L"Hide All",
        L"OK",
        L"Cancel",
        L"Yes",
        L"No",
        L"Move Up",
        L"Move Down",
    },
};

constexpr const wchar_t* kConfigLabels[kLanguageCount][kConfigLabelCount] = {
    {
        L"显示",
        L"标题",
        L"显示颜色",
        L"设置",
        L"配置列头",
    },
    {
        L"顯示",
        L"標題",
        L"顯示顏色",
        L"設置",
        L"配置列頭",
    },
    {
        L"Show",
        L"Title",
        L"Show Color",
        L"Config",
        L"Config Column",
    },
};

constexpr const wchar_t* kColumnTitles[kLanguageCount][kFundsColumnCount] = {
    {
        L"资金帐号",   L"币种",       L"今可用",     L"今资金",     L"今权益",     L"今可提",
        L"交易手续费", L"交割手续费", L"汇兑手续费", L"冻结保证金", L"冻结手续费", L"风险冻结",
        L"保证金",     L"维持保证金", L"浮盈",       L"LME浮盈",    L"逐笔浮盈",   L"平盈",
        L"逐笔平盈",   L"净盈利",     L"盈利率 ",    L"未结平盈 ",  L"权利金",     L"出金",
        L"入金",       L"资金调整",   L"风险率",     L"期权市值",   L"昨资金",     L"昨权益 ",
        L"昨可用 ",    L"昨未结平盈", L"质押金",     L"仓单质押",   L"贴现",       L"原始出入金",
    },
    {
        L"資金帳號",   L"幣種",       L"今可用",     L"今資金",     L"今權益",     L"今可提",
        L"交易手續費", L"交割手續費", L"匯兌手續費", L"凍結保證金", L"凍結手續費", L"風險凍結",
        L"保證金",     L"維持保證金", L"浮盈",       L"LME浮盈",    L"逐筆浮盈",   L"平盈",
        L"逐筆平盈",   L"淨盈利",     L"盈利率 ",    L"未結平盈 ",  L"權利金",     L"出金",
        L"入金",       L"資金調整",   L"風險率",     L"期權市值",   L"昨資金",     L"昨權益 ",
        L"昨可用 ",    L"昨未結平盈", L"質押金",     L"倉單質押",   L"貼現",       L"原始出入金",
    },
    {
        L"Account No.",
        L"Currency",
        L"Excess Cash",
        L"Account Balance",
        L"Account Value",
        L"Cash Withdrawable",
        L"Commission",
        L"Delivery Fee",
        L"Exchange Fee",
        L"Margin on hold",
        L"Commission on hold",
        L"Hold by risk",
        L"Initial Margin",
        L"Maintain Margin",
        L"Floating PnL",
        L"LME Floating PnL",
        L"Current Floating PnL",
        L"Realized PnL",
        L"Current Realized PnL",
        L"Net PnL",
        L"PnL%",
        L"Unrealized PnL",
        L"Premium",
        L"Withdraw",
        L"Doposit",
        L"Adjustment",
        L"Risk%",
        L"Option Market Value",
        L"Last Account Balance",
        L"Last Account Value",
        L"Last Excess Cash",
        L"Last Unrealized PnL",
        L"Mortgage",
        L"Warrants as Collateral",
        L"LME Discount",
        L"Cash In/Out Balance",
    },
};

// As Windows names the same actions of its own controls in each language.
constexpr const wchar_t* kActionTexts[kLanguageCount][kActionTextCount] = {
    {L"按下", L"打开", L"关闭", L"选择", L"选中", L"清除"},
    {L"按下", L"開啟", L"關閉", L"選取", L"核取", L"清除"},
    {L"Press", L"Open", L"Close", L"Select", L"Check", L"Uncheck"},
};

constexpr const wchar_t* kWindowTypeTitles[kLanguageCount] = {L"资金栏", L"資金欄", L"Funds Bar"};

// A table with fewer texts than its rows compiles, the missing ones null: each row must be full.
template <int Count> constexpr bool HasEveryText(const wchar_t* const (&table)[kLanguageCount][Count]) {
    for (int language = 0; language < kLanguageCount; ++language) {
        for (int row = 0; row < Count; ++row) {
            if (!table[language][row]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(HasEveryText(kDialogTexts), "a dialog text in every language");
static_assert(HasEveryText(kConfigLabels), "a dialog label in every language");
static_assert(HasEveryText(kColumnTitles), "a title for every column in every language");
static_assert(HasEveryText(kActionTexts), "a name for every action in every language");
static_assert(kWindowTypeTitles[kLanguageCount - 1], "a window type title in every language");

constexpr SharedFontChoice kChineseFonts = {L"宋体", 20, 13, 16};
constexpr SharedFontChoice kCalibriFonts = {L"Calibri", 25, 18, 20};
constexpr SharedFontChoice kArialFonts = {L"Arial", 20, 13, 16};

// Whether the shared fonts take the Chinese face: only when the host named a Chinese language.
bool g_bChineseFace = false;

// Any identifier without texts of its own reads Simplified Chinese.
Language LanguageOf(int nLanguage) {
    for (int language = kLanguageCount - 1; language > kSimplified; --language) {
        if (kHostLanguages[language] == nLanguage) {
            return static_cast<Language>(language);
        }
    }
    return kSimplified;
}

Language CurrentLanguage() {
    return LanguageOf(g_nLanguage);
}

// A row outside the table gives the empty text rather than reading past it.
template <int Count>
const wchar_t* Lookup(const wchar_t* const (&table)[kLanguageCount][Count], int nRow,
                      Language language = CurrentLanguage()) {
    if (nRow < 0 || nRow >= Count) {
        return L"";
    }
    return table[language][nRow];
}

} // namespace

const wchar_t* GetDialogText(int nText) {
    return Lookup(kDialogTexts, nText);
}

const wchar_t* GetConfigLabel(int nLabel) {
    return Lookup(kConfigLabels, nLabel);
}

const wchar_t* GetColumnTitle(int nColId) {
    return Lookup(kColumnTitles, nColId);
}

const wchar_t* GetColumnTitleIn(int nLanguage, int nColId) {
    return Lookup(kColumnTitles, nColId, LanguageOf(nLanguage));
}

const wchar_t* GetActionText(int nAction) {
    return Lookup(kActionTexts, nAction);
}

void SetHostLanguage(int nHostLanguage) {
    g_nLanguage = nHostLanguage == 0 ? kHostLanguages[kSimplified] : nHostLanguage;
    g_bChineseFace =
        nHostLanguage == kHostLanguages[kSimplified] || nHostLanguage == kHostLanguages[kTraditional];
}

const wchar_t* GetWindowTypeTitle() {
    return kWindowTypeTitles[CurrentLanguage()];
}

SharedFontChoice ChooseSharedFonts(bool (*isInstalled)(const wchar_t* faceName)) {
    if (g_bChineseFace) {
        return kChineseFonts;
    }
    return isInstalled(kCalibriFonts.face) ? kCalibriFonts : kArialFonts;
}
