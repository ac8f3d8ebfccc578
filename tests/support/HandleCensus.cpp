#include "support/HandleCensus.h"

#include <windows.h>

#include <vector>

namespace testing_support {

namespace {
constexpr std::size_t kCeiling = 200000;
}

std::size_t FreeGdiSlots() {
    std::vector<HBRUSH> taken;
    taken.reserve(kCeiling);
    while (taken.size() < kCeiling) {
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        if (!brush) {
            break;
        }
        taken.push_back(brush);
    }
    for (HBRUSH brush : taken) {
        DeleteObject(brush);
    }
    return taken.size();
}

std::size_t FreeUserSlots() {
    std::vector<HMENU> taken;
    taken.reserve(kCeiling);
    while (taken.size() < kCeiling) {
        HMENU menu = CreatePopupMenu();
        if (!menu) {
            break;
        }
        taken.push_back(menu);
    }
    for (HMENU menu : taken) {
        DestroyMenu(menu);
    }
    return taken.size();
}

} // namespace testing_support
