#include "support/HandleCensus.h"

#include <windows.h>

#include <vector>

namespace testing_support {

namespace {

// Takes handles until the process gets no more (or enough to tell), then gives them back.
template <typename Make, typename Release> std::size_t FreeSlots(Make make, Release release) {
    constexpr std::size_t kCeiling = 200000;
    std::vector<decltype(make())> taken;
    taken.reserve(kCeiling);
    while (taken.size() < kCeiling) {
        const auto handle = make();
        if (!handle) {
            break;
        }
        taken.push_back(handle);
    }
    for (auto handle : taken) {
        release(handle);
    }
    return taken.size();
}

} // namespace

std::size_t FreeGdiSlots() {
    return FreeSlots([] { return CreateSolidBrush(RGB(1, 2, 3)); },
                     [](HBRUSH brush) { DeleteObject(brush); });
}

std::size_t FreeUserSlots() {
    return FreeSlots([] { return CreatePopupMenu(); }, [](HMENU menu) { DestroyMenu(menu); });
}

} // namespace testing_support
