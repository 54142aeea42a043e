#include "formats/RaceReader.h"

#include "formats/RaceFormat.h"
#include "formats/RaceReplay.h"
#include "generation/Dice.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <optional>
#include <utility>

namespace vellicor {

namespace {

using Json = nlohmann::json;

// Races nest six deep: the list, a race, its categories, a category, its engineering fields and
// a field. A file nested deeper is of another shape, and refusing it early keeps a file of a
// million brackets from filling the memory.
constexpr int deepestNesting = 6;
// More keys and values in one object, or items in one list inside a race, than any later
// version would write.
constexpr std::size_t mostEntries = 2000;

// "race 3, Values" and so on: where something is wrong.
std::string where(std::size_t race, std::string_view inside = {})
{
    std::string place = "race " + std::to_string(race + 1);
    if (!inside.empty()) {
        place += ", ";
        place += inside;
    }
    return place;
}

// One line whatever the file held: control characters become '?'.
std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    return text;
}

// Where in the file an object lies: a race, and perhaps its location, one of its categories or
// an engineering field of Tech/Sci Level. Put into words only when something there is wrong.
struct Place {
    std::size_t race = 0;
    std::string_view inside = {}; // "location" or a category's label
    std::size_t field = 0;        // 1 to 5, or 0

    std::string words() const
    {
        std::string text = where(race, inside);
        if (field > 0)
            text += ", field " + std::to_string(field);
        return text;
    }
};

// Reads the values of one JSON object. The first thing wrong goes into `problem`, under the
// object's place; after that every read gives a harmless default, so a reader can run to its
// end and look once. (No exceptions: the page may be built without them.)
class ObjectReader
{
public:
    ObjectReader(const Json &value, Place place, std::string &problem)
        : object(value.is_object() ? value : empty()), place(place), problem(problem)
    {
        if (!value.is_object())
            fail(" is not an object");
    }

    const Json *find(std::string_view key) const
    {
        const auto found = object.find(key);
        return found == object.end() ? nullptr : &*found;
    }

    const Json &required(std::string_view key) const
    {
        if (const Json *value = find(key))
            return *value;
        fail(": \"" + std::string(key) + "\" is missing");
        return empty();
    }

    std::int64_t integer(std::string_view key, std::int64_t min, std::int64_t max) const
    {
        return integerValue(required(key), key, min, max);
    }

    std::int64_t integerValue(const Json &value, std::string_view key, std::int64_t min,
                              std::int64_t max) const
    {
        const auto range = [min, max] {
            return " (" + std::to_string(min) + " to " + std::to_string(max) + ")";
        };
        if (!value.is_number_integer()) {
            fail(": \"" + std::string(key) + "\" is not a whole number" + range());
            return min;
        }
        // The library keeps numbers without a sign as unsigned.
        const bool inRange =
            value.is_number_unsigned()
                ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(max) &&
                      (min <= 0 || value.get<std::uint64_t>() >= static_cast<std::uint64_t>(min))
                : value.get<std::int64_t>() >= min && value.get<std::int64_t>() <= max;
        if (!inRange) {
            fail(": \"" + std::string(key) + "\" is " + value.dump() + ", out of range" + range());
            return min;
        }
        return value.get<std::int64_t>();
    }

    std::int32_t int32(std::string_view key,
                       std::int64_t min = std::numeric_limits<std::int32_t>::min(),
                       std::int64_t max = std::numeric_limits<std::int32_t>::max()) const
    {
        return static_cast<std::int32_t>(integer(key, min, max));
    }

    // The list under `key`, which must hold `size` items.
    const Json &list(std::string_view key, std::size_t size) const
    {
        const Json &value = required(key);
        if (value.is_array() && value.size() == size)
            return value;
        fail(": \"" + std::string(key) + "\" is not a list of " + std::to_string(size));
        static const Json filler = Json::array({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}});
        return filler;
    }

    std::string text(std::string_view key) const
    {
        const Json &value = required(key);
        if (value.is_string())
            return value.get<std::string>();
        fail(": \"" + std::string(key) + "\" is not a text");
        return {};
    }

    void fail(const std::string &what) const
    {
        if (problem.empty())
            problem = place.words() + what;
    }

private:
    static const Json &empty()
    {
        static const Json nothing = Json::object();
        return nothing;
    }

    const Json &object;
    Place place;
    std::string &problem;
};

ScienceLevel readField(const Json &value, Place place, std::string &problem)
{
    const ObjectReader field(value, place, problem);
    ScienceLevel level;
    level.diffLevel = field.int32("diffLevel");
    level.rankBonus = field.int32("rankBonus");
    level.miscMod = field.int32("miscMod");
    if (std::find(engineeringRows.begin(), engineeringRows.end(), level) == engineeringRows.end())
        field.fail(": no roll gives these ratings");
    return level;
}

// One race object; `problem` gets what is wrong with it. `dice` is -1 where the race does not
// name its place in its seed's stream.
RolledRace readRace(const Json &value, std::size_t index, std::string &problem)
{
    const ObjectReader race(value, {index}, problem);
    RolledRace read;
    read.number = race.int32("race", 1, highestRaceNumber);
    read.seed = race.int32("seed");
    read.profile.randomSeed = read.seed;
    const Json *dice = race.find("dice");
    read.dice = dice ? race.integerValue(*dice, "dice", 0, mostDice) : -1;
    const ObjectReader location(race.required("location"), {index, "location"}, problem);
    read.location = static_cast<Location>(location.int32("value", 0, 2));
    read.lightyears = race.int32("lightyears");

    const Json &categories = race.list("categories", categoryLabels.size());
    for (std::size_t category = 0; category < categoryLabels.size(); ++category) {
        const Place place{index, categoryLabels[category]};
        const ObjectReader entry(categories[category], place, problem);
        const auto number = static_cast<std::int64_t>(category);
        entry.integer("category", number, number);
        const CategoryMembers members = categoryMembers[category];
        if (members.index)
            read.profile.*members.index = entry.int32("index", 0, 9);
        if (members.extension)
            read.profile.*members.extension = entry.int32("extension", 1, 10);
        if (category == TechSciLevel) {
            const Json &fields = entry.list("fields", engineeringFields.size());
            for (std::size_t field = 0; field < engineeringFields.size(); ++field)
                read.profile.*engineeringFields[field] =
                    readField(fields[field], {index, place.inside, field + 1}, problem);
        }
        read.texts[category] = entry.text("text");
    }
    return read;
}

// Gives each race without a place the one it has in its seed's stream, where the races before it
// tell: race 1 starts at 0, and a race right after a race of the same seed with a known place
// starts where that one ended.
void findMissingPlaces(std::vector<RolledRace> &races, RaceReplay &replay)
{
    for (std::size_t index = 0; index < races.size(); ++index) {
        RolledRace &race = races[index];
        if (race.dice >= 0)
            continue;
        if (race.number == 1) {
            race.dice = 0;
            continue;
        }
        if (index == 0)
            continue;
        const RolledRace &before = races[index - 1];
        if (before.dice < 0 || before.seed != race.seed ||
            std::int64_t{before.number} + 1 != race.number)
            continue;
        replay.roll(before);
        race.dice = replay.diceAfter();
    }
}

// Feeds the JSON library's parser into one small document per race, which is read and dropped
// at once, so memory stays near the size of the races whatever the file holds. Returning false
// stops the parser; `error` then says why.
class RaceSax
{
public:
    using DomParser = nlohmann::detail::json_sax_dom_parser<Json>;

    explicit RaceSax(std::string_view bytes) : bytes(bytes) {}

    std::vector<RolledRace> races;
    std::string error;
    bool listClosed = false;

    bool null()
    {
        return value([](DomParser &dom) { return dom.null(); });
    }
    bool boolean(bool v)
    {
        return value([v](DomParser &dom) { return dom.boolean(v); });
    }
    bool number_integer(Json::number_integer_t v)
    {
        return value([v](DomParser &dom) { return dom.number_integer(v); });
    }
    bool number_unsigned(Json::number_unsigned_t v)
    {
        return value([v](DomParser &dom) { return dom.number_unsigned(v); });
    }
    bool number_float(Json::number_float_t v, const std::string &s)
    {
        return value([v, &s](DomParser &dom) { return dom.number_float(v, s); });
    }
    bool string(std::string &v)
    {
        return value([&v](DomParser &dom) { return dom.string(v); });
    }
    bool binary(Json::binary_t &v)
    {
        return value([&v](DomParser &dom) { return dom.binary(v); });
    }

    bool start_object(std::size_t size)
    {
        if (depth == 0)
            return refuse("the file is not a list of races");
        if (depth == 1) {
            race = Json();
            dom.emplace(race, false);
        } else if (!counted()) {
            return false;
        }
        return enter() && dom->start_object(size);
    }

    bool key(std::string &name) { return counted() && dom->key(name); }

    bool end_object()
    {
        dom->end_object();
        leave();
        if (depth > 1)
            return true;
        dom.reset();
        std::string problem;
        RolledRace read = readRace(race, races.size(), problem);
        race = Json();
        if (!problem.empty())
            return refuse(problem);
        races.push_back(std::move(read));
        return true;
    }

    bool start_array(std::size_t size)
    {
        if (depth == 1)
            return refuse(where(races.size()) + " is not an object");
        if (depth > 1 && !counted())
            return false;
        return enter() && (depth == 1 || dom->start_array(size));
    }

    bool end_array()
    {
        leave();
        if (depth > 0)
            return dom->end_array();
        listClosed = true;
        return true;
    }

    bool parse_error(std::size_t position, const std::string &,
                     const nlohmann::detail::exception &problem)
    {
        // The library says "[json.exception.parse_error.101] parse error at line 1, column 2:
        // syntax error ..."; its reason is kept, and the place counted here in the file's lines.
        std::string_view reason = problem.what();
        if (const std::size_t colon = reason.find(": "); colon != std::string_view::npos)
            reason.remove_prefix(colon + 2);
        const std::string_view read = bytes.substr(0, std::min(position, bytes.size()));
        const std::size_t lineStart = read.rfind('\n');
        const auto line = static_cast<std::size_t>(std::count(read.begin(), read.end(), '\n')) + 1;
        const std::size_t column =
            lineStart == std::string_view::npos ? read.size() : read.size() - lineStart - 1;
        return refuse("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
                      std::string(reason));
    }

private:
    template <typename Add>
    bool value(Add add)
    {
        if (depth == 0)
            return refuse("the file is not a list of races");
        if (depth == 1)
            return refuse(where(races.size()) + " is not an object");
        return counted() && add(*dom);
    }

    bool enter()
    {
        ++depth;
        entries.push_back(0);
        return depth <= deepestNesting || refuse(where(races.size()) + " is nested too deeply");
    }

    void leave()
    {
        entries.pop_back();
        --depth;
    }

    // Counts one more entry of the object or list open inside a race.
    bool counted()
    {
        return ++entries.back() <= mostEntries ||
               refuse(where(races.size()) + " holds more entries than a race has");
    }

    bool refuse(std::string why)
    {
        if (error.empty())
            error = oneLine(std::move(why));
        return false;
    }

    std::string_view bytes;
    int depth = 0;
    std::vector<std::size_t> entries; // per open object or list
    Json race;
    std::optional<DomParser> dom;
};

RaceFile read(std::string_view bytes)
{
    RaceFile file;
    if (bytes.size() > largestRaceFile) {
        file.error = tooLargeReason();
        return file;
    }
    RaceSax sax(bytes);
    const bool parsed = Json::sax_parse(bytes.begin(), bytes.end(), &sax);
    if (!parsed || !sax.listClosed) {
        file.error = sax.error.empty() ? "the file is not a list of races" : sax.error;
        return file;
    }
    if (sax.races.empty()) {
        file.error = "the file holds no races";
        return file;
    }
    file.races = std::move(sax.races);

    RaceReplay replay;
    findMissingPlaces(file.races, replay);
    const RolledRace &last = file.races.back();
    if (last.dice >= 0) {
        file.lastRaceAsRolled = replay.roll(last) == last.profile;
        file.diceAfterLast = replay.diceAfter();
    }
    return file;
}

} // namespace

std::string tooLargeReason()
{
    return "the file is larger than " + std::to_string(largestRaceFile >> 20) + " MiB";
}

RaceFile readRaces(std::string_view bytes) noexcept
{
#if defined(__cpp_exceptions)
    // Only running out of memory is left to throw here: everything the file can be wrong with
    // comes back through RaceSax::refuse(). Built without exceptions, running out aborts.
    try {
        return read(bytes);
    } catch (const std::bad_alloc &) {
        RaceFile file;
        file.error = "there is not enough memory to read the file";
        return file;
    } catch (...) {
        RaceFile file;
        file.error = "the file could not be read";
        return file;
    }
#else
    return read(bytes);
#endif
}

} // namespace vellicor
