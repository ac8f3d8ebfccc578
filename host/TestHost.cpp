#include "host/TestHost.h"

#include <cstring>
#include <utility>

namespace host {

namespace {

template <typename Fn> SlotFn AsSlot(Fn fn) {
    return reinterpret_cast<SlotFn>(fn);
}

template <typename Result, typename... Args> Result CallObject(void* object, int slotIndex, Args... args) {
    using Fn = Result(__cdecl*)(void*, Args...);
    const SlotFn* table = *static_cast<const SlotFn* const*>(object);
    return reinterpret_cast<Fn>(table[slotIndex])(object, args...);
}

std::wstring WideOrEmpty(const wchar_t* text) {
    return text ? std::wstring(text) : std::wstring();
}
std::string NarrowOrEmpty(const char* text) {
    return text ? std::string(text) : std::string();
}

} // namespace

struct HostSlots {
    static TestHost& HostOf(void* self) { return *static_cast<HostInterface*>(self)->host; }

    static HostCall Call(Iface iface, int slotIndex) {
        HostCall call{};
        call.iface = iface;
        call.slot = slotIndex;
        call.expected = true;
        call.threadId = GetCurrentThreadId();
        return call;
    }

    template <Iface I, int N> static void __cdecl Unexpected(void* self) {
        HostCall call = Call(I, N);
        call.expected = false;
        HostOf(self).Record(call);
    }

    static void* __cdecl GetInterface(void* self, const wchar_t* name, const wchar_t* version) {
        TestHost& host = HostOf(self);
        HostCall call = Call(Iface::PluginManager, slot::GetInterface);
        call.wide1 = WideOrEmpty(name);
        call.wide2 = WideOrEmpty(version);
        host.Record(call);
        if (call.wide2 != L"1.0.0.1") {
            return nullptr;
        }
        if (call.wide1 == L"MainFrame" && host.m_options.mainFrame) {
            return &host.m_mainFrame;
        }
        if (call.wide1 == L"TradeApi" && host.m_options.tradeApi) {
            return &host.m_tradeApi;
        }
        return nullptr;
    }

    static void __cdecl RegisterWindowType(void* self, std::int32_t typeId, const wchar_t* title,
                                           WindowFactoryFn factory) {
        TestHost& host = HostOf(self);
        HostCall call = Call(Iface::MainFrame, slot::RegisterWindowType);
        call.number = typeId;
        call.wide1 = WideOrEmpty(title);
        call.pointer = reinterpret_cast<const void*>(factory);
        host.Record(call);
        host.m_factory = factory;
        host.m_title = call.wide1;
    }

    static void __cdecl AttachWindow(void* self, HWND hWnd, HostMessageFn callback) {
        TestHost& host = HostOf(self);
        HostCall call = Call(Iface::MainFrame, slot::AttachWindow);
        call.pointer = hWnd;
        call.number = reinterpret_cast<std::intptr_t>(callback);
        host.Record(call);
        host.m_attached.push_back(AttachedWindow{hWnd, callback});
        if (host.onAttach) {
            host.onAttach(hWnd);
        }
    }

    static void __cdecl OnModalBegin(void* self) {
        TestHost& host = HostOf(self);
        host.Record(Call(Iface::MainFrame, slot::OnModalBegin));
        if (host.onModalBegin) {
            host.onModalBegin();
        }
    }

    static void __cdecl OnModalEnd(void* self) {
        TestHost& host = HostOf(self);
        host.Record(Call(Iface::MainFrame, slot::OnModalEnd));
        if (host.onModalEnd) {
            host.onModalEnd();
        }
    }

    static void* __cdecl GetTradeData(void* self) {
        TestHost& host = HostOf(self);
        host.Record(Call(Iface::TradeApi, slot::GetTradeData));
        return host.m_options.tradeData ? &host.m_tradeData : nullptr;
    }

    static void __cdecl QueryFunds(void* self, const char* account, const char* key) {
        TestHost& host = HostOf(self);
        HostCall call = Call(Iface::TradeApi, slot::QueryFunds);
        call.narrow1 = NarrowOrEmpty(account);
        call.narrow2 = NarrowOrEmpty(key);
        host.Record(call);
        if (host.onQueryFunds) {
            host.onQueryFunds(call.narrow1, call.narrow2);
        }
    }

    static void __cdecl RegisterSpi(void* self, void* spi) {
        TestHost& host = HostOf(self);
        HostCall call = Call(Iface::TradeData, slot::RegisterSpi);
        call.pointer = spi;
        host.Record(call);
        host.m_spi = spi;
    }

    static void FillContainer(void* self, int slotIndex, void* target, const char* filter,
                              const std::vector<void*>& records) {
        HostCall call = Call(Iface::TradeData, slotIndex);
        call.pointer = target;
        call.narrow1 = NarrowOrEmpty(filter);
        HostOf(self).Record(call);
        if (!target) {
            return;
        }
        for (void* record : records) {
            container::Add(target, record);
        }
    }

    static void __cdecl GetFundsRecords(void* self, void* target, const char* filter) {
        FillContainer(self, slot::GetFundsRecords, target, filter, HostOf(self).funds);
    }
    static void __cdecl GetAccountRecords(void* self, void* target, const char* filter) {
        FillContainer(self, slot::GetAccountRecords, target, filter, HostOf(self).accounts);
    }
    static void __cdecl GetCurrencyRecords(void* self, void* target, const char* filter) {
        FillContainer(self, slot::GetCurrencyRecords, target, filter, HostOf(self).currencies);
    }

    struct Table {
        SlotFn slots[kSlotsPerInterface];
    };

    template <Iface I, int... N> static Table UnexpectedTable(std::integer_sequence<int, N...>) {
        return Table{{AsSlot(&Unexpected<I, N>)...}};
    }

    template <Iface I> static Table BaseTable() {
        return UnexpectedTable<I>(std::make_integer_sequence<int, kSlotsPerInterface>());
    }

    static const SlotFn* PluginManagerTable() {
        static const Table table = [] {
            Table t = BaseTable<Iface::PluginManager>();
            t.slots[slot::GetInterface] = AsSlot(&GetInterface);
            return t;
        }();
        return table.slots;
    }
    static const SlotFn* MainFrameTable() {
        static const Table table = [] {
            Table t = BaseTable<Iface::MainFrame>();
            t.slots[slot::RegisterWindowType] = AsSlot(&RegisterWindowType);
            t.slots[slot::AttachWindow] = AsSlot(&AttachWindow);
            t.slots[slot::OnModalBegin] = AsSlot(&OnModalBegin);
            t.slots[slot::OnModalEnd] = AsSlot(&OnModalEnd);
            return t;
        }();
        return table.slots;
    }
    static const SlotFn* TradeApiTable() {
        static const Table table = [] {
            Table t = BaseTable<Iface::TradeApi>();
            t.slots[slot::GetTradeData] = AsSlot(&GetTradeData);
            t.slots[slot::QueryFunds] = AsSlot(&QueryFunds);
            return t;
        }();
        return table.slots;
    }
    static const SlotFn* TradeDataTable() {
        static const Table table = [] {
            Table t = BaseTable<Iface::TradeData>();
            t.slots[slot::RegisterSpi] = AsSlot(&RegisterSpi);
            t.slots[slot::GetFundsRecords] = AsSlot(&GetFundsRecords);
            t.slots[slot::GetAccountRecords] = AsSlot(&GetAccountRecords);
            t.slots[slot::GetCurrencyRecords] = AsSlot(&GetCurrencyRecords);
            return t;
        }();
        return table.slots;
    }
};

TestHost::TestHost(HostOptions options)
    : m_options(options), m_pluginManager{HostSlots::PluginManagerTable(), this},
      m_mainFrame{HostSlots::MainFrameTable(), this}, m_tradeApi{HostSlots::TradeApiTable(), this},
      m_tradeData{HostSlots::TradeDataTable(), this} {}

void TestHost::Record(HostCall call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(std::move(call));
}

std::vector<HostCall> TestHost::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<HostCall> TestHost::Calls(Iface iface, int slotIndex) const {
    std::vector<HostCall> matching;
    for (const HostCall& call : Calls()) {
        if (call.iface == iface && call.slot == slotIndex && call.expected) {
            matching.push_back(call);
        }
    }
    return matching;
}

std::vector<HostCall> TestHost::UnexpectedCalls() const {
    std::vector<HostCall> unexpected;
    for (const HostCall& call : Calls()) {
        if (!call.expected) {
            unexpected.push_back(call);
        }
    }
    return unexpected;
}

void TestHost::ClearCalls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::wstring TestHost::RegisteredTitle() const {
    return m_title;
}

HWND TestHost::OpenWindow() {
    if (!m_factory) {
        return nullptr;
    }
    const std::size_t before = m_attached.size();
    m_factory();
    return m_attached.size() > before ? m_attached.back().hWnd : nullptr;
}

std::vector<AttachedWindow> TestHost::Attached() const {
    return m_attached;
}

void TestHost::SendHostMessage(std::size_t index, const char* source, const char* key, const char* value) {
    if (index < m_attached.size() && m_attached[index].callback) {
        m_attached[index].callback(0, 0, source, key, value);
    }
}

bool TestHost::SpiSlot0() {
    // The slot returns an 8-bit boolean; only the low byte of the result register is defined.
    return m_spi && (CallObject<unsigned char>(m_spi, 0) & 0xFF) != 0;
}

void TestHost::SpiAccountsNotice(std::int32_t kind, std::int32_t value) {
    if (m_spi) {
        CallObject<void>(m_spi, 2, kind, value);
    }
}

void TestHost::SpiCompletionNotice(std::int32_t code, std::int32_t request) {
    if (m_spi) {
        CallObject<void>(m_spi, 7, code, request);
    }
}

void TestHost::SpiFundsNotice(const void* fundsRecord) {
    if (m_spi) {
        CallObject<void>(m_spi, 14, fundsRecord);
    }
}

void TestHost::SpiCall(int slotIndex, std::uintptr_t a, std::uintptr_t b, std::uintptr_t c) {
    if (m_spi) {
        CallObject<void>(m_spi, slotIndex, a, b, c);
    }
}

namespace container {
int Count(void* target) {
    return CallObject<std::int32_t>(target, 0);
}
void* At(void* target, std::uint32_t index) {
    return CallObject<void*>(target, 1, index);
}
void Clear(void* target) {
    CallObject<void>(target, 2);
}
void Add(void* target, void* record) {
    CallObject<void>(target, 3, record);
}
void Remove(void* target, void* record) {
    CallObject<void>(target, 4, record);
}
} // namespace container

PluginLibrary::PluginLibrary(const std::wstring& path) {
    m_module = LoadLibraryW(path.c_str());
    if (!m_module) {
        return;
    }
    m_entries.load = reinterpret_cast<void(__cdecl*)(int)>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_module, "OnPluginLoad")));
    m_entries.init = reinterpret_cast<void(__cdecl*)(void*)>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_module, "OnPluginInit")));
    m_entries.free = reinterpret_cast<void(__cdecl*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(m_module, "OnPluginFree")));
}

PluginLibrary::~PluginLibrary() {
    if (m_module) {
        FreeLibrary(m_module);
    }
}

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    const std::size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash + 1);
}

} // namespace host
