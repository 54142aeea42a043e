#include "formats/RaceReplay.h"

namespace vellicor {

RaceProfile RaceReplay::roll(const RolledRace &race)
{
    if (seed != race.seed || diceDrawn() > race.dice) {
        seedDice(race.seed);
        seed = race.seed;
    }
    skipDice(race.dice - diceDrawn());
    RaceProfile profile;
    profile.randomSeed = race.seed;
    profile.generate(race.location, race.lightyears);
    return profile;
}

} // namespace vellicor
