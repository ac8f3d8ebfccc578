#pragma once
// The plug-in's side of the host's record containers and trade-data callbacks.
#include "base/HostInterfaces.h"

#include <string>
#include <unordered_map>
#include <vector>

// The host-declared container interface: slots Count, At, Clear, Add, Remove.
struct IDataContainer : HostObject {};

// Record-pointer list that the host fills. Never owns the records. Beside the ordered list
// it keeps a count per pointer, so that membership costs no walk of the list, and, when it
// is given a key (the account number of a funds record), the records of each key in list
// order, so that the records of one account cost no walk either.
class TContainer : public IDataContainer {
public:
    using KeyOf = std::string (*)(const void* record);

    explicit TContainer(KeyOf keyOf = nullptr);
    TContainer(const TContainer& other);
    TContainer& operator=(const TContainer& other);

    int Count() const { return static_cast<int>(m_vecItems.size()); }
    // Null for an index at or beyond Count.
    void* At(unsigned int index) const;
    void Clear();
    void Add(void* record);
    void Remove(void* record);
    bool Contains(const void* record) const { return m_mapCounts.count(const_cast<void*>(record)) != 0; }
    // Removes every record the predicate marks, keeping the order of the others.
    template <typename Pred> void RemoveIf(Pred pred) {
        std::vector<void*> kept;
        kept.reserve(m_vecItems.size());
        for (void* record : m_vecItems) {
            if (!pred(record)) {
                kept.push_back(record);
            }
        }
        Assign(std::move(kept));
    }
    const std::vector<void*>& Items() const { return m_vecItems; }
    // The records whose key equals key, in list order; empty for a container without keys.
    const std::vector<void*>& ItemsWithKey(const std::string& key) const;

private:
    void Assign(std::vector<void*> items);
    void IndexAdded(void* record);

    KeyOf m_pfnKeyOf;
    std::vector<void*> m_vecItems;
    std::unordered_map<void*, int> m_mapCounts;
    std::unordered_map<std::string, std::vector<void*>> m_mapByKey;
};

// The host-declared callback interface, 37 slots.
struct ITradeSpi : HostObject {
    static constexpr std::size_t kSlotCount = 37;
    enum Slot : std::size_t {
        kIsReady = 0,
        kOnAccountsNotice = 2,
        kOnCompletionNotice = 7,
        kOnFundsNotice = 14
    };
};

// The callback object registered with the trade-data object. It only posts messages to
// the funds bars, whatever thread the host calls it on.
class TTradeDataSpi : public ITradeSpi {
public:
    TTradeDataSpi();

    static bool HOSTAPI IsReady(ITradeSpi* self);
    static void HOSTAPI OnAccountsNotice(ITradeSpi* self, std::int32_t kind, std::int32_t value);
    static void HOSTAPI OnCompletionNotice(ITradeSpi* self, std::int32_t code, std::int32_t request);
    static void HOSTAPI OnFundsNotice(ITradeSpi* self, const FundsRecord* record);
};

// Posts a message with wParam 0 to every funds bar window that still exists.
void PostToAllBars(UINT uMsg, LPARAM lParam);

// The callback handed to AttachWindow for every bar.
void HOSTAPI OnHostMessage(std::uintptr_t first, std::uintptr_t second, const char* source, const char* key,
                           const char* value);
