#include "generation/RaceProfile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace vellicor {
namespace {

using testing::members;
using testing::ScriptedDice;
using testing::SilentTrace;

// A whole race from scripted faces. Each comment gives the roll's incoming modifier and total.
TEST(Generate, DrawsInChainOrderAndThreadsEachModifier)
{
    ScriptedDice dice({
        40,     // Basic Type: -5 plain, 35 -> band 2, hands on +80 plain
        25,     // Racial Origins: 80 - 50 + 50 plain, 105 -> band 8, hands on 0 open
        60, 9,  // Kinship Structure: 0 open, 60 -> band 2; extension 9
        97, 20, // Values: 0 open, 117 -> band 9 ...
        30,     // ... hands on a fresh open-ended 30
        45, 3,  // Political Structure: 30 open, 75 -> band 4; extension 3; hands on 0 plain
        10, 50, 65, 73, 78, // engineering, 0 plain: bands 1, 2, 3, 4, 5
        85,                 // Language: 0 - 50 + 50 open (from Racial Origins), 85 -> band 6
        99, 12, 4,          // Worship: 0 open, 111 -> band 9; extension 4
        5,                  // Xeno Acceptance: 30 open (from Values), 35 -> band 2
        50, 10,             // Problems: 30 open, 80 -> band 5; extension 10
    });
    RaceProfile profile;
    profile.generate(Frontier, 50);

    EXPECT_EQ(profile.basicType, 2);
    EXPECT_EQ(profile.racialOrigins, 8);
    EXPECT_EQ(profile.kinshipStructure, 2);
    EXPECT_EQ(profile.kinshipStructureExtension, 9);
    EXPECT_EQ(profile.values, 9);
    EXPECT_EQ(profile.politicalStructure, 4);
    EXPECT_EQ(profile.politicalStructureExtension, 3);
    EXPECT_EQ(profile.compEng, (ScienceLevel{0, 5, 0}));
    EXPECT_EQ(profile.elecEng, (ScienceLevel{0, 5, -20}));
    EXPECT_EQ(profile.mechEng, (ScienceLevel{0, 5, -30}));
    EXPECT_EQ(profile.powrEng, (ScienceLevel{1, 4, 0}));
    EXPECT_EQ(profile.weapEng, (ScienceLevel{1, 5, 0}));
    EXPECT_EQ(profile.language, 6);
    EXPECT_EQ(profile.worship, 9);
    EXPECT_EQ(profile.worshipExtension, 4);
    EXPECT_EQ(profile.xenoAcceptance, 2);
    EXPECT_EQ(profile.problems, 5);
    EXPECT_EQ(profile.problemsExtension, 10);
    EXPECT_EQ(dice.unused(), 0u);
    EXPECT_EQ(dice.sidesAsked,
              (std::vector<std::int32_t>{100, 100, 100, 10,  100, 100, 100, 100, 10,  100, 100,
                                         100, 100, 100, 100, 100, 100, 10,  100, 100, 10}));
}

struct StartCase {
    Location location;
    std::vector<std::int32_t> basicFaces;
    std::int32_t basicType;
};

TEST(Generate, LocationSetsTheFirstRoll)
{
    const StartCase cases[] = {
        {InnerProvince, {50}, 0}, // -50: every face up to 50 lands in band 0
        {InnerProvince, {51}, 1}, {Frontier, {5}, 0},
        {Frontier, {6}, 1},       {Backnet, {97, 15}, 9}, // open-ended with no modifier
        {Backnet, {30}, 1},
    };
    for (const StartCase &c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "location " << c.location << " first face " << c.basicFaces.front());
        ScriptedDice dice(c.basicFaces, 50);
        RaceProfile profile;
        profile.generate(c.location, 50);
        EXPECT_EQ(profile.basicType, c.basicType);
    }
}

struct DistanceCase {
    std::int32_t lightyears;
    std::int32_t racialOrigins;
    std::int32_t language;
    std::int32_t worship;
};

// Basic Type hands on -10 (face 60 at Inner Province, band 1); the Racial Origins face is 41, so
// it rolls 31 at the neutral distance. Racial Origins then hands on its own modifier, which the
// distance shifts again for Language (face 41); Worship gets it unshifted (face 41 as well).
TEST(Generate, DistanceShiftsRacialOriginsAndLanguageOnly)
{
    const DistanceCase cases[] = {
        // origins 31 -> band 2 hands on -2; language 41 - 2 = 39; worship 39
        {50, 2, 2, 2},
        // origins -19 -> band 0 hands on -8; language 41 - 8 - 50 = -17; worship 33
        {0, 0, 0, 2},
        // origins 131 -> band 9 hands on 0 open; language 41 + 100 = 141; worship 41
        {150, 9, 9, 2},
        // the sums saturate instead of overflowing, and land in the end bands
        {INT_MAX, 9, 9, 2},
        {INT_MIN, 0, 0, 2},
    };
    for (const DistanceCase &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lightyears << " light years");
        // Basic, Origins, Kinship + ext, Values, Political + ext, 5 engineering, Language, ...
        ScriptedDice dice({60, 41, 50, 5, 50, 50, 5, 50, 50, 50, 50, 50, 41, 41, 5}, 50);
        RaceProfile profile;
        profile.generate(InnerProvince, c.lightyears);
        EXPECT_EQ(profile.basicType, 1);
        EXPECT_EQ(profile.racialOrigins, c.racialOrigins);
        EXPECT_EQ(profile.language, c.language);
        EXPECT_EQ(profile.worship, c.worship);
    }
}

TEST(Generate, UnknownLocationRollsAsInnerProvince)
{
    for (const std::int32_t location : {3, -1, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(::testing::Message() << "location " << location);
        std::string expectedTrace;
        RaceProfile expected;
        {
            ScriptedDice dice({}, 50);
            expected.generate(InnerProvince, 80);
            expectedTrace = dice.trace;
        }
        ScriptedDice dice({}, 50);
        RaceProfile profile;
        profile.generate(static_cast<Location>(location), 80);
        EXPECT_EQ(members(profile), members(expected));
        EXPECT_EQ(dice.trace, expectedTrace);
    }
}

TEST(RaceProfile, FreshProfileHoldsMinusOneInEveryRolledMember)
{
    const RaceProfile fresh;
    const auto all = members(fresh);
    for (std::size_t i = 0; i + 1 < all.size(); ++i) // the last one is randomSeed
        EXPECT_EQ(all[i], -1) << "member " << i;
}

// Properties that hold whatever the random source yields.
class AnySeed : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(AnySeed, EveryRolledMemberEndsInItsRange)
{
    SilentTrace silent;
    std::srand(GetParam());
    RaceProfile profile;
    for (const Location location : {InnerProvince, Frontier, Backnet}) {
        for (const std::int32_t lightyears : {INT_MIN, -1000, 0, 50, 120, 5000, INT_MAX}) {
            profile.generate(location, lightyears);
            for (const std::int32_t index :
                 {profile.basicType, profile.racialOrigins, profile.kinshipStructure,
                  profile.values, profile.politicalStructure, profile.language, profile.worship,
                  profile.xenoAcceptance, profile.problems}) {
                EXPECT_GE(index, 0);
                EXPECT_LE(index, 9);
            }
            for (const std::int32_t extension :
                 {profile.kinshipStructureExtension, profile.politicalStructureExtension,
                  profile.worshipExtension, profile.problemsExtension}) {
                EXPECT_GE(extension, 1);
                EXPECT_LE(extension, 10);
            }
            for (const ScienceLevel &level : {profile.compEng, profile.elecEng, profile.mechEng,
                                              profile.powrEng, profile.weapEng}) {
                EXPECT_GE(level.diffLevel, 0);
                EXPECT_LE(level.diffLevel, 4);
                EXPECT_TRUE(level.rankBonus == 4 || level.rankBonus == 5);
                EXPECT_GE(level.miscMod, -50);
                EXPECT_LE(level.miscMod, 30);
            }
        }
    }
}

TEST_P(AnySeed, DescribeChangesNothing)
{
    SilentTrace silent;
    std::srand(GetParam());
    RaceProfile profile;
    profile.generate(Backnet, 75);
    const auto before = members(profile);
    std::vector<std::string> first;
    for (std::int32_t category = -1; category <= 10; ++category)
        first.push_back(profile.describe(static_cast<Category>(category)));
    for (std::int32_t category = -1; category <= 10; ++category)
        EXPECT_EQ(profile.describe(static_cast<Category>(category)), first[category + 1]);
    EXPECT_EQ(members(profile), before);
}

TEST_P(AnySeed, SameSeedGivesSameRaceAndTrace)
{
    auto roll = [seed = GetParam()](std::string &trace) {
        std::srand(seed);
        ::testing::internal::CaptureStdout();
        RaceProfile profile;
        profile.generate(Frontier, 30);
        trace = ::testing::internal::GetCapturedStdout();
        return members(profile);
    };
    std::string firstTrace;
    std::string secondTrace;
    EXPECT_EQ(roll(firstTrace), roll(secondTrace));
    EXPECT_EQ(firstTrace, secondTrace);
    EXPECT_FALSE(firstTrace.empty());
}

INSTANTIATE_TEST_SUITE_P(Seeds, AnySeed, ::testing::Values(0u, 1u, 42u, 1733700000u, 4294967295u));

} // namespace
} // namespace vellicor
