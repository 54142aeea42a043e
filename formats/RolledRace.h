#pragma once

#include "generation/RaceProfile.h"

#include <array>
#include <cstdint>
#include <string>

namespace vellicor {

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
