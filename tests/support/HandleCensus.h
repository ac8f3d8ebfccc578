#pragma once
// Counts free GDI and USER handle slots by taking every one the process can get and giving
// them back. GetGuiResources answers 0 on Wine; a drop in free slots between two counts is
// what was left behind in between.
#include <windows.h>

#include <vector>

namespace testing_support {

template <typename Make, typename Release> std::size_t FreeSlots(Make make, Release release) {
    constexpr std::size_t kCeiling = 200000;
    std::vector<decltype(make())> taken;
    taken.reserve(kCeiling);
    for (auto handle = make(); handle; handle = taken.size() < kCeiling ? make() : nullptr) {
        taken.push_back(handle);
    }
    for (auto handle : taken) {
        release(handle);
    }
    return taken.size();
}

inline std::size_t FreeGdiSlots() {
    return FreeSlots([] { return CreateSolidBrush(RGB(1, 2, 3)); },
                     [](HBRUSH brush) { DeleteObject(brush); });
}

inline std::size_t FreeUserSlots() {
    return FreeSlots([] { return CreatePopupMenu(); }, [](HMENU menu) { DestroyMenu(menu); });
}

} // namespace testing_support
