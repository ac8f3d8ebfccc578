#include "fundsbar/FundsSelection.h"

#include "fundsbar/FundsFields.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

const char* CurrencyOf(const void* record) {
    return static_cast<const FundsRecord*>(record)->szCurrency;
}

ComboItem MakeRow(const char* name, int data) {
    ComboItem row = {};
    Cp936ToWide(name, row.name, static_cast<int>(sizeof(row.name) / sizeof(row.name[0])));
    row.data = data;
    row.checked = true;
    return row;
}

} // namespace

void TFundsSelection::SetAccount(const char* text) {
    CopyCp936Bounded(m_szAccount, sizeof(m_szAccount), text);
}

void TFundsSelection::EnsureAccount() {
    if (m_szAccount[0] != '\0' || AccountList().Count() == 0) {
        return;
    }
    if (const auto* account = static_cast<const AccountRecord*>(AccountList().At(0))) {
        SetAccount(account->szAccountNo);
    }
}

void TFundsSelection::RefreshFundsList() {
    FundsList().Clear();
    if (g_pTradeData) {
        g_pTradeData->GetFundsRecords(&FundsList(), "");
    }
    FundsList().RemoveIf([](void* record) { return IsEmptyFunds(static_cast<const FundsRecord*>(record)); });
}

bool TFundsSelection::LacksFunds(const char* szAccount) {
    return FundsList().ItemsWithKey(szAccount).empty();
}

bool TFundsSelection::HasFundsFor(const char* szAccount, const std::string& currency) {
    const std::vector<void*>& records = FundsList().ItemsWithKey(szAccount);
    return std::any_of(records.begin(), records.end(),
                       [&](const void* record) { return currency == CurrencyOf(record); });
}

bool TFundsSelection::FindBaseRecord() {
    for (void* record : FundsList().ItemsWithKey(m_szAccount)) {
        if (std::strstr(CurrencyOf(record), "Base")) {
            m_pFunds = static_cast<const FundsRecord*>(record);
            return true;
        }
    }
    return false;
}

void TFundsSelection::ChooseFundsRecord() {
    m_pFunds = nullptr;
    if (!(m_bPreferBase && FindBaseRecord())) {
        for (void* record : FundsList().ItemsWithKey(m_szAccount)) {
            if (m_strCurrency.empty() || m_strCurrency == CurrencyOf(record)) {
                m_pFunds = static_cast<const FundsRecord*>(record);
                break;
            }
        }
    }
}

void TFundsSelection::QueryAccountFunds() {
    const TContainer accounts = AccountList();
    std::string key;
    for (void* item : accounts.Items()) {
        const auto* account = static_cast<const AccountRecord*>(item);
        if (account && account->pLink && BarAccountNumber(account->szAccountNo) == m_szAccount) {
            key = account->szKey;
        }
    }
    if (m_szAccount[0] == '\0' && accounts.Count() > 0) {
        // A null first record leaves the bar without an account rather than reading through it.
        if (const auto* first = static_cast<const AccountRecord*>(accounts.At(0))) {
            key = first->szKey;
            SetAccount(first->szAccountNo);
        }
    }
    if (g_pTradeApi) {
        g_pTradeApi->QueryFunds(m_szAccount, key.c_str());
    }
}

void TFundsSelection::SelectFunds() {
    m_pFunds = nullptr;
    if (LacksFunds(m_szAccount)) {
        QueryAccountFunds();
    } else {
        ChooseFundsRecord();
    }
}

void TFundsSelection::BuildAccountItems(std::vector<ComboItem>& rows) {
    const std::vector<void*>& accounts = AccountList().Items();
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        const auto* account = static_cast<const AccountRecord*>(accounts[i]);
        const bool bListable = account && account->pLink && account->pLink->cListable == 'Y';
        rows.push_back(MakeRow(bListable ? account->szAccountNo : "", static_cast<int>(i)));
    }
}

void TFundsSelection::BuildCurrencyItems(std::vector<ComboItem>& rows) const {
    TContainer currencies;
    if (g_pTradeData) {
        g_pTradeData->GetCurrencyRecords(&currencies, "");
    }
    const std::vector<void*>& records = currencies.Items();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto* currency = static_cast<const CurrencyRecord*>(records[i]);
        if (!currency || !HasFundsFor(m_szAccount, currency->szCode)) {
            continue;
        }
        const ComboItem row = MakeRow(currency->szCode, static_cast<int>(i));
        const bool bListed = std::any_of(rows.begin(), rows.end(), [&](const ComboItem& listed) {
            return std::wcscmp(listed.name, row.name) == 0;
        });
        if (!bListed) {
            rows.push_back(row);
        }
    }
}

void TFundsSelection::ChooseAccount(const char* text) {
    if (BarAccountNumber(text) == m_szAccount) {
        return;
    }
    m_strCurrency.clear();
    m_bPreferBase = true;
    SetAccount(text);
    SelectFunds();
}

void TFundsSelection::ChooseCurrency(const std::string& code) {
    if (code == m_strCurrency) {
        return;
    }
    m_bPreferBase = false;
    m_strCurrency = code;
    SelectFunds();
}

void TFundsSelection::SwitchAccount(const char* text) {
    SetAccount(text);
    SelectFunds();
}

void TFundsSelection::AddFundsRecord(const FundsRecord* record) {
    if (!IsEmptyFunds(record) && !FundsList().Contains(record)) {
        FundsList().Add(const_cast<FundsRecord*>(record));
    }
    EnsureAccount();
    ChooseFundsRecord();
}

void TFundsSelection::ReloadAccounts() {
    RefreshAccountList();
    EnsureAccount();
    RefreshFundsList();
    SelectFunds();
}

bool TFundsSelection::ShowsAccountOf(const FundsRecord* record) const {
    return record && FundsAccountKey(record) == m_szAccount;
}
