// generate() with fuzzer-chosen location, distance and faces. The faces come through the face
// seam, as raw 32-bit numbers, so faulty faces are exercised too. The sanitizers catch undefined
// behaviour; the checks below catch a member left out of its range.

#include "generation/Dice.h"
#include "generation/RaceProfile.h"

#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

using namespace vellicor;

namespace {

void checkRange(std::int32_t value, std::int32_t low, std::int32_t high, const char *member)
{
    if (value < low || value > high) {
        std::fprintf(stderr, "generate fuzz: %s = %d outside %d to %d\n", member, value, low, high);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    const auto location = static_cast<Location>(input.nextInt32());
    const std::int32_t lightyears = input.nextInt32();

    // Once the bytes run out every face is 1, which ends any open-ended roll.
    setFaceSource([&input](std::int32_t) { return input.nextInt32(1); });
    std::size_t traced = 0;
    setTraceSink([&traced](std::string_view line) { traced += line.size(); });

    RaceProfile profile;
    profile.generate(location, lightyears);

    setFaceSource(nullptr);
    resetTraceSink();

    // Any location rolls a full race: unknown ones roll as Inner Province.
    for (const auto &[value, name] : {std::pair{profile.basicType, "basicType"},
                                      {profile.racialOrigins, "racialOrigins"},
                                      {profile.kinshipStructure, "kinshipStructure"},
                                      {profile.values, "values"},
                                      {profile.politicalStructure, "politicalStructure"},
                                      {profile.language, "language"},
                                      {profile.worship, "worship"},
                                      {profile.xenoAcceptance, "xenoAcceptance"},
                                      {profile.problems, "problems"}})
        checkRange(value, 0, 9, name);
    for (const auto &[value, name] :
         {std::pair{profile.kinshipStructureExtension, "kinshipStructureExtension"},
          {profile.politicalStructureExtension, "politicalStructureExtension"},
          {profile.worshipExtension, "worshipExtension"},
          {profile.problemsExtension, "problemsExtension"}})
        checkRange(value, 1, 10, name);
    for (const ScienceLevel &level :
         {profile.compEng, profile.elecEng, profile.mechEng, profile.powrEng, profile.weapEng}) {
        checkRange(level.diffLevel, 0, 4, "diffLevel");
        checkRange(level.rankBonus, 4, 5, "rankBonus");
        checkRange(level.miscMod, -50, 30, "miscMod");
    }
    if (traced == 0)
        std::abort();
    return 0;
}
