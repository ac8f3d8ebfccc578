#pragma once
// Process-wide state shared by the funds bars and the host's callbacks: the language, the
// host's interfaces, the bars' window handles, the announced account number and the record
// lists. The entry points fill it; the bar objects and the shared fonts are theirs.
#include "base/HostInterfaces.h"
#include "base/TradeData.h"

#include <atomic>
#include <string>
#include <vector>

class TKestrovaWnd;

// Holds an SRW lock for a scope, shared or exclusive: released on every way out.
class LockScope {
public:
    enum Mode { Shared, Exclusive };
    LockScope(SRWLOCK& lock, Mode mode) : m_lock(lock), m_mode(mode) {
        m_mode == Shared ? AcquireSRWLockShared(&m_lock) : AcquireSRWLockExclusive(&m_lock);
    }
    ~LockScope() { m_mode == Shared ? ReleaseSRWLockShared(&m_lock) : ReleaseSRWLockExclusive(&m_lock); }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    SRWLOCK& m_lock;
    Mode m_mode;
};

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
        LockScope scope(m_lock, LockScope::Shared);
        for (HWND hWnd : m_handles) {
            fn(hWnd);
        }
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
// A funds bar has been created in this process: from then on announced account numbers are
// kept, whether or not a bar is open when they come.
extern std::atomic<bool> g_bBarCreated;
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
