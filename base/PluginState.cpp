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
TTradeDataSpi g_TradeSpi;

void BarHandleList::Append(HWND hWnd) {
    AcquireSRWLockExclusive(&m_lock);
    m_handles.push_back(hWnd);
    ReleaseSRWLockExclusive(&m_lock);
}

void BarHandleList::Remove(HWND hWnd) {
    AcquireSRWLockExclusive(&m_lock);
    const auto found = std::find(m_handles.begin(), m_handles.end(), hWnd);
    if (found != m_handles.end()) {
        m_handles.erase(found);
    }
    ReleaseSRWLockExclusive(&m_lock);
}

bool BarHandleList::Empty() const {
    return Size() == 0;
}

std::size_t BarHandleList::Size() const {
    AcquireSRWLockShared(&m_lock);
    const std::size_t size = m_handles.size();
    ReleaseSRWLockShared(&m_lock);
    return size;
}

void SharedText::Set(const std::string& text) {
    AcquireSRWLockExclusive(&m_lock);
    m_text = text;
    ReleaseSRWLockExclusive(&m_lock);
}

std::string SharedText::Get() const {
    AcquireSRWLockShared(&m_lock);
    std::string text = m_text;
    ReleaseSRWLockShared(&m_lock);
    return text;
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
