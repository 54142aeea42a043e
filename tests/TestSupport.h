#pragma once

#include "generation/Dice.h"
#include "generation/RaceProfile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellicor::testing {

// Scripts the dice for the lifetime of the object: faces come from the list in order and every
// trace line is collected in `trace`. Running out of faces fails the test unless a fallback face
// is given. The destructor restores std::rand and standard output.
class ScriptedDice
{
public:
    explicit ScriptedDice(std::vector<std::int32_t> faces,
                          std::optional<std::int32_t> fallback = std::nullopt)
        : faces(std::move(faces)), fallback(fallback)
    {
        setFaceSource([this](std::int32_t sides) { return next(sides); });
        setTraceSink([this](std::string_view line) { trace += line; });
    }
    ~ScriptedDice()
    {
        setFaceSource(nullptr);
        resetTraceSink();
    }
    ScriptedDice(const ScriptedDice &) = delete;
    ScriptedDice &operator=(const ScriptedDice &) = delete;

    std::size_t unused() const { return faces.size() - position; }

    std::string trace;
    std::vector<std::int32_t> sidesAsked; // the die of every draw, in draw order

private:
    std::int32_t next(std::int32_t sides)
    {
        sidesAsked.push_back(sides);
        if (position < faces.size())
            return faces[position++];
        if (!fallback)
            ADD_FAILURE() << "the dice were asked for more faces than scripted";
        return fallback.value_or(1);
    }

    std::vector<std::int32_t> faces;
    std::optional<std::int32_t> fallback;
    std::size_t position = 0;
};

// Silences the trace for the lifetime of the object; faces still come from std::rand.
struct SilentTrace {
    SilentTrace() { setTraceSink(nullptr); }
    ~SilentTrace() { resetTraceSink(); }
};

// All 29 members of a profile, for comparing whole profiles.
inline std::array<std::int32_t, 29> members(const RaceProfile &p)
{
    return {p.basicType,
            p.racialOrigins,
            p.kinshipStructure,
            p.kinshipStructureExtension,
            p.values,
            p.politicalStructure,
            p.politicalStructureExtension,
            p.mechEng.diffLevel,
            p.mechEng.rankBonus,
            p.mechEng.miscMod,
            p.weapEng.diffLevel,
            p.weapEng.rankBonus,
            p.weapEng.miscMod,
            p.elecEng.diffLevel,
            p.elecEng.rankBonus,
            p.elecEng.miscMod,
            p.compEng.diffLevel,
            p.compEng.rankBonus,
            p.compEng.miscMod,
            p.powrEng.diffLevel,
            p.powrEng.rankBonus,
            p.powrEng.miscMod,
            p.language,
            p.worship,
            p.worshipExtension,
            p.xenoAcceptance,
            p.problems,
            p.problemsExtension,
            p.randomSeed};
}

} // namespace vellicor::testing
