#pragma once

#include <cstdint>
#include <limits>

namespace vellicor {

// Rolls and modifiers are summed as std::int32_t. Clamping the sum to the type's limits keeps
// every result band the same as with exact arithmetic (all bands beyond the limits are the end
// bands) without signed overflow.
constexpr std::int32_t saturate(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t saturatingAdd(std::int32_t a, std::int32_t b)
{
    return saturate(std::int64_t{a} + b);
}

} // namespace vellicor
