#include "cli/run.h"
#include "formats/RaceReader.h"

#include "generation/Dice.h"
#include "generation/RaceProfile.h"
#include "generation/Version.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace vellicor {
namespace {

using testing::ScriptedDice;
using testing::SilentTrace;

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

CliResult runWith(const std::vector<std::string> &arguments)
{
    std::vector<const char *> argv{"vellicor-cli"};
    for (const std::string &argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(static_cast<int>(argv.size() - 1), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

// One Frontier race at 50 light years; each comment gives the roll's incoming modifier and band.
const std::vector<std::int32_t> frontierRaceFaces{
    40,                 // Basic Type: -5 plain, 35 -> band 2, hands on +80 plain
    25,                 // Racial Origins: 80 - 50 + 50 plain, 105 -> band 8, hands on 0 open
    60, 9,              // Kinship Structure: band 2; extension 9
    20,                 // Values: 0 open, band 1, hands on -10 open
    5,  3,              // Political Structure: -10 open, -5 -> band 0; extension 3
    10, 50, 65, 73, 78, // engineering, 0 plain: bands 1, 2, 3, 4, 5
    85,                 // Language: 0 open, band 6
    99, 12, 4,          // Worship: 0 open, 111 -> band 9; extension 4
    45,                 // Xeno Acceptance: -10 open, 35 -> band 2
    50, 10,             // Problems: -10 open, 40 -> band 2; extension 10
};
const std::vector<std::string> frontierRaceArguments{"--seed",       "7", "--location", "frontier",
                                                     "--lightyears", "50"};

std::vector<std::string> with(std::vector<std::string> arguments,
                              const std::vector<std::string> &more)
{
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(CliOutput, TextOfOneRace)
{
    ScriptedDice dice(frontierRaceFaces);
    const CliResult result = runWith(frontierRaceArguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(dice.unused(), 0u);
    const std::string techIndent(23, ' ');
    EXPECT_EQ(result.out,
              "Race 1: Frontier, 50 light years from Sol, seed 7, after 0 dice\n"
              "  Basic Type:          Known alien race\n"
              "  Racial Origins:      Race of ancients\n"
              "  Kinship Structure:   Extended family (both/other) \n"
              "  Values:              Possession of land / planets / territory\n"
              "  Political Structure: None; anarchy and chaos / collapsed governments\n" +
                  techIndent + " / total opportunism\n" +
                  "  Tech/Sci Level:      Computer Engineering\n" + techIndent +
                  "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = 0\n\n" + techIndent +
                  "Electrical Engineering\n" + techIndent +
                  "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -20\n\n" +
                  techIndent + "Mechanical Engineering\n" + techIndent +
                  "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -30\n\n" +
                  techIndent + "Power Engineering\n" + techIndent +
                  "Difficulty Level = 1     Rank Bonus = 4     Misc Modifier = 0\n\n" + techIndent +
                  "Weapon Engineering\n" + techIndent +
                  "Difficulty Level = 1     Rank Bonus = 5     Misc Modifier = 0\n"
                  "  Language:            Sentence / concept structures are extremely hard for "
                  "most hominoids\n"
                  "  Worship:             Beyond human understanding\n"
                  "  Xeno Acceptance:     Very hard; cultural doctrine may include warnings "
                  "against outsiders\n"
                  "  Problems:            Pollution of homeworld territorial possession\n");
}

TEST(CliOutput, MarkdownOfOneRace)
{
    ScriptedDice dice(frontierRaceFaces);
    const CliResult result = runWith(with(frontierRaceArguments, {"--format", "markdown"}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "## Race 1: Frontier, 50 light years from Sol, seed 7, after 0 dice\n"
              "\n"
              "- **Basic Type:** Known alien race\n"
              "- **Racial Origins:** Race of ancients\n"
              "- **Kinship Structure:** Extended family (both/other) \n"
              "- **Values:** Possession of land / planets / territory\n"
              "- **Political Structure:** None; anarchy and chaos / collapsed governments\\\n"
              "   / total opportunism\n"
              "- **Tech/Sci Level:** Computer Engineering\\\n"
              "  Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = 0\\\n"
              "  \\\n"
              "  Electrical Engineering\\\n"
              "  Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -20\\\n"
              "  \\\n"
              "  Mechanical Engineering\\\n"
              "  Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -30\\\n"
              "  \\\n"
              "  Power Engineering\\\n"
              "  Difficulty Level = 1     Rank Bonus = 4     Misc Modifier = 0\\\n"
              "  \\\n"
              "  Weapon Engineering\\\n"
              "  Difficulty Level = 1     Rank Bonus = 5     Misc Modifier = 0\n"
              "- **Language:** Sentence / concept structures are extremely hard for most "
              "hominoids\n"
              "- **Worship:** Beyond human understanding\n"
              "- **Xeno Acceptance:** Very hard; cultural doctrine may include warnings against "
              "outsiders\n"
              "- **Problems:** Pollution of homeworld territorial possession\n");
}

TEST(CliOutput, JsonOfOneRace)
{
    using Json = nlohmann::ordered_json;
    ScriptedDice dice(frontierRaceFaces);
    const CliResult result = runWith(with(frontierRaceArguments, {"--format", "json"}));
    EXPECT_EQ(result.status, 0);

    auto field = [](const char *name, int diffLevel, int rankBonus, int miscMod) {
        return Json{{"field", name},
                    {"diffLevel", diffLevel},
                    {"rankBonus", rankBonus},
                    {"miscMod", miscMod}};
    };
    const Json race = {
        {"race", 1},
        {"seed", 7},
        {"dice", 0},
        {"location", {{"name", "frontier"}, {"value", 1}, {"label", "Frontier"}}},
        {"lightyears", 50},
        {"categories",
         Json::array({
             {{"category", 0}, {"label", "Basic Type"}, {"index", 2}, {"text", "Known alien race"}},
             {{"category", 1},
              {"label", "Racial Origins"},
              {"index", 8},
              {"text", "Race of ancients"}},
             {{"category", 2},
              {"label", "Kinship Structure"},
              {"index", 2},
              {"extension", 9},
              {"text", "Extended family (both/other) "}},
             {{"category", 3},
              {"label", "Values"},
              {"index", 1},
              {"text", "Possession of land / planets / territory"}},
             {{"category", 4},
              {"label", "Political Structure"},
              {"index", 0},
              {"extension", 3},
              {"text", "None; anarchy and chaos / collapsed governments\r\n / total opportunism"}},
             {{"category", 5},
              {"label", "Tech/Sci Level"},
              {"fields", Json::array({field("computer", 0, 5, 0), field("electrical", 0, 5, -20),
                                      field("mechanical", 0, 5, -30), field("power", 1, 4, 0),
                                      field("weapon", 1, 5, 0)})},
              {"text", "Computer Engineering\r\n"
                       "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = 0\r\n\r\n"
                       "Electrical Engineering\r\n"
                       "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -20\r\n\r\n"
                       "Mechanical Engineering\r\n"
                       "Difficulty Level = 0     Rank Bonus = 5     Misc Modifier = -30\r\n\r\n"
                       "Power Engineering\r\n"
                       "Difficulty Level = 1     Rank Bonus = 4     Misc Modifier = 0\r\n\r\n"
                       "Weapon Engineering\r\n"
                       "Difficulty Level = 1     Rank Bonus = 5     Misc Modifier = 0\r\n"}},
             {{"category", 6},
              {"label", "Language"},
              {"index", 6},
              {"text", "Sentence / concept structures are extremely hard for most hominoids"}},
             {{"category", 7},
              {"label", "Worship"},
              {"index", 9},
              {"extension", 4},
              {"text", "Beyond human understanding"}},
             {{"category", 8},
              {"label", "Xeno Acceptance"},
              {"index", 2},
              {"text", "Very hard; cultural doctrine may include warnings against outsiders"}},
             {{"category", 9},
              {"label", "Problems"},
              {"index", 2},
              {"extension", 10},
              {"text", "Pollution of homeworld territorial possession"}},
         })}};
    EXPECT_EQ(result.out, "[\n" + race.dump() + "\n]\n");
}

// The rest runs on the dice's own random source, as the program does.

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

TEST(CliOutput, TextAndMarkdownHeadEveryRaceInOrder)
{
    const struct {
        const char *format;
        const char *heading;
    } formats[] = {{"text", "Race "}, {"markdown", "## Race "}};
    for (const auto &[format, heading] : formats) {
        SCOPED_TRACE(format);
        const CliResult result = runWith({"--seed", "-12", "--count", "3", "--location", "backnet",
                                          "--lightyears", "-1", "--format", format});
        ASSERT_EQ(result.status, 0);
        std::vector<std::string> headings;
        std::size_t labelLines = 0;
        for (const std::string &line : lines(result.out)) {
            if (line.starts_with(heading))
                headings.push_back(line.substr(line.find(':')));
            labelLines += line.find("Xeno Acceptance:") != std::string::npos;
            EXPECT_EQ(line.find('\r'), std::string::npos);
        }
        // Each heading names the faces drawn before its race, counted here face by face.
        std::vector<std::string> expected;
        {
            SilentTrace silent;
            RandomSource source(-12);
            int faces = 0;
            setFaceSource([&](std::int32_t sides) {
                ++faces;
                return source.next() % sides + 1;
            });
            RaceProfile profile;
            for (int race = 0; race < 3; ++race) {
                expected.push_back(": Backnet, -1 light year from Sol, seed -12, after " +
                                   std::to_string(faces) + " dice");
                profile.generate(Backnet, -1);
            }
            setFaceSource(nullptr);
        }
        EXPECT_EQ(headings, expected);
        EXPECT_EQ(labelLines, 3u);
        // Races are separated by one empty line and the output ends with the last race's line.
        EXPECT_EQ(result.out.find("\n\n\n"), std::string::npos);
        EXPECT_TRUE(result.out.ends_with("\n") && !result.out.ends_with("\n\n"));
    }
}

TEST(CliOutput, JsonIsOneArrayOfNumberedRaces)
{
    const CliResult result = runWith({"--seed", "3", "--count", "4", "--format", "json"});
    ASSERT_EQ(result.status, 0);
    const nlohmann::json races = nlohmann::json::parse(result.out);
    ASSERT_TRUE(races.is_array());
    ASSERT_EQ(races.size(), 4u);
    for (std::size_t i = 0; i < races.size(); ++i) {
        const nlohmann::json &race = races[i];
        EXPECT_EQ(race["race"], i + 1);
        EXPECT_EQ(race["location"]["name"], "inner");
        ASSERT_EQ(race["categories"].size(), 10u);
        for (int category = 0; category < 10; ++category) {
            SCOPED_TRACE(category);
            const nlohmann::json &entry = race["categories"][category];
            const bool extended = category == KinshipStructure || category == PoliticalStructure ||
                                  category == Worship || category == Problems;
            EXPECT_EQ(entry["category"], category);
            EXPECT_EQ(entry.contains("extension"), extended);
            EXPECT_EQ(entry.contains("index"), category != TechSciLevel);
            EXPECT_EQ(entry.contains("fields"), category == TechSciLevel);
        }
    }
}

// The promise to game masters: --seed S gives the races of a dialog seeded with S.
TEST(CliSeed, JsonMatchesTheLibraryAfterSrand)
{
    const struct {
        std::int32_t seed;
        const char *location;
        Location rolledAs;
        std::int32_t lightyears;
        int count;
    } cases[] = {
        {0, "inner", InnerProvince, 0, 4},        {1, "frontier", Frontier, 50, 4},
        {-1, "backnet", Backnet, 120, 4},         {INT32_MIN, "2", Backnet, INT32_MAX, 3},
        {INT32_MAX, "1", Frontier, INT32_MIN, 3}, {1700000000, "0", InnerProvince, -75, 25},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "seed " << c.seed << ", location " << c.location);
        const CliResult result = runWith(
            {"--format", "json", "--seed", std::to_string(c.seed), "--location", c.location,
             "--lightyears", std::to_string(c.lightyears), "--count", std::to_string(c.count)});
        ASSERT_EQ(result.status, 0) << result.err;
        const nlohmann::json races = nlohmann::json::parse(result.out);
        ASSERT_EQ(races.size(), static_cast<std::size_t>(c.count));

        SilentTrace silent;
        vellicor::seedDice(c.seed);
        RaceProfile profile;
        for (const nlohmann::json &race : races) {
            profile.generate(c.rolledAs, c.lightyears);
            EXPECT_EQ(race["seed"], c.seed);
            EXPECT_EQ(race["location"]["value"], c.rolledAs);
            EXPECT_EQ(race["lightyears"], c.lightyears);
            for (int category = 0; category < 10; ++category) {
                const nlohmann::json &entry = race["categories"][category];
                EXPECT_EQ(entry["text"], profile.describe(static_cast<Category>(category)));
                const auto [index, extension] = categoryMembers[category];
                if (index) {
                    EXPECT_EQ(entry["index"], profile.*index);
                }
                if (extension) {
                    EXPECT_EQ(entry["extension"], profile.*extension);
                }
            }
            const nlohmann::json &fields = race["categories"][TechSciLevel]["fields"];
            EXPECT_EQ(fields[0]["miscMod"], profile.compEng.miscMod);
            EXPECT_EQ(fields[2]["diffLevel"], profile.mechEng.diffLevel);
            EXPECT_EQ(fields[4]["rankBonus"], profile.weapEng.rankBonus);
        }
    }
}

// --dice starts where a race's heading says it began: race n of a run, asked for with its seed
// and dice alone, is the same race.
TEST(CliSeed, DiceStartsAtAnyRaceOfARun)
{
    const CliResult run = runWith({"--seed", "-40", "--count", "12", "--location", "backnet",
                                   "--lightyears", "300", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json races = nlohmann::json::parse(run.out);
    ASSERT_EQ(races[0]["dice"], 0);
    for (const nlohmann::json &race : races) {
        const CliResult again =
            runWith({"--seed", "-40", "--dice", race["dice"].dump(), "--location", "backnet",
                     "--lightyears", "300", "--format", "json"});
        ASSERT_EQ(again.status, 0) << again.err;
        nlohmann::json expected = race;
        expected["race"] = 1;
        EXPECT_EQ(nlohmann::json::parse(again.out).at(0), expected);
    }
    // The largest skip is taken at once, and the race says where it began.
    const CliResult far = runWith({"--seed", "-40", "--dice", "2147483647", "--format", "json"});
    ASSERT_EQ(far.status, 0) << far.err;
    EXPECT_EQ(nlohmann::json::parse(far.out).at(0)["dice"], 2147483647);
}

TEST(CliSeed, SameArgumentsGiveTheSameOutput)
{
    for (const char *format : {"text", "markdown", "json", "foundry"}) {
        SCOPED_TRACE(format);
        const std::vector<std::string> arguments{"--seed", "99",       "--count",
                                                 "5",      "--format", format};
        const CliResult first = runWith(arguments);
        ASSERT_EQ(first.status, 0);
        EXPECT_EQ(runWith(arguments).out, first.out);
        EXPECT_NE(runWith({"--seed", "100", "--count", "5", "--format", format}).out, first.out);
    }
}

TEST(CliSeed, DefaultsToTheClockSeconds)
{
    const auto clockSeed = [] {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(std::time(nullptr)));
    };
    const std::int32_t before = clockSeed();
    const CliResult result = runWith({"--format", "json"});
    const std::int32_t after = clockSeed();
    ASSERT_EQ(result.status, 0);
    const std::int32_t seed = nlohmann::json::parse(result.out)[0]["seed"];
    EXPECT_TRUE(seed == before || seed == after) << seed;
    EXPECT_EQ(runWith({"--format", "json", "--seed", std::to_string(seed)}).out, result.out);
}

// Spellings that are accepted and what they mean.
TEST(CliOptions, AcceptedSpellings)
{
    const struct {
        std::vector<std::string> given;
        std::vector<std::string> meaning;
    } cases[] = {
        {{"--location", "FRONTIER"}, {"--location", "1"}},
        {{"--location", "Backnet"}, {"--location", "2"}},
        {{"--format", "JSON"}, {"--format", "json"}},
        {{"--seed", "010"}, {"--seed", "10"}}, // decimal, never octal
        {{"--seed", "+10"}, {"--seed", "10"}},
        {{"--seed=-0"}, {"--seed", "0"}},
        {{"--count", "5", "--count", "2"}, {"--count", "2"}}, // the last one counts
        {{"--lightyears", "-2147483648"}, {"--lightyears=-2147483648"}},
    };
    for (const auto &[given, meaning] : cases) {
        SCOPED_TRACE(::testing::PrintToString(given));
        const CliResult expected = runWith(with({"--seed", "5"}, meaning));
        const CliResult actual = runWith(with({"--seed", "5"}, given));
        ASSERT_EQ(expected.status, 0) << expected.err;
        EXPECT_EQ(actual.status, 0) << actual.err;
        EXPECT_EQ(actual.out, expected.out);
    }
}

TEST(CliOptions, BadInputIsOneLineOnErrAndStatusTwo)
{
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> mentioned;
    } cases[] = {
        {{"--colour", "red"}, {"--colour"}},
        {{"-x"}, {"-x"}},
        {{"frontier"}, {"frontier"}},
        {{"--location", "mars"}, {"--location", "mars"}},
        {{"--location", "3"}, {"--location", "3"}},
        {{"--location", "-1"}, {"--location", "-1"}},
        {{"--format", "yaml"}, {"--format", "yaml"}},
        {{"--count", "0"}, {"--count", "0"}},
        {{"--count", "1000001"}, {"--count", "1000001"}},
        {{"--count", "-5"}, {"--count", "-5"}},
        {{"--count", "2.5"}, {"--count", "2.5"}},
        {{"--count", "0x10"}, {"--count", "0x10"}},
        {{"--count", " 5"}, {"--count", " 5"}},
        {{"--seed", "2147483648"}, {"--seed", "2147483648"}},
        {{"--seed", "-2147483649"}, {"--seed", "-2147483649"}},
        {{"--seed", "99999999999999999999"}, {"--seed", "99999999999999999999"}},
        {{"--lightyears", "far"}, {"--lightyears", "far"}},
        {{"--lightyears", "1e3"}, {"--lightyears", "1e3"}},
        {{"--lightyears", "+-3"}, {"--lightyears", "+-3"}},
        {{"--count"}, {"--count"}},
        {{"--seed="}, {"--seed"}},
        {{"--location", "in\nner"}, {"--location"}},
        // Control characters reach the terminal as "?", never as themselves.
        {{"--location", "in\rner"}, {"--location", "in?ner"}},
        {{"--format", "\x1b[2Jjson"}, {"--format", "?[2Jjson"}},
        {{"--seed", "1\x7f"}, {"--seed", "1?"}},
        {{"--trace=off"}, {"--trace", "--trace=off"}},
        {{"--trace=-1"}, {"--trace", "--trace=-1"}},
        {{"--help="}, {"--help takes no value", "\"--help=\""}},
        {{"--help=1"}, {"\"--help=1\""}},
        {{"-h=1"}, {"\"-h=1\""}},
        {{"-hh"}, {"unknown option \"-hh\""}},
        {{"-hx"}, {"unknown option \"-hx\""}},
        {{"--version="}, {"\"--version=\""}},
        {{"--dice", "-1"}, {"--dice", "-1"}},
        {{"--dice", "9007199254740992"}, {"--dice", "9007199254740992"}},
        {{"--dice", "many"}, {"--dice", "many"}},
        {{"--dice"}, {"--dice"}},
    };
    for (const auto &[arguments, mentioned] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const CliResult result = runWith(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("vellicor-cli: ")) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_EQ(std::ranges::count_if(result.err,
                                        [](unsigned char c) { return c < 0x20 || c == 0x7f; }),
                  1)
            << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
        for (const std::string &text : mentioned)
            EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    }
}

TEST(CliOptions, HelpAndVersionGoToOut)
{
    for (const char *help : {"--help", "-h"}) {
        const CliResult result = runWith({"--count", "3", help});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        for (const char *option :
             {"--location", "--lightyears", "--count", "--seed", "--format", "--trace"})
            EXPECT_NE(result.out.find(option), std::string::npos) << option;
    }
    const CliResult version = runWith({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vellicor-cli " VELLICOR_VERSION "\n");
}

// --help or --version anywhere wins over any other problem with the command line, until "--".
TEST(CliOptions, HelpOrVersionAnywhereWins)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--help", "--count", "0"}, "Usage: vellicor-cli"},
        {{"--count", "0", "-h"}, "Usage: vellicor-cli"},
        {{"--bogus", "--location", "nowhere", "--help"}, "Usage: vellicor-cli"},
        {{"--seed", "--help"}, "Usage: vellicor-cli"},
        {{"--lightyears", "1e3", "--version", "--help"}, "vellicor-cli " VELLICOR_VERSION "\n"},
    };
    for (const auto &[arguments, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const CliResult result = runWith(arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find(expected), std::string::npos) << result.out;
    }
    const CliResult afterSeparator = runWith({"--", "--help"});
    EXPECT_EQ(afterSeparator.status, 2);
    EXPECT_EQ(afterSeparator.out, "");
}

// The help must read in an 80-column terminal without wrapping.
TEST(CliOptions, HelpFitsEightyColumns)
{
    std::istringstream help(runWith({"--help"}).out);
    for (std::string line; std::getline(help, line);)
        EXPECT_LE(line.size(), 79U) << line;
}

TEST(CliOptions, NoArgumentListAtAllRollsOneRace)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCli(0, nullptr, out, err), 0);
    EXPECT_TRUE(out.str().starts_with("Race 1: Inner Province, 0 light years from Sol, seed "));
}

TEST(CliTrace, GoesToErrOnlyWhenAsked)
{
    std::string libraryTrace;
    {
        setTraceSink([&](std::string_view line) { libraryTrace += line; });
        vellicor::seedDice(21);
        RaceProfile profile;
        profile.generate(Backnet, 80);
        profile.generate(Backnet, 80);
        resetTraceSink();
    }
    ::testing::internal::CaptureStdout();
    const CliResult traced = runWith({"--seed", "21", "--location", "backnet", "--lightyears", "80",
                                      "--count", "2", "--trace", "--format", "json"});
    const CliResult quiet = runWith({"--seed", "21", "--count", "2"});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    EXPECT_EQ(traced.status, 0);
    EXPECT_EQ(traced.err, libraryTrace);
    EXPECT_TRUE(nlohmann::json::accept(traced.out));
    EXPECT_EQ(quiet.err, "");
}

// A sink left behind would point at a stream that no longer exists.
TEST(CliTrace, LibraryTraceIsBackOnStandardOutputAfterEveryRun)
{
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"--trace"}, {}, {"--count", "0", "--trace"}}) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        runWith(arguments);
        ::testing::internal::CaptureStdout();
        rollDice(10, 1);
        EXPECT_NE(::testing::internal::GetCapturedStdout().find(" Rolled 1D10 total = "),
                  std::string::npos);
    }
}

// Takes `room` characters, then fails like a full disk.
class FullDevice : public std::streambuf
{
public:
    explicit FullDevice(std::size_t room) : room(room) {}
    std::size_t written = 0;

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (written == room)
            return traits_type::eof();
        ++written;
        return c;
    }

private:
    std::size_t room;
};

TEST(CliWrite, FailedWriteStopsWithStatusOne)
{
    for (const bool throwing : {false, true}) {
        SCOPED_TRACE(throwing ? "stream throws" : "stream sets badbit");
        FullDevice device(100);
        std::ostream out(&device);
        if (throwing)
            out.exceptions(std::ios::badbit | std::ios::failbit);
        std::ostringstream err;
        std::size_t draws = 0;
        RandomSource source;
        setFaceSource([&](std::int32_t sides) {
            ++draws;
            return source.next() % sides + 1;
        });
        // The largest count: accepted, and not rolled to the end once the output is gone.
        const char *argv[] = {"vellicor-cli", "--count", "1000000", "--format", "json"};
        const int status = runCli(5, argv, out, err);
        setFaceSource(nullptr);

        EXPECT_EQ(status, 1);
        EXPECT_EQ(device.written, 100u);
        EXPECT_NE(err.str().find("could not write"), std::string::npos) << err.str();
        EXPECT_LT(draws, 1000u);
    }
}

// A file in a folder of its own, removed with it.
class TemporaryFile
{
public:
    explicit TemporaryFile(const std::string &contents)
        : folder(std::filesystem::temp_directory_path() /
                 ("vellicor-cli-test-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  std::to_string(std::rand())))
    {
        std::filesystem::create_directories(folder);
        std::ofstream(file(), std::ios::binary) << contents;
    }
    ~TemporaryFile() { std::filesystem::remove_all(folder); }
    std::string file() const { return (folder / "races.json").string(); }
    std::string directory() const { return folder.string(); }

private:
    std::filesystem::path folder;
};

// A session file becomes notes: --from writes the stored races in any format, notes included,
// exactly as the run that rolled them wrote that format.
TEST(CliFrom, WritesTheStoredRacesInEachFormat)
{
    const std::vector<std::string> rolling{"--seed",     "9",       "--count",      "4",
                                           "--location", "backnet", "--lightyears", "120"};
    const CliResult json = runWith(with(rolling, {"--format", "json"}));
    ASSERT_EQ(json.status, 0);
    const TemporaryFile stored(json.out);
    for (const char *format : {"text", "markdown", "json", "foundry"}) {
        const CliResult fromFile = runWith({"--from", stored.file(), "--format", format});
        EXPECT_EQ(fromFile.status, 0) << format;
        EXPECT_EQ(fromFile.err, "") << format;
        EXPECT_EQ(fromFile.out, runWith(with(rolling, {"--format", format})).out) << format;
    }

    // "-" is standard input, as in `vellicor-cli --from - < races.json`.
    const int input = ::dup(STDIN_FILENO);
    ASSERT_TRUE(std::freopen(stored.file().c_str(), "rb", stdin));
    const CliResult piped = runWith({"--from", "-", "--format", "json"});
    ::dup2(input, STDIN_FILENO);
    ::close(input);
    std::clearerr(stdin);
    EXPECT_EQ(piped.out, json.out) << piped.err;

    std::string withNote = json.out;
    withNote.insert(withNote.find("\"text\":\"") + 8, "My *note*\\r\\n");
    const TemporaryFile noted(withNote);
    EXPECT_EQ(runWith({"--from", noted.file(), "--format", "json"}).out, withNote);
    EXPECT_NE(runWith({"--from", noted.file(), "--format", "markdown"}).out.find("My \\*note\\*"),
              std::string::npos);
}

// A file of exactly the largest size is read; one byte more is refused unread.
TEST(CliFrom, TakesAFileOfTheLargestSizeAndNoMore)
{
    const std::string race = runWith({"--seed", "5", "--format", "json"}).out;
    std::string padded = race;
    padded.resize(largestRaceFile, ' ');
    const TemporaryFile largest(padded);
    const CliResult read = runWith({"--from", largest.file(), "--format", "json"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, race);

    padded.push_back(' ');
    const TemporaryFile over(padded);
    const CliResult refused = runWith({"--from", over.file(), "--format", "json"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("larger than"), std::string::npos) << refused.err;
}

TEST(CliFrom, BadFileOrOptionsAreOneLineAndNoOutput)
{
    const TemporaryFile stored("[\n{\"race\":1,}\n]\n");
    const TemporaryFile good(runWith({"--seed", "1", "--format", "json"}).out);
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"--from", stored.file()},
         2,
         stored.file() + ": line 2, column 11: syntax error while parsing object key"},
        {{"--from", stored.directory() + "/missing.json"}, 1, "could not read "},
        {{"--from", stored.directory()}, 1, ": Is a directory"},
        {{"--from", good.file(), "--seed", "1"}, 2, "it takes no --seed"},
        {{"--count", "2", "--from", good.file()}, 2, "it takes no --count"},
        {{"--from", good.file(), "--location", "frontier"}, 2, "it takes no --location"},
        {{"--from", good.file(), "--lightyears", "5"}, 2, "it takes no --lightyears"},
        {{"--from", good.file(), "--dice", "0"}, 2, "it takes no --dice"},
        {{"--from"}, 2, "--from: a value is missing"},
    };
    for (const auto &c : cases) {
        const CliResult result = runWith(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_EQ(result.out, "") << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

} // namespace
} // namespace vellicor
