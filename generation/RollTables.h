#pragma once

#include "generation/RaceProfile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace vellicor {

// Inclusive upper edge of each band but the last; a total above every edge is band 9.
inline constexpr std::array<std::int32_t, 9> bandUpperEdges{0, 30, 60, 70, 75, 80, 90, 100, 110};

constexpr std::int32_t resultBand(std::int32_t total)
{
    std::int32_t band = 0;
    while (band < std::ssize(bandUpperEdges) && total > bandUpperEdges[band])
        ++band;
    return band;
}

// A mistyped edge breaks the build instead of a player's roll.
static_assert(std::ranges::is_sorted(bandUpperEdges));
static_assert(resultBand(0) == 0 && resultBand(1) == 1 && resultBand(30) == 1);
static_assert(resultBand(31) == 2 && resultBand(110) == 8 && resultBand(111) == 9);

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
inline constexpr std::array<HandedOnRow, 10> handedOn{{
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

inline constexpr std::int32_t valuesRerollBand = 9;

// Whatever its five fields rolled, the engineering step hands this on.
inline constexpr RollModifier scienceLevelsHandedOn{-50, false};

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

// The RollModifier that starts the chain, by Location.
inline constexpr std::array<RollModifier, 3> startingModifiers{{
    {-50, false}, // InnerProvince
    {-5, false},  // Frontier
    {0, true},    // Backnet
}};

// The distance at which a race rolls neither higher nor lower.
inline constexpr std::int32_t neutralLightyears = 50;

// A single-category step: the category whose members it writes and the column of handedOn it
// returns.
struct CategoryStep {
    Category category;
    RollModifier HandedOnRow::*handedOn;
};

} // namespace vellicor
