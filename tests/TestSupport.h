#pragma once

#include "generation/Dice.h"
#include "generation/RaceProfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellicor::testing {

// Scripts the dice for the lifetime of the object: faces come from the list in order and every
// trace line is collected in `trace`. Unless a fallback face is given, running out of faces fails
// the test and throws, so a roll that keeps asking (an open-ended roll that never ends) stops at
// once instead of hanging. The destructor restores the seeded dice and standard output.
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
        if (fallback)
            return *fallback;
        const std::string message = "the dice were asked for face " + std::to_string(position + 1) +
                                    " of a script of " + std::to_string(faces.size());
        ADD_FAILURE() << message;
        throw std::runtime_error(message);
    }

    std::vector<std::int32_t> faces;
    std::optional<std::int32_t> fallback;
    std::size_t position = 0;
};

// Silences the trace for the lifetime of the object; faces still come from the seeded dice.
struct SilentTrace {
    SilentTrace() { setTraceSink(nullptr); }
    ~SilentTrace() { resetTraceSink(); }
};

} // namespace vellicor::testing

namespace vellicor {

// How GoogleTest shows a profile when a comparison fails: every member, in declaration order.
inline void PrintTo(const RaceProfile &p, std::ostream *os)
{
    const auto level = [os](const char *name, const ScienceLevel &l) {
        *os << ' ' << name << " {" << l.diffLevel << ", " << l.rankBonus << ", " << l.miscMod
            << '}';
    };
    *os << "{basicType " << p.basicType << " racialOrigins " << p.racialOrigins << " kinship "
        << p.kinshipStructure << '/' << p.kinshipStructureExtension << " values " << p.values
        << " political " << p.politicalStructure << '/' << p.politicalStructureExtension;
    level("mechEng", p.mechEng);
    level("weapEng", p.weapEng);
    level("elecEng", p.elecEng);
    level("compEng", p.compEng);
    level("powrEng", p.powrEng);
    *os << " language " << p.language << " worship " << p.worship << '/' << p.worshipExtension
        << " xeno " << p.xenoAcceptance << " problems " << p.problems << '/' << p.problemsExtension
        << " seed " << p.randomSeed << '}';
}

} // namespace vellicor
