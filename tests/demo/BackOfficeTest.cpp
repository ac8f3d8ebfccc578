// The simulated back office and its feed thread.
#include "demo/HostSide.h"
#include "host/demo/BackOffice.h"
#include "host/demo/Feed.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using demo::BackOffice;
using demo::kAccountCount;
using demo::kCurrencyCount;
using host::Funds;
using host::RecordStore;

namespace {

std::vector<unsigned char> AllFunds(const BackOffice& office) {
    std::vector<unsigned char> all;
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        for (void* record : office.FundsOf(a)) {
            const auto* bytes = static_cast<const unsigned char*>(record);
            all.insert(all.end(), bytes, bytes + host::kFundsRecordSize);
        }
    }
    return all;
}

void ExpectConsistent(const void* r) {
    auto f = [r](Funds field) { return RecordStore::Double(r, field); };
    const double fees = f(Funds::Commission) + f(Funds::ExchangeFee) + f(Funds::DeliveryFee);
    const double cent = 0.005;
    EXPECT_NEAR(f(Funds::Balance),
                f(Funds::LastBalance) + f(Funds::Deposit) - f(Funds::Withdraw) + f(Funds::Adjustment) +
                    f(Funds::Premium) + f(Funds::RealizedPnl) - fees,
                cent);
    EXPECT_NEAR(f(Funds::Value), f(Funds::Balance) + f(Funds::UnrealizedPnl) + f(Funds::OptionValue), cent);
    EXPECT_NEAR(f(Funds::ExcessCash),
                f(Funds::Value) - f(Funds::InitialMargin) - f(Funds::MarginOnHold) -
                    f(Funds::CommissionOnHold),
                cent);
    EXPECT_NEAR(f(Funds::LastValue), f(Funds::LastBalance) + f(Funds::LastUnrealizedPnl), cent);
    EXPECT_NEAR(f(Funds::NetPnl),
                f(Funds::RealizedPnl) + f(Funds::UnrealizedPnl) - f(Funds::LastUnrealizedPnl) - fees, cent);
    // PnL% is a fraction, Risk% a percentage.
    EXPECT_NEAR(f(Funds::PnlRate), f(Funds::NetPnl) / f(Funds::LastValue), 1e-9);
    EXPECT_NEAR(f(Funds::RiskRate), 100.0 * f(Funds::InitialMargin) / f(Funds::Value), 1e-9);
    EXPECT_LT(f(Funds::MaintainMargin), f(Funds::InitialMargin));
    EXPECT_LE(f(Funds::Withdrawable),
              std::max(0.0, std::min(f(Funds::ExcessCash), f(Funds::Balance))) + cent);
    // Plausible: solvent, not over-margined, a day's PnL of a few per cent; never empty.
    EXPECT_GT(f(Funds::Value), 0.0);
    EXPECT_GT(f(Funds::RiskRate), 0.0);
    EXPECT_LT(f(Funds::RiskRate), 100.0);
    EXPECT_LT(std::fabs(f(Funds::PnlRate)), 0.2);
    EXPECT_NE(f(Funds::LastBalance), 0.0);
}

} // namespace

TEST(BackOffice, RecordsAreLaidOutAsTheHostListsThem) {
    BackOffice office(1);
    ASSERT_EQ(office.AccountRecords().size(), kAccountCount);
    std::string listable;
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        const auto* account = static_cast<const unsigned char*>(office.AccountRecords()[a]);
        EXPECT_EQ(RecordStore::Text(account, host::kAccountKeyOffset), demo::kAccounts[a].key);
        EXPECT_EQ(RecordStore::Text(account, host::kAccountNumberOffset), demo::kAccounts[a].number);
        const unsigned char* link = nullptr;
        std::memcpy(&link, account + host::kAccountLinkOffset, sizeof(link));
        ASSERT_NE(link, nullptr);
        listable += static_cast<char>(link[host::kLinkListableOffset]);
        EXPECT_EQ(office.FindAccount(demo::kAccounts[a].number), static_cast<int>(a));
        for (std::size_t c = 0; c < kCurrencyCount; ++c) {
            EXPECT_EQ(RecordStore::Text(office.FundsOf(a)[c], host::kFundsAccountOffset),
                      demo::kAccounts[a].number);
            EXPECT_EQ(RecordStore::Text(office.FundsOf(a)[c], host::kFundsCurrencyOffset),
                      demo::kCurrencies[c].code);
        }
    }
    EXPECT_EQ(listable, "YYNY");
    EXPECT_EQ(office.FindAccount("8800999"), -1);
    std::vector<std::string> codes;
    for (const void* currency : office.CurrencyRecords()) {
        codes.push_back(RecordStore::Text(currency, host::kCurrencyCodeOffset));
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"Base", "CNY", "USD", "HKD"}));
}

TEST(BackOffice, FiguresStayConsistentAndTheBaseRecordSumsTheCurrencies) {
    BackOffice office(20240607);
    const Funds additive[] = {Funds::LastBalance, Funds::Deposit,       Funds::Commission, Funds::RealizedPnl,
                              Funds::Premium,     Funds::UnrealizedPnl, Funds::Balance,    Funds::Value,
                              Funds::ExcessCash,  Funds::InitialMargin, Funds::NetPnl,     Funds::Mortgage};
    for (int round = 0; round < 3; ++round) {
        for (std::size_t a = 0; a < kAccountCount; ++a) {
            for (std::size_t c = 0; c < kCurrencyCount; ++c) {
                SCOPED_TRACE("round " + std::to_string(round) + " account " + std::to_string(a) + " " +
                             demo::kCurrencies[c].code);
                ExpectConsistent(office.FundsOf(a)[c]);
            }
            for (Funds field : additive) {
                double sum = 0.0;
                for (std::size_t c = 1; c < kCurrencyCount; ++c) {
                    sum += RecordStore::Double(office.FundsOf(a)[c], field) * demo::kCurrencies[c].rateToBase;
                }
                EXPECT_NEAR(RecordStore::Double(office.FundsOf(a)[0], field), sum, 0.05)
                    << "account " << a << " field at " << static_cast<int>(field);
            }
        }
        for (int step = 0; step < 1000; ++step) {
            office.Step();
        }
    }
}

TEST(BackOffice, TheSameSeedRepeatsTheFeed) {
    BackOffice first(7), second(7), other(8);
    EXPECT_EQ(AllFunds(first), AllFunds(second));
    EXPECT_NE(AllFunds(first), AllFunds(other));
    for (int step = 0; step < 500; ++step) {
        const BackOffice::Move a = first.Step();
        ASSERT_EQ(a.account, second.Step().account);
        ASSERT_EQ(a.baseRecord, first.FundsOf(a.account)[0]);
    }
    EXPECT_EQ(AllFunds(first), AllFunds(second));
}

TEST(BackOffice, OnlyTheFirstAccountsAreKnownUntilPublished) {
    BackOffice office(3);
    const std::vector<void*> known = office.KnownFunds();
    ASSERT_EQ(known.size(), demo::kKnownAccounts * kCurrencyCount);
    for (std::size_t a = 0; a < kAccountCount; ++a) {
        const bool isKnown = a < demo::kKnownAccounts;
        EXPECT_EQ(office.Published(a), isKnown);
        EXPECT_EQ(std::find(known.begin(), known.end(), office.FundsOf(a)[0]) != known.end(), isKnown);
    }
    EXPECT_TRUE(office.Publish(3));
    EXPECT_FALSE(office.Publish(3));
    EXPECT_TRUE(office.Published(3));
}

TEST(Feed, ReportsPublishedFundsFromItsOwnThreadUntilStopped) {
    BackOffice office(11);
    host::TestHost host;
    demo_testing::SpiLog spi(host);
    demo::Feed feed(office, host);
    feed.Start(std::chrono::milliseconds(2));
    ASSERT_TRUE(testing_support::PumpUntil([] { return demo_testing::SpiLog::Funds().size() >= 60; }, 10000));
    feed.Stop();
    const auto notices = demo_testing::SpiLog::Funds();
    EXPECT_EQ(feed.TakeNoticeCount(), notices.size());
    Sleep(50);
    EXPECT_EQ(demo_testing::SpiLog::Funds().size(), notices.size());

    std::set<std::size_t> accounts;
    for (const auto& notice : notices) {
        EXPECT_NE(notice.second, GetCurrentThreadId());
        for (std::size_t a = 0; a < kAccountCount; ++a) {
            const auto& funds = office.FundsOf(a);
            if (std::find(funds.begin(), funds.end(), notice.first) != funds.end()) {
                accounts.insert(a);
            }
        }
    }
    EXPECT_EQ(accounts, (std::set<std::size_t>{0, 1}));
}
