#include "generation/RaceProfile.h"

#include "generation/Dice.h"
#include "generation/RollTables.h"
#include "generation/SaturatingAdd.h"

namespace vellicor {

namespace {

constexpr std::int32_t percentileSides = 100;
constexpr std::int32_t extensionSides = 10;
constexpr std::int32_t openEndedUpwards = 0;

constexpr CategoryStep basicTypeStep{BasicType, &HandedOnRow::basicType};
constexpr CategoryStep racialOriginsStep{RacialOrigins, &HandedOnRow::racialOrigins};
constexpr CategoryStep kinshipStructureStep{KinshipStructure, &HandedOnRow::kinshipStructure};
constexpr CategoryStep valuesStep{Values, &HandedOnRow::values};
constexpr CategoryStep politicalStructureStep{PoliticalStructure, &HandedOnRow::politicalStructure};
constexpr CategoryStep languageStep{Language, &HandedOnRow::language};
constexpr CategoryStep worshipStep{Worship, &HandedOnRow::worship};
constexpr CategoryStep xenoAcceptanceStep{XenoAcceptance, &HandedOnRow::xenoAcceptance};
constexpr CategoryStep problemsStep{Problems, &HandedOnRow::problems};

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

} // namespace

std::int32_t RaceProfile::rollPercentile(bool openEnded)
{
    return openEnded ? rollOpenEnded(openEndedUpwards) : rollDice(percentileSides, 1);
}

ScienceLevel RaceProfile::rollScienceField(RollModifier in)
{
    return engineeringRows[rollBand(in)];
}

RollModifier RaceProfile::rollCategory(RollModifier in, const CategoryStep &step)
{
    const CategoryMembers members = categoryMembers[step.category];
    const std::int32_t band = rollBand(in);
    this->*members.index = band;
    if (members.extension)
        this->*members.extension = rollDice(extensionSides, 1);
    return handedOn[band].*step.handedOn;
}

RollModifier RaceProfile::rollBasicType(RollModifier in)
{
    return rollCategory(in, basicTypeStep);
}

RollModifier RaceProfile::rollRacialOrigins(RollModifier in)
{
    return rollCategory(in, racialOriginsStep);
}

RollModifier RaceProfile::rollKinshipStructure(RollModifier in)
{
    return rollCategory(in, kinshipStructureStep);
}

RollModifier RaceProfile::rollValues(RollModifier in)
{
    RollModifier out = rollCategory(in, valuesStep);
    if (values == valuesRerollBand)
        out.modifier = rollOpenEnded(openEndedUpwards);
    return out;
}

RollModifier RaceProfile::rollPoliticalStructure(RollModifier in)
{
    return rollCategory(in, politicalStructureStep);
}

RollModifier RaceProfile::rollScienceLevels(RollModifier in)
{
    for (ScienceLevel RaceProfile::*field : engineeringFields)
        this->*field = rollScienceField(in);
    return scienceLevelsHandedOn;
}

RollModifier RaceProfile::rollLanguage(RollModifier in)
{
    return rollCategory(in, languageStep);
}

RollModifier RaceProfile::rollWorship(RollModifier in)
{
    return rollCategory(in, worshipStep);
}

RollModifier RaceProfile::rollXenoAcceptance(RollModifier in)
{
    return rollCategory(in, xenoAcceptanceStep);
}

RollModifier RaceProfile::rollProblems(RollModifier in)
{
    return rollCategory(in, problemsStep);
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
