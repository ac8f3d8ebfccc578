#pragma once
// The plug-in's side of the host's slots, played by the demo's tests.
#include "host/TestHost.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace demo_testing {

template <typename... Args> void CallSlot(void* object, int index, Args... args) {
    const host::SlotFn* table = *static_cast<const host::SlotFn* const*>(object);
    reinterpret_cast<void(__cdecl*)(void*, Args...)>(table[index])(object, args...);
}

// An ITradeSpi that records what reaches slots 2, 7 and 14, from whatever thread.
class SpiLog {
public:
    explicit SpiLog(host::TestHost& host) : m_vtbl(Table()) {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_calls.clear();
        s_funds.clear();
        CallSlot(host.TradeData(), host::slot::RegisterSpi, static_cast<void*>(this));
    }
    static std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_calls;
    }
    // Funds records with the thread that reported each.
    static std::vector<std::pair<const void*, DWORD>> Funds() {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_funds;
    }

private:
    static void Log(std::string call) {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_calls.push_back(std::move(call));
    }
    static void __cdecl Ignore() {}
    static void __cdecl OnAccounts(void*, std::int32_t kind, std::int32_t value) {
        Log("accounts " + std::to_string(kind) + " " + std::to_string(value));
    }
    static void __cdecl OnCompletion(void*, std::int32_t code, std::int32_t request) {
        Log("completion " + std::to_string(code) + " " + std::to_string(request));
    }
    static void __cdecl OnFunds(void*, const void* record) {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_funds.emplace_back(record, GetCurrentThreadId());
    }
    static const host::SlotFn* Table() {
        static host::SlotFn table[host::kTradeSpiSlots];
        for (host::SlotFn& entry : table) {
            entry = reinterpret_cast<host::SlotFn>(&Ignore);
        }
        table[2] = reinterpret_cast<host::SlotFn>(&OnAccounts);
        table[7] = reinterpret_cast<host::SlotFn>(&OnCompletion);
        table[14] = reinterpret_cast<host::SlotFn>(&OnFunds);
        return table;
    }

    const host::SlotFn* m_vtbl;
    static inline std::mutex s_mutex;
    static inline std::vector<std::string> s_calls;
    static inline std::vector<std::pair<const void*, DWORD>> s_funds;
};

} // namespace demo_testing
