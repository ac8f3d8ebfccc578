#include "fundsbar/FundsFields.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <charconv>
#include <cwchar>

namespace {

constexpr int kAccountChars = 25;
constexpr int kNoSource = -1;

const FundsColumn kColumns[kFundsColumnCount] = {
    {0, kNoSource, true}, // Account No.
    {1, kNoSource, true}, // Currency
    {2, 354, false},      // Excess Cash
    {3, 338, true},       // Account Balance
    {4, 346, true},       // Account Value
    {5, 362, false},      // Cash Withdrawable
    {6, 178, false},      // Commission
    {7, 194, false},      // Delivery Fee
    {8, 202, true},       // Exchange Fee
    {9, 170, false},      // Margin on hold
    {10, 162, false},     // Commission on hold
    {11, 386, false},     // Hold by risk
    {12, 306, false},     // Initial Margin
    {13, 314, false},     // Maintain Margin
    {14, 266, false},     // Floating PnL
    {15, 274, false},     // LME Floating PnL
    {16, 282, false},     // Current Floating PnL
    {17, 226, false},     // Realized PnL
    {18, 234, false},     // Current Realized PnL
    {19, 421, true},      // Net PnL
    {20, 429, true},      // PnL%
    {21, 250, true},      // Unrealized PnL
    {22, 298, false},     // Premium
    {23, 138, false},     // Withdraw
    {24, 130, false},     // Doposit
    {25, 122, true},      // Adjustment
    {26, 394, true},      // Risk%
    {27, 290, false},     // Option Market Value
    {28, 82, false},      // Last Account Balance
    {29, 90, false},      // Last Account Value
    {30, 74, false},      // Last Excess Cash
    {31, 106, false},     // Last Unrealized PnL
    {32, 146, false},     // Mortgage
    {33, 154, false},     // Warrants as Collateral
    {34, 322, false},     // LME Discount
    {35, 378, false},     // Cash In/Out Balance
};

const FundsColumn kUnknownColumn = {-1, kNoSource, false};

constexpr int kPnlRateId = 20;
constexpr std::size_t kCurrencyOffset = 53;
constexpr std::size_t kBalanceOffset = 338;
constexpr std::size_t kValueOffset = 346;
constexpr std::size_t kExcessCashOffset = 354;
constexpr std::size_t kLastBalanceOffset = 82;

bool IsKnownId(int nColId) {
    return nColId >= 0 && nColId < kFundsColumnCount;
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
    length = std::min(length, static_cast<std::size_t>(kValueTextChars - 1));
    for (std::size_t i = 0; i < length; ++i) {
        dest[i] = static_cast<wchar_t>(text[i]);
    }
    dest[length] = L'\0';
}

} // namespace

const FundsColumn& GetFundsColumn(int nColId) {
    return IsKnownId(nColId) ? kColumns[nColId] : kUnknownColumn;
}

bool IsDefaultShown(int nColId) {
    return GetFundsColumn(nColId).bDefaultShown;
}

bool IsEmptyFunds(const FundsRecord* record) {
    if (!record) {
        return true;
    }
    return ReadFundsDouble(record, kBalanceOffset) == 0.0 && ReadFundsDouble(record, kValueOffset) == 0.0 &&
           ReadFundsDouble(record, kExcessCashOffset) == 0.0 &&
           ReadFundsDouble(record, kLastBalanceOffset) == 0.0;
}

void FormatFundsField(int nColId, const char* szAccount, const FundsRecord* record, wchar_t* dest) {
    if (!IsKnownId(nColId)) {
        return;
    }
    switch (nColId) {
    case 0:
        if (!szAccount || szAccount[0] == '\0') {
            std::wcscpy(dest, L"--");
        } else {
            Cp936ToWide(szAccount, dest, kAccountChars);
        }
        return;
    case 1:
        if (record) {
            // The host's text may run on past its field; it ends at its terminator.
            Cp936ToWide(reinterpret_cast<const char*>(record) + kCurrencyOffset, dest, kValueTextChars);
        }
        return;
    default: {
        const std::size_t offset = static_cast<std::size_t>(kColumns[nColId].nOffset);
        const double value = record ? ReadFundsDouble(record, offset) : 0.0;
        FormatNumber(value, nColId == kPnlRateId, dest);
        return;
    }
    }
}
