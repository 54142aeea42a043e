#include "formats/RaceReader.h"

#include "formats/RaceFormat.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace vellicor {
namespace {

// Rolls `count` races from `seed` as a session does, moving through the locations and distances
// so that every race's place in the stream depends on the ones before it.
std::vector<RolledRace> rollSession(std::int32_t seed, std::int32_t count)
{
    testing::SilentTrace silent;
    seedDice(seed);
    std::vector<RolledRace> races;
    for (std::int32_t number = 1; number <= count; ++number) {
        RolledRace race;
        race.number = number;
        race.seed = seed;
        race.profile.randomSeed = seed;
        race.location = static_cast<Location>(number % 3);
        race.lightyears = number * 37 - 50;
        race.roll();
        races.push_back(race);
    }
    return races;
}

std::string json(const std::vector<RolledRace> &races)
{
    RaceWriter writer(OutputFormat::Json);
    std::string written(writer.opening());
    for (const RolledRace &race : races)
        writer.append(written, race);
    written += writer.closing();
    return written;
}

void expectSameRaces(const std::vector<RolledRace> &read, const std::vector<RolledRace> &written)
{
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].number, written[i].number) << i;
        EXPECT_EQ(read[i].seed, written[i].seed) << i;
        EXPECT_EQ(read[i].dice, written[i].dice) << i;
        EXPECT_EQ(read[i].location, written[i].location) << i;
        EXPECT_EQ(read[i].lightyears, written[i].lightyears) << i;
        EXPECT_EQ(read[i].profile, written[i].profile) << i;
        EXPECT_EQ(read[i].texts, written[i].texts) << i;
    }
}

TEST(RaceReader, ReadsBackWhatTheWriterWroteNotesIncluded)
{
    std::vector<RolledRace> races = rollSession(1796823905, 6);
    races[2].texts[Values] = "A note \"quoted\", back\\slash, tab\t, \xc3\xa9t\xc3\xa9\r\nline 2";
    races[5].texts[Problems] = "";

    const RaceFile file = readRaces(json(races));
    ASSERT_EQ(file.error, "");
    expectSameRaces(file.races, races);
    EXPECT_TRUE(file.lastRaceAsRolled);
    // Where a seventh race of the session begins.
    EXPECT_EQ(file.diceAfterLast, rollSession(1796823905, 7).back().dice);
    EXPECT_TRUE(file.canContinue());
}

TEST(RaceReader, LeavesTheProcessDiceWhereTheyWere)
{
    const std::string written = json(rollSession(3, 4));
    testing::SilentTrace silent;
    seedDice(5);
    skipDice(2);
    const std::int32_t expected = [] {
        RandomSource source(5);
        source.discard(2);
        return source.next() % 100 + 1;
    }();
    ASSERT_EQ(readRaces(written).error, "");
    EXPECT_EQ(diceDrawn(), 2);
    EXPECT_EQ(rollDice(100, 1), expected);
}

// Files written before races named their dice: the places are found again from race 1.
TEST(RaceReader, FindsThePlacesOfRacesWrittenWithoutDice)
{
    const std::vector<RolledRace> races = rollSession(-42, 5);
    const std::string old = std::regex_replace(json(races), std::regex(",\"dice\":[0-9]+"), "");
    ASSERT_EQ(old.find("dice"), std::string::npos);

    const RaceFile file = readRaces(old);
    ASSERT_EQ(file.error, "");
    expectSameRaces(file.races, races);
    const RaceFile withDice = readRaces(json(races));
    EXPECT_EQ(file.diceAfterLast, withDice.diceAfterLast);

    // Without race 1 nothing tells where race 3 began: the races are shown but not continued,
    // and written back they still do not claim a place.
    const std::vector<RolledRace> tail(races.begin() + 2, races.end());
    const std::string oldTail = std::regex_replace(json(tail), std::regex(",\"dice\":[0-9]+"), "");
    const RaceFile partial = readRaces(oldTail);
    ASSERT_EQ(partial.error, "");
    EXPECT_FALSE(partial.canContinue());
    for (const RolledRace &race : partial.races)
        EXPECT_EQ(race.dice, -1);
    EXPECT_EQ(json(partial.races), oldTail);
    EXPECT_EQ(raceHeading(partial.races[0]), "Race 3: Inner Province, 61 light years from Sol, "
                                             "seed -42");
}

TEST(RaceReader, OpensHandEditedNumbersAsStoredAndStillKnowsWhereTheStreamGoesOn)
{
    const std::vector<RolledRace> races = rollSession(8, 3);
    std::vector<RolledRace> edited = races;
    edited.back().profile.basicType = (edited.back().profile.basicType + 1) % 10;
    const RaceFile file = readRaces(json(edited));
    ASSERT_EQ(file.error, "");
    EXPECT_EQ(file.races.back().profile.basicType, edited.back().profile.basicType);
    EXPECT_FALSE(file.lastRaceAsRolled);
    EXPECT_EQ(file.diceAfterLast, readRaces(json(races)).diceAfterLast);

    // A place edited by hand is kept as stored too, 0 included, though the race before it tells
    // where it was rolled.
    std::vector<RolledRace> moved = races;
    moved[1].dice = 0;
    const RaceFile movedFile = readRaces(json(moved));
    ASSERT_EQ(movedFile.error, "");
    EXPECT_EQ(movedFile.races[1].dice, 0);
}

TEST(RaceReader, IgnoresKeysItDoesNotKnow)
{
    std::string written = json(rollSession(11, 2));
    written = std::regex_replace(written, std::regex("\\{\"race\":"),
                                 "{\"mood\":{\"a\":[1,2]},\"race\":");
    written = std::regex_replace(written, std::regex("\\{\"category\":"),
                                 "{\"colour\":\"blue\",\"category\":");
    const RaceFile file = readRaces(written);
    EXPECT_EQ(file.error, "");
    EXPECT_EQ(file.races.size(), 2u);
}

// One well-formed race, to be spoiled one way at a time.
std::string oneRace()
{
    testing::SilentTrace silent;
    seedDice(2);
    RolledRace race;
    race.seed = 2;
    race.roll();
    return json({race});
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// "1,1,...,1"
std::string ones(int count)
{
    std::string items = "1";
    for (int i = 1; i < count; ++i)
        items += ",1";
    return items;
}

TEST(RaceReader, RefusesEachKindOfBadFileWithOneLineSayingWhy)
{
    const std::string good = oneRace();
    const struct {
        const char *name;
        std::string bytes;
        const char *error;
    } cases[] = {
        {"empty", "",
         "line 1, column 0: syntax error while parsing value - unexpected end of "
         "input; expected '[', '{', or a literal"},
        {"not JSON", "Race 1: Backnet", "line 1, column 1: syntax error"},
        {"truncated", good.substr(0, 40), "line 2, column 38: syntax error"},
        {"syntax error on a later line", "[\n{\"race\":1,}\n]", "line 2, column 11: syntax error"},
        {"an object", "{\"race\":1}", "the file is not a list of races"},
        {"a number", "7", "the file is not a list of races"},
        {"no races", "[]", "the file holds no races"},
        {"a list of numbers", "[1]", "race 1 is not an object"},
        {"a list of lists", "[[]]", "race 1 is not an object"},
        {"missing key", replaced(good, "\"lightyears\":0,", ""),
         "race 1: \"lightyears\" is missing"},
        {"index out of range",
         std::regex_replace(good, std::regex("\"index\":[0-9]"), "\"index\":10",
                            std::regex_constants::format_first_only),
         "race 1, Basic Type: \"index\" is 10, out of range (0 to 9)"},
        {"extension out of range",
         std::regex_replace(good, std::regex("\"extension\":[0-9]+"), "\"extension\":0",
                            std::regex_constants::format_first_only),
         "race 1, Kinship Structure: \"extension\" is 0, out of range (1 to 10)"},
        {"location out of range", replaced(good, "\"value\":0", "\"value\":3"),
         "race 1, location: \"value\" is 3, out of range (0 to 2)"},
        {"seed beyond 32 bits", replaced(good, "\"seed\":2", "\"seed\":2147483648"),
         "race 1: \"seed\" is 2147483648, out of range (-2147483648 to 2147483647)"},
        // Values at the very ends of their ranges are read, and reading goes on to what is wrong
        // further on.
        {"lowest seed, then a fraction",
         replaced(replaced(good, "\"seed\":2", "\"seed\":-2147483648"), "\"lightyears\":0",
                  "\"lightyears\":0.5"),
         "race 1: \"lightyears\" is not a whole number"},
        {"lowest distance, then a category out of order",
         replaced(replaced(good, "\"lightyears\":0", "\"lightyears\":-2147483648"),
                  "\"category\":1,", "\"category\":2,"),
         "race 1, Racial Origins: \"category\" is 2"},
        {"highest seed and dice, then a fraction",
         replaced(replaced(replaced(good, "\"seed\":2", "\"seed\":2147483647"), "\"dice\":0",
                           "\"dice\":9007199254740991"),
                  "\"lightyears\":0", "\"lightyears\":0.5"),
         "race 1: \"lightyears\" is not a whole number"},
        {"race number 0", replaced(good, "\"race\":1", "\"race\":0"),
         "race 1: \"race\" is 0, out of range (1 to 2147483647)"},
        {"negative dice", replaced(good, "\"dice\":0", "\"dice\":-1"),
         "race 1: \"dice\" is -1, out of range (0 to 9007199254740991)"},
        {"a fraction", replaced(good, "\"lightyears\":0", "\"lightyears\":0.5"),
         "race 1: \"lightyears\" is not a whole number"},
        {"ratings no roll gives",
         std::regex_replace(good, std::regex("\"miscMod\":-?[0-9]+"), "\"miscMod\":31",
                            std::regex_constants::format_first_only),
         "race 1, Tech/Sci Level, field 1: no roll gives these ratings"},
        {"categories out of order", replaced(good, "\"category\":1,", "\"category\":2,"),
         "race 1, Racial Origins: \"category\" is 2, out of range (1 to 1)"},
        {"nine categories",
         std::regex_replace(good, std::regex(",\\{\"category\":9.*\\}\\]\\}"), "]}"),
         "race 1: \"categories\" is not a list of 10"},
        {"a text that is a number",
         std::regex_replace(good, std::regex("\"text\":\"[^\"]*\""), "\"text\":5",
                            std::regex_constants::format_first_only),
         "race 1, Basic Type: \"text\" is not a text"},
        {"invalid UTF-8", replaced(good, "\"text\":\"", "\"text\":\"\xff"),
         "syntax error while parsing value - invalid string: ill-formed UTF-8 byte"},
        // A race nests six deep: the list, a race, its categories, a category, its fields, a field.
        {"nested seven deep", "[{\"a\":[[[[[1]]]]]}]", "race 1 is nested too deeply"},
        {"nested six deep", "[{\"a\":[[[[1]]]]}]", "race 1: \"race\" is missing"},
        {"too many entries", "[{\"a\":[" + ones(2001) + "]}]",
         "race 1 holds more entries than a race has"},
        {"as many entries as a race may have", "[{\"a\":[" + ones(2000) + "]}]",
         "race 1: \"race\" is missing"},
    };
    for (const auto &c : cases) {
        const RaceFile file = readRaces(c.bytes);
        EXPECT_NE(file.error.find(c.error), std::string::npos) << c.name << ": " << file.error;
        EXPECT_TRUE(file.races.empty()) << c.name;
        EXPECT_FALSE(file.canContinue()) << c.name;
        EXPECT_EQ(file.error.find('\n'), std::string::npos) << c.name;
    }
}

TEST(RaceReader, RefusesAFileLargerThanTheLimitUnread)
{
    const std::string huge(largestRaceFile + 1, '[');
    EXPECT_EQ(readRaces(huge).error, "the file is larger than 64 MiB");
    // Exactly at the limit it is read (and found wanting for what it holds, not its size).
    EXPECT_NE(readRaces(std::string_view(huge).substr(1)).error, "the file is larger than 64 MiB");
}

} // namespace
} // namespace vellicor
