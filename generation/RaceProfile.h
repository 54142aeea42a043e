#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vellicor {

// What one category roll hands to the next: an amount added to the next percentile roll, and
// whether that roll is open-ended upwards (rollOpenEnded(0)) or a plain 1D100.
struct RollModifier {
    std::int32_t modifier;
    bool openEnded;

    friend bool operator==(const RollModifier &, const RollModifier &) = default;
};

// The three ratings of one engineering field. -1 means not rolled yet.
struct ScienceLevel {
    std::int32_t diffLevel = -1;
    std::int32_t rankBonus = -1;
    std::int32_t miscMod = -1;

    friend bool operator==(const ScienceLevel &, const ScienceLevel &) = default;
};

enum Location : std::int32_t {
    InnerProvince = 0,
    Frontier = 1,
    Backnet = 2,
};

// The ten displayed categories, in the order of the dialog's result boxes.
enum Category : std::int32_t {
    BasicType = 0,
    RacialOrigins = 1,
    KinshipStructure = 2,
    Values = 3,
    PoliticalStructure = 4,
    TechSciLevel = 5,
    Language = 6,
    Worship = 7,
    XenoAcceptance = 8,
    Problems = 9,
};

// The location a race is rolled for: a value with no starting modifier of its own rolls as
// InnerProvince, so every input yields a full race.
constexpr Location rolledLocation(Location location)
{
    return location == Frontier || location == Backnet ? location : InnerProvince;
}

// Everything rolled for one race. A rolled member holds -1 until its roll step has run; after
// generate() every result index is 0 to 9 and every extension 1 to 10.
class RaceProfile
{
public:
    std::int32_t basicType = -1;
    std::int32_t racialOrigins = -1;
    std::int32_t kinshipStructure = -1;
    std::int32_t kinshipStructureExtension = -1;
    std::int32_t values = -1;
    std::int32_t politicalStructure = -1;
    std::int32_t politicalStructureExtension = -1;
    ScienceLevel mechEng;
    ScienceLevel weapEng;
    ScienceLevel elecEng;
    ScienceLevel compEng;
    ScienceLevel powrEng;
    std::int32_t language = -1;
    std::int32_t worship = -1;
    std::int32_t worshipExtension = -1;
    std::int32_t xenoAcceptance = -1;
    std::int32_t problems = -1;
    std::int32_t problemsExtension = -1;
    // The value the random source was seeded with; set by whoever seeds it. Starts at 0 so that
    // reading it before seeding is well defined.
    std::int32_t randomSeed = 0;

    // Each step rolls its category with the incoming modifier, writes only its own members and
    // returns what its table hands on for the band rolled.
    RollModifier rollBasicType(RollModifier in);
    RollModifier rollRacialOrigins(RollModifier in);
    RollModifier rollKinshipStructure(RollModifier in);
    RollModifier rollValues(RollModifier in);
    RollModifier rollPoliticalStructure(RollModifier in);
    RollModifier rollScienceLevels(RollModifier in);
    RollModifier rollLanguage(RollModifier in);
    RollModifier rollWorship(RollModifier in);
    RollModifier rollXenoAcceptance(RollModifier in);
    RollModifier rollProblems(RollModifier in);

    // Rolls a whole race: all ten steps in a fixed order, each fed by the steps it depends on.
    // The distance shifts Racial Origins and Language by lightyears - 50 (saturating). The
    // location is taken through rolledLocation().
    void generate(Location location, std::int32_t lightyears);

    // The text shown for a category. A category outside 0 to 9, or a result index that is not
    // rolled, gives the fallback text "you suck so much". Changes nothing.
    std::string describe(Category category) const;

    // One percentile roll, open-ended upwards or a plain 1D100, without any modifier.
    static std::int32_t rollPercentile(bool openEnded);
    // One engineering-field roll: the engineering table's row for the band rolled.
    static ScienceLevel rollScienceField(RollModifier in);

    // Two profiles are equal when every member, randomSeed included, is.
    friend bool operator==(const RaceProfile &, const RaceProfile &) = default;
};

// Where each category's values live, by Category: its result index and, for four categories,
// the 1D10 that refines it. Tech/Sci Level has neither; its values are the engineering fields.
struct CategoryMembers {
    std::int32_t RaceProfile::*index;
    std::int32_t RaceProfile::*extension; // nullptr: no extension
};

inline constexpr std::array<CategoryMembers, 10> categoryMembers{{
    {&RaceProfile::basicType, nullptr},
    {&RaceProfile::racialOrigins, nullptr},
    {&RaceProfile::kinshipStructure, &RaceProfile::kinshipStructureExtension},
    {&RaceProfile::values, nullptr},
    {&RaceProfile::politicalStructure, &RaceProfile::politicalStructureExtension},
    {nullptr, nullptr},
    {&RaceProfile::language, nullptr},
    {&RaceProfile::worship, &RaceProfile::worshipExtension},
    {&RaceProfile::xenoAcceptance, nullptr},
    {&RaceProfile::problems, &RaceProfile::problemsExtension},
}};

// The ScienceLevel each band gives an engineering field; all five fields share it.
// clang-format off
inline constexpr std::array<ScienceLevel, 10> engineeringRows{{
    // diffLevel rankBonus miscMod
    {0, 5,  30},
    {0, 5,   0},
    {0, 5, -20},
    {0, 5, -30},
    {1, 4,   0},
    {1, 5,   0},
    {1, 5, -50},
    {2, 5, -10},
    {3, 4,   0},
    {4, 5, -30},
}};
// clang-format on

// The engineering fields in the order they are rolled and described: computer, electrical,
// mechanical, power, weapon.
inline constexpr std::array<ScienceLevel RaceProfile::*, 5> engineeringFields{
    &RaceProfile::compEng, &RaceProfile::elecEng, &RaceProfile::mechEng, &RaceProfile::powrEng,
    &RaceProfile::weapEng};

} // namespace vellicor
