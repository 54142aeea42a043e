#include "formats/RaceFormat.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

namespace vellicor {

namespace {

using namespace std::string_view_literals;

// The JSON's names for the engineering fields, in the order of engineeringFields.
constexpr std::array<std::string_view, 5> engineeringFieldNames{"computer", "electrical",
                                                                "mechanical", "power", "weapon"};
// The ratings of each engineering field, in the order the JSON and the descriptions show them.
constexpr std::array<std::int32_t ScienceLevel::*, 3> ratings{
    &ScienceLevel::diffLevel, &ScienceLevel::rankBonus, &ScienceLevel::miscMod};

constexpr std::size_t longestLabel =
    std::max_element(categoryLabels.begin(), categoryLabels.end(),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();
// Text output: two spaces, the label and its colon padded to a common width, one space.
constexpr std::size_t textColumn = 2 + longestLabel + 1 + 1;

// The decimal digits of `value`, in `digits`. Most numbers a race shows are single digits.
inline std::string_view decimal(std::int32_t value, std::array<char, 11> &digits)
{
    if (value >= 0 && value <= 9) {
        digits[0] = static_cast<char>('0' + value);
        return {digits.data(), 1};
    }
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return {digits.data(), static_cast<std::size_t>(end - digits.data())};
}

inline void appendNumber(std::string &buffer, std::int32_t value)
{
    std::array<char, 11> digits;
    buffer += decimal(value, digits);
}

inline void appendNumber(std::string &buffer, std::int64_t value)
{
    std::array<char, 20> digits;
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    buffer.append(digits.data(), end);
}

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
    appendNumber(buffer, race.number);
    buffer += ": ";
    buffer += locationLabels[rolledLocation(race.location)];
    buffer += ", ";
    appendNumber(buffer, race.lightyears);
    buffer += oneLightyear ? " light year from Sol, seed " : " light years from Sol, seed ";
    appendNumber(buffer, race.seed);
    if (race.dice < 0)
        return; // read from a file that did not say
    buffer += ", after ";
    appendNumber(buffer, race.dice);
    buffer += race.dice == 1 ? " die" : " dice";
}

// Description texts are plain prose, but a stray Markdown character would still change how a
// note renders, so every one is escaped; `&` too, or "&amp;" would render as "&".
constexpr std::array<bool, 256> markdownSpecial = [] {
    std::array<bool, 256> special{};
    for (const char c : std::string_view("\\`*_[]<>#|~&"))
        special[static_cast<unsigned char>(c)] = true;
    return special;
}();

void appendMarkdownEscaped(std::string &buffer, std::string_view text)
{
    const auto isSpecial = [](char c) { return markdownSpecial[static_cast<unsigned char>(c)]; };
    for (auto next = std::find_if(text.begin(), text.end(), isSpecial); next != text.end();
         next = std::find_if(text.begin(), text.end(), isSpecial)) {
        const auto at = static_cast<std::size_t>(next - text.begin());
        buffer += text.substr(0, at);
        buffer += '\\';
        buffer += *next;
        text.remove_prefix(at + 1);
    }
    buffer += text;
}

// A line of a list item's body that begins like a list item ("- ", "+ ", "1. ", "2) "), a
// thematic break ("---") or a heading's underline ("===") would open a block of its own. With
// the character that makes it a marker escaped, the line stays text. Returns how much of `line`
// was written.
std::size_t appendMarkdownLineStart(std::string &buffer, std::string_view line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return 0;
    std::size_t marker = start;
    if (line[start] >= '0' && line[start] <= '9') {
        marker = line.find_first_not_of("0123456789", start);
        if (marker == std::string_view::npos || (line[marker] != '.' && line[marker] != ')'))
            return 0;
    } else if (line[start] != '-' && line[start] != '+' && line[start] != '=') {
        return 0;
    }
    buffer += line.substr(0, marker);
    buffer += '\\';
    buffer += line[marker];
    return marker + 1;
}

// Any text as a Markdown list item's body: a backslash before the line feed is a hard line
// break inside the item.
void appendMarkdownText(std::string &buffer, std::string_view text)
{
    forEachLine(text, [&](std::string_view line, bool first) {
        if (!first) {
            buffer += "\\\n  ";
            line.remove_prefix(appendMarkdownLineStart(buffer, line));
        }
        appendMarkdownEscaped(buffer, line);
    });
}

// Any text as a JSON string, quotes included. The library does the escaping; invalid UTF-8 (a
// note pasted from who knows where) becomes U+FFFD instead of an exception.
void appendJsonText(std::string &buffer, std::string_view text)
{
    buffer += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string jsonText(std::string_view text)
{
    std::string json;
    appendJsonText(json, text);
    return json;
}

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string all;
    for (const std::string_view part : parts)
        all += part;
    return all;
}

// The numbers a description may show, in a fixed order: the ratings of the engineering fields.
using DescribedNumbers = std::array<std::int32_t, engineeringFields.size() * ratings.size()>;

DescribedNumbers describedNumbers(const RaceProfile &profile)
{
    DescribedNumbers numbers{};
    for (std::size_t field = 0; field < engineeringFields.size(); ++field) {
        for (std::size_t rating = 0; rating < ratings.size(); ++rating)
            numbers[field * ratings.size() + rating] =
                profile.*engineeringFields[field].*ratings[rating];
    }
    return numbers;
}

// One text that describe() can give, as constant pieces with a described number between each
// two of them. Each piece is kept as describe() returns it and as each format writes it, so a
// race whose text is exactly its description is written by copying, with no escaping at all.
struct DescriptionForm {
    std::vector<std::string> raw;
    std::vector<std::string> markdown;
    std::vector<std::string> json;
    // Which DescribedNumbers entry follows each piece but the last.
    std::vector<std::size_t> numbers;
};

// Numbers no rating ever reaches, so each marks where its rating appears in a text. Digits pass
// unchanged through both formats, so the written forms are cut at the same marks.
constexpr std::int32_t markerBase = 1'900'000'000;

DescriptionForm makeForm(const RaceProfile &markedProfile, Category category)
{
    DescriptionForm form;
    const std::string text = markedProfile.describe(category);
    std::string markdown;
    appendMarkdownText(markdown, text);
    const std::string json = jsonText(text);

    std::string_view rawRest = text;
    std::string_view markdownRest = markdown;
    std::string_view jsonRest = json;
    const auto cut = [](std::string_view &rest, std::string_view marker) {
        const std::size_t at = rest.find(marker);
        std::string piece(rest.substr(0, at));
        rest.remove_prefix(at + marker.size());
        return piece;
    };
    const DescribedNumbers marks = describedNumbers(markedProfile);
    for (;;) {
        // The next marker in the text, if any.
        std::size_t next = std::string_view::npos;
        std::size_t slot = 0;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const std::size_t at = rawRest.find(std::to_string(marks[i]));
            if (at < next) {
                next = at;
                slot = i;
            }
        }
        if (next == std::string_view::npos)
            break;
        const std::string marker = std::to_string(marks[slot]);
        form.raw.push_back(cut(rawRest, marker));
        form.markdown.push_back(cut(markdownRest, marker));
        form.json.push_back(cut(jsonRest, marker));
        form.numbers.push_back(slot);
    }
    form.raw.emplace_back(rawRest);
    form.markdown.emplace_back(markdownRest);
    form.json.emplace_back(jsonRest);
    return form;
}

// Everything constant that the formats write, made once: the written forms of every text
// describe() gives for a rolled race, and the labels and keys around them.
struct WrittenForms {
    // By category, then by result index, then (for the four categories with one) by extension
    // 1 to 10. Tech/Sci Level has one form, with its ratings as numbers.
    std::array<std::vector<DescriptionForm>, 10> descriptions;
    std::array<std::string, 10> markdownItems; // - **Label:**
    // The JSON between the values: from one category's opening brace to its first value (the
    // one before also closes the previous category), and from each engineering field's opening
    // brace to its difficulty level (the one before also opens the list or closes a field).
    std::array<std::string, 10> jsonCategories; // {"category":0,"label":"Basic Type","index":
    std::array<std::string, 3> jsonLocations;   // ,"location":{...},"lightyears":
    std::array<std::string, 5> jsonFields;      // {"field":"computer","diffLevel":

    static constexpr std::int32_t results = 10;
    static constexpr std::int32_t extensions = 10;

    WrittenForms()
    {
        RaceProfile marked;
        for (std::size_t field = 0; field < engineeringFields.size(); ++field) {
            for (std::size_t rating = 0; rating < ratings.size(); ++rating)
                marked.*engineeringFields[field].*ratings[rating] =
                    markerBase + static_cast<std::int32_t>(field * ratings.size() + rating);
        }
        descriptions[TechSciLevel].push_back(makeForm(marked, TechSciLevel));
        for (std::size_t category = 0; category < categoryMembers.size(); ++category) {
            const CategoryMembers members = categoryMembers[category];
            if (!members.index)
                continue;
            for (std::int32_t index = 0; index < results; ++index) {
                RaceProfile profile = marked;
                profile.*members.index = index;
                for (std::int32_t extension = 1; extension <= (members.extension ? extensions : 1);
                     ++extension) {
                    if (members.extension)
                        profile.*members.extension = extension;
                    descriptions[category].push_back(
                        makeForm(profile, static_cast<Category>(category)));
                }
            }
        }

        for (std::size_t category = 0; category < categoryLabels.size(); ++category) {
            markdownItems[category] = "- **";
            appendMarkdownEscaped(markdownItems[category], categoryLabels[category]);
            markdownItems[category] += ":** ";
            jsonCategories[category] =
                joined({category == 0 ? ",\"categories\":[" : "},", "{\"category\":",
                        std::to_string(category), ",\"label\":", jsonText(categoryLabels[category]),
                        categoryMembers[category].index ? ",\"index\":" : ""});
        }
        for (std::size_t location = 0; location < locationLabels.size(); ++location)
            jsonLocations[location] =
                joined({",\"location\":{\"name\":", jsonText(locationNames[location]),
                        ",\"value\":", std::to_string(location),
                        ",\"label\":", jsonText(locationLabels[location]), "},\"lightyears\":"});
        for (std::size_t field = 0; field < engineeringFieldNames.size(); ++field)
            jsonFields[field] =
                joined({field == 0 ? ",\"fields\":[" : "},",
                        "{\"field\":", jsonText(engineeringFieldNames[field]), ",\"diffLevel\":"});
    }

    // The form of the text describe() gives for `category` of `profile`, or none where the
    // profile holds a result or extension that generate() never rolls.
    const DescriptionForm *description(const RaceProfile &profile, std::size_t category) const
    {
        const CategoryMembers members = categoryMembers[category];
        if (!members.index)
            return &descriptions[category].front();
        const std::int32_t index = profile.*members.index;
        if (index < 0 || index >= results)
            return nullptr;
        if (!members.extension)
            return &descriptions[category][static_cast<std::size_t>(index)];
        const std::int32_t extension = profile.*members.extension;
        if (extension < 1 || extension > extensions)
            return nullptr;
        return &descriptions[category]
                            [static_cast<std::size_t>(index * extensions + extension - 1)];
    }
};

const WrittenForms &writtenForms()
{
    static const WrittenForms forms;
    return forms;
}

// A number is a few digits: comparing them in a loop here beats a call to memcmp.
inline bool startsWithNumber(std::string_view text, std::string_view number)
{
    return text.size() >= number.size() && std::equal(number.begin(), number.end(), text.begin(),
                                                      [](char a, char b) { return a == b; });
}

// Appends `text` in one format's written form. A text that is exactly what describe() gives for
// the race's profile is copied from `form`; anything else, such as a user's note, goes through
// `appendAny`, which gives the same bytes for a description, only slower.
template <typename AppendAny>
void appendDescription(std::string &buffer, std::string_view text, const DescriptionForm *form,
                       std::vector<std::string> DescriptionForm::*written,
                       const DescribedNumbers &numbers, AppendAny appendAny)
{
    const std::size_t start = buffer.size();
    if (form) {
        std::string_view rest = text;
        const std::vector<std::string> &pieces = form->*written;
        for (std::size_t piece = 0;; ++piece) {
            if (!rest.starts_with(form->raw[piece]))
                break;
            rest.remove_prefix(form->raw[piece].size());
            buffer += pieces[piece];
            if (piece == form->numbers.size()) {
                if (rest.empty())
                    return;
                break;
            }
            std::array<char, 11> digits;
            const std::string_view number = decimal(numbers[form->numbers[piece]], digits);
            if (!startsWithNumber(rest, number))
                break;
            rest.remove_prefix(number.size());
            buffer += number;
        }
    }
    buffer.resize(start);
    appendAny(buffer, text);
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
        // A text the user emptied in the dialog still shows its category, with nothing after it.
        if (race.texts[category].empty()) {
            buffer += "  ";
            buffer += categoryLabels[category];
            buffer += ":\n";
            continue;
        }
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
    const WrittenForms &forms = writtenForms();
    const DescribedNumbers numbers = describedNumbers(race.profile);
    buffer += "## ";
    appendHeading(buffer, race);
    buffer += "\n\n";
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        buffer += forms.markdownItems[category];
        appendDescription(buffer, race.texts[category], forms.description(race.profile, category),
                          &DescriptionForm::markdown, numbers, appendMarkdownText);
        buffer += '\n';
    }
}

void appendJson(std::string &buffer, const RolledRace &race)
{
    const WrittenForms &forms = writtenForms();
    const DescribedNumbers numbers = describedNumbers(race.profile);
    buffer += "{\"race\":"sv;
    appendNumber(buffer, race.number);
    buffer += ",\"seed\":"sv;
    appendNumber(buffer, race.seed);
    if (race.dice >= 0) {
        buffer += ",\"dice\":"sv;
        appendNumber(buffer, race.dice);
    }
    // Headings name the location the race was rolled for.
    buffer += forms.jsonLocations[rolledLocation(race.location)];
    appendNumber(buffer, race.lightyears);
    for (std::size_t category = 0; category < categoryMembers.size(); ++category) {
        const CategoryMembers members = categoryMembers[category];
        buffer += forms.jsonCategories[category];
        if (members.index)
            appendNumber(buffer, race.profile.*members.index);
        if (members.extension) {
            buffer += ",\"extension\":"sv;
            appendNumber(buffer, race.profile.*members.extension);
        }
        if (category == TechSciLevel) {
            for (std::size_t field = 0; field < engineeringFields.size(); ++field) {
                buffer += forms.jsonFields[field];
                appendNumber(buffer, numbers[field * ratings.size()]);
                buffer += ",\"rankBonus\":"sv;
                appendNumber(buffer, numbers[field * ratings.size() + 1]);
                buffer += ",\"miscMod\":"sv;
                appendNumber(buffer, numbers[field * ratings.size() + 2]);
            }
            buffer += "}]"sv;
        }
        buffer += ",\"text\":"sv;
        appendDescription(buffer, race.texts[category], forms.description(race.profile, category),
                          &DescriptionForm::json, numbers, appendJsonText);
    }
    buffer += "}]}"sv;
}

std::string_view RaceWriter::opening() const
{
    switch (format) {
    case OutputFormat::Json:
        return "[\n";
    case OutputFormat::Foundry:
        return "{\"pages\":[\n";
    default:
        return "";
    }
}

void RaceWriter::append(std::string &buffer, const RolledRace &race)
{
    if (appended > 0)
        buffer += format == OutputFormat::Json || format == OutputFormat::Foundry ? ",\n" : "\n";
    switch (format) {
    case OutputFormat::Text:
        appendText(buffer, race);
        break;
    case OutputFormat::Markdown:
        appendMarkdown(buffer, race);
        break;
    case OutputFormat::Json:
        appendJson(buffer, race);
        break;
    case OutputFormat::Foundry:
        appendFoundryPage(buffer, race, appended);
        journalName.add(race);
        break;
    }
    ++appended;
}

std::string RaceWriter::closing() const
{
    switch (format) {
    case OutputFormat::Json:
        return "\n]\n";
    case OutputFormat::Foundry: {
        std::string closing = "\n],\"name\":";
        closing += nlohmann::json(journalName.name()).dump();
        closing += "}\n";
        return closing;
    }
    default:
        return {};
    }
}

} // namespace vellicor
