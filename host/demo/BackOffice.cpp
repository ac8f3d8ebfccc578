#include "host/demo/BackOffice.h"

#include <algorithm>
#include <cmath>

namespace demo {

using host::Funds;
using host::RecordStore;

const std::array<AccountInfo, kAccountCount> kAccounts = {{
    {"K01", "8800101", true},
    {"K02", "8800102", true},
    {"K03", "8800203", false},
    {"K04", "8800304", true},
}};

const std::array<CurrencyInfo, kCurrencyCount> kCurrencies = {{
    {"Base", 1.0},
    {"CNY", 1.0},
    {"USD", 7.18},
    {"HKD", 0.92},
}};

namespace {

// Typical opening balance of an account in each currency.
constexpr std::array<double, kCurrencyCount> kScale = {0.0, 2000000.0, 150000.0, 1200000.0};

constexpr double kMaintainShare = 0.8; // maintenance margin against initial margin

double Cents(double amount) {
    return std::round(amount * 100.0) / 100.0;
}

} // namespace

void WriteLedger(void* record, const Ledger& l) {
    const double fees = l.commission + l.exchangeFee + l.deliveryFee;
    const double balance =
        l.lastBalance + l.deposit - l.withdraw + l.adjustment + l.premium + l.realized - fees;
    const double value = balance + l.unrealized + l.optionValue;
    const double excess = value - l.initialMargin - l.marginOnHold - l.commissionOnHold;
    const double lastValue = l.lastBalance + l.lastUnrealized;
    const double todayFloating = l.unrealized - l.lastUnrealized;
    const double netPnl = l.realized + todayFloating - fees;
    const double maintain = l.initialMargin * kMaintainShare;

    const std::pair<Funds, double> fields[] = {
        {Funds::LastBalance, l.lastBalance},
        {Funds::LastValue, lastValue},
        {Funds::LastExcessCash, lastValue - l.lastInitialMargin},
        {Funds::LastUnrealizedPnl, l.lastUnrealized},
        {Funds::Deposit, l.deposit},
        {Funds::Withdraw, l.withdraw},
        {Funds::CashInOut, l.deposit - l.withdraw},
        {Funds::Adjustment, l.adjustment},
        {Funds::Premium, l.premium},
        {Funds::Commission, l.commission},
        {Funds::ExchangeFee, l.exchangeFee},
        {Funds::DeliveryFee, l.deliveryFee},
        {Funds::RealizedPnl, l.realized},
        {Funds::CurrentRealizedPnl, l.realized},
        {Funds::UnrealizedPnl, l.unrealized},
        {Funds::FloatingPnl, l.unrealized},
        {Funds::CurrentFloatingPnl, todayFloating},
        {Funds::LmeFloatingPnl, 0.0},
        {Funds::LmeDiscount, 0.0},
        {Funds::OptionValue, l.optionValue},
        {Funds::InitialMargin, l.initialMargin},
        {Funds::MaintainMargin, maintain},
        {Funds::MarginOnHold, l.marginOnHold},
        {Funds::CommissionOnHold, l.commissionOnHold},
        {Funds::Mortgage, l.mortgage},
        {Funds::WarrantCollateral, l.warrantCollateral},
        {Funds::Balance, balance},
        {Funds::Value, value},
        {Funds::ExcessCash, excess},
        {Funds::Withdrawable, std::max(0.0, std::min(excess, balance))},
        {Funds::HoldByRisk, std::max(0.0, maintain - value)},
        {Funds::NetPnl, netPnl},
        // PnL% is a fraction (the bar shows it times 100); Risk% is already a percentage.
        {Funds::PnlRate, lastValue != 0.0 ? netPnl / lastValue : 0.0},
        {Funds::RiskRate, value > 0.0 ? 100.0 * l.initialMargin / value : 0.0},
    };
    for (const auto& field : fields) {
        RecordStore::SetDouble(record, field.first, field.second);
    }
}

Ledger SumInBase(const std::array<Ledger, kCurrencyCount>& ledgers) {
    Ledger sum;
    double Ledger::*const members[] = {
        &Ledger::lastBalance,      &Ledger::lastUnrealized, &Ledger::lastInitialMargin,
        &Ledger::deposit,          &Ledger::withdraw,       &Ledger::adjustment,
        &Ledger::premium,          &Ledger::commission,     &Ledger::exchangeFee,
        &Ledger::deliveryFee,      &Ledger::realized,       &Ledger::unrealized,
        &Ledger::optionValue,      &Ledger::initialMargin,  &Ledger::marginOnHold,
        &Ledger::commissionOnHold, &Ledger::mortgage,       &Ledger::warrantCollateral};
    for (std::size_t c = 1; c < kCurrencyCount; ++c) {
        for (double Ledger::*member : members) {
            sum.*member += ledgers[c].*member * kCurrencies[c].rateToBase;
        }
    }
    return sum;
}

BackOffice::BackOffice(std::uint32_t seed) : m_rng(seed) {
    for (const CurrencyInfo& currency : kCurrencies) {
        m_currencyRecords.push_back(m_store.MakeCurrency(currency.code));
    }
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        Book& book = m_books[a];
        book.account = m_store.MakeAccount(kAccounts[a].key, kAccounts[a].number, kAccounts[a].listable);
        m_accountRecords.push_back(book.account);
        for (std::size_t c = 0; c < kCurrencyCount; ++c) {
            book.funds[c] = m_store.MakeFunds(kAccounts[a].number, kCurrencies[c].code);
            if (c > 0) {
                book.ledgers[c] = OpeningLedger(c);
            }
        }
        for (std::size_t c = 1; c < kCurrencyCount; ++c) {
            Settle(book, c);
        }
        book.published = a < kKnownAccounts;
    }
}

int BackOffice::FindAccount(const std::string& number) const {
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        if (number == kAccounts[a].number) {
            return static_cast<int>(a);
        }
    }
    return -1;
}

std::vector<void*> BackOffice::KnownFunds() const {
    std::vector<void*> known;
    for (std::size_t a = 0; a < kKnownAccounts; ++a) {
        known.insert(known.end(), m_books[a].funds.begin(), m_books[a].funds.end());
    }
    return known;
}

BackOffice::Move BackOffice::Step() {
    const std::size_t account = m_rng() % kAccountCount;
    const std::size_t currency = 1 + m_rng() % (kCurrencyCount - 1);
    Book& book = m_books[account];
    if (Uniform() < 0.8) {
        Tick(book.ledgers[currency]);
    } else {
        Trade(book.ledgers[currency]);
    }
    Settle(book, currency);
    return Move{account, book.funds[currency], book.funds[0]};
}

double BackOffice::Uniform() {
    return static_cast<double>(m_rng()) / 4294967296.0;
}

Ledger BackOffice::OpeningLedger(std::size_t currency) {
    const double scale = kScale[currency];
    Ledger l;
    l.lastBalance = Cents(scale * (0.5 + Uniform()));
    l.lastUnrealized = Cents(l.lastBalance * (Uniform() - 0.5) * 0.04);
    l.lastInitialMargin = Cents(l.lastBalance * (0.15 + 0.25 * Uniform()));
    if (Uniform() < 0.5) {
        l.deposit = Cents(scale * 0.1 * Uniform());
    } else {
        l.withdraw = Cents(scale * 0.05 * Uniform());
    }
    l.adjustment = Uniform() < 0.3 ? Cents(scale * 0.001 * (Uniform() - 0.5)) : 0.0;
    l.premium = Cents(-scale * 0.002 * Uniform());
    l.optionValue = Cents(-l.premium * (0.8 + 0.4 * Uniform()));
    l.unrealized = l.lastUnrealized;
    l.initialMargin = l.lastInitialMargin;
    l.marginOnHold = Cents(l.initialMargin * 0.05 * Uniform());
    l.commissionOnHold = Cents(l.marginOnHold * 0.002);
    l.mortgage = Uniform() < 0.25 ? Cents(scale * 0.2 * Uniform()) : 0.0;
    l.warrantCollateral = Uniform() < 0.25 ? Cents(scale * 0.1 * Uniform()) : 0.0;
    // The day has already seen a few trades.
    for (int trade = 0; trade < 3; ++trade) {
        Tick(l);
        Trade(l);
    }
    return l;
}

void BackOffice::Tick(Ledger& l) {
    l.unrealized = Cents(l.unrealized + l.lastBalance * 0.003 * (Uniform() - 0.5));
    l.optionValue = Cents(std::max(0.0, l.optionValue * (1.0 + 0.02 * (Uniform() - 0.5))));
}

void BackOffice::Trade(Ledger& l) {
    // Part of the position is closed: its floating profit becomes realized, and fees are due.
    const double closed = Cents(l.unrealized * (0.2 + 0.3 * Uniform()));
    const double turnover = l.initialMargin * (0.05 + 0.1 * Uniform());
    l.realized = Cents(l.realized + closed);
    l.unrealized = Cents(l.unrealized - closed);
    l.commission = Cents(l.commission + turnover * 0.0005);
    l.exchangeFee = Cents(l.exchangeFee + turnover * 0.0002);
    if (Uniform() < 0.1) {
        l.deliveryFee = Cents(l.deliveryFee + turnover * 0.0001);
    }
    l.initialMargin = Cents(std::max(0.0, l.initialMargin * (0.9 + 0.2 * Uniform())));
    l.marginOnHold = Cents(l.initialMargin * 0.05 * Uniform());
    l.commissionOnHold = Cents(l.marginOnHold * 0.002);
}

void BackOffice::Settle(Book& book, std::size_t currency) {
    WriteLedger(book.funds[currency], book.ledgers[currency]);
    book.ledgers[0] = SumInBase(book.ledgers);
    WriteLedger(book.funds[0], book.ledgers[0]);
}

} // namespace demo
