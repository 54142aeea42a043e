#include "generation/RaceProfile.h"

#include "generation/Dice.h"
#include "generation/RollTables.h"
#include "generation/SaturatingAdd.h"

namespace vellicor {

namespace {

constexpr std::int32_t percentileSides = 100;
constexpr std::int32_t extensionSides = 10;
constexpr std::int32_t openEndedUpwards = 0;

// What each single-category step hands on, one row per band, one column per step.
struct HandedOnRow {
    RollModifier basicType;
    RollModifier racialOrigins;
    RollModifier kinshipStructure;
    RollModifier values;
    RollModifier politicalStructure;
    RollModifier language;
    RollModifier worship;
    RollModifier xenoAcceptance;
    RollModifier problems;
};

// clang-format off
constexpr std::array<HandedOnRow, 10> handedOn{{
    // basicType   racialOrigins  kinship     values        political   language    worship     xeno        problems
    {{-15, false}, {-8, false}, {0, true}, {-20, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{-10, false}, {-5, false}, {0, true}, {-10, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{ 80, false}, {-2, false}, {0, true}, { -5, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{-10, false}, {-1, false}, {0, true}, {  5, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{ -8, false}, {-2, false}, {0, true}, { 10, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{-10, false}, {-5, false}, {0, true}, { 20, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{ 60, false}, { 0, true},  {0, true}, {  0, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{ 80, false}, { 0, true},  {0, true}, { 10, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    {{ 80, false}, { 0, true},  {0, true}, { 30, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
    // In band 9 rollValues hands on a fresh open-ended roll instead of the 0 below.
    {{ 80, false}, { 0, true},  {0, true}, {  0, true}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}},
}};
// clang-format on

constexpr std::int32_t valuesRerollBand = 9;

// Whatever its five fields rolled, the engineering step hands this on.
constexpr RollModifier scienceLevelsHandedOn{-50, false};

// The RollModifier that starts the chain, by Location.
constexpr std::array<RollModifier, 3> startingModifiers{{
    {-50, false}, // InnerProvince
    {-5, false},  // Frontier
    {0, true},    // Backnet
}};

// The distance at which a race rolls neither higher nor lower.
constexpr std::int32_t neutralLightyears = 50;

std::int32_t rollBand(RollModifier in)
{
    return resultBand(saturatingAdd(RaceProfile::rollPercentile(in.openEnded), in.modifier));
}

// The distance moves a roll by how far the race lies beyond the neutral distance.
RollModifier shiftedByDistance(RollModifier handed, std::int32_t lightyears)
{
    const std::int64_t shift = std::int64_t{lightyears} - neutralLightyears;
    return {saturate(handed.modifier + shift), handed.openEnded};
}

// A single-category step: rolls the band, stores it in the category's result index (and draws
// the 1D10 that refines it, where it has one), and hands on the step's column of handedOn.
RollModifier rollCategory(RaceProfile &profile, RollModifier in, Category category,
                          RollModifier HandedOnRow::*column)
{
    const CategoryMembers members = categoryMembers[category];
    const std::int32_t band = rollBand(in);
    profile.*members.index = band;
    if (members.extension)
        profile.*members.extension = rollDice(extensionSides, 1);
    return handedOn[band].*column;
}

} // namespace

std::int32_t RaceProfile::rollPercentile(bool openEnded)
{
    return openEnded ? rollOpenEnded(openEndedUpwards) : rollDice(percentileSides, 1);
}

ScienceLevel RaceProfile::rollScienceField(RollModifier in)
{
    return engineeringRows[rollBand(in)];
}

RollModifier RaceProfile::rollBasicType(RollModifier in)
{
    return rollCategory(*this, in, BasicType, &HandedOnRow::basicType);
}

RollModifier RaceProfile::rollRacialOrigins(RollModifier in)
{
    return rollCategory(*this, in, RacialOrigins, &HandedOnRow::racialOrigins);
}

RollModifier RaceProfile::rollKinshipStructure(RollModifier in)
{
    return rollCategory(*this, in, KinshipStructure, &HandedOnRow::kinshipStructure);
}

RollModifier RaceProfile::rollValues(RollModifier in)
{
    RollModifier out = rollCategory(*this, in, Values, &HandedOnRow::values);
    if (values == valuesRerollBand)
        out.modifier = rollOpenEnded(openEndedUpwards);
    return out;
}

RollModifier RaceProfile::rollPoliticalStructure(RollModifier in)
{
    return rollCategory(*this, in, PoliticalStructure, &HandedOnRow::politicalStructure);
}

RollModifier RaceProfile::rollScienceLevels(RollModifier in)
{
    for (ScienceLevel RaceProfile::*field : engineeringFields)
        this->*field = rollScienceField(in);
    return scienceLevelsHandedOn;
}

RollModifier RaceProfile::rollLanguage(RollModifier in)
{
    return rollCategory(*this, in, Language, &HandedOnRow::language);
}

RollModifier RaceProfile::rollWorship(RollModifier in)
{
    return rollCategory(*this, in, Worship, &HandedOnRow::worship);
}

RollModifier RaceProfile::rollXenoAcceptance(RollModifier in)
{
    return rollCategory(*this, in, XenoAcceptance, &HandedOnRow::xenoAcceptance);
}

RollModifier RaceProfile::rollProblems(RollModifier in)
{
    return rollCategory(*this, in, Problems, &HandedOnRow::problems);
}

void RaceProfile::generate(Location location, std::int32_t lightyears)
{
    const RollModifier start = startingModifiers[rolledLocation(location)];

    const RollModifier fromBasicType = rollBasicType(start);
    const RollModifier fromOrigins =
        rollRacialOrigins(shiftedByDistance(fromBasicType, lightyears));
    const RollModifier fromKinship = rollKinshipStructure(fromOrigins);
    const RollModifier fromValues = rollValues(fromKinship);
    const RollModifier fromPolitical = rollPoliticalStructure(fromValues);
    rollScienceLevels(fromPolitical);
    rollLanguage(shiftedByDistance(fromOrigins, lightyears));
    rollWorship(fromOrigins);
    rollXenoAcceptance(fromValues);
    rollProblems(fromValues);
}

} // namespace vellicor
