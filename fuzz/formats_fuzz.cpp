// The formats with fuzzer-chosen races: rolled numbers in and out of range, and texts
// that are either the description of those numbers or any bytes at all, as a user's notes in
// the dialog can be. The input starts with the numbers, then two bytes whose bits pick, category
// by category, the description or a text of the input; the texts follow, separated by NUL.
// Every race must give:
// - JSON that parses into one race whose numbers are the race's, and whose texts are the race's
//   wherever the library itself can encode them (valid UTF-8);
// - a Foundry VTT journal that parses into one page with the race's seed;
// - text and Markdown that open with the race's heading and show every category's label.

#include "formats/RaceFormat.h"

#include "FuzzInput.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vellicor;

namespace {

void fail(const char *what, const std::string &written)
{
    std::fprintf(stderr, "formats fuzz: %s\n%s\n", what, written.c_str());
    std::abort();
}

std::string written(OutputFormat format, const RolledRace &race)
{
    RaceWriter writer(format);
    std::string buffer(writer.opening());
    writer.append(buffer, race);
    buffer += writer.closing();
    return buffer;
}

bool encodable(const std::string &text)
{
    try {
        static_cast<void>(nlohmann::json(text).dump());
        return true;
    } catch (const nlohmann::json::type_error &) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput input(data, size);
    RolledRace race;
    race.number = input.nextInt32(1);
    race.seed = input.nextInt32();
    race.location = static_cast<Location>(input.nextInt32());
    race.lightyears = input.nextInt32();
    for (const CategoryMembers &members : categoryMembers) {
        if (members.index)
            race.profile.*members.index = input.nextInt32() % 12 - 1;
        if (members.extension)
            race.profile.*members.extension = input.nextInt32() % 12;
    }
    for (ScienceLevel RaceProfile::*field : engineeringFields)
        race.profile.*
            field = {input.nextInt32() % 6, input.nextInt32() % 7, input.nextInt32() % 90 - 50};

    // Two bytes after the numbers pick, bit by bit, the categories that take a text of the input.
    std::size_t next = input.used();
    unsigned choice = 0;
    for (unsigned byte = 0; byte < 2 && next < size; ++byte, ++next)
        choice |= static_cast<unsigned>(data[next]) << (8 * byte);
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    rest.remove_prefix(next);
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        if (choice & (1u << category)) {
            const std::size_t end = rest.find('\0');
            race.texts[category] = rest.substr(0, end);
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        } else {
            race.texts[category] = race.profile.describe(static_cast<Category>(category));
        }
    }

    const std::string json = written(OutputFormat::Json, race);
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(json);
    } catch (const nlohmann::json::parse_error &) {
        fail("the JSON does not parse", json);
    }
    if (!parsed.is_array() || parsed.size() != 1)
        fail("the JSON does not hold one race", json);
    const nlohmann::json &entry = parsed[0];
    if (entry["race"] != race.number || entry["seed"] != race.seed ||
        entry["lightyears"] != race.lightyears)
        fail("the JSON's numbers are not the race's", json);
    for (std::size_t category = 0; category < race.texts.size(); ++category) {
        const std::string &text = race.texts[category];
        if (encodable(text) && entry["categories"][category]["text"] != text)
            fail("a text in the JSON is not the race's", json);
    }

    // The journal parses too, invalid UTF-8 and all, into one page that names the race.
    const std::string journal = written(OutputFormat::Foundry, race);
    const nlohmann::json parsedJournal = nlohmann::json::parse(journal, nullptr, false);
    const nlohmann::json pages = parsedJournal.is_object()
                                     ? parsedJournal.value("pages", nlohmann::json::array())
                                     : nlohmann::json::array();
    const nlohmann::json::json_pointer seed("/0/flags/vellicor/seed");
    if (pages.size() != 1 || !pages.contains(seed) || pages[seed] != race.seed)
        fail("the journal does not hold the race's page", journal);

    const std::string heading = raceHeading(race);
    for (const OutputFormat format : {OutputFormat::Text, OutputFormat::Markdown}) {
        const std::string shown = written(format, race);
        const std::string opening = (format == OutputFormat::Markdown ? "## " : "") + heading;
        if (!shown.starts_with(opening + '\n'))
            fail("the race does not open with its heading", shown);
        for (const std::string_view label : categoryLabels) {
            if (shown.find(label) == std::string::npos)
                fail("a category's label is missing", shown);
        }
    }
    return 0;
}
