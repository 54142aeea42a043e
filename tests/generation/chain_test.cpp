#include "generation/RaceProfile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace vellicor {
namespace {

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

// Every step hands on a modifier of its own here, and each face sits where another step's
// modifier (shifted by the distance or not) would move the roll into another band or make it
// draw a different number of faces: feeding any step from the wrong one changes the race.
TEST(Generate, EveryStepIsFedByTheStepItDependsOn)
{
    ScriptedDice dice({
        2,     // Basic Type: -50 plain, -48 -> band 0, hands on -15 plain
        2,     // Racial Origins: -15 + 20 plain, 7 -> band 1, hands on -5 plain
        97, 7, // Kinship Structure: -5 plain, 92 -> band 7; extension 7; hands on 0 open
        71,    // Values: 0 open, 71 -> band 4, hands on +10 open
        63, 3, // Political Structure: 10 open, 73 -> band 4; extension 3; hands on 0 plain
        1,  23, 99, 64, 97, // engineering, 0 plain: bands 1, 1, 7, 3, 7
        65,                 // Language: -5 + 20 plain (from Racial Origins), 80 -> band 5
        76, 9,              // Worship: -5 plain (from Racial Origins), 71 -> band 4; extension 9
        69,                 // Xeno Acceptance: 10 open (from Values), 79 -> band 5
        97, 2,  9,          // Problems: 10 open, 109 -> band 8; extension 9
    });
    RaceProfile profile;
    profile.generate(InnerProvince, 70);

    const RaceProfile expected{.basicType = 0,
                               .racialOrigins = 1,
                               .kinshipStructure = 7,
                               .kinshipStructureExtension = 7,
                               .values = 4,
                               .politicalStructure = 4,
                               .politicalStructureExtension = 3,
                               .mechEng = {2, 5, -10},
                               .weapEng = {2, 5, -10},
                               .elecEng = {0, 5, 0},
                               .compEng = {0, 5, 0},
                               .powrEng = {0, 5, -30},
                               .language = 5,
                               .worship = 4,
                               .worshipExtension = 9,
                               .xenoAcceptance = 5,
                               .problems = 8,
                               .problemsExtension = 9};
    EXPECT_EQ(profile, expected);
    EXPECT_EQ(dice.unused(), 0u);
}

// Far beyond the neutral distance Racial Origins and Language land in the top band whatever
// Basic Type handed on: the roll plus the saturated modifier must saturate too, not wrap round
// into band 0.
TEST(Generate, FarRacesRollTheTopBandWhateverBasicTypeHandsOn)
{
    for (std::int32_t face = 1; face <= 100; ++face) { // at Frontier, Basic Type bands 0 to 7
        SCOPED_TRACE(::testing::Message() << "Basic Type face " << face);
        ScriptedDice dice({face}, 50);
        RaceProfile profile;
        profile.generate(Frontier, INT_MAX);
        EXPECT_EQ(profile.racialOrigins, 9);
        EXPECT_EQ(profile.language, 9);
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
        EXPECT_EQ(profile, expected);
        EXPECT_EQ(dice.trace, expectedTrace);
    }
}

TEST(RaceProfile, FreshProfileHoldsMinusOneInEveryRolledMember)
{
    const RaceProfile fresh;
    for (const CategoryMembers &category : categoryMembers) {
        if (category.index) {
            EXPECT_EQ(fresh.*category.index, -1);
        }
        if (category.extension) {
            EXPECT_EQ(fresh.*category.extension, -1);
        }
    }
    for (ScienceLevel RaceProfile::*field : engineeringFields)
        EXPECT_EQ(fresh.*field, (ScienceLevel{-1, -1, -1}));
}

// Properties that hold whatever the random source yields.
class AnySeed : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(AnySeed, EveryRolledMemberEndsInItsRange)
{
    SilentTrace silent;
    vellicor::seedDice(GetParam());
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
    vellicor::seedDice(GetParam());
    RaceProfile profile;
    profile.generate(Backnet, 75);
    const RaceProfile before = profile;
    std::vector<std::string> first;
    for (std::int32_t category = -1; category <= 10; ++category)
        first.push_back(profile.describe(static_cast<Category>(category)));
    for (std::int32_t category = -1; category <= 10; ++category)
        EXPECT_EQ(profile.describe(static_cast<Category>(category)), first[category + 1]);
    EXPECT_EQ(profile, before);
}

TEST_P(AnySeed, SameSeedGivesSameRaceAndTrace)
{
    auto roll = [seed = GetParam()](std::string &trace) {
        vellicor::seedDice(seed);
        ::testing::internal::CaptureStdout();
        RaceProfile profile;
        profile.generate(Frontier, 30);
        trace = ::testing::internal::GetCapturedStdout();
        return profile;
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
