#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace vellicor {

// Inclusive upper edge of each band but the last; a total above every edge is band 9.
inline constexpr std::array<std::int32_t, 9> bandUpperEdges{0, 30, 60, 70, 75, 80, 90, 100, 110};

constexpr std::int32_t resultBand(std::int32_t total)
{
    // The edges are sorted, so the band is the number of edges below the total; counting them
    // all avoids a branch that a random total would mispredict.
    std::int32_t band = 0;
    for (const std::int32_t edge : bandUpperEdges)
        band += total > edge ? 1 : 0;
    return band;
}

// A mistyped edge breaks the build instead of a player's roll.
static_assert(std::is_sorted(bandUpperEdges.begin(), bandUpperEdges.end()));
static_assert(resultBand(0) == 0 && resultBand(1) == 1 && resultBand(30) == 1);
static_assert(resultBand(31) == 2 && resultBand(110) == 8 && resultBand(111) == 9);

} // namespace vellicor
