#pragma once

#include "generation/RaceProfile.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>

namespace vellicor {

// The one range of each value a race carries, wherever it is read, written, linked, typed or
// rolled on from: races are numbered 1 to highestRaceNumber and begin after 0 to mostDice dice,
// the largest whole number that the page's JavaScript holds exactly. Seeds and distances take
// every signed 32-bit value, though the distance box takes only 0 to its largest.
inline constexpr std::int32_t highestRaceNumber = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t mostDice = (std::int64_t{1} << 53) - 1;
inline constexpr std::int32_t largestTypedDistance = std::numeric_limits<std::int32_t>::max();

// One rolled race with everything the formats show. `number` counts the races rolled since the
// dice were seeded with `seed`, starting at 1; `dice` is how many faces had been drawn from that
// seed before this race, so the seed, `dice`, location and distance roll it again anywhere. A
// race read from a file that does not tell has `dice` -1, and its forms leave the dice out.
struct RolledRace {
    std::int32_t number = 1;
    std::int32_t seed = 0;
    std::int64_t dice = 0;
    Location location = InnerProvince;
    std::int32_t lightyears = 0;
    RaceProfile profile;
    std::array<std::string, 10> texts; // by Category, with describe()'s "\r\n" line breaks

    // Rolls the next race from the dice for `location` and `lightyears`: one generate() and the
    // ten describe() calls, as every New of the dialog does. `dice` records where it began.
    void roll();
};

} // namespace vellicor
