#include "generation/RaceProfile.h"
#include "generation/RollTables.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace vellicor {
namespace {

using testing::ScriptedDice;

struct BandCase {
    std::int32_t total;
    std::int32_t band;
};

class ResultBand : public ::testing::TestWithParam<BandCase>
{
};

TEST_P(ResultBand, MapsTotalToBand)
{
    const auto [total, band] = GetParam();
    EXPECT_EQ(resultBand(total), band) << "total " << total;
}

// Each edge and one past it: that is where off-by-one faults live.
INSTANTIATE_TEST_SUITE_P(Edges, ResultBand,
                         ::testing::Values(BandCase{INT_MIN, 0}, BandCase{-1, 0}, BandCase{0, 0},
                                           BandCase{1, 1}, BandCase{30, 1}, BandCase{31, 2},
                                           BandCase{60, 2}, BandCase{61, 3}, BandCase{70, 3},
                                           BandCase{71, 4}, BandCase{75, 4}, BandCase{76, 5},
                                           BandCase{80, 5}, BandCase{81, 6}, BandCase{90, 6},
                                           BandCase{91, 7}, BandCase{100, 7}, BandCase{101, 8},
                                           BandCase{110, 8}, BandCase{111, 9},
                                           BandCase{INT_MAX, 9}));

// A total inside each band; a plain face of 50 plus (total - 50) lands there.
constexpr std::array<std::int32_t, 10> totalInBand{-7, 1, 31, 61, 71, 76, 81, 91, 101, 111};

using Step = RollModifier (RaceProfile::*)(RollModifier);

struct StepCase {
    const char *name;
    Step step;
    std::int32_t RaceProfile::*index;
    std::int32_t RaceProfile::*extension;
    std::array<RollModifier, 10> handsOn; // by band, as the game's table prints it
};

constexpr RollModifier nothing{0, false};
constexpr std::array<RollModifier, 10> handsOnNothing{nothing, nothing, nothing, nothing, nothing,
                                                      nothing, nothing, nothing, nothing, nothing};

// Band 9 of Values is left out here: it hands on a fresh roll (see below).
const StepCase stepCases[] = {
    {"Basic Type",
     &RaceProfile::rollBasicType,
     &RaceProfile::basicType,
     nullptr,
     {{{-15, false},
       {-10, false},
       {80, false},
       {-10, false},
       {-8, false},
       {-10, false},
       {60, false},
       {80, false},
       {80, false},
       {80, false}}}},
    {"Racial Origins",
     &RaceProfile::rollRacialOrigins,
     &RaceProfile::racialOrigins,
     nullptr,
     {{{-8, false},
       {-5, false},
       {-2, false},
       {-1, false},
       {-2, false},
       {-5, false},
       {0, true},
       {0, true},
       {0, true},
       {0, true}}}},
    {"Kinship Structure",
     &RaceProfile::rollKinshipStructure,
     &RaceProfile::kinshipStructure,
     &RaceProfile::kinshipStructureExtension,
     {{{0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true},
       {0, true}}}},
    {"Values",
     &RaceProfile::rollValues,
     &RaceProfile::values,
     nullptr,
     {{{-20, true},
       {-10, true},
       {-5, true},
       {5, true},
       {10, true},
       {20, true},
       {0, true},
       {10, true},
       {30, true},
       {}}}},
    {"Political Structure", &RaceProfile::rollPoliticalStructure, &RaceProfile::politicalStructure,
     &RaceProfile::politicalStructureExtension, handsOnNothing},
    {"Language", &RaceProfile::rollLanguage, &RaceProfile::language, nullptr, handsOnNothing},
    {"Worship", &RaceProfile::rollWorship, &RaceProfile::worship, &RaceProfile::worshipExtension,
     handsOnNothing},
    {"Xeno Acceptance", &RaceProfile::rollXenoAcceptance, &RaceProfile::xenoAcceptance, nullptr,
     handsOnNothing},
    {"Problems", &RaceProfile::rollProblems, &RaceProfile::problems,
     &RaceProfile::problemsExtension, handsOnNothing},
};

TEST(CategorySteps, StoreTheBandAndHandOnTheTableEntry)
{
    for (const StepCase &c : stepCases) {
        for (std::int32_t band = 0; band < 10; ++band) {
            if (c.step == &RaceProfile::rollValues && band == 9)
                continue;
            SCOPED_TRACE(::testing::Message() << c.name << " band " << band);
            std::vector<std::int32_t> faces{50};
            if (c.extension)
                faces.push_back(band % 10 + 1); // the 1D10 comes after the percentile
            ScriptedDice dice(faces);
            RaceProfile profile;
            const RollModifier out = (profile.*c.step)({totalInBand[band] - 50, false});
            EXPECT_EQ(profile.*c.index, band);
            EXPECT_EQ(out, c.handsOn[band]);
            EXPECT_EQ(dice.unused(), 0u);
            if (c.extension) {
                EXPECT_EQ(profile.*c.extension, band % 10 + 1);
                EXPECT_EQ(dice.sidesAsked, (std::vector<std::int32_t>{100, 10}));
            }
        }
    }
}

TEST(CategorySteps, WriteOnlyTheirOwnMembers)
{
    const RaceProfile fresh;
    for (const StepCase &c : stepCases) {
        SCOPED_TRACE(c.name);
        ScriptedDice dice({}, 50);
        RaceProfile profile;
        (profile.*c.step)({0, false});
        RaceProfile expected;
        expected.*c.index = profile.*c.index;
        if (c.extension)
            expected.*c.extension = profile.*c.extension;
        EXPECT_NE(profile.*c.index, fresh.*c.index);
        EXPECT_EQ(profile, expected);
    }
}

TEST(CategorySteps, IncomingOpenEndedMakesTheRollOpenEnded)
{
    ScriptedDice dice({97, 20});
    RaceProfile profile;
    profile.rollBasicType({-10, true}); // 97 + 20 - 10 = 107
    EXPECT_EQ(profile.basicType, 8);
    EXPECT_EQ(dice.trace, "      97\n *open ended* + 20\n Rolled 1D100 OE total = 117\n");
}

TEST(RollValues, TopBandHandsOnAFreshOpenEndedRoll)
{
    ScriptedDice dice({100, 20, 98, 96, 3});
    RaceProfile profile;
    const RollModifier out = profile.rollValues({0, true});
    EXPECT_EQ(profile.values, 9);
    EXPECT_EQ(out, (RollModifier{98 + 96 + 3, true}));
    EXPECT_EQ(dice.unused(), 0u);
}

TEST(RollValues, OtherBandsMakeExactlyOneRoll)
{
    ScriptedDice dice({100, 10});
    RaceProfile profile;
    EXPECT_EQ(profile.rollValues({0, true}), (RollModifier{30, true})); // 110 is band 8
    EXPECT_EQ(dice.unused(), 0u);
}

TEST(RollScienceField, GivesTheEngineeringRowOfTheBand)
{
    // diffLevel, rankBonus, miscMod by band, as the game's table prints them.
    const std::array<ScienceLevel, 10> rows{{{0, 5, 30},
                                             {0, 5, 0},
                                             {0, 5, -20},
                                             {0, 5, -30},
                                             {1, 4, 0},
                                             {1, 5, 0},
                                             {1, 5, -50},
                                             {2, 5, -10},
                                             {3, 4, 0},
                                             {4, 5, -30}}};
    for (std::int32_t band = 0; band < 10; ++band) {
        SCOPED_TRACE(::testing::Message() << "band " << band);
        ScriptedDice dice({50});
        EXPECT_EQ(RaceProfile::rollScienceField({totalInBand[band] - 50, false}), rows[band]);
    }
}

TEST(RollScienceLevels, RollsFiveFieldsInOrderWithTheSameModifier)
{
    // Faces for computer, electrical, mechanical, power, weapon, in bands 1, 3, 4, 6, 7.
    ScriptedDice dice({20, 65, 72, 85, 95});
    RaceProfile profile;
    const RollModifier out = profile.rollScienceLevels({0, false});
    EXPECT_EQ(profile.compEng, (ScienceLevel{0, 5, 0}));
    EXPECT_EQ(profile.elecEng, (ScienceLevel{0, 5, -30}));
    EXPECT_EQ(profile.mechEng, (ScienceLevel{1, 4, 0}));
    EXPECT_EQ(profile.powrEng, (ScienceLevel{1, 5, -50}));
    EXPECT_EQ(profile.weapEng, (ScienceLevel{2, 5, -10}));
    EXPECT_EQ(out, (RollModifier{-50, false}));
    EXPECT_EQ(dice.unused(), 0u);
}

TEST(RollScienceLevels, HandsOnTheSameWhateverItRolled)
{
    ScriptedDice dice({1, 2, 3, 4, 5});
    RaceProfile profile;
    EXPECT_EQ(profile.rollScienceLevels({-200, false}), (RollModifier{-50, false}));
    for (const ScienceLevel &level :
         {profile.compEng, profile.elecEng, profile.mechEng, profile.powrEng, profile.weapEng})
        EXPECT_EQ(level, (ScienceLevel{0, 5, 30}));
}

TEST(RollScienceLevels, OpenEndedModifierAppliesToEveryField)
{
    // 97+5, 10, 11, 50 and 1, each plus 100.
    ScriptedDice dice({97, 5, 10, 11, 50, 1});
    RaceProfile profile;
    profile.rollScienceLevels({100, true});
    const ScienceLevel band8{3, 4, 0};
    const ScienceLevel band9{4, 5, -30};
    EXPECT_EQ(profile.compEng, band9);
    EXPECT_EQ(profile.elecEng, band8);
    EXPECT_EQ(profile.mechEng, band9);
    EXPECT_EQ(profile.powrEng, band9);
    EXPECT_EQ(profile.weapEng, band8);
    EXPECT_EQ(dice.unused(), 0u);
}

} // namespace
} // namespace vellicor
