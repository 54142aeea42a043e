#include "formats/FoundryJournal.h"

#include "formats/HtmlText.h"
#include "formats/RaceFormat.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string_view>

namespace vellicor {

namespace {

// Foundry spaces the sort values of new documents this far apart.
constexpr std::int64_t sortStep = 100'000;

constexpr std::string_view idDigits =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
// Of a page's 16-character _id, the last six count its place in the journal: 62^6 places, far
// more than any file of races holds, so that no two pages of a journal share an _id.
constexpr int placeDigits = 6;
constexpr int hashDigits = 16 - placeDigits;

// The lowest `count` base-62 digits of `value`, the highest first.
void appendDigits(std::string &buffer, std::uint64_t value, int count)
{
    buffer.append(static_cast<std::size_t>(count), '0');
    for (auto digit = buffer.rbegin(); digit != buffer.rbegin() + count; ++digit) {
        *digit = idDigits[value % idDigits.size()];
        value /= idDigits.size();
    }
}

// FNV-1a over the values that name the race, byte by byte from the lowest, so that every
// platform (the page's WebAssembly too) gets the same _id.
std::uint64_t raceHash(const RolledRace &race)
{
    std::uint64_t hash = 14695981039346656037u;
    for (const std::int64_t value :
         {std::int64_t{race.number}, std::int64_t{race.seed}, race.dice,
          std::int64_t{rolledLocation(race.location)}, std::int64_t{race.lightyears}}) {
        auto bits = static_cast<std::uint64_t>(value);
        for (int byte = 0; byte < 8; ++byte, bits >>= 8) {
            hash ^= bits & 0xff;
            hash *= 1099511628211u;
        }
    }
    return hash;
}

// Any text as a JSON string. Invalid UTF-8 (a note pasted from who knows where) becomes U+FFFD,
// as in the JSON format.
void appendJsonString(std::string &buffer, std::string_view text)
{
    buffer += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// One line of a text as HTML: escaped, with the runs of spaces that line up the engineering
// ratings kept (HTML would fold each into one), and so the spaces a line starts with.
void appendHtmlLine(std::string &buffer, std::string_view line)
{
    bool afterSpace = true;
    for (std::size_t start = 0; start < line.size();) {
        if (line[start] == ' ') {
            buffer += afterSpace ? "&nbsp;" : " ";
            afterSpace = true;
            ++start;
            continue;
        }
        const std::size_t end = std::min(line.find(' ', start), line.size());
        appendHtmlEscaped(buffer, line.substr(start, end - start));
        afterSpace = false;
        start = end;
    }
}

// A text as one paragraph whose lines (the boxes' "\r\n", or a note's "\n") are kept as line
// breaks, empty lines too; a break at the very end closes the last line. An empty text has none.
void appendHtmlText(std::string &buffer, std::string_view text)
{
    if (text.empty())
        return;
    buffer += "<p>";
    for (bool first = true; !text.empty(); first = false) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!first)
            buffer += "<br>";
        appendHtmlLine(buffer, line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    buffer += "</p>";
}

} // namespace

void appendFoundryPage(std::string &buffer, const RolledRace &race, std::int64_t index)
{
    buffer += "{\"_id\":\"";
    appendDigits(buffer, raceHash(race), hashDigits);
    appendDigits(buffer, static_cast<std::uint64_t>(index), placeDigits);
    buffer += "\",\"name\":";
    appendJsonString(buffer, raceHeading(race));
    buffer += ",\"type\":\"text\",\"title\":{\"show\":true,\"level\":1},\"text\":{\"format\":1,"
              "\"content\":";
    std::string content;
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        content += "<h2>";
        appendHtmlEscaped(content, categoryLabels[category]);
        content += "</h2>";
        appendHtmlText(content, race.texts[category]);
    }
    appendJsonString(buffer, content);
    buffer += "},\"sort\":";
    buffer += std::to_string((index + 1) * sortStep);
    buffer += ",\"flags\":{\"vellicor\":{\"race\":";
    buffer += std::to_string(race.number);
    buffer += ",\"seed\":";
    buffer += std::to_string(race.seed);
    if (race.dice >= 0) { // read from a file that did not say, as in the JSON format
        buffer += ",\"dice\":";
        buffer += std::to_string(race.dice);
    }
    buffer += ",\"location\":\"";
    buffer += locationNames[rolledLocation(race.location)];
    buffer += "\",\"lightyears\":";
    buffer += std::to_string(race.lightyears);
    buffer += "}}}";
}

void FoundryJournalName::add(const RolledRace &race)
{
    ++races;
    if (seeds.insert(race.seed).second && firstSeeds.size() < namedSeeds)
        firstSeeds.push_back(race.seed);
}

std::string FoundryJournalName::name() const
{
    std::string name = "Vellicor: " + std::to_string(races) + (races == 1 ? " race" : " races");
    if (seeds.empty())
        return name;
    name += seeds.size() == 1 ? ", seed " : ", seeds ";
    for (std::size_t each = 0; each < firstSeeds.size(); ++each) {
        if (each > 0)
            name += each + 1 == seeds.size() ? " and " : ", ";
        name += std::to_string(firstSeeds[each]);
    }
    if (seeds.size() > firstSeeds.size())
        name += " and " + std::to_string(seeds.size() - firstSeeds.size()) + " more";
    return name;
}

} // namespace vellicor
