#include "base/TradeData.h"

#include "base/FundsMessages.h"
#include "base/PluginState.h"

#include <algorithm>
#include <cstring>

namespace {

int HOSTAPI ContainerCount(IDataContainer* self) {
    return static_cast<TContainer*>(self)->Count();
}
void* HOSTAPI ContainerAt(IDataContainer* self, std::uint32_t index) {
    return static_cast<TContainer*>(self)->At(index);
}
void HOSTAPI ContainerClear(IDataContainer* self) {
    static_cast<TContainer*>(self)->Clear();
}
void HOSTAPI ContainerAdd(IDataContainer* self, void* record) {
    static_cast<TContainer*>(self)->Add(record);
}
void HOSTAPI ContainerRemove(IDataContainer* self, void* record) {
    static_cast<TContainer*>(self)->Remove(record);
}

const HostSlotFn kContainerTable[] = {HostSlot(&ContainerCount), HostSlot(&ContainerAt),
                                      HostSlot(&ContainerClear), HostSlot(&ContainerAdd),
                                      HostSlot(&ContainerRemove)};
static_assert(sizeof(kContainerTable) / sizeof(kContainerTable[0]) == 5, "container slots");

// Slots the plug-in does not act on. The caller removes the arguments, so one function
// serves every signature.
void HOSTAPI IgnoreNotice() {}

struct SpiTable {
    HostSlotFn slots[ITradeSpi::kSlotCount];
    SpiTable() {
        for (HostSlotFn& slot : slots) {
            slot = HostSlot(&IgnoreNotice);
        }
        slots[ITradeSpi::kIsReady] = HostSlot(&TTradeDataSpi::IsReady);
        slots[ITradeSpi::kOnAccountsNotice] = HostSlot(&TTradeDataSpi::OnAccountsNotice);
        slots[ITradeSpi::kOnCompletionNotice] = HostSlot(&TTradeDataSpi::OnCompletionNotice);
        slots[ITradeSpi::kOnFundsNotice] = HostSlot(&TTradeDataSpi::OnFundsNotice);
    }
};

const SpiTable& TheSpiTable() {
    static const SpiTable table;
    return table;
}

} // namespace

TContainer::TContainer(KeyOf keyOf) : m_pfnKeyOf(keyOf) {
    vtbl = kContainerTable;
}

TContainer::TContainer(const TContainer& other)
    : IDataContainer(), m_pfnKeyOf(other.m_pfnKeyOf), m_vecItems(other.m_vecItems),
      m_mapCounts(other.m_mapCounts), m_mapByKey(other.m_mapByKey) {
    vtbl = kContainerTable;
}

TContainer& TContainer::operator=(const TContainer& other) {
    m_pfnKeyOf = other.m_pfnKeyOf;
    m_vecItems = other.m_vecItems;
    m_mapCounts = other.m_mapCounts;
    m_mapByKey = other.m_mapByKey;
    return *this;
}

void* TContainer::At(unsigned int index) const {
    return index < m_vecItems.size() ? m_vecItems[index] : nullptr;
}

const std::vector<void*>& TContainer::ItemsWithKey(const std::string& key) const {
    static const std::vector<void*> none;
    auto found = m_mapByKey.find(key);
    return found == m_mapByKey.end() ? none : found->second;
}

void TContainer::Clear() {
    m_vecItems.clear();
    m_mapCounts.clear();
    m_mapByKey.clear();
}

void TContainer::Add(void* record) {
    m_vecItems.push_back(record);
    IndexAdded(record);
}

void TContainer::IndexAdded(void* record) {
    ++m_mapCounts[record];
    if (m_pfnKeyOf && record) {
        m_mapByKey[m_pfnKeyOf(record)].push_back(record);
    }
}

void TContainer::Remove(void* record) {
    auto counted = m_mapCounts.find(record);
    if (counted == m_mapCounts.end()) {
        return;
    }
    m_vecItems.erase(std::find(m_vecItems.begin(), m_vecItems.end(), record));
    if (--counted->second == 0) {
        m_mapCounts.erase(counted);
    }
    if (m_pfnKeyOf && record) {
        auto keyed = m_mapByKey.find(m_pfnKeyOf(record));
        if (keyed != m_mapByKey.end()) {
            std::vector<void*>& records = keyed->second;
            auto at = std::find(records.begin(), records.end(), record);
            if (at != records.end()) {
                records.erase(at);
            }
            if (records.empty()) {
                m_mapByKey.erase(keyed);
            }
        }
    }
}

void TContainer::Assign(std::vector<void*> items) {
    m_vecItems = std::move(items);
    m_mapCounts.clear();
    m_mapByKey.clear();
    for (void* record : m_vecItems) {
        IndexAdded(record);
    }
}

TTradeDataSpi::TTradeDataSpi() {
    vtbl = TheSpiTable().slots;
}

bool HOSTAPI TTradeDataSpi::IsReady(ITradeSpi*) {
    return false;
}

void HOSTAPI TTradeDataSpi::OnAccountsNotice(ITradeSpi*, std::int32_t kind, std::int32_t value) {
    if (kind == 1 || kind == 3) {
        PostToAllBars(FBM_ACCOUNTSCHANGED, static_cast<LPARAM>(value));
    }
}

void HOSTAPI TTradeDataSpi::OnCompletionNotice(ITradeSpi*, std::int32_t code, std::int32_t request) {
    if (code == 0 && request == 26) {
        PostToAllBars(FBM_ACCOUNTSCHANGED, 0);
    }
}

void HOSTAPI TTradeDataSpi::OnFundsNotice(ITradeSpi*, const FundsRecord* record) {
    PostToAllBars(FBM_FUNDSCHANGED, reinterpret_cast<LPARAM>(record));
}

void PostToAllBars(UINT uMsg, LPARAM lParam) {
    g_vecWndHandles.ForEach([&](HWND hWnd) {
        if (IsWindow(hWnd)) {
            PostMessageW(hWnd, uMsg, 0, lParam);
        }
    });
}

static_assert(kIsHostCall<decltype(&OnHostMessage),
                          void(std::uintptr_t, std::uintptr_t, const char*, const char*, const char*)>,
              "the host-message callback");

void HOSTAPI OnHostMessage(std::uintptr_t, std::uintptr_t, const char* source, const char* key,
                           const char* value) {
    if (!source || !key) {
        return;
    }
    if (std::strcmp(source, "MouseOrder") != 0 && std::strcmp(source, "KeyboardOrder") != 0) {
        return;
    }
    if (std::strcmp(key, "UserNo_Update") != 0) {
        return;
    }
    if (g_bBarCreated) {
        const char* announced = value ? value : "";
        const char* equals = std::strchr(announced, '=');
        g_strUserNo.Set(equals ? equals + 1 : announced);
    }
    PostToAllBars(FBM_USERNOUPDATE, 0);
}
