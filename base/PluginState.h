#pragma once
// Process-wide state shared by the funds bars and the host's callbacks: the language, the
// host's interfaces, the bars' window handles, the announced account number and the record
// lists. The entry points fill it; the bar objects and the shared fonts are theirs.
#include "base/HostInterfaces.h"
#include "base/TradeData.h"

#include <string>
#include <vector>

class TKestrovaWnd;

// Window handles of the open funds bars, in creation order. Changed on the user-interface
// thread, read by host callbacks on any thread: a bar that closes leaves while a callback may
// be walking the list.
class BarHandleList {
public:
    void Append(HWND hWnd);
    void Remove(HWND hWnd);
    bool Empty() const;
    std::size_t Size() const;
    template <typename Fn> void ForEach(Fn fn) const {
        AcquireSRWLockShared(&m_lock);
        for (HWND hWnd : m_handles) {
            fn(hWnd);
        }
        ReleaseSRWLockShared(&m_lock);
    }

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<HWND> m_handles;
};

// A narrow text written by one thread and read by another.
class SharedText {
public:
    void Set(const std::string& text);
    std::string Get() const;

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::string m_text;
};

extern int g_nLanguage;
extern IPluginHost* g_pHost;
extern IMainFrame* g_pMainFrame;
extern ITradeApi* g_pTradeApi;
extern ITradeData* g_pTradeData;

extern BarHandleList g_vecWndHandles;
// The open funds bar objects, in creation order; each leaves when its window is gone, and
// OnPluginFree closes those left.
extern std::vector<TKestrovaWnd*> g_vecWnds;
extern SharedText g_strUserNo;
extern TTradeDataSpi g_TradeSpi;

// Account numbers are held in 24 bytes and a terminator; longer ones from the host are cut
// at a character boundary, and compared in that form everywhere.
constexpr std::size_t kAccountChars = 25;
std::string BarAccountNumber(const char* text);

TContainer& AccountList();
// Funds records, keyed by their account number as a bar holds it.
TContainer& FundsList();
std::string FundsAccountKey(const void* record);

// Empties AccountList and lets the host fill it again.
void RefreshAccountList();
