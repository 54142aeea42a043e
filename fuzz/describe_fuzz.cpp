// describe() on a profile whose every member holds fuzzer-chosen values, for any category.
// Whatever the members hold, the text must be one that the row rolled can show (by the texts the
// tests hold), the fallback, or the Tech/Sci Level blocks built from the fifteen numbers as they
// stand.

#include "generation/RaceProfile.h"

#include "DescriptionTexts.h"
#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace vellicor;

namespace {

// The texts a row can show, from the tables as the tests hold them rather than from describe():
// the row's text and, for a row with a suffix rule, each text the suffix cases give it.
std::set<std::string> allowedTexts(Category category, std::int32_t index)
{
    std::set<std::string> texts;
    for (const testing::CategoryRows &rows : testing::categoryRows) {
        if (rows.category == category)
            texts.insert(rows.texts[index]);
    }
    for (const testing::SuffixCase &suffixCase : testing::suffixCases) {
        if (suffixCase.category == category && suffixCase.row == index)
            texts.insert(suffixCase.text);
    }
    return texts;
}

// The result index describe() reads for a category, by the tests' tables.
std::int32_t indexOf(const RaceProfile &profile, Category category)
{
    for (const testing::CategoryRows &rows : testing::categoryRows) {
        if (rows.category == category)
            return profile.*rows.index;
    }
    return -1;
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

    if (category == TechSciLevel) {
        check(text == scienceBlocks(profile), "Tech/Sci Level text differs from its numbers");
    } else if (category >= 0 && category < 10) {
        const std::int32_t index = indexOf(profile, category);
        if (index >= 0 && index < 10)
            check(allowedTexts(category, index).contains(text), "not the text of the row rolled");
        else
            check(text == testing::fallback, "an index outside 0 to 9 did not give the fallback");
    } else {
        check(text == testing::fallback, "category outside 0 to 9 did not give the fallback");
    }
    check(profile == before, "describe changed the profile");
    return 0;
}
