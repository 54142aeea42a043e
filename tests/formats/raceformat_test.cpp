#include "formats/RaceFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace vellicor {
namespace {

// A race with made-up texts, so each test shows exactly the shape it is about.
RolledRace raceWithTexts(std::string_view basicType, std::string_view techSciLevel)
{
    RolledRace race;
    race.texts.fill("x");
    race.texts[BasicType] = basicType;
    race.texts[TechSciLevel] = techSciLevel;
    return race;
}

std::string text(const RolledRace &race)
{
    std::string buffer;
    appendText(buffer, race);
    return buffer;
}

std::string markdown(const RolledRace &race)
{
    std::string buffer;
    appendMarkdown(buffer, race);
    return buffer;
}

TEST(TextFormat, ContinuationLinesStartUnderTheText)
{
    const std::string out = text(raceWithTexts("one", "first\r\nsecond\r\n\r\n third\r\n"));
    const std::string indent(23, ' ');
    EXPECT_NE(out.find("  Tech/Sci Level:      first\n" + indent + "second\n\n" + indent +
                       " third\n  Language:"),
              std::string::npos)
        << out;
    // A final line break ends the last line; it adds no line of its own.
    EXPECT_EQ(out.find('\r'), std::string::npos);
}

TEST(TextFormat, HeadingNamesNumberLocationDistanceAndSeed)
{
    const struct {
        Location location;
        std::int32_t lightyears;
        const char *heading;
    } cases[] = {
        {InnerProvince, 0, "Race 4: Inner Province, 0 light years from Sol, seed -3\n"},
        {Frontier, 1, "Race 4: Frontier, 1 light year from Sol, seed -3\n"},
        {Backnet, -1, "Race 4: Backnet, -1 light year from Sol, seed -3\n"},
        {Backnet, 2, "Race 4: Backnet, 2 light years from Sol, seed -3\n"},
        // generate() rolls an unknown location as Inner Province; the heading says the same.
        {static_cast<Location>(7), 0, "Race 4: Inner Province, 0 light years from Sol, seed -3\n"},
    };
    for (const auto &c : cases) {
        RolledRace race = raceWithTexts("a", "b");
        race.number = 4;
        race.seed = -3;
        race.location = c.location;
        race.lightyears = c.lightyears;
        EXPECT_TRUE(text(race).starts_with(c.heading)) << text(race);
    }
}

TEST(MarkdownFormat, EscapesMarkupAndBreaksLinesInsideTheItem)
{
    const std::string out = markdown(raceWithTexts("a*b_c [d] <e> #f |g ~h `i` \\j", "k\r\nl"));
    EXPECT_NE(
        out.find("- **Basic Type:** a\\*b\\_c \\[d\\] \\<e\\> \\#f \\|g \\~h \\`i\\` \\\\j\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("- **Tech/Sci Level:** k\\\n  l\n- **Language:** x\n"), std::string::npos)
        << out;
}

TEST(JsonFormat, ReusedValueHoldsOnlyTheNewRace)
{
    RolledRace first = raceWithTexts("first race", "first\r\ntech");
    first.location = Backnet;
    first.profile.basicType = 9;
    first.profile.problemsExtension = 10;
    first.profile.weapEng = {4, 5, -30};
    RolledRace second = raceWithTexts("second", "tech");
    second.number = 2;
    second.location = Frontier;
    second.profile.basicType = 0;
    second.profile.problemsExtension = 1;
    second.profile.weapEng = {0, 5, 30};

    nlohmann::ordered_json reused;
    raceToJson(first, reused);
    raceToJson(second, reused);
    EXPECT_EQ(reused, raceToJson(second));
    EXPECT_EQ(reused["categories"][0]["text"], "second");
    EXPECT_EQ(reused["categories"][5]["fields"][4]["miscMod"], 30);
    EXPECT_EQ(reused["location"]["name"], "frontier");
}

TEST(RaceWriter, SeparatesRacesPerFormat)
{
    const struct {
        OutputFormat format;
        const char *between;
    } cases[] = {{OutputFormat::Text, "\n\nRace 2:"},
                 {OutputFormat::Markdown, "\n\n## Race 2:"},
                 {OutputFormat::Json, "}]},\n{\"race\":2,"}};
    for (const auto &[format, between] : cases) {
        SCOPED_TRACE(static_cast<int>(format));
        RaceWriter writer(format);
        RolledRace race = raceWithTexts("a", "b");
        std::string all(writer.opening());
        writer.append(all, race);
        race.number = 2;
        writer.append(all, race);
        all += writer.closing();
        EXPECT_NE(all.find(between), std::string::npos) << all;
        if (format == OutputFormat::Json) {
            const nlohmann::json parsed = nlohmann::json::parse(all);
            EXPECT_EQ(parsed.size(), 2u);
            EXPECT_TRUE(all.starts_with("[\n{") && all.ends_with("}\n]\n"));
        }
    }
}

} // namespace
} // namespace vellicor
