#include "fundsbar/FundsFields.h"

#include "base/PluginState.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cwchar>

namespace {

constexpr int kNoSource = -1;

constexpr FundsColumn kColumns[] = {
    {kAccountNoColumn, kNoSource, true},
    {kCurrencyColumn, kNoSource, true},
    {kExcessCashColumn, 354, false},
    {kAccountBalanceColumn, 338, true},
    {kAccountValueColumn, 346, true},
    {kCashWithdrawableColumn, 362, false},
    {kCommissionColumn, 178, false},
    {kDeliveryFeeColumn, 194, false},
    {kExchangeFeeColumn, 202, true},
    {kMarginOnHoldColumn, 170, false},
    {kCommissionOnHoldColumn, 162, false},
    {kHoldByRiskColumn, 386, false},
    {kInitialMarginColumn, 306, false},
    {kMaintainMarginColumn, 314, false},
    {kFloatingPnlColumn, 266, false},
    {kLmeFloatingPnlColumn, 274, false},
    {kCurrentFloatingPnlColumn, 282, false},
    {kRealizedPnlColumn, 226, false},
    {kCurrentRealizedPnlColumn, 234, false},
    {kNetPnlColumn, 421, true},
    {kPnlRateColumn, 429, true},
    {kUnrealizedPnlColumn, 250, true},
    {kPremiumColumn, 298, false},
    {kWithdrawColumn, 138, false},
    {kDepositColumn, 130, false},
    {kAdjustmentColumn, 122, true},
    {kRiskRateColumn, 394, true},
    {kOptionMarketValueColumn, 290, false},
    {kLastAccountBalanceColumn, 82, false},
    {kLastAccountValueColumn, 90, false},
    {kLastExcessCashColumn, 74, false},
    {kLastUnrealizedPnlColumn, 106, false},
    {kMortgageColumn, 146, false},
    {kWarrantsAsCollateralColumn, 154, false},
    {kLmeDiscountColumn, 322, false},
    {kCashInOutBalanceColumn, 378, false},
};

constexpr bool IsRowOfItsId() {
    for (int i = 0; i < kFundsColumnCount; ++i) {
        if (kColumns[i].nColId != i) {
            return false;
        }
    }
    return true;
}
static_assert(sizeof(kColumns) / sizeof(kColumns[0]) == kFundsColumnCount,
              "a catalogue row for every column");
static_assert(IsRowOfItsId(), "catalogue rows in the order of their ids");

const FundsColumn kUnknownColumn = {-1, kNoSource, false};

double ColumnValue(const FundsRecord* record, FundsColumnId nColId) {
    return ReadFundsDouble(record, static_cast<std::size_t>(kColumns[nColId].nOffset));
}

// Room for any double in fixed point (DBL_MAX has 309 integer digits) and a percent sign.
constexpr int kNumberChars = 400;

// "%0.2f", or "%0.2f%%" for a rate, written with a full stop whatever locale the host
// process has set, and cut to the field.
void FormatNumber(double value, bool bPercent, wchar_t* dest) {
    char text[kNumberChars] = {};
    const std::to_chars_result result = std::to_chars(
        text, text + kNumberChars - 1, bPercent ? value * 100.0 : value, std::chars_format::fixed, 2);
    std::size_t length = result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - text) : 0;
    if (bPercent) {
        text[length++] = '%';
    }
    length = std::min(length, static_cast<std::size_t>(kTextChars - 1));
    for (std::size_t i = 0; i < length; ++i) {
        dest[i] = static_cast<wchar_t>(text[i]);
    }
    dest[length] = L'\0';
}

} // namespace

const FundsColumn& GetFundsColumn(int nColId) {
    return IsFundsColumnId(nColId) ? kColumns[nColId] : kUnknownColumn;
}

bool IsDefaultShown(int nColId) {
    return GetFundsColumn(nColId).bDefaultShown;
}

bool IsEmptyFunds(const FundsRecord* record) {
    if (!record) {
        return true;
    }
    return ColumnValue(record, kAccountBalanceColumn) == 0.0 &&
           ColumnValue(record, kAccountValueColumn) == 0.0 && ColumnValue(record, kExcessCashColumn) == 0.0 &&
           ColumnValue(record, kLastAccountBalanceColumn) == 0.0;
}

void FormatFundsField(int nColId, const char* szAccount, const FundsRecord* record, wchar_t* dest) {
    if (!IsFundsColumnId(nColId)) {
        return;
    }
    switch (nColId) {
    case kAccountNoColumn:
        if (!szAccount || szAccount[0] == '\0') {
            std::wcscpy(dest, L"--");
        } else {
            Cp936ToWide(szAccount, dest, static_cast<int>(kAccountChars));
        }
        return;
    case kCurrencyColumn:
        if (record) {
            // The host's text may run on past its field; it ends at its terminator.
            Cp936ToWide(record->szCurrency, dest, kTextChars);
        }
        return;
    default: {
        const std::size_t offset = static_cast<std::size_t>(kColumns[nColId].nOffset);
        const double value = record ? ReadFundsDouble(record, offset) : 0.0;
        FormatNumber(value, nColId == kPnlRateColumn, dest);
        return;
    }
    }
}
