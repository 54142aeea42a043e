#pragma once

#include "generation/RaceProfile.h"

#include <string_view>

namespace vellicor {

// What describe() gives wherever no row applies.
inline constexpr std::string_view fallbackText = "you suck so much";

} // namespace vellicor
