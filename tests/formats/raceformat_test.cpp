#include "formats/RaceFormat.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

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

// A box emptied in the dialog is saved too: its category keeps its line.
TEST(TextFormat, EmptiedTextKeepsItsCategoryLine)
{
    const std::string out = text(raceWithTexts("", "b"));
    EXPECT_NE(out.find("\n  Basic Type:\n  Racial Origins:"), std::string::npos) << out;
}

TEST(TextFormat, HeadingNamesNumberLocationDistanceSeedAndDice)
{
    const struct {
        Location location;
        std::int32_t lightyears;
        std::int64_t dice;
        const char *heading;
    } cases[] = {
        {InnerProvince, 0, 0,
         "Race 4: Inner Province, 0 light years from Sol, seed -3, after 0 dice\n"},
        {Frontier, 1, 1, "Race 4: Frontier, 1 light year from Sol, seed -3, after 1 die\n"},
        {Backnet, -1, 2, "Race 4: Backnet, -1 light year from Sol, seed -3, after 2 dice\n"},
        {Backnet, 2, 412, "Race 4: Backnet, 2 light years from Sol, seed -3, after 412 dice\n"},
        // A very long session passes 2^31 dice.
        {Frontier, 2, 4294967301,
         "Race 4: Frontier, 2 light years from Sol, seed -3, after 4294967301 dice\n"},
        // generate() rolls an unknown location as Inner Province; the heading says the same.
        {static_cast<Location>(7), 0, 9,
         "Race 4: Inner Province, 0 light years from Sol, seed -3, after 9 dice\n"},
    };
    for (const auto &c : cases) {
        RolledRace race = raceWithTexts("a", "b");
        race.number = 4;
        race.seed = -3;
        race.dice = c.dice;
        race.location = c.location;
        race.lightyears = c.lightyears;
        EXPECT_TRUE(text(race).starts_with(c.heading)) << text(race);
        EXPECT_TRUE(markdown(race).starts_with(std::string("## ") + c.heading)) << markdown(race);
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

// The race as a document, built the way the JSON was made before it was streamed. Only this
// file keeps it: the streamed JSON must give exactly its dump(), byte for byte.
nlohmann::ordered_json referenceJson(const RolledRace &race)
{
    using Json = nlohmann::ordered_json;
    constexpr std::array<const char *, 5> fieldNames{"computer", "electrical", "mechanical",
                                                     "power", "weapon"};
    const std::size_t location = rolledLocation(race.location);
    Json categories = Json::array();
    for (std::size_t category = 0; category < categoryMembers.size(); ++category) {
        const CategoryMembers members = categoryMembers[category];
        Json entry = {{"category", category}, {"label", categoryLabels[category]}};
        if (members.index)
            entry["index"] = race.profile.*members.index;
        if (members.extension)
            entry["extension"] = race.profile.*members.extension;
        if (category == TechSciLevel) {
            entry["fields"] = Json::array();
            for (std::size_t field = 0; field < engineeringFields.size(); ++field) {
                const ScienceLevel &level = race.profile.*engineeringFields[field];
                entry["fields"].push_back({{"field", fieldNames[field]},
                                           {"diffLevel", level.diffLevel},
                                           {"rankBonus", level.rankBonus},
                                           {"miscMod", level.miscMod}});
            }
        }
        entry["text"] = race.texts[category];
        categories.push_back(std::move(entry));
    }
    return {{"race", race.number},
            {"seed", race.seed},
            {"dice", race.dice},
            {"location",
             {{"name", locationNames[location]},
              {"value", location},
              {"label", locationLabels[location]}}},
            {"lightyears", race.lightyears},
            {"categories", std::move(categories)}};
}

std::string json(const RolledRace &race)
{
    std::string buffer;
    appendJson(buffer, race);
    return buffer;
}

// Any code point but a surrogate, UTF-8 encoded: ASCII with its control characters, quotes and
// backslashes, then two-, three- and four-byte sequences.
void appendRandomCharacter(std::string &text, std::mt19937 &random)
{
    constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 5> ranges{
        {{0x00, 0x7f}, {0x80, 0x7ff}, {0x800, 0xd7ff}, {0xe000, 0xffff}, {0x10000, 0x10ffff}}};
    const auto [low, high] = ranges[random() % ranges.size()];
    const std::uint32_t c = std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    const auto byte = [](std::uint32_t bits) { return static_cast<char>(bits); };
    if (c < 0x80) {
        text += byte(c);
    } else if (c < 0x800) {
        text += {byte(0xc0 | c >> 6), byte(0x80 | (c & 0x3f))};
    } else if (c < 0x10000) {
        text += {byte(0xe0 | c >> 12), byte(0x80 | (c >> 6 & 0x3f)), byte(0x80 | (c & 0x3f))};
    } else {
        text += {byte(0xf0 | c >> 18), byte(0x80 | (c >> 12 & 0x3f)), byte(0x80 | (c >> 6 & 0x3f)),
                 byte(0x80 | (c & 0x3f))};
    }
}

// Races as the tool rolls them, every location and distance, and as a dialog may hold them once
// a user has written into the boxes: notes instead of a text, a text cut short or lengthened, or
// a profile whose numbers no longer give its texts.
std::vector<RolledRace> randomRaces(std::size_t count)
{
    testing::SilentTrace silent;
    vellicor::seedDice(20261209);
    std::mt19937 random(7);
    std::vector<RolledRace> races(count);
    for (std::size_t i = 0; i < count; ++i) {
        RolledRace &race = races[i];
        race.number = static_cast<std::int32_t>(i + 1);
        race.seed = static_cast<std::int32_t>(random());
        race.location = static_cast<Location>(random() % 4); // 3: rolled as Inner Province
        race.lightyears = i % 2 ? static_cast<std::int32_t>(random()) : static_cast<int>(i) - 80;
        race.roll();
        if (i % 7 == 3)
            race.dice += std::int64_t{1} << 40; // past 32 bits

        const std::size_t category = random() % race.texts.size();
        std::string &text = race.texts[category];
        const CategoryMembers members = categoryMembers[category];
        switch (i % 6) {
        case 1:
            text.clear();
            for (std::size_t length = random() % 40; length > 0; --length)
                appendRandomCharacter(text, random);
            break;
        case 2:
            text.resize(text.size() - 1 - random() % text.size());
            break;
        case 3:
            text += std::array{"\r\n", " ", "0", "\"", "\r\n\r\n"}[random() % 5];
            break;
        case 4: {
            const std::int32_t changed = static_cast<std::int32_t>(random() % 14) - 2;
            if (members.extension && random() % 2)
                race.profile.*members.extension = changed;
            else if (members.index)
                race.profile.*members.index = changed;
            else
                (race.profile.*engineeringFields[random() % 5]).miscMod += 10;
            break;
        }
        case 5:
            text = race.texts[(category + 1) % race.texts.size()];
            break;
        }
    }
    return races;
}

TEST(JsonFormat, StreamedRacesAreTheDocumentsBuiltFromThem)
{
    const std::vector<RolledRace> races = randomRaces(600);
    RaceWriter writer(OutputFormat::Json);
    std::string streamed(writer.opening());
    std::string expected = "[\n";
    for (const RolledRace &race : races) {
        writer.append(streamed, race);
        expected += (race.number > 1 ? ",\n" : "") + referenceJson(race).dump();
    }
    streamed += writer.closing();
    expected += "\n]\n";
    EXPECT_EQ(streamed, expected);

    // The same, value by value, for a readable failure.
    const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(streamed);
    ASSERT_EQ(parsed.size(), races.size());
    for (std::size_t i = 0; i < races.size(); ++i)
        ASSERT_EQ(parsed[i], referenceJson(races[i])) << "race " << i + 1;
}

TEST(JsonFormat, InvalidUtf8InANoteBecomesReplacementCharacters)
{
    // A table-driven check of the cases a paste can bring: a stray byte, a sequence cut at the
    // end, an encoded surrogate, an overlong encoding.
    const struct {
        std::string note;
        std::string text;
    } cases[] = {
        {"a\xff"
         "b",
         "a\uFFFD"
         "b"},
        {"cut \xc3", "cut \uFFFD"},
        {"\xed\xa0\x80"
         "x",
         "\uFFFD\uFFFD\uFFFD"
         "x"},
        {"\xc0\xaf"
         "x",
         "\uFFFD\uFFFD"
         "x"},
    };
    for (const auto &[note, text] : cases) {
        RolledRace race = raceWithTexts("a", "b");
        race.texts[Worship] = note;
        std::string written;
        ASSERT_NO_THROW(written = json(race));
        const nlohmann::json parsed = nlohmann::json::parse(written);
        EXPECT_EQ(parsed["categories"][Worship]["text"], text);
        EXPECT_EQ(parsed["categories"][Language]["text"], "x");
    }
}

// The text a Foundry page's HTML shows of one category: what follows the label's heading, its
// line breaks and character references read back. No other markup may be there, nor a space
// that HTML would not show.
std::string shownText(std::string_view &content, std::string_view label)
{
    const std::string heading = "<h2>" + std::string(label) + "</h2>";
    EXPECT_TRUE(content.starts_with(heading)) << content.substr(0, 80);
    content.remove_prefix(std::min(heading.size(), content.size()));
    if (!content.starts_with("<p>"))
        return {};
    const std::size_t end = content.find("</p>");
    std::string shown(content.substr(3, end - 3));
    content.remove_prefix(std::min(end + 4, content.size()));
    shown = std::regex_replace(shown, std::regex("<br>"), "\n");
    // A single space stays one where a line may break.
    EXPECT_FALSE(std::regex_search(shown, std::regex("[^ ;>\n]&nbsp;"))) << shown;
    EXPECT_EQ(shown.find_first_of("<>\"'"), std::string::npos) << shown;
    // HTML folds a run of spaces into one, and drops a line's first.
    EXPECT_FALSE(std::regex_search(shown, std::regex("(^|\n| ) "))) << shown;
    for (const auto &[from, to] : {std::pair{"&nbsp;", " "},
                                   {"&lt;", "<"},
                                   {"&gt;", ">"},
                                   {"&quot;", "\""},
                                   {"&#39;", "'"},
                                   {"&amp;", "&"}})
        shown = std::regex_replace(shown, std::regex(from), to);
    return shown;
}

// The fields of Foundry's journal data model that Import Data reads, for random races and for
// notes with markup, runs of spaces and invalid UTF-8: every line of every text comes back.
TEST(FoundryJournal, PagesHoldWhatTheImportReadsWithEveryNoteAsText)
{
    std::vector<RolledRace> races = randomRaces(60);
    races[1].texts[Values] = "<b>&\"'</b>\r\n  two   spaced\r\n\r\nbad \xff";
    races[2].dice = -1;
    races.push_back(races.back()); // the same race twice, on two pages of their own
    RaceWriter writer(OutputFormat::Foundry);
    std::string written(writer.opening());
    for (const RolledRace &race : races)
        writer.append(written, race);
    written += writer.closing();
    const nlohmann::json journal = nlohmann::json::parse(written);
    EXPECT_EQ(journal["name"], "Vellicor: 61 races, seeds " + std::to_string(races[0].seed) + ", " +
                                   std::to_string(races[1].seed) + ", " +
                                   std::to_string(races[2].seed) + " and 57 more");
    ASSERT_EQ(journal["pages"].size(), races.size());
    std::set<std::string> ids;
    for (std::size_t index = 0; index < races.size(); ++index) {
        SCOPED_TRACE("page " + std::to_string(index));
        const RolledRace &race = races[index];
        const nlohmann::json &page = journal["pages"][index];
        const std::string id = page["_id"];
        EXPECT_TRUE(std::regex_match(id, std::regex("[A-Za-z0-9]{16}")) && ids.insert(id).second);
        EXPECT_EQ(page["name"], raceHeading(race));
        EXPECT_EQ(page["type"], "text");
        EXPECT_EQ(page["title"], nlohmann::json({{"show", true}, {"level", 1}}));
        EXPECT_EQ(page["text"]["format"], 1);
        EXPECT_EQ(page["sort"], (index + 1) * 100'000);
        nlohmann::json flags = {{"race", race.number},
                                {"seed", race.seed},
                                {"location", locationNames[rolledLocation(race.location)]},
                                {"lightyears", race.lightyears}};
        if (race.dice >= 0)
            flags["dice"] = race.dice;
        EXPECT_EQ(page["flags"]["vellicor"], flags);
        const std::string content = page["text"]["content"];
        std::string_view rest = content;
        for (std::size_t category = 0; category < race.texts.size(); ++category) {
            std::string expected =
                std::regex_replace(race.texts[category], std::regex("\r\n"), "\n");
            if (expected.ends_with('\n'))
                expected.pop_back();
            if (index == 1 && category == Values)
                expected = "<b>&\"'</b>\n  two   spaced\n\nbad \uFFFD";
            EXPECT_EQ(shownText(rest, categoryLabels[category]), expected)
                << categoryLabels[category];
        }
        EXPECT_EQ(rest, "");
    }
}

TEST(MarkdownFormat, DescriptionsAreWrittenAsAnyOtherText)
{
    // The unrolled copy matches no description, so every text takes the general path.
    for (const RolledRace &race : randomRaces(300)) {
        RolledRace unrolled = race;
        unrolled.profile = RaceProfile{};
        ASSERT_EQ(markdown(race), markdown(unrolled)) << "race " << race.number;
    }
}

TEST(JsonFormat, SecondRaceHoldsOnlyItsOwnValues)
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

    RaceWriter writer(OutputFormat::Json);
    std::string all(writer.opening());
    writer.append(all, first);
    writer.append(all, second);
    all += writer.closing();
    const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(all);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[1], referenceJson(second));
    EXPECT_EQ(parsed[1]["categories"][0]["text"], "second");
    EXPECT_EQ(parsed[1]["categories"][5]["fields"][4]["miscMod"], 30);
    EXPECT_EQ(parsed[1]["location"]["name"], "frontier");
}

TEST(RaceWriter, SeparatesRacesPerFormat)
{
    const struct {
        OutputFormat format;
        const char *between;
    } cases[] = {{OutputFormat::Text, "\n\nRace 2:"},
                 {OutputFormat::Markdown, "\n\n## Race 2:"},
                 {OutputFormat::Json, "}]},\n{\"race\":2,"},
                 {OutputFormat::Foundry, "}}},\n{\"_id\":"}};
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
