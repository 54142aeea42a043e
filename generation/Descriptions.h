#pragma once

#include "generation/RaceProfile.h"

#include <array>
#include <string_view>

namespace vellicor {

// The label each category carries in the dialog, by Category.
inline constexpr std::array<std::string_view, 10> categoryLabels{
    "Basic Type",          "Racial Origins", "Kinship Structure", "Values",
    "Political Structure", "Tech/Sci Level", "Language",          "Worship",
    "Xeno Acceptance",     "Problems"};

// The label each location carries in the dialog, by Location.
inline constexpr std::array<std::string_view, 3> locationLabels{"Inner Province", "Frontier",
                                                                "Backnet"};

// What describe() gives wherever no row applies.
inline constexpr std::string_view fallbackText = "you suck so much";

} // namespace vellicor
