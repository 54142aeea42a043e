#pragma once

#include "formats/RolledRace.h"

#include <string>
#include <string_view>

namespace vellicor {

// The vellicor-cli command that rolls `race` again ("vellicor-cli --seed 5 --dice 46 --location
// backnet --lightyears 120"), or "" for a race whose dice are not known.
std::string rollAgainCommand(const RolledRace &race);

// The card of one race, as it goes on paper: the race's heading, the ten labels with their texts
// as the boxes show them (typed notes included) and `rollAgain`, how to roll the race again (a
// command or a link; "" says that it cannot be). Every text is escaped. The markup keeps to what
// both Qt's rich text and a browser lay out alike, styled by raceCardStyle; line breaks and runs
// of spaces are kept.
std::string raceCardHtml(const RolledRace &race, std::string_view rollAgain);

// The card's look, for the class names raceCardHtml() writes.
extern const std::string_view raceCardStyle;

} // namespace vellicor
