#include "host/HostRecords.h"

#include <cstring>

namespace host {

void* RecordStore::NewRecord() {
    m_records.emplace_back();
    std::memset(m_records.back().bytes, 0, sizeof(RawRecord));
    return m_records.back().bytes;
}

void* RecordStore::MakeAccount(const std::string& key, const std::string& number, bool listable,
                               bool withLink) {
    void* account = NewRecord();
    SetText(account, kAccountKeyOffset, key);
    SetText(account, kAccountNumberOffset, number);
    void* link = nullptr;
    if (withLink) {
        link = NewRecord();
        static_cast<unsigned char*>(link)[kLinkListableOffset] = listable ? 'Y' : 'N';
    }
    std::memcpy(static_cast<unsigned char*>(account) + kAccountLinkOffset, &link, sizeof(link));
    return account;
}

void* RecordStore::MakeCurrency(const std::string& code) {
    void* currency = NewRecord();
    SetText(currency, kCurrencyCodeOffset, code);
    return currency;
}

void* RecordStore::MakeFunds(const std::string& account, const std::string& currency,
                             std::initializer_list<std::pair<Funds, double>> values) {
    void* funds = NewRecord();
    SetText(funds, kFundsAccountOffset, account);
    SetText(funds, kFundsCurrencyOffset, currency);
    for (const auto& value : values) {
        SetDouble(funds, value.first, value.second);
    }
    return funds;
}

void RecordStore::SetText(void* record, std::size_t offset, const std::string& text) {
    unsigned char* at = static_cast<unsigned char*>(record) + offset;
    const std::size_t room = sizeof(RawRecord) - offset - 1;
    const std::size_t length = text.size() < room ? text.size() : room;
    std::memcpy(at, text.data(), length);
    at[length] = 0;
}

std::string RecordStore::Text(const void* record, std::size_t offset) {
    return std::string(static_cast<const char*>(record) + offset);
}

void RecordStore::SetDouble(void* record, Funds field, double value) {
    std::memcpy(static_cast<unsigned char*>(record) + static_cast<std::size_t>(field), &value, sizeof(value));
}

double RecordStore::Double(const void* record, Funds field) {
    double value = 0.0;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + static_cast<std::size_t>(field),
                sizeof(value));
    return value;
}

} // namespace host
