#pragma once
// The host terminal's interfaces and records as the plug-in sees them.
//
// Every interface is an object whose first member points to a table of functions. Each
// function takes the object pointer first and the caller removes the arguments (cdecl), so
// the tables are declared here slot by slot and called through CallSlot.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The convention of every function the host calls: the caller removes the arguments. A
// function of ours that pops its own arguments (__stdcall, __fastcall, __thiscall) would
// leave the terminal's stack unbalanced. The 32-bit compiler keeps these conventions apart in
// function types, so the checks below fail that build; the 64-bit build has one convention.
#define HOSTAPI __cdecl

using HostSlotFn = void (*)();

// True for a function pointer of exactly this signature in the host's convention.
template <typename Fn, typename Signature> constexpr bool kIsHostCall = false;
template <typename Result, typename... Args>
constexpr bool kIsHostCall<Result(__cdecl*)(Args...), Result(Args...)> = true;

static_assert(kIsHostCall<void(HOSTAPI*)(int), void(int)>, "HOSTAPI is the caller-pops convention");

// A slot of a table we hand the host. Only a function in the host's convention converts to
// the parameter, so one of any other convention does not compile in the 32-bit build.
template <typename Result, typename... Args> HostSlotFn HostSlot(Result(__cdecl* fn)(Args...)) {
    return reinterpret_cast<HostSlotFn>(fn);
}

struct HostObject {
    const HostSlotFn* vtbl;
};

template <typename Result, typename... Args>
Result CallSlot(HostObject* object, std::size_t slot, Args... args) {
    using Fn = Result(HOSTAPI*)(HostObject*, Args...);
    return reinterpret_cast<Fn>(object->vtbl[slot])(object, args...);
}

using WindowFactory = void(HOSTAPI*)();
using HostMessageCallback = void(HOSTAPI*)(std::uintptr_t first, std::uintptr_t second, const char* source,
                                           const char* key, const char* value);

// The plug-in manager handed to OnPluginInit.
struct IPluginHost : HostObject {
    enum Slot : std::size_t { kGetInterface = 0 };
    HostObject* GetInterface(const wchar_t* name, const wchar_t* version) {
        return CallSlot<HostObject*>(this, kGetInterface, name, version);
    }
};

struct IMainFrame : HostObject {
    enum Slot : std::size_t {
        kRegisterWindowType = 1,
        kAttachWindow = 12,
        kOnModalBegin = 14,
        kOnModalEnd = 15
    };
    void RegisterWindowType(std::int32_t typeId, const wchar_t* title, WindowFactory factory) {
        CallSlot<void>(this, kRegisterWindowType, typeId, title, factory);
    }
    void AttachWindow(HWND hWnd, HostMessageCallback callback) {
        CallSlot<void>(this, kAttachWindow, hWnd, callback);
    }
    void OnModalBegin() { CallSlot<void>(this, kOnModalBegin); }
    void OnModalEnd() { CallSlot<void>(this, kOnModalEnd); }
};

struct IDataContainer;
struct ITradeSpi;

struct ITradeData : HostObject {
    enum Slot : std::size_t {
        kRegisterSpi = 0,
        kGetFundsRecords = 22,
        kGetAccountRecords = 27,
        kGetCurrencyRecords = 49
    };
    void RegisterSpi(ITradeSpi* spi) { CallSlot<void>(this, kRegisterSpi, spi); }
    void GetFundsRecords(IDataContainer* container, const char* filter) {
        CallSlot<void>(this, kGetFundsRecords, container, filter);
    }
    void GetAccountRecords(IDataContainer* container, const char* filter) {
        CallSlot<void>(this, kGetAccountRecords, container, filter);
    }
    void GetCurrencyRecords(IDataContainer* container, const char* filter) {
        CallSlot<void>(this, kGetCurrencyRecords, container, filter);
    }
};

struct ITradeApi : HostObject {
    enum Slot : std::size_t { kGetTradeData = 2, kQueryFunds = 23 };
    ITradeData* GetTradeData() { return CallSlot<ITradeData*>(this, kGetTradeData); }
    void QueryFunds(const char* account, const char* accountKey) {
        CallSlot<void>(this, kQueryFunds, account, accountKey);
    }
};

// Records owned by the host, packed, read at fixed byte offsets. Text fields are narrow,
// code page 936, zero-terminated.
#pragma pack(push, 1)
struct AccountLinkRecord {
    char reserved[777];
    char cListable; // 'Y' when the account may be listed
};

struct AccountRecord {
    char szKey[42];
    char szAccountNo[522];
    const AccountLinkRecord* pLink;
};

struct CurrencyRecord {
    char reserved[21];
    char szCode[1];
};

struct FundsRecord {
    char reserved[21];
    char szAccountNo[32];
    char szCurrency[21];
    unsigned char fields[363]; // doubles at the offsets of the funds columns
};
#pragma pack(pop)

static_assert(offsetof(AccountRecord, szAccountNo) == 42, "account number offset");
static_assert(offsetof(AccountRecord, pLink) == 564, "linked record offset");
static_assert(offsetof(AccountLinkRecord, cListable) == 777, "listing flag offset");
static_assert(offsetof(CurrencyRecord, szCode) == 21, "currency code offset");
static_assert(offsetof(FundsRecord, szAccountNo) == 21, "funds account offset");
static_assert(offsetof(FundsRecord, szCurrency) == 53, "funds currency offset");
static_assert(sizeof(FundsRecord) == 437, "funds record ends after its last double");

// The double stored at a byte offset of a funds record (records are packed, so unaligned).
double ReadFundsDouble(const FundsRecord* record, std::size_t offset);
