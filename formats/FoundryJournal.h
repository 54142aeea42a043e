#pragma once

#include "formats/RolledRace.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace vellicor {

// A journal entry as Foundry VTT's Import Data reads it (the journal with pages of versions 10
// to 13): {"pages":[...],"name":...}, one text page per race. RaceWriter streams it: the pages
// first, one a line, then the entry's name, which needs all the races.

// Appends the page of `race`, the `index`-th page of its journal (from 0): titled by the race's
// heading, its content HTML (format 1) with each label as a heading and its text below, every
// text escaped, and the race's number, seed, dice, location and distance in flags.vellicor. Its
// _id (16 letters and digits) and sort follow from the race and the index alone.
void appendFoundryPage(std::string &buffer, const RolledRace &race, std::int64_t index);

// The name of a journal, after its races and never the clock: "Vellicor: 3 races, seed 2024061";
// races of several seeds list them in the order they first appear, "seeds 5 and 9",
// "seeds 5, 9 and 12", "seeds 5, 9, 12 and 4 more".
class FoundryJournalName
{
public:
    void add(const RolledRace &race);
    std::string name() const;

private:
    static constexpr std::size_t namedSeeds = 3;

    std::int64_t races = 0;
    std::vector<std::int32_t> firstSeeds; // up to namedSeeds, in the order they came
    std::set<std::int32_t> seeds;
};

} // namespace vellicor
