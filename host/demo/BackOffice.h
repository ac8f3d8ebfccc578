#pragma once
// The demo terminal's simulated back office: four accounts, four currencies and a funds
// record per account and currency, kept consistent as a market feed moves them.
#include "host/HostRecords.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace demo {

struct AccountInfo {
    const char* key;
    const char* number;
    bool listable; // the flag byte of its linked record is 'Y'
};

struct CurrencyInfo {
    const char* code;
    double rateToBase; // value of one unit in the base currency
};

constexpr std::size_t kAccountCount = 4;
constexpr std::size_t kCurrencyCount = 4;
// The accounts whose funds the host holds from the start; the others wait for a query.
constexpr std::size_t kKnownAccounts = 2;

extern const std::array<AccountInfo, kAccountCount> kAccounts;
// "Base", the summary in the base currency, comes first.
extern const std::array<CurrencyInfo, kCurrencyCount> kCurrencies;

// What an account holds in one currency; every other funds figure follows from these.
struct Ledger {
    double lastBalance = 0;
    double lastUnrealized = 0;
    double lastInitialMargin = 0;
    double deposit = 0;
    double withdraw = 0;
    double adjustment = 0;
    double premium = 0; // received (+) or paid (-) for options
    double commission = 0;
    double exchangeFee = 0;
    double deliveryFee = 0;
    double realized = 0;
    double unrealized = 0;
    double optionValue = 0;
    double initialMargin = 0;
    double marginOnHold = 0;
    double commissionOnHold = 0;
    double mortgage = 0;
    double warrantCollateral = 0;
};

// Writes a ledger and every figure derived from it into a funds record.
void WriteLedger(void* record, const Ledger& ledger);

// The ledger of several currencies added up in the base currency.
Ledger SumInBase(const std::array<Ledger, kCurrencyCount>& ledgers);

class BackOffice {
public:
    explicit BackOffice(std::uint32_t seed);
    BackOffice(const BackOffice&) = delete;
    BackOffice& operator=(const BackOffice&) = delete;

    // Records in the order the host lists them.
    const std::vector<void*>& AccountRecords() const { return m_accountRecords; }
    const std::vector<void*>& CurrencyRecords() const { return m_currencyRecords; }
    // The account with this number, or -1.
    int FindAccount(const std::string& number) const;
    // Funds records of one account in currency order, "Base" first.
    const std::array<void*, kCurrencyCount>& FundsOf(std::size_t account) const {
        return m_books[account].funds;
    }
    // Funds records of the accounts the host knows from the start.
    std::vector<void*> KnownFunds() const;

    // Whether the host has handed out the account's funds. Any thread.
    bool Published(std::size_t account) const { return m_books[account].published.load(); }
    // Marks the account's funds as handed out; true the first time.
    bool Publish(std::size_t account) { return !m_books[account].published.exchange(true); }

    struct Move {
        std::size_t account;
        void* currencyRecord;
        void* baseRecord;
    };
    // One market event on one account in one currency: a price tick or a trade. The same
    // seed gives the same events. Runs on one thread at a time.
    Move Step();

private:
    struct Book {
        void* account = nullptr;
        std::array<void*, kCurrencyCount> funds{};
        std::array<Ledger, kCurrencyCount> ledgers{}; // [0] is derived: the sum in base
        std::atomic<bool> published{false};
    };

    double Uniform(); // in [0, 1)
    Ledger OpeningLedger(std::size_t currency);
    void Tick(Ledger& ledger);
    void Trade(Ledger& ledger);
    void Settle(Book& book, std::size_t currency);

    host::RecordStore m_store;
    std::mt19937 m_rng;
    std::array<Book, kAccountCount> m_books;
    std::vector<void*> m_accountRecords;
    std::vector<void*> m_currencyRecords;
};

} // namespace demo
