#pragma once

#include "formats/RolledRace.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellicor {

// Files larger than this are refused unread. A session of the newest 1,000 races is about
// 2.5 MB, and a run of vellicor-cli --format json needs about 2.5 KB a race.
inline constexpr std::uint64_t largestRaceFile = 64 * 1024 * 1024;

// The races of a JSON file as Vellicor writes them, read back, or why they could not be.
struct RaceFile {
    // Empty when the file was read. Otherwise one line saying what is wrong, for a syntax
    // error with its place: "line 3, column 17: ...". Nothing else is filled in then.
    std::string error;

    // In the file's order, with every text as stored (notes included). A race whose place in
    // its seed's stream is not known has `dice` -1 (see below).
    std::vector<RolledRace> races;

    // Files written before races recorded `dice` lack the key. Their places are found by
    // rolling the races again from race 1 of their seed onwards, where the file starts there
    // and numbers them one after another; otherwise they stay unknown (-1).
    //
    // Going on after the last race: seed the dice with races.back().seed and skip
    // `diceAfterLast` faces; the next race rolled is race races.back().number + 1, the one the
    // session would have rolled next. -1 when the last race's place is not known: the races can
    // be shown and written, but not continued.
    std::int64_t diceAfterLast = -1;

    // False when the last race's stored numbers are not what its seed, dice, location and
    // distance roll (a file edited by hand). The races are kept as stored all the same, and
    // going on still continues the seed's stream after the faces that race drew.
    bool lastRaceAsRolled = true;

    bool canContinue() const { return error.empty() && diceAfterLast >= 0; }
};

// Reads `bytes`: a JSON array of races, one object each, as RaceWriter writes them with
// OutputFormat::Json (the dialog's session files and Save Races, vellicor-cli --format json).
// Keys the reader does not know are ignored, so later versions' files open; a missing key, a
// value of the wrong type or out of its range, invalid UTF-8, an empty array or more than
// largestRaceFile bytes is an error.
//
// Rolling races again draws from dice of its own: the process's dice, their count, the face
// source and the trace are as they were. Never throws: the JSON library's exceptions stay
// inside, and every failure, running out of memory included, comes back as `error`.
RaceFile readRaces(std::string_view bytes) noexcept;

} // namespace vellicor
