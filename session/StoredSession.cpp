#include "session/StoredSession.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <limits>

namespace vellicor {

namespace {

using Json = nlohmann::json;

// The profile's rolled numbers in the order the stored form lists them, then each engineering
// field's three ratings.
constexpr std::array<std::int32_t RaceProfile::*, 13> profileNumbers{
    &RaceProfile::basicType,
    &RaceProfile::racialOrigins,
    &RaceProfile::kinshipStructure,
    &RaceProfile::kinshipStructureExtension,
    &RaceProfile::values,
    &RaceProfile::politicalStructure,
    &RaceProfile::politicalStructureExtension,
    &RaceProfile::language,
    &RaceProfile::worship,
    &RaceProfile::worshipExtension,
    &RaceProfile::xenoAcceptance,
    &RaceProfile::problems,
    &RaceProfile::problemsExtension};
constexpr std::array<std::int32_t ScienceLevel::*, 3> ratings{
    &ScienceLevel::diffLevel, &ScienceLevel::rankBonus, &ScienceLevel::miscMod};
constexpr std::size_t profileSize = profileNumbers.size() + engineeringFields.size() * 3;

Json profileOf(const RaceProfile &profile)
{
    Json numbers = Json::array();
    for (const auto member : profileNumbers)
        numbers.push_back(profile.*member);
    for (const auto field : engineeringFields) {
        for (const auto rating : ratings)
            numbers.push_back(profile.*field.*rating);
    }
    return numbers;
}

// The whole number `value` holds, if it holds one from `min` to `max`.
std::optional<std::int64_t> whole(const Json &value, std::int64_t min, std::int64_t max)
{
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(max) && static_cast<std::int64_t>(number) >= min)
            return static_cast<std::int64_t>(number);
        return std::nullopt;
    }
    if (!value.is_number_integer())
        return std::nullopt;
    const auto number = value.get<std::int64_t>();
    return number >= min && number <= max ? std::optional(number) : std::nullopt;
}

std::optional<std::int64_t> member(const Json &object, const char *key, std::int64_t min,
                                   std::int64_t max)
{
    const auto found = object.find(key);
    return found == object.end() ? std::nullopt : whole(*found, min, max);
}

constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

std::optional<RolledRace> readRace(const Json &stored)
{
    if (!stored.is_object())
        return std::nullopt;
    const auto number = member(stored, "number", 1, highestRaceNumber);
    const auto seed = member(stored, "seed", int32Min, int32Max);
    const auto dice = member(stored, "dice", -1, mostDice);
    const auto location = member(stored, "location", InnerProvince, Backnet);
    const auto lightyears = member(stored, "lightyears", int32Min, int32Max);
    const auto profile = stored.find("profile");
    if (!number || !seed || !dice || !location || !lightyears || profile == stored.end() ||
        !profile->is_array() || profile->size() != profileSize)
        return std::nullopt;
    RolledRace race;
    race.number = static_cast<std::int32_t>(*number);
    race.seed = static_cast<std::int32_t>(*seed);
    race.dice = *dice;
    race.location = static_cast<Location>(*location);
    race.lightyears = static_cast<std::int32_t>(*lightyears);
    race.profile.randomSeed = race.seed;
    std::vector<std::int32_t> numbers;
    for (const Json &each : *profile) {
        const auto value = whole(each, int32Min, int32Max);
        if (!value)
            return std::nullopt;
        numbers.push_back(static_cast<std::int32_t>(*value));
    }
    std::size_t at = 0;
    for (const auto each : profileNumbers)
        race.profile.*each = numbers[at++];
    for (const auto field : engineeringFields) {
        for (const auto rating : ratings)
            race.profile.*field.*rating = numbers[at++];
    }
    for (std::size_t category = 0; category < race.texts.size(); ++category)
        race.texts[category] = race.profile.describe(static_cast<Category>(category));
    const auto notes = stored.find("notes");
    if (notes != stored.end() && notes->is_object()) {
        for (std::size_t category = 0; category < race.texts.size(); ++category) {
            const auto note = notes->find(std::to_string(category));
            if (note != notes->end() && note->is_string())
                race.texts[category] = note->get<std::string>();
        }
    }
    return race;
}

} // namespace

std::string storedSession(const Session &session)
{
    Json races = Json::array();
    for (std::size_t index = 0; index < session.size(); ++index) {
        const RolledRace &race = session.at(index).race;
        Json notes = Json::object();
        for (std::size_t category = 0; category < race.texts.size(); ++category) {
            if (race.texts[category] != race.profile.describe(static_cast<Category>(category)))
                notes[std::to_string(category)] = race.texts[category];
        }
        races.push_back({{"number", race.number},
                         {"seed", race.seed},
                         {"dice", race.dice},
                         {"location", static_cast<std::int32_t>(race.location)},
                         {"lightyears", race.lightyears},
                         {"profile", profileOf(race.profile)},
                         {"notes", std::move(notes)}});
    }
    const DiceStream &stream = session.stream();
    const Json stored{
        {"version", 1},
        {"position", session.currentIndex()},
        {"stream", {{"seed", stream.seed}, {"dice", stream.dice}, {"number", stream.number}}},
        {"races", std::move(races)}};
    // Notes are kept as typed: invalid UTF-8 becomes U+FFFD rather than failing the whole.
    return stored.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool restoreStoredSession(Session &session, std::string_view stored)
{
    const Json parsed = Json::parse(stored.begin(), stored.end(), nullptr, false);
    if (!parsed.is_object() || parsed.value("version", Json()) != Json(1))
        return false;
    const auto races = parsed.find("races");
    const auto stream = parsed.find("stream");
    if (races == parsed.end() || !races->is_array() || stream == parsed.end() ||
        !stream->is_object())
        return false;
    RaceFile file;
    for (const Json &each : *races) {
        if (std::optional<RolledRace> race = readRace(each))
            file.races.push_back(std::move(*race));
    }
    if (file.races.empty())
        return false;
    const std::size_t dropped =
        file.races.size() > Session::capacity ? file.races.size() - Session::capacity : 0;
    session.open(std::move(file));
    const auto seed = member(*stream, "seed", int32Min, int32Max);
    const auto dice = member(*stream, "dice", 0, mostDice);
    const auto number = member(*stream, "number", 0, highestRaceNumber);
    // A stream that was past its ranges goes on from a fresh one, as New would.
    if (seed && dice && number)
        session.startStream(
            {static_cast<std::int32_t>(*seed), *dice, static_cast<std::int32_t>(*number)});
    const auto position = member(parsed, "position", 0, std::numeric_limits<std::int64_t>::max());
    if (position && static_cast<std::size_t>(*position) >= dropped)
        session.show(static_cast<std::size_t>(*position) - dropped);
    return true;
}

} // namespace vellicor
