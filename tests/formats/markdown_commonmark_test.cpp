#include "formats/RaceFormat.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace vellicor {
namespace {

// What a CommonMark renderer (cmark, the reference implementation) makes of `markdown`: HTML.
std::string renderCommonMark(const std::string &markdown)
{
    char path[] = "/tmp/vellicor-markdown-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0)
        return "(no scratch file)";
    close(descriptor);
    std::ofstream(path, std::ios::binary) << markdown;
    std::string html;
    if (FILE *renderer = popen((std::string(VELLICOR_CMARK) + " " + path).c_str(), "r")) {
        char piece[4096];
        for (std::size_t read; (read = std::fread(piece, 1, sizeof piece, renderer)) > 0;)
            html.append(piece, read);
        if (pclose(renderer) != 0)
            html = "(cmark failed)";
    }
    std::remove(path);
    return html;
}

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The text a reader sees in each item of the race's list: line breaks as "\n", the characters
// HTML escapes as themselves. An item that holds any other markup (a list, a code span, a
// heading, a link...) keeps its tags, and so differs from any note typed.
std::vector<std::string> renderedItems(const std::string &html)
{
    std::vector<std::string> items;
    const std::string open = "<li>";
    const std::string close = "</li>\n";
    std::size_t at = html.find(open);
    while (at != std::string::npos) {
        // The item ends at the "</li>" that closes it, after any list nested in it.
        std::size_t end = html.find(close, at);
        for (std::size_t nested = html.find(open, at + open.size());
             nested != std::string::npos && nested < end;
             nested = html.find(open, nested + open.size()))
            end = html.find(close, end + close.size());
        std::string item = html.substr(at + open.size(), end - at - open.size());
        item = replaced(item, "<br />\n", "\n");
        const std::size_t label = item.find("</strong> ");
        if (item.starts_with("<strong>") && label != std::string::npos)
            item.erase(0, label + 10);
        item = replaced(item, "&lt;", "<");
        item = replaced(item, "&gt;", ">");
        item = replaced(item, "&quot;", "\"");
        item = replaced(item, "&amp;", "&");
        items.push_back(item);
        at = html.find(open, end);
    }
    return items;
}

// `text` with "\r\n" line breaks as the reader sees it: HTML shows no spaces at either end of
// a line, and CommonMark keeps none there; a final line break ends the line and adds none.
std::string asShown(std::string_view text)
{
    std::string shown;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        std::string_view line = text.substr(0, end);
        const std::size_t first = line.find_first_not_of(' ');
        line = first == std::string_view::npos
                   ? std::string_view()
                   : line.substr(first, line.find_last_not_of(' ') - first + 1);
        shown += line;
        if (end == std::string_view::npos || end + 2 == text.size())
            break;
        shown += '\n';
        text.remove_prefix(end + 2);
    }
    return shown;
}

struct TypedNote {
    const char *name;
    const char *note; // with the dialog's "\r\n" line breaks
};

void PrintTo(const TypedNote &note, std::ostream *os)
{
    *os << note.name;
}

// Each note follows a line of its own, so a line that turned into a block of its own would also
// leave a stray backslash at the end of the line before it.
const TypedNote typedNotes[] = {
    {"a dash list item", "- first point"},
    {"a plus list item", "+ second point"},
    {"an ordered item with a dot", "1. first"},
    {"an ordered item with a parenthesis", "2) second"},
    {"a long number with a dot", "2026. the year"},
    {"an indented list item", "   - indented point"},
    {"a thematic break", "---"},
    {"a heading underline", "==="},
    {"an entity", "&amp; and &lt; and &#35;"},
    {"a bare ampersand", "salt & pepper"},
    {"a heading", "# not a heading"},
    {"a quote", "> not quoted"},
    {"a code fence", "```\r\ncode\r\n```"},
    {"emphasis and code", "*a* _b_ `c` ~~d~~"},
    {"a link and an image", "[link](http://example.org) ![image](x.png)"},
    {"HTML", "<b>bold</b> <!-- comment -->"},
    {"a table row", "| a | b |"},
    {"backslashes", "one \\ two \\\\ end\\"},
    {"an empty line", "before\r\n\r\nafter"},
    {"a number alone", "42"},
    {"a minus number", "-20 modifier"},
    {"plus and equals inside a line", "a + b = c - d"},
};

class CommonMarkRendering : public ::testing::TestWithParam<TypedNote>
{
};

TEST_P(CommonMarkRendering, ShowsTheNoteAsTyped)
{
    if (std::string(VELLICOR_CMARK).empty())
        GTEST_SKIP() << "cmark is not installed (Debian package cmark)";
    const testing::SilentTrace quiet;
    RolledRace race;
    race.number = 3;
    race.seed = 1700000000;
    race.location = Backnet;
    race.lightyears = 120;
    seedDice(1700000000);
    race.roll();
    // Every category holds the note, after its description's first line, so notes in each of
    // the ten items (and every description) are checked.
    const std::string note = "line before\r\n" + std::string(GetParam().note);
    for (std::string &text : race.texts)
        text = text.substr(0, text.find("\r\n")) + "\r\n" + note;

    std::string markdown;
    RaceWriter writer(OutputFormat::Markdown);
    writer.append(markdown, race);
    const std::string html = renderCommonMark(markdown);

    const std::vector<std::string> items = renderedItems(html);
    ASSERT_EQ(items.size(), race.texts.size()) << html;
    for (std::size_t category = 0; category < items.size(); ++category)
        EXPECT_EQ(items[category], asShown(race.texts[category]))
            << categoryLabels[category] << "\n"
            << markdown << "\n"
            << html;
}

INSTANTIATE_TEST_SUITE_P(Notes, CommonMarkRendering, ::testing::ValuesIn(typedNotes),
                         [](const ::testing::TestParamInfo<TypedNote> &info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// The descriptions themselves, as rolled: the Tech/Sci Level's blank lines and wide spacing too.
TEST(CommonMarkRendering, ShowsEveryDescriptionAsWritten)
{
    if (std::string(VELLICOR_CMARK).empty())
        GTEST_SKIP() << "cmark is not installed (Debian package cmark)";
    const testing::SilentTrace quiet;
    seedDice(20261209);
    for (const Location location : {InnerProvince, Frontier, Backnet}) {
        for (int race = 0; race < 20; ++race) {
            RolledRace rolled;
            rolled.location = location;
            rolled.lightyears = race * 30;
            rolled.roll();
            std::string markdown;
            appendMarkdown(markdown, rolled);
            const std::vector<std::string> items = renderedItems(renderCommonMark(markdown));
            ASSERT_EQ(items.size(), rolled.texts.size()) << markdown;
            for (std::size_t category = 0; category < items.size(); ++category)
                EXPECT_EQ(items[category], asShown(rolled.texts[category])) << markdown;
        }
    }
}

} // namespace
} // namespace vellicor
