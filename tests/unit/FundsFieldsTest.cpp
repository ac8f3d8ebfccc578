#include "fundsbar/FundsFields.h"

#include "host/HostRecords.h"

#include <gtest/gtest.h>

#include <limits>

using F = host::Funds;

// The field each column id shows, six ids a line; ids 0 and 1 are texts.
// clang-format off
static const F kFieldOfId[kFundsColumnCount] = {
    F::Balance, F::Balance, F::ExcessCash, F::Balance, F::Value, F::Withdrawable,
    F::Commission, F::DeliveryFee, F::ExchangeFee, F::MarginOnHold, F::CommissionOnHold, F::HoldByRisk,
    F::InitialMargin, F::MaintainMargin, F::FloatingPnl, F::LmeFloatingPnl, F::CurrentFloatingPnl,
    F::RealizedPnl, F::CurrentRealizedPnl, F::NetPnl, F::PnlRate, F::UnrealizedPnl, F::Premium, F::Withdraw,
    F::Deposit, F::Adjustment, F::RiskRate, F::OptionValue, F::LastBalance, F::LastValue,
    F::LastExcessCash, F::LastUnrealizedPnl, F::Mortgage, F::WarrantCollateral, F::LmeDiscount, F::CashInOut};
// clang-format on

static std::wstring Format(int id, const char* account, const void* record) {
    wchar_t text[kValueTextChars] = {};
    FormatFundsField(id, account, static_cast<const FundsRecord*>(record), text);
    return text;
}

TEST(FundsFields, EachColumnShowsItsOwnFieldAndEmptinessLooksAtFourFields) {
    // Every field holds a different value, so a column reading a neighbour's field shows.
    host::RecordStore store;
    void* record = store.MakeFunds("OTHER", "CNY");
    for (int id = 2; id < kFundsColumnCount; ++id) {
        host::RecordStore::SetDouble(record, kFieldOfId[id], -id - 0.25);
    }
    for (int id = 2; id < kFundsColumnCount; ++id) {
        // Only the profit rate is scaled and marked; the risk rate (26) is shown as stored.
        EXPECT_EQ(Format(id, "A1", record), id == 20 ? L"-2025.00%" : L"-" + std::to_wstring(id) + L".25");
    }
    // The bar's account is shown, not the record's own, and "--" without one; without a
    // record the currency is empty, and so is a code longer than the column holds.
    EXPECT_EQ(Format(0, "A1", record), L"A1");
    EXPECT_EQ(Format(0, "", nullptr), L"--");
    EXPECT_EQ(Format(1, "A1", nullptr), L"");
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", std::string(259, 'C'))), std::wstring(259, L'C'));
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", std::string(260, 'C'))), L"");

    const auto empty = [&](F field, double value) {
        return IsEmptyFunds(static_cast<const FundsRecord*>(store.MakeFunds("A1", "CNY", {{field, value}})));
    };
    EXPECT_TRUE(IsEmptyFunds(nullptr) && empty(F::NetPnl, 5.0) && empty(F::Balance, -0.0));
    for (F field : {F::Balance, F::Value, F::ExcessCash, F::LastBalance}) {
        EXPECT_FALSE(empty(field, 0.01));
        EXPECT_FALSE(empty(field, std::numeric_limits<double>::quiet_NaN()));
    }
}
