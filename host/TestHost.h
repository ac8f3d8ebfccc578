#pragma once
// A stand-in for the trading terminal: the plug-in manager, the main frame, the trade API
// and the trade-data object, each an object whose first member points to a table of cdecl
// functions taking the object first. Every call the plug-in makes is recorded; calls to
// slots the plug-in has no business calling are recorded as unexpected.
#include "host/HostRecords.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace host {

using SlotFn = void (*)();

enum class Iface { PluginManager, MainFrame, TradeApi, TradeData };

// Slots the plug-in may call.
namespace slot {
constexpr int GetInterface = 0;
constexpr int RegisterWindowType = 1;
constexpr int AttachWindow = 12;
constexpr int OnModalBegin = 14;
constexpr int OnModalEnd = 15;
constexpr int GetTradeData = 2;
constexpr int QueryFunds = 23;
constexpr int RegisterSpi = 0;
constexpr int GetFundsRecords = 22;
constexpr int GetAccountRecords = 27;
constexpr int GetCurrencyRecords = 49;
} // namespace slot

constexpr int kSlotsPerInterface = 64;
constexpr int kTradeSpiSlots = 37;

struct HostCall {
    Iface iface;
    int slot;
    bool expected;
    std::wstring wide1, wide2;     // names, versions, titles
    std::string narrow1, narrow2;  // account, key, filter
    std::intptr_t number = 0;      // type identifier
    const void* pointer = nullptr; // window, container, callback object
    DWORD threadId = 0;
};

using WindowFactoryFn = void(__cdecl*)();
using HostMessageFn = void(__cdecl*)(std::uintptr_t, std::uintptr_t, const char*, const char*, const char*);

struct AttachedWindow {
    HWND hWnd;
    HostMessageFn callback;
};

struct HostOptions {
    bool mainFrame = true;
    bool tradeApi = true;
    bool tradeData = true;
};

class TestHost;

struct HostInterface {
    const SlotFn* vtbl;
    TestHost* host;
};

class TestHost {
public:
    explicit TestHost(HostOptions options = {});
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    void* PluginManager() { return &m_pluginManager; }
    void* MainFrame() { return &m_mainFrame; }
    void* TradeApi() { return &m_tradeApi; }
    void* TradeData() { return &m_tradeData; }

    std::vector<HostCall> Calls() const;
    std::vector<HostCall> Calls(Iface iface, int slot) const;
    std::vector<HostCall> UnexpectedCalls() const;
    void ClearCalls();

    // What the plug-in registered and attached.
    WindowFactoryFn Factory() const { return m_factory; }
    std::wstring RegisteredTitle() const;
    // Opens a window of the registered type as the main frame would; the new window, or null.
    HWND OpenWindow();
    std::vector<AttachedWindow> Attached() const;
    void* Spi() const { return m_spi; }

    // The host-message callback given with the attached window at index.
    void SendHostMessage(std::size_t index, const char* source, const char* key, const char* value);

    // ITradeSpi, called as the trade-data service would, from any thread once the plug-in
    // has registered it; nothing is called before that.
    bool SpiSlot0();
    void SpiAccountsNotice(std::int32_t kind, std::int32_t value);
    void SpiCompletionNotice(std::int32_t code, std::int32_t request);
    void SpiFundsNotice(const void* fundsRecord);
    // Any slot, with three arguments of the host's choosing.
    void SpiCall(int slot, std::uintptr_t a = 0, std::uintptr_t b = 0, std::uintptr_t c = 0);

    // Records the host hands out, in list order. A null entry is handed out as null.
    RecordStore store;
    std::vector<void*> accounts;
    std::vector<void*> currencies;
    std::vector<void*> funds;

    // Hooks for a host that acts on the calls (the demo terminal).
    std::function<void(HWND)> onAttach;
    std::function<void(const std::string& account, const std::string& key)> onQueryFunds;
    std::function<void()> onModalBegin;
    std::function<void()> onModalEnd;

private:
    friend struct HostSlots;
    void Record(HostCall call);

    HostOptions m_options;
    WindowFactoryFn m_factory = nullptr;
    std::wstring m_title;
    std::vector<AttachedWindow> m_attached;
    void* m_spi = nullptr;
    HostInterface m_pluginManager;
    HostInterface m_mainFrame;
    HostInterface m_tradeApi;
    HostInterface m_tradeData;
    mutable std::mutex m_mutex;
    std::vector<HostCall> m_calls;
};

// A container the plug-in implements, driven through its table as the host does.
namespace container {
int Count(void* container);
void* At(void* container, std::uint32_t index);
void Clear(void* container);
void Add(void* container, void* record);
void Remove(void* container, void* record);
} // namespace container

// The plug-in's entry points, from the real library or linked in.
struct PluginEntryPoints {
    void(__cdecl* load)(int) = nullptr;
    void(__cdecl* init)(void*) = nullptr;
    void(__cdecl* free)() = nullptr;
};

class PluginLibrary {
public:
    explicit PluginLibrary(const std::wstring& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool Loaded() const { return m_module && m_entries.load && m_entries.init && m_entries.free; }
    const PluginEntryPoints& Entries() const { return m_entries; }
    HMODULE Module() const { return m_module; }

private:
    HMODULE m_module = nullptr;
    PluginEntryPoints m_entries;
};

// Directory of the running executable, with a trailing backslash.
std::wstring ExeDirectory();

} // namespace host
