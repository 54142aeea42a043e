// describe() on a profile whose every member holds fuzzer-chosen values, for any category.
// Whatever the members hold, the text must be one that a rolled profile can show, the fallback,
// or the Tech/Sci Level blocks built from the fifteen numbers as they stand.

#include "generation/Descriptions.h"
#include "generation/RaceProfile.h"

#include "FuzzInput.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace vellicor;

namespace {

// Every text a category can show, found by walking each result index and extension in range.
std::array<std::set<std::string>, 10> allTexts()
{
    std::array<std::set<std::string>, 10> texts;
    for (std::int32_t category = 0; category < 10; ++category) {
        if (category == TechSciLevel)
            continue;
        for (std::int32_t index = 0; index < 10; ++index) {
            for (std::int32_t extension = 1; extension <= 10; ++extension) {
                RaceProfile profile;
                profile.basicType = profile.racialOrigins = profile.kinshipStructure =
                    profile.values = profile.politicalStructure = profile.language =
                        profile.worship = profile.xenoAcceptance = profile.problems = index;
                profile.kinshipStructureExtension = profile.politicalStructureExtension =
                    profile.worshipExtension = profile.problemsExtension = extension;
                texts[category].insert(profile.describe(static_cast<Category>(category)));
            }
        }
    }
    return texts;
}

std::string scienceBlocks(const RaceProfile &p)
{
    const std::pair<const char *, const ScienceLevel *> fields[] = {{"Computer", &p.compEng},
                                                                    {"Electrical", &p.elecEng},
                                                                    {"Mechanical", &p.mechEng},
                                                                    {"Power", &p.powrEng},
                                                                    {"Weapon", &p.weapEng}};
    std::string text;
    for (const auto &[name, level] : fields) {
        char block[160];
        std::snprintf(block, sizeof block,
                      "%s%s Engineering\r\nDifficulty Level = %d     Rank Bonus = %d     Misc "
                      "Modifier = %d\r\n",
                      text.empty() ? "" : "\r\n", name, level->diffLevel, level->rankBonus,
                      level->miscMod);
        text += block;
    }
    return text;
}

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "describe fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::array<std::set<std::string>, 10> texts = allTexts();

    FuzzInput input(data, size);
    const auto category = static_cast<Category>(input.nextInt32());
    RaceProfile profile;
    for (std::int32_t *member :
         {&profile.basicType, &profile.racialOrigins, &profile.kinshipStructure,
          &profile.kinshipStructureExtension, &profile.values, &profile.politicalStructure,
          &profile.politicalStructureExtension, &profile.language, &profile.worship,
          &profile.worshipExtension, &profile.xenoAcceptance, &profile.problems,
          &profile.problemsExtension, &profile.randomSeed})
        *member = input.nextInt32(-1);
    for (ScienceLevel *level :
         {&profile.mechEng, &profile.weapEng, &profile.elecEng, &profile.compEng, &profile.powrEng})
        *level = {input.nextInt32(-1), input.nextInt32(-1), input.nextInt32(-1)};

    const RaceProfile before = profile;
    const std::string text = profile.describe(category);

    if (category == TechSciLevel)
        check(text == scienceBlocks(profile), "Tech/Sci Level text differs from its numbers");
    else if (category >= 0 && category < 10)
        check(text == fallbackText || texts[category].contains(text), "text outside the tables");
    else
        check(text == fallbackText, "category outside 0 to 9 did not give the fallback");
    check(std::memcmp(&before, &profile, sizeof profile) == 0, "describe changed the profile");
    return 0;
}
