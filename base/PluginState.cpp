#include "base/PluginState.h"

#include "base/TextCodec.h"

#include <algorithm>

int g_nLanguage = 0;
IPluginHost* g_pHost = nullptr;
IMainFrame* g_pMainFrame = nullptr;
ITradeApi* g_pTradeApi = nullptr;
ITradeData* g_pTradeData = nullptr;

BarHandleList g_vecWndHandles;
std::vector<TKestrovaWnd*> g_vecWnds;
SharedText g_strUserNo;
std::atomic<bool> g_bBarCreated{false};
TTradeDataSpi g_TradeSpi;

void BarHandleList::Append(HWND hWnd) {
    LockScope scope(m_lock, LockScope::Exclusive);
    m_handles.push_back(hWnd);
}

void BarHandleList::Remove(HWND hWnd) {
    LockScope scope(m_lock, LockScope::Exclusive);
    const auto found = std::find(m_handles.begin(), m_handles.end(), hWnd);
    if (found != m_handles.end()) {
        m_handles.erase(found);
    }
}

bool BarHandleList::Empty() const {
    return Size() == 0;
}

std::size_t BarHandleList::Size() const {
    LockScope scope(m_lock, LockScope::Shared);
    return m_handles.size();
}

void SharedText::Set(const std::string& text) {
    LockScope scope(m_lock, LockScope::Exclusive);
    m_text = text;
}

std::string SharedText::Get() const {
    LockScope scope(m_lock, LockScope::Shared);
    return m_text;
}

TContainer& AccountList() {
    static TContainer list;
    return list;
}

TContainer& FundsList() {
    static TContainer list(&FundsAccountKey);
    return list;
}

std::string FundsAccountKey(const void* record) {
    return BarAccountNumber(static_cast<const FundsRecord*>(record)->szAccountNo);
}

std::string BarAccountNumber(const char* text) {
    char szAccount[kAccountChars] = {};
    CopyCp936Bounded(szAccount, sizeof(szAccount), text ? text : "");
    return szAccount;
}

void RefreshAccountList() {
    AccountList().Clear();
    if (g_pTradeData) {
        g_pTradeData->GetAccountRecords(&AccountList(), "");
    }
}
