#pragma once
// Records as the terminal lays them out: packed, texts in code page 936, doubles at fixed
// byte offsets. The host owns them; their addresses stay valid as long as the store lives.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

namespace host {

// Byte offsets of the funds record's doubles.
enum class Funds : std::size_t {
    LastExcessCash = 74,
    LastBalance = 82,
    LastValue = 90,
    LastUnrealizedPnl = 106,
    Adjustment = 122,
    Deposit = 130,
    Withdraw = 138,
    Mortgage = 146,
    WarrantCollateral = 154,
    CommissionOnHold = 162,
    MarginOnHold = 170,
    Commission = 178,
    DeliveryFee = 194,
    ExchangeFee = 202,
    RealizedPnl = 226,
    CurrentRealizedPnl = 234,
    UnrealizedPnl = 250,
    FloatingPnl = 266,
    LmeFloatingPnl = 274,
    CurrentFloatingPnl = 282,
    OptionValue = 290,
    Premium = 298,
    InitialMargin = 306,
    MaintainMargin = 314,
    LmeDiscount = 322,
    Balance = 338,
    Value = 346,
    ExcessCash = 354,
    Withdrawable = 362,
    CashInOut = 378,
    HoldByRisk = 386,
    RiskRate = 394,
    NetPnl = 421,
    PnlRate = 429,
};

constexpr std::size_t kAccountKeyOffset = 0;
constexpr std::size_t kAccountNumberOffset = 42;
constexpr std::size_t kAccountLinkOffset = 564;
constexpr std::size_t kLinkListableOffset = 777;
constexpr std::size_t kCurrencyCodeOffset = 21;
constexpr std::size_t kFundsAccountOffset = 21;
constexpr std::size_t kFundsCurrencyOffset = 53;

constexpr std::size_t kAccountRecordSize = 600;
constexpr std::size_t kLinkRecordSize = 800;
constexpr std::size_t kCurrencyRecordSize = 600;
constexpr std::size_t kFundsRecordSize = 1024;

struct RawRecord {
    unsigned char bytes[1024];
};

// Owns every record it makes; records never move.
class RecordStore {
public:
    // An account; its linked record says whether it may be listed. A null link when
    // withLink is false.
    void* MakeAccount(const std::string& key, const std::string& number, bool listable = true,
                      bool withLink = true);
    void* MakeCurrency(const std::string& code);
    void* MakeFunds(const std::string& account, const std::string& currency,
                    std::initializer_list<std::pair<Funds, double>> values = {});

    static void SetText(void* record, std::size_t offset, const std::string& text);
    static std::string Text(const void* record, std::size_t offset);
    static void SetDouble(void* record, Funds field, double value);
    static double Double(const void* record, Funds field);

private:
    void* NewRecord();
    std::deque<RawRecord> m_records;
};

} // namespace host
