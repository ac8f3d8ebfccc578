#pragma once
// Counts free GDI and USER handle slots by taking every one the process can get and giving
// them back. GetGuiResources answers 0 on Wine; a drop in free slots between two counts is
// what was left behind in between.
#include <cstddef>

namespace testing_support {

std::size_t FreeGdiSlots();
std::size_t FreeUserSlots();

} // namespace testing_support
