#include "cli/run.h"

#include "generation/Dice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vellicor {
namespace {

int runWith(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err)
{
    std::vector<const char *> argv{"vellicor-cli"};
    for (const std::string &argument : arguments)
        argv.push_back(argument.c_str());
    return runCli(static_cast<int>(argv.size()), argv.data(), out, err);
}

// In a terminal the races and their trace share one screen: each race must follow the dice
// rolled for it and come before the dice of the next.
TEST(CliTraceOrder, EachRaceFollowsItsOwnDice)
{
    std::stringbuf screen;
    std::ostream out(&screen);
    std::ostream err(&screen);
    ASSERT_EQ(runWith({"--seed", "3", "--count", "3", "--trace"}, out, err), 0);
    const std::string shown = screen.str();

    std::vector<std::size_t> headings;
    for (std::size_t at = shown.find("\nRace "); at != std::string::npos;
         at = shown.find("\nRace ", at + 1))
        headings.push_back(at);
    ASSERT_EQ(headings.size(), 3u) << shown;
    // Dice before the first race, between each two races, none after the last one.
    EXPECT_NE(shown.substr(0, headings[0]).find(" Rolled "), std::string::npos);
    for (std::size_t race = 0; race + 1 < headings.size(); ++race) {
        const std::string between =
            shown.substr(headings[race], headings[race + 1] - headings[race]);
        EXPECT_NE(between.find("  Problems:"), std::string::npos) << "race " << race + 1;
        EXPECT_NE(between.find(" Rolled "), std::string::npos) << "race " << race + 1;
    }
    EXPECT_EQ(shown.substr(headings.back()).find(" Rolled "), std::string::npos);
}

// The words of each message, for what the user typed wrong.
TEST(CliMessages, SayWhatWasWrongAndWhatIsAccepted)
{
    const std::string longest(40, '7');
    const struct {
        std::vector<std::string> arguments;
        const char *message;
    } cases[] = {
        {{"--location", "mars"},
         "--location: \"mars\" is not a location (inner, frontier or backnet; or 0, 1 or 2)."},
        {{"--format", "1"}, "--format: \"1\" is not a format (text, markdown, json or foundry)."},
        {{"--count"}, "--count: a value is missing."},
        {{"--bogus"}, "unknown option \"--bogus\"."},
        {{"-x"}, "unknown option \"-x\"."},
        {{"-"}, "unexpected argument \"-\" (every value follows its option)."},
        {{"stray"}, "unexpected argument \"stray\" (every value follows its option)."},
        // A value of up to 40 characters is quoted whole, a longer one cut after 40.
        {{"--location", longest}, "--location: \"7777777777777777777777777777777777777777\" is"},
        {{"--location", longest + "8"},
         "--location: \"7777777777777777777777777777777777777777...\" is"},
    };
    for (const auto &[arguments, message] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runWith(arguments, out, err), 2);
        EXPECT_TRUE(err.str().starts_with(std::string("vellicor-cli: ") + message)) << err.str();
    }
}

} // namespace
} // namespace vellicor
