#pragma once
// Which account, currency and funds record a funds bar shows, chosen from the shared account
// and funds lists, and the rows of the bar's account and currency lists. It draws nothing: the
// bar compares what it shows before and after a change and repaints.
#include "base/HostInterfaces.h"
#include "base/PluginState.h"
#include "toolkit/ComboxList.h"

#include <string>
#include <vector>

class TFundsSelection {
public:
    // With no account yet, the first one of the account list.
    void EnsureAccount();
    // Reads the funds list again, for every bar, without the records that hold no funds.
    static void RefreshFundsList();
    static bool LacksFunds(const char* szAccount);
    static bool HasFundsFor(const char* szAccount, const std::string& currency);
    // The account's first record whose currency code contains "Base" becomes the shown one.
    bool FindBaseRecord();
    // The base record when it is preferred and there, else the account's first record in the
    // chosen currency, or in any currency when none is chosen; else none.
    void ChooseFundsRecord();
    // Asks the host for the account's funds, taking the first account when there is none;
    // the answer comes later as a funds notice.
    void QueryAccountFunds();
    // Chooses the record, or asks the host when the account has none.
    void SelectFunds();
    // One row per account, empty for one that may not be listed; data is its position.
    static void BuildAccountItems(std::vector<ComboItem>& rows);
    // Each currency the account has a record in, once; data is its position in the host's list.
    void BuildCurrencyItems(std::vector<ComboItem>& rows) const;

    // The user's choice from the account list: another account starts from its base record in
    // no particular currency. The shown account again changes nothing.
    void ChooseAccount(const char* text);
    // The user's choice from the currency list: it wins over the base record from now on. The
    // chosen currency again changes nothing.
    void ChooseCurrency(const std::string& code);
    // The account the host announced; the currency choice and the base preference stay.
    void SwitchAccount(const char* text);
    // A funds notice: the record joins the funds list unless it holds no funds or is there
    // already, and the shown record is chosen again. The host is not asked.
    void AddFundsRecord(const FundsRecord* record);
    // The host's accounts changed: both lists are read again and the record chosen again.
    void ReloadAccounts();
    // True for a record of the shown account.
    bool ShowsAccountOf(const FundsRecord* record) const;

    void SetAccount(const char* text);

    // The shown account, "" for none.
    const char* Account() const { return m_szAccount; }
    // The chosen currency, "" while none is chosen.
    const std::string& Currency() const { return m_strCurrency; }
    // The shown record, null for none.
    const FundsRecord* Funds() const { return m_pFunds; }

private:
    char m_szAccount[kAccountChars] = {};
    std::string m_strCurrency;
    bool m_bPreferBase = true;
    const FundsRecord* m_pFunds = nullptr;
};
