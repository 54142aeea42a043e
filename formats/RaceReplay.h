#pragma once

#include "formats/RolledRace.h"
#include "generation/Dice.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace vellicor {

// Rolls stored races again from their seeds, on dice of its own: the process's dice, their
// count, the face source and the trace are as they were once it goes. Consecutive races of one
// seed share one stream, so a whole file costs one pass. A `recorder` takes the trace lines of
// the races rolled again.
class RaceReplay
{
public:
    explicit RaceReplay(TraceSink recorder = {}) : dice(std::move(recorder)) {}

    // The profile `race` rolls from its seed, dice, location and distance; afterwards
    // diceAfter() is where the dice stand.
    RaceProfile roll(const RolledRace &race);
    std::int64_t diceAfter() const { return diceDrawn(); }

private:
    PrivateDice dice;
    std::optional<std::int32_t> seed;
};

} // namespace vellicor
