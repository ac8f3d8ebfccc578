#include "fundsbar/FundsFields.h"

#include "host/HostRecords.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace {

using host::Funds;

// Where the value of each column id 2..35 lies, in the host's own names.
const Funds kFieldOfId[kFundsColumnCount] = {
    Funds::Balance,
    Funds::Balance, // ids 0 and 1 are texts
    Funds::ExcessCash,
    Funds::Balance,
    Funds::Value,
    Funds::Withdrawable,
    Funds::Commission,
    Funds::DeliveryFee,
    Funds::ExchangeFee,
    Funds::MarginOnHold,
    Funds::CommissionOnHold,
    Funds::HoldByRisk,
    Funds::InitialMargin,
    Funds::MaintainMargin,
    Funds::FloatingPnl,
    Funds::LmeFloatingPnl,
    Funds::CurrentFloatingPnl,
    Funds::RealizedPnl,
    Funds::CurrentRealizedPnl,
    Funds::NetPnl,
    Funds::PnlRate,
    Funds::UnrealizedPnl,
    Funds::Premium,
    Funds::Withdraw,
    Funds::Deposit,
    Funds::Adjustment,
    Funds::RiskRate,
    Funds::OptionValue,
    Funds::LastBalance,
    Funds::LastValue,
    Funds::LastExcessCash,
    Funds::LastUnrealizedPnl,
    Funds::Mortgage,
    Funds::WarrantCollateral,
    Funds::LmeDiscount,
    Funds::CashInOut,
};

const FundsRecord* AsFunds(const void* record) {
    return static_cast<const FundsRecord*>(record);
}

std::wstring Format(int id, const char* account, const void* record) {
    wchar_t text[kValueTextChars] = {};
    FormatFundsField(id, account, AsFunds(record), text);
    return text;
}

} // namespace

TEST(FundsFields, TenColumnsAreShownByDefault) {
    std::set<int> shown;
    for (int id = 0; id < kFundsColumnCount; ++id) {
        EXPECT_EQ(GetFundsColumn(id).nColId, id);
        if (IsDefaultShown(id)) {
            shown.insert(id);
        }
    }
    EXPECT_EQ(shown, (std::set<int>{0, 1, 3, 4, 8, 19, 20, 21, 25, 26}));
    EXPECT_FALSE(IsDefaultShown(-1));
    EXPECT_FALSE(IsDefaultShown(kFundsColumnCount));
}

TEST(FundsFields, EachColumnReadsItsOwnField) {
    // Every field holds a different value, so a column reading a neighbour's field shows.
    host::RecordStore store;
    void* record = store.MakeFunds("A1", "CNY");
    for (int id = 2; id < kFundsColumnCount; ++id) {
        host::RecordStore::SetDouble(record, kFieldOfId[id], 1000.0 + id + 0.25);
    }
    for (int id = 2; id < kFundsColumnCount; ++id) {
        wchar_t expected[64] = {};
        if (id == 20) {
            swprintf(expected, 64, L"%d.00%%", (1000 + id) * 100 + 25);
        } else {
            swprintf(expected, 64, L"%d.25", 1000 + id);
        }
        EXPECT_EQ(Format(id, "A1", record), expected) << "id " << id;
    }
}

TEST(FundsFields, NumbersAreFixedPointWithTwoDecimals) {
    host::RecordStore store;
    void* record = store.MakeFunds("A1", "CNY",
                                   {{Funds::PnlRate, 0.1234},
                                    {Funds::RiskRate, 0.1234},
                                    {Funds::Balance, -987.5},
                                    {Funds::Value, 1234567.891},
                                    {Funds::ExcessCash, 1e20},
                                    {Funds::NetPnl, -0.004},
                                    {Funds::ExchangeFee, 0.005 + 1e-9}});
    EXPECT_EQ(Format(20, "A1", record), L"12.34%");
    EXPECT_EQ(Format(26, "A1", record), L"0.12"); // a rate, but neither scaled nor marked
    EXPECT_EQ(Format(3, "A1", record), L"-987.50");
    EXPECT_EQ(Format(4, "A1", record), L"1234567.89");
    EXPECT_EQ(Format(2, "A1", record), L"100000000000000000000.00");
    EXPECT_EQ(Format(19, "A1", record), L"-0.00");
    EXPECT_EQ(Format(8, "A1", record), L"0.01");
}

TEST(FundsFields, HugeValueIsCutToTheField) {
    host::RecordStore store;
    void* record =
        store.MakeFunds("A1", "CNY", {{Funds::Balance, DBL_MAX}, {Funds::PnlRate, DBL_MAX / 1000}});
    for (int id : {3, 20}) {
        const std::wstring text = Format(id, "A1", record);
        EXPECT_EQ(text.size(), std::size_t(kValueTextChars - 1)) << "id " << id;
        EXPECT_EQ(text.substr(0, 7), L"1797693") << "id " << id;
    }
}

TEST(FundsFields, WithoutARecordNumbersShowZero) {
    EXPECT_EQ(Format(1, "A1", nullptr), L"");
    EXPECT_EQ(Format(3, "A1", nullptr), L"0.00");
    EXPECT_EQ(Format(20, "A1", nullptr), L"0.00%");
    EXPECT_EQ(Format(0, "A1", nullptr), L"A1");
}

TEST(FundsFields, AccountColumnShowsTheBarsAccount) {
    host::RecordStore store;
    // The record's own account is not what the column shows.
    void* record = store.MakeFunds("OTHER", "CNY");
    EXPECT_EQ(Format(0, "A1", record), L"A1");
    EXPECT_EQ(Format(0, "", record), L"--");
    EXPECT_EQ(Format(0, nullptr, nullptr), L"--");
    // "资金帐号" in code page 936.
    EXPECT_EQ(Format(0, "\xD7\xCA\xBD\xF0\xD5\xCA\xBA\xC5", record), testing_support::Wide(u8"资金帐号"));
    EXPECT_EQ(Format(0, std::string(24, '9').c_str(), record), std::wstring(24, L'9'));
    // A text longer than an account field leaves the column empty rather than cut.
    EXPECT_EQ(Format(0, std::string(25, '9').c_str(), record), L"");
}

TEST(FundsFields, CurrencyColumnShowsTheRecordsCode) {
    host::RecordStore store;
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", "\xB8\xDB\xB1\xD2")), testing_support::Wide(u8"港币"));
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", "")), L"");
    // The host's text may be longer than its field; it is shown whole when it fits.
    const std::string fits(259, 'C');
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", fits)), std::wstring(259, L'C'));
    EXPECT_EQ(Format(1, "A1", store.MakeFunds("A1", std::string(260, 'C'))), L"");
}

TEST(FundsFields, UnknownIdsWriteNothing) {
    host::RecordStore store;
    void* record = store.MakeFunds("A1", "CNY", {{Funds::Balance, 5.0}});
    for (int id : {-1, kFundsColumnCount, 1000}) {
        wchar_t text[kValueTextChars] = {};
        FormatFundsField(id, "A1", AsFunds(record), text);
        EXPECT_EQ(std::wstring(text, kValueTextChars), std::wstring(kValueTextChars, L'\0')) << "id " << id;
    }
}

TEST(FundsFields, EmptinessLooksAtFourFieldsOnly) {
    host::RecordStore store;
    EXPECT_TRUE(IsEmptyFunds(nullptr));
    EXPECT_TRUE(IsEmptyFunds(AsFunds(store.MakeFunds("A1", "CNY"))));
    EXPECT_TRUE(
        IsEmptyFunds(AsFunds(store.MakeFunds("A1", "CNY", {{Funds::NetPnl, 5.0}, {Funds::RiskRate, 0.5}}))));
    EXPECT_TRUE(IsEmptyFunds(AsFunds(store.MakeFunds("A1", "CNY", {{Funds::Balance, -0.0}}))));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (Funds field : {Funds::Balance, Funds::Value, Funds::ExcessCash, Funds::LastBalance}) {
        EXPECT_FALSE(IsEmptyFunds(AsFunds(store.MakeFunds("A1", "CNY", {{field, 0.01}}))));
        EXPECT_FALSE(IsEmptyFunds(AsFunds(store.MakeFunds("A1", "CNY", {{field, nan}}))));
    }
}

TEST(FundsFields, DecimalPointIgnoresTheProcessLocale) {
    host::RecordStore store;
    void* record = store.MakeFunds("A1", "CNY", {{Funds::Balance, 1234.5}});
    const std::string saved = setlocale(LC_ALL, nullptr);
    ASSERT_NE(setlocale(LC_ALL, "German_Germany.1252"), nullptr);
    const std::wstring text = Format(3, "A1", record);
    setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, L"1234.50");
}
