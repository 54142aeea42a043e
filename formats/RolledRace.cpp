#include "formats/RolledRace.h"

#include <cstddef>

namespace vellicor {

void RolledRace::roll()
{
    profile.generate(location, lightyears);
    for (std::size_t category = 0; category < texts.size(); ++category)
        texts[category] = profile.describe(static_cast<Category>(category));
}

} // namespace vellicor
