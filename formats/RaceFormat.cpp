#include "formats/RaceFormat.h"

#include <algorithm>
#include <cstddef>

namespace vellicor {

namespace {

// The JSON's names for the engineering fields, in the order of engineeringFields.
constexpr std::array<std::string_view, 5> engineeringFieldNames{"computer", "electrical",
                                                                "mechanical", "power", "weapon"};

constexpr std::size_t longestLabel =
    std::ranges::max(categoryLabels, {}, [](std::string_view label) {
        return label.size();
    }).size();
// Text output: two spaces, the label and its colon padded to a common width, one space.
constexpr std::size_t textColumn = 2 + longestLabel + 1 + 1;

// Calls `onLine` for every line of a description. Lines end in "\r\n"; a break at the very end
// closes the last line instead of opening an empty one.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine onLine)
{
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        onLine(line, first);
        first = false;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

void appendHeading(std::string &buffer, const RolledRace &race)
{
    const bool oneLightyear = race.lightyears == 1 || race.lightyears == -1;
    buffer += "Race ";
    buffer += std::to_string(race.number);
    buffer += ": ";
    buffer += locationLabels[rolledLocation(race.location)];
    buffer += ", ";
    buffer += std::to_string(race.lightyears);
    buffer += oneLightyear ? " light year from Sol, seed " : " light years from Sol, seed ";
    buffer += std::to_string(race.seed);
}

// Description texts are plain prose, but a stray Markdown character would still change how a
// note renders, so every one is escaped.
constexpr std::array<bool, 256> markdownSpecial = [] {
    std::array<bool, 256> special{};
    for (const char c : std::string_view("\\`*_[]<>#|~"))
        special[static_cast<unsigned char>(c)] = true;
    return special;
}();

void appendMarkdownEscaped(std::string &buffer, std::string_view text)
{
    const auto isSpecial = [](char c) { return markdownSpecial[static_cast<unsigned char>(c)]; };
    for (auto next = std::ranges::find_if(text, isSpecial); next != text.end();
         next = std::ranges::find_if(text, isSpecial)) {
        const auto at = static_cast<std::size_t>(next - text.begin());
        buffer += text.substr(0, at);
        buffer += '\\';
        buffer += *next;
        text.remove_prefix(at + 1);
    }
    buffer += text;
}

} // namespace

std::string raceHeading(const RolledRace &race)
{
    std::string heading;
    appendHeading(heading, race);
    return heading;
}

void appendText(std::string &buffer, const RolledRace &race)
{
    appendHeading(buffer, race);
    buffer += '\n';
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        forEachLine(race.texts[category], [&](std::string_view line, bool first) {
            if (first) {
                buffer += "  ";
                buffer += categoryLabels[category];
                buffer += ':';
                buffer.append(textColumn - 3 - categoryLabels[category].size(), ' ');
            } else if (!line.empty()) {
                buffer.append(textColumn, ' ');
            }
            buffer += line;
            buffer += '\n';
        });
    }
}

void appendMarkdown(std::string &buffer, const RolledRace &race)
{
    buffer += "## ";
    appendHeading(buffer, race);
    buffer += "\n\n";
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        buffer += "- **";
        appendMarkdownEscaped(buffer, categoryLabels[category]);
        buffer += ":** ";
        forEachLine(race.texts[category], [&](std::string_view line, bool first) {
            // A backslash before the line feed is a hard line break inside the list item.
            if (!first)
                buffer += "\\\n  ";
            appendMarkdownEscaped(buffer, line);
        });
        buffer += '\n';
    }
}

void raceToJson(const RolledRace &race, nlohmann::ordered_json &json)
{
    using Json = nlohmann::ordered_json;
    // Every race has the same keys in the same order, so the skeleton is built once and each
    // race only overwrites its values; strings then keep their capacity from race to race.
    if (json.is_null()) {
        Json categories = Json::array();
        for (std::size_t category = 0; category < categoryMembers.size(); ++category) {
            Json entry = {{"category", category}, {"label", categoryLabels[category]}};
            if (categoryMembers[category].index)
                entry["index"] = 0;
            if (categoryMembers[category].extension)
                entry["extension"] = 0;
            if (category == TechSciLevel) {
                entry["fields"] = Json::array();
                for (const std::string_view name : engineeringFieldNames)
                    entry["fields"].push_back(
                        {{"field", name}, {"diffLevel", 0}, {"rankBonus", 0}, {"miscMod", 0}});
            }
            entry["text"] = "";
            categories.push_back(std::move(entry));
        }
        json = {{"race", 0},
                {"seed", 0},
                {"location", {{"name", ""}, {"value", 0}, {"label", ""}}},
                {"lightyears", 0},
                {"categories", std::move(categories)}};
    }

    // Headings name the location the race was rolled for.
    const std::size_t location = rolledLocation(race.location);
    json["race"] = race.number;
    json["seed"] = race.seed;
    Json &place = json["location"];
    place["name"].get_ref<std::string &>() = locationNames[location];
    place["value"] = location;
    place["label"].get_ref<std::string &>() = locationLabels[location];
    json["lightyears"] = race.lightyears;
    Json &categories = json["categories"];
    for (std::size_t category = 0; category < categoryMembers.size(); ++category) {
        Json &entry = categories[category];
        const CategoryMembers members = categoryMembers[category];
        if (members.index)
            entry["index"] = race.profile.*members.index;
        if (members.extension)
            entry["extension"] = race.profile.*members.extension;
        if (category == TechSciLevel) {
            Json &fields = entry["fields"];
            for (std::size_t field = 0; field < engineeringFields.size(); ++field) {
                const ScienceLevel &level = race.profile.*engineeringFields[field];
                fields[field]["diffLevel"] = level.diffLevel;
                fields[field]["rankBonus"] = level.rankBonus;
                fields[field]["miscMod"] = level.miscMod;
            }
        }
        entry["text"].get_ref<std::string &>() = race.texts[category];
    }
}

nlohmann::ordered_json raceToJson(const RolledRace &race)
{
    nlohmann::ordered_json json;
    raceToJson(race, json);
    return json;
}

std::string_view RaceWriter::opening() const
{
    return format == OutputFormat::Json ? "[\n" : "";
}

void RaceWriter::append(std::string &buffer, const RolledRace &race)
{
    if (!first)
        buffer += format == OutputFormat::Json ? ",\n" : "\n";
    first = false;
    switch (format) {
    case OutputFormat::Text:
        appendText(buffer, race);
        break;
    case OutputFormat::Markdown:
        appendMarkdown(buffer, race);
        break;
    case OutputFormat::Json:
        raceToJson(race, json);
        buffer += json.dump();
        break;
    }
}

std::string_view RaceWriter::closing() const
{
    return format == OutputFormat::Json ? "\n]\n" : "";
}

} // namespace vellicor
