#include "session/Session.h"
#include "session/SessionTables.h"
#include "session/StoredSession.h"

#include "cli/run.h"
#include "formats/RaceCard.h"
#include "formats/RaceReader.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace vellicor {
namespace {

constexpr std::int32_t seed = 1796823905;

// What vellicor-cli writes to standard output (or, with --trace, to standard error).
std::string cli(std::vector<std::string> arguments, bool traceOnly = false)
{
    arguments.insert(arguments.begin(), "vellicor-cli");
    std::vector<const char *> argv;
    for (const std::string &each : arguments)
        argv.push_back(each.c_str());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCli(static_cast<int>(argv.size()), argv.data(), out, err), 0) << err.str();
    return traceOnly ? err.str() : out.str();
}

std::string written(const Session &session, OutputFormat format)
{
    std::string all;
    session.write(format, [&all](std::string_view piece) { all += piece; });
    return all;
}

Session sessionAt(std::int32_t streamSeed)
{
    return Session([streamSeed] { return streamSeed; });
}

struct Place {
    Location location;
    std::int32_t lightyears;
    const char *name;
};

// Every place a race is rolled at, in each format: the session's races are byte for byte what
// vellicor-cli writes for the same seed, whatever was rolled, opened or gone on from before.
TEST(Session, RollsOpensAndGoesOnAsTheCommandLineToolWrites)
{
    testing::SilentTrace silent;
    for (const Place place : {Place{InnerProvince, 0, "inner"}, Place{Backnet, 120, "backnet"},
                              Place{Frontier, -5, "frontier"}}) {
        for (const FileFormat &format : fileFormats) {
            SCOPED_TRACE(std::string(place.name) + " " + std::string(format.name));
            const auto expected = [&](int count) {
                return cli({"--seed", std::to_string(seed), "--location", place.name,
                            "--lightyears", std::to_string(place.lightyears), "--count",
                            std::to_string(count), "--format", std::string(format.name)});
            };
            Session rolled = sessionAt(seed);
            for (int count = 0; count < 3; ++count)
                rolled.roll(place.location, place.lightyears);
            EXPECT_EQ(written(rolled, format.format), expected(3));

            // Opened and gone on from: the race the first session would have rolled next.
            Session opened = sessionAt(1);
            const Session::Opened result =
                opened.open(readRaces(written(rolled, OutputFormat::Json)));
            EXPECT_TRUE(result.continues);
            opened.roll(place.location, place.lightyears);
            EXPECT_EQ(written(opened, format.format), expected(4));

            // A link to race 2, from elsewhere: shown, and New goes on after it.
            const RolledRace &second = rolled.at(1).race;
            ASSERT_TRUE(
                opened.goOnFrom({second.seed, second.dice, second.location, second.lightyears}));
            EXPECT_EQ(opened.currentIndex(), 1u);
            opened.roll(place.location, place.lightyears);
            EXPECT_EQ(opened.raceText(4, format.format), rolled.raceText(2, format.format));
        }
    }
}

// A link to a race the session does not hold rolls it as race 1 at its place, with the dice
// that vellicor-cli writes for its heading.
TEST(Session, ALinkFromElsewhereRollsItsRaceAndTheDiceLogShowsItsDice)
{
    Session session = sessionAt(7);
    session.roll(InnerProvince, 0);
    ASSERT_TRUE(session.goOnFrom({seed, 412, Backnet, 120}));
    const std::vector<std::string> named{
        "--seed",  std::to_string(seed), "--dice", "412", "--location",
        "backnet", "--lightyears",       "120"};
    EXPECT_EQ(session.raceText(1, OutputFormat::Text), cli(named));
    std::vector<std::string> traced = named;
    traced.push_back("--trace");
    std::string trace = cli(traced, true);
    trace.pop_back();
    EXPECT_EQ(session.diceLogEntry(1), raceHeading(session.at(1).race) + '\n' + trace);

    // Opened elsewhere, the races have the same Dice Log.
    Session opened = sessionAt(1);
    std::string json;
    session.write(OutputFormat::Json, [&json](std::string_view piece) { json += piece; });
    opened.open(readRaces(json));
    for (std::size_t index = 0; index < session.size(); ++index)
        EXPECT_EQ(opened.diceLogEntry(index), session.diceLogEntry(index));
}

// Notes stay with their race through going back and forth, New, the capacity dropping the
// oldest, the page's storage and a file; a race whose place is not known stays unknown.
TEST(Session, NotesAndUnknownPlacesSurviveNavigationCapacityStorageAndFiles)
{
    testing::SilentTrace silent;
    Session session = sessionAt(seed);
    for (std::size_t count = 0; count < 5; ++count)
        session.roll(Frontier, 7);
    ASSERT_TRUE(session.goBack());
    ASSERT_TRUE(session.goBack());
    EXPECT_TRUE(session.setText(2, Values, "tall \u00e9, <b>&</b> \U0001F47D\r\nsecond line"));
    EXPECT_TRUE(session.goForward() && session.goForward());
    EXPECT_FALSE(session.goForward());
    const std::string note = session.at(2).race.texts[Values];
    for (std::size_t count = 0; count < Session::capacity - 3; ++count)
        session.roll(Frontier, 7);
    ASSERT_EQ(session.size(), Session::capacity);
    EXPECT_EQ(session.at(0).race.number, 3);
    EXPECT_EQ(session.at(0).race.texts[Values], note);

    Session restored = sessionAt(1);
    ASSERT_TRUE(restoreStoredSession(restored, storedSession(session)));
    EXPECT_EQ(written(restored, OutputFormat::Json), written(session, OutputFormat::Json));
    EXPECT_EQ(restored.stream(), session.stream());
    EXPECT_EQ(restored.diceLogEntry(5), session.diceLogEntry(5));

    // Read from a file without dice, race 3 is kept with its place unknown.
    RaceFile file = readRaces(written(session, OutputFormat::Json));
    file.races[1].dice = -1;
    Session opened = sessionAt(1);
    opened.open(std::move(file));
    Session again = sessionAt(1);
    ASSERT_TRUE(restoreStoredSession(again, storedSession(opened)));
    EXPECT_EQ(again.at(1).race.dice, -1);
    EXPECT_EQ(again.diceLogEntry(1), raceHeading(again.at(1).race));
    EXPECT_FALSE(restoreStoredSession(again, "{\"version\":1,\"races\":[]}"));
    EXPECT_EQ(again.size(), Session::capacity);
}

// Where the stream would go past what a heading can name, New starts a fresh stream, so that
// every race held can be written, read back and gone on from.
TEST(Session, NewStartsAFreshStreamWhereTheOldOneCannotGoOn)
{
    testing::SilentTrace silent;
    const struct {
        DiceStream start;
        bool fresh;
    } rows[] = {
        {{seed, mostDice - 1, 3}, true},
        {{seed, 1000, highestRaceNumber}, true},
        {{seed, 1000, highestRaceNumber - 1}, false},
        {{seed, 0, 1}, false},
    };
    for (const auto &row : rows) {
        Session session = sessionAt(99);
        ASSERT_TRUE(session.startStream(row.start));
        session.roll(Backnet, 3);
        session.roll(Backnet, 3);
        const RolledRace &second = session.current().race;
        EXPECT_EQ(second.seed == 99 && second.number == 1 && second.dice == 0, row.fresh);
        const RaceFile back = readRaces(written(session, OutputFormat::Json));
        EXPECT_EQ(back.error, "");
    }
    // vellicor-cli takes every heading's dice, and stops before a race no heading could name.
    const std::string third = cli({"--seed", "1", "--dice", "2147483640", "--count", "3"});
    const std::string dice = third.substr(third.rfind("after ") + 6);
    EXPECT_EQ(cli({"--seed", "1", "--dice", dice.substr(0, dice.find(' '))}).substr(8),
              third.substr(third.rfind("Race 3: ") + 8));
    const char *past[] = {"vellicor-cli", "--dice", "9007199254740990", "--count", "3"};
    std::ostringstream out, err;
    EXPECT_EQ(runCli(5, past, out, err), 1);
    EXPECT_NE(err.str().find("race 2 would begin after more than"), std::string::npos);
    EXPECT_NE(out.str().find("Race 1: "), std::string::npos);

    Session session = sessionAt(99);
    EXPECT_FALSE(session.startStream({seed, mostDice + 1, 1}));
    EXPECT_FALSE(session.goOnFrom({seed, -1, Backnet, 3}));
    EXPECT_EQ(formatForFileName("Races.JSON"), OutputFormat::Json);
    EXPECT_EQ(formatForFileName("races.pdf"), std::nullopt);
    EXPECT_EQ(formatForFileName("Races.Foundry.JSON"), OutputFormat::Foundry);
    EXPECT_EQ(formatForFileName("foundry.json"), OutputFormat::Json);
    EXPECT_EQ(sessionLabel({2026, 12, 9, 20, 5}, seed, 21),
              "9 Dec 2026 20:05 \u2014 seed 1796823905, 21 races");
}

// A card's command rolls its race again, a negative distance included; a race whose dice are not
// known has none. (What the card shows is read back from the dialog's and the page's PDFs.)
TEST(RaceCard, ItsCommandRollsTheRaceAgain)
{
    Session session = sessionAt(seed);
    session.roll(Backnet, 120);
    session.roll(Frontier, -5);
    RolledRace unknown = session.at(0).race;
    unknown.dice = -1;
    EXPECT_EQ(rollAgainCommand(unknown), "");
    EXPECT_NE(raceCardHtml(unknown, "").find("cannot be rolled again"), std::string::npos);

    const RolledRace &far = session.at(1).race;
    std::istringstream words(rollAgainCommand(far));
    std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
    ASSERT_EQ(arguments.front(), "vellicor-cli");
    arguments.erase(arguments.begin());
    const std::string again = cli(arguments);
    const std::string kept = session.raceText(1, OutputFormat::Text);
    EXPECT_EQ(again.substr(again.find(':')), kept.substr(kept.find(':')));
}

} // namespace
} // namespace vellicor
