#include "formats/RolledRace.h"

#include "generation/Dice.h"

#include <cstddef>

namespace vellicor {

void RolledRace::roll()
{
    dice = diceDrawn();
    profile.generate(location, lightyears);
    for (std::size_t category = 0; category < texts.size(); ++category)
        texts[category] = profile.describe(static_cast<Category>(category));
}

} // namespace vellicor
