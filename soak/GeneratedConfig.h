#pragma once
// Layout and ignore files as a user, an older release or a damaged disk may leave them, each
// with what loading it must give. The column store tests load a few rounds; `make soak` loads
// ten thousand through new funds bars.
#include "columns/ColumnStore.h"

#include <optional>
#include <string>
#include <vector>

namespace soak {

struct GeneratedConfig {
    // What LoadColumnSettings must give: this layout, a refusal, or either a complete layout
    // (each id 0..35 once) or a refusal.
    enum class Expect { Stored, Refused, Either };

    const char* layoutKind = "";
    const char* ignoreKind = "";
    std::optional<std::string> layoutFile; // the file's bytes; none: no file
    std::optional<std::string> ignoreFile;
    Expect expect = Expect::Refused;
    std::vector<ColumnSetting> stored;       // when Stored: ids and flags, no titles
    std::optional<std::vector<int>> ignored; // the ids 0..35 the ignore file names, when known
    // When Refused for a known damage: the kinds the first reason the store gives may be.
    std::vector<LayoutProblem::Kind> reasons;
};

// Rounds cycle through every kind of damage to each file; the same seed and round always
// give the same files.
GeneratedConfig GenerateConfig(unsigned seed, int round);

} // namespace soak
