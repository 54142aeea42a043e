#include "generation/Dice.h"
#include "generation/SaturatingAdd.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace vellicor {
namespace {

using testing::ScriptedDice;

struct OpenEndedCase {
    const char *name;
    std::int32_t mode;
    std::vector<std::int32_t> faces;
    std::int32_t total;
    std::string trace;
};

// The worked examples of the rules, byte for byte, plus the cases where the sign logic is easy
// to get wrong.
const OpenEndedCase openEndedCases[] = {
    {"up: two continuations",
     0,
     {97, 99, 42},
     238,
     "      97\n *open ended* + 99\n *open ended* + 42\n Rolled 1D100 OE total = 238\n"},
    {"up: single face", 0, {12}, 12, "      12\n Rolled 1D100 OE total = 12\n"},
    {"up: 96 never stands alone",
     0,
     {96, 1},
     97,
     "      96\n *open ended* + 1\n Rolled 1D100 OE total = 97\n"},
    {"up: low faces do not continue", 0, {3}, 3, "       3\n Rolled 1D100 OE total = 3\n"},
    {"up: any mode but 1",
     7,
     {100, 5},
     105,
     "     100\n *open ended* + 5\n Rolled 1D100 OE total = 105\n"},
    {"two-way: low then high then plain",
     1,
     {4, 97, 30},
     -123,
     "       4\n *open ended down* - 97\n *open ended* + 30\n Rolled 1D100 OEUD total = -123\n"},
    {"two-way: two low faces flip back",
     1,
     {3, 5, 60},
     58,
     "       3\n *open ended down* - 5\n *open ended down* - 60\n Rolled 1D100 OEUD total = 58\n"},
    {"two-way: low first face",
     1,
     {2, 50},
     -48,
     "       2\n *open ended down* - 50\n Rolled 1D100 OEUD total = -48\n"},
    {"two-way: high then low",
     1,
     {100, 3, 20},
     83,
     "     100\n *open ended* + 3\n *open ended down* - 20\n Rolled 1D100 OEUD total = 83\n"},
    {"two-way: edges 6 and 95 stop", 1, {6}, 6, "       6\n Rolled 1D100 OEUD total = 6\n"},
};

TEST(RollOpenEnded, TotalsAndTraceMatchTheWorkedExamples)
{
    for (const OpenEndedCase &c : openEndedCases) {
        SCOPED_TRACE(c.name);
        ScriptedDice dice(c.faces);
        EXPECT_EQ(rollOpenEnded(c.mode), c.total);
        EXPECT_EQ(dice.trace, c.trace);
        EXPECT_EQ(dice.unused(), 0u);
        EXPECT_EQ(dice.sidesAsked, std::vector<std::int32_t>(c.faces.size(), 100));
    }
}

struct DiceCase {
    const char *name;
    std::int32_t sides;
    std::int32_t count;
    std::vector<std::int32_t> faces;
    std::int32_t total;
    std::string trace;
};

const DiceCase diceCases[] = {
    {"1D10", 10, 1, {7}, 7, "       7\n Rolled 1D10 total = 7\n"},
    {"1D100 top face", 100, 1, {100}, 100, "     100\n Rolled 1D100 total = 100\n"},
    {"3D6 sums", 6, 3, {1, 2, 6}, 9, "       1\n       2\n       6\n Rolled 3D6 total = 9\n"},
    {"no dice", 6, 0, {}, 0, " Rolled 0D6 total = 0\n"},
    {"negative count", 6, -2, {}, 0, " Rolled -2D6 total = 0\n"},
    // A die without sides has no face to show; drawing one would divide by zero.
    {"zero sides", 0, 3, {}, 0, " Rolled 3D0 total = 0\n"},
    {"negative sides", -4, 1, {}, 0, " Rolled 1D-4 total = 0\n"},
    // A faulty face source cannot produce impossible faces.
    {"faces clamped", 10, 2, {0, 500}, 11, "       1\n      10\n Rolled 2D10 total = 11\n"},
};

TEST(RollDice, TotalsAndTrace)
{
    for (const DiceCase &c : diceCases) {
        SCOPED_TRACE(c.name);
        ScriptedDice dice(c.faces);
        EXPECT_EQ(rollDice(c.sides, c.count), c.total);
        EXPECT_EQ(dice.trace, c.trace);
        EXPECT_EQ(dice.unused(), 0u);
    }
}

TEST(RollDice, WideFacesSaturateInsteadOfOverflowing)
{
    ScriptedDice dice({INT_MAX, INT_MAX});
    EXPECT_EQ(rollDice(INT_MAX, 2), INT_MAX);
}

TEST(SaturatingAdd, ClampsAtTheLimits)
{
    EXPECT_EQ(saturatingAdd(INT_MAX, 1), INT_MAX);
    EXPECT_EQ(saturatingAdd(INT_MIN, -1), INT_MIN);
    EXPECT_EQ(saturatingAdd(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(saturatingAdd(-50, 20), -30);
}

// Without a seam every face is std::rand() % sides + 1 and every line goes to standard output.
TEST(DefaultDice, DrawFromTheCRandomSourceAndTraceToStandardOutput)
{
    constexpr unsigned seed = 20261209;
    std::srand(seed);
    std::vector<int> expectedFaces;
    for (int i = 0; i < 40; ++i)
        expectedFaces.push_back(std::rand() % 100 + 1);
    std::srand(seed);
    const int d10 = std::rand() % 10 + 1;

    std::srand(seed);
    ::testing::internal::CaptureStdout();
    const std::int32_t total = rollOpenEnded(0);
    const std::string stdoutText = ::testing::internal::GetCapturedStdout();

    // Replay the same faces through a script: the trace and total must agree exactly.
    std::string scriptedTrace;
    std::int32_t scriptedTotal = 0;
    {
        ScriptedDice dice({expectedFaces.begin(), expectedFaces.end()});
        scriptedTotal = rollOpenEnded(0);
        scriptedTrace = dice.trace;
    }
    EXPECT_EQ(total, scriptedTotal);
    EXPECT_EQ(stdoutText, scriptedTrace);

    std::srand(seed);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rollDice(10, 1), d10);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "  " + std::string(6 - std::to_string(d10).size(), ' ') + std::to_string(d10) +
                  "\n Rolled 1D10 total = " + std::to_string(d10) + "\n");
}

TEST(DefaultDice, EmptySinkSilencesWithoutChangingTheRolls)
{
    std::srand(7);
    ::testing::internal::CaptureStdout();
    const std::int32_t loud = rollDice(100, 3);
    EXPECT_FALSE(::testing::internal::GetCapturedStdout().empty());

    testing::SilentTrace silent;
    std::srand(7);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(rollDice(100, 3), loud);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// A log beside standard output must hold exactly the bytes standard output got, and keep
// recording while the trace is silenced.
TEST(TraceRecorder, GetsEveryLineWhereverTheTraceGoes)
{
    std::string recorded;
    setTraceRecorder([&recorded](std::string_view line) { recorded += line; });
    std::srand(11);
    ::testing::internal::CaptureStdout();
    rollOpenEnded(1);
    rollDice(10, 2);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(recorded, printed);

    recorded.clear();
    {
        testing::SilentTrace silent;
        std::srand(11);
        rollOpenEnded(1);
        rollDice(10, 2);
    }
    setTraceRecorder(nullptr);
    EXPECT_EQ(recorded, printed);
}

TEST(SeedFromClock, KeepsTheLowThirtyTwoBits)
{
    if (sizeof(std::time_t) < 8)
        GTEST_SKIP() << "time_t is 32 bits here: the clock never passes 2038";
    const struct {
        std::int64_t seconds;
        std::int32_t seed;
    } cases[] = {
        {0, 0},
        {1796796000, 1796796000}, // a day in 2026
        {2147483647, 2147483647}, // last second of 32-bit time
        {2147483648, INT32_MIN},  // first second past 2038
        {4294967301, 5},          // 2^32 + 5
    };
    for (const auto &c : cases)
        EXPECT_EQ(seedFromClock(static_cast<std::time_t>(c.seconds)), c.seed) << c.seconds;
}

TEST(DefaultDice, FacesStayWithinTheDie)
{
    testing::SilentTrace silent;
    std::srand(1);
    for (int i = 0; i < 2000; ++i) {
        const std::int32_t d10 = rollDice(10, 1);
        const std::int32_t d100 = rollDice(100, 1);
        ASSERT_GE(d10, 1);
        ASSERT_LE(d10, 10);
        ASSERT_GE(d100, 1);
        ASSERT_LE(d100, 100);
        const std::int32_t open = rollOpenEnded(0);
        ASSERT_NE(open, 96);
        ASSERT_GE(open, 1);
    }
}

} // namespace
} // namespace vellicor
