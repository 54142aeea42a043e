// The page's session and dice behind a small C interface that the page's JavaScript calls
// (web/site/vellicor.mjs). Texts cross as UTF-8: the page passes a pointer and a size into the
// module's memory, and every function that returns a text leaves it in one output buffer
// (vellicor_output, vellicor_output_size) until the next call. Nothing here throws: the module
// is built without exceptions, and a bad argument is refused with 0 or an empty text.

#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"
#include "formats/RolledRace.h"
#include "generation/Dice.h"
#include "generation/Version.h"

#include <emscripten/emscripten.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

using namespace vellicor;

namespace {

// One race of the session as the page keeps it: the race with its boxes' texts (notes
// included) and the trace of its dice.
struct SessionRace {
    RolledRace race;
    std::string trace;
};

// As many races as the dialog keeps; the oldest go first.
constexpr std::size_t capacity = 1000;
// Pieces of a long output, as vellicor-cli hands them on.
constexpr std::size_t outputChunk = 64 * 1024;
constexpr std::int32_t mostRacesAtOnce = 1'000'000;

std::deque<SessionRace> session;
// Where New goes on: the seed of the dice's stream and the number its next race gets.
std::int32_t streamSeed = 0;
std::int32_t nextNumber = 1;
std::string rollingTrace;
std::string output;
// Whether the file opened last goes on from its last race.
bool openedContinues = false;
// The seed the dice were last seeded with; none before the first seeding.
std::optional<std::int32_t> diceSeed;
// The page has no standard output to trace to: the trace is kept with each race instead.
[[maybe_unused]] const bool traceSilenced = [] {
    setTraceSink(nullptr);
    return true;
}();

// A long output in one format, handed out a chunk at a time: the session's races, or races
// rolled straight into the output as vellicor-cli rolls them.
struct Writing {
    bool active = false;
    bool opened = false;
    bool fromSession = true;
    RaceWriter writer{OutputFormat::Text};
    std::size_t done = 0;
    std::size_t count = 0;
    RolledRace race;
};
Writing writing;

// The profile's rolled numbers in a fixed order, so the page can keep a race without its texts.
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
constexpr std::size_t profileSize = profileNumbers.size() + engineeringFields.size() * 3;
std::array<std::int32_t, profileSize> profileOut{};

const char *returned(std::string_view text)
{
    output.assign(text);
    return output.c_str();
}

bool isFormat(std::int32_t format)
{
    return format >= 0 && format < static_cast<std::int32_t>(formatNames.size());
}

bool isRace(std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < session.size();
}

Location toLocation(std::int32_t location)
{
    return rolledLocation(static_cast<Location>(location));
}

// Dice counts cross as JavaScript numbers: whole and from 0 up, or nothing.
bool toDice(double value, std::int64_t &dice)
{
    constexpr double largest = 9007199254740991.0; // 2^53 - 1, the largest exact whole number
    if (!std::isfinite(value) || value < 0 || value > largest || std::floor(value) != value)
        return false;
    dice = static_cast<std::int64_t>(value);
    return true;
}

void seedTheDice(std::int32_t seed)
{
    seedDice(seed);
    diceSeed = seed;
}

void keep(SessionRace race)
{
    session.push_back(std::move(race));
    if (session.size() > capacity)
        session.pop_front();
}

// Rolls the next race of the stream into `race`, its trace into `trace`.
void rollInto(RolledRace &race, std::string &trace)
{
    rollingTrace.clear();
    setTraceSink([](std::string_view line) { rollingTrace += line; });
    race.roll();
    setTraceSink(nullptr);
    trace = std::move(rollingTrace);
    rollingTrace.clear();
}

// The trace of a kept race, rolled again from its seed and dice, or nothing where that does not
// give the race's profile (a file edited by hand) or its place is not known. Moves the dice: the
// caller starts its stream again afterwards.
std::string traceOf(const RolledRace &race)
{
    if (race.dice < 0)
        return {};
    // Races of one stream come in order, so the dice rarely need seeding again.
    if (diceSeed != race.seed || diceDrawn() > race.dice)
        seedTheDice(race.seed);
    skipDice(race.dice - diceDrawn());
    RolledRace again = race;
    std::string trace;
    rollInto(again, trace);
    return again.profile == race.profile ? trace : std::string();
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char *vellicor_output()
{
    return output.c_str();
}

EMSCRIPTEN_KEEPALIVE std::size_t vellicor_output_size()
{
    return output.size();
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_version()
{
    return returned(VELLICOR_VERSION);
}

// The seed for a clock reading in seconds since 1970, as the dialog seeds its dice.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_seed_from_clock(double seconds)
{
    return seedFromClock(static_cast<std::time_t>(std::isfinite(seconds) ? seconds : 0));
}

// Seeds the dice and skips `dice` faces, so that the next race is the one a heading "seed
// `seed`, after `dice` dice" names; it gets the number `number`. False for a bad dice count.
EMSCRIPTEN_KEEPALIVE bool vellicor_start(std::int32_t seed, double dice, std::int32_t number)
{
    std::int64_t skipped = 0;
    if (!toDice(dice, skipped) || number < 1)
        return false;
    seedTheDice(seed);
    skipDice(skipped);
    streamSeed = seed;
    nextNumber = number;
    return true;
}

EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_stream_seed()
{
    return streamSeed;
}

EMSCRIPTEN_KEEPALIVE double vellicor_stream_dice()
{
    return static_cast<double>(diceDrawn());
}

EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_next_number()
{
    return nextNumber;
}

// Rolls the next race for `location` and `lightyears` and adds it at the end of the session, as
// the dialog's New does. Returns how many races the session holds.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_roll(std::int32_t location, std::int32_t lightyears)
{
    SessionRace rolled;
    rolled.race.number = nextNumber;
    rolled.race.seed = streamSeed;
    rolled.race.location = toLocation(location);
    rolled.race.lightyears = lightyears;
    rolled.race.profile.randomSeed = streamSeed;
    rollInto(rolled.race, rolled.trace);
    nextNumber = nextNumber == std::numeric_limits<std::int32_t>::max() ? 1 : nextNumber + 1;
    keep(std::move(rolled));
    return static_cast<std::int32_t>(session.size());
}

EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_size()
{
    return static_cast<std::int32_t>(session.size());
}

EMSCRIPTEN_KEEPALIVE void vellicor_clear()
{
    session.clear();
}

// One race in one format, exactly as vellicor-cli writes a run of that one race.
EMSCRIPTEN_KEEPALIVE const char *vellicor_race(std::int32_t index, std::int32_t format)
{
    if (!isRace(index) || !isFormat(format))
        return returned({});
    RaceWriter writer(static_cast<OutputFormat>(format));
    output.assign(writer.opening());
    writer.append(output, session[static_cast<std::size_t>(index)].race);
    output += writer.closing();
    return output.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_heading(std::int32_t index)
{
    return returned(isRace(index) ? raceHeading(session[static_cast<std::size_t>(index)].race)
                                  : std::string());
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_trace(std::int32_t index)
{
    return returned(isRace(index) ? session[static_cast<std::size_t>(index)].trace : std::string());
}

// What the user made of a box's text: notes stay with their race.
EMSCRIPTEN_KEEPALIVE bool vellicor_set_text(std::int32_t index, std::int32_t category,
                                            const char *text, std::size_t size)
{
    if (!isRace(index) || category < 0 || category >= 10 || (text == nullptr && size > 0))
        return false;
    session[static_cast<std::size_t>(index)].race.texts[static_cast<std::size_t>(category)] =
        std::string(text == nullptr ? "" : text, size);
    return true;
}

// The rolled numbers of a race's profile, for the page to keep: profileSize numbers in the
// order of profileNumbers, then each engineering field's three ratings.
EMSCRIPTEN_KEEPALIVE const std::int32_t *vellicor_profile(std::int32_t index)
{
    profileOut.fill(-1);
    if (!isRace(index))
        return profileOut.data();
    const RaceProfile &profile = session[static_cast<std::size_t>(index)].race.profile;
    std::size_t at = 0;
    for (const auto member : profileNumbers)
        profileOut[at++] = profile.*member;
    for (const auto field : engineeringFields) {
        profileOut[at++] = (profile.*field).diffLevel;
        profileOut[at++] = (profile.*field).rankBonus;
        profileOut[at++] = (profile.*field).miscMod;
    }
    return profileOut.data();
}

EMSCRIPTEN_KEEPALIVE std::size_t vellicor_profile_size()
{
    return profileSize;
}

// Adds a race kept by the page: its facts and profile, with the texts its profile describes
// (the page then sets its notes). Its trace is rolled again from its seed and dice where that
// gives the same profile. Moves the dice: the page starts its stream again afterwards.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_restore(std::int32_t number, std::int32_t seed,
                                                   double dice, std::int32_t location,
                                                   std::int32_t lightyears,
                                                   const std::int32_t *profile)
{
    SessionRace kept;
    RolledRace &race = kept.race;
    // -1: a race read from a file that did not say where it was in its stream.
    if (profile == nullptr || (dice != -1 && !toDice(dice, race.dice)))
        return -1;
    if (dice == -1)
        race.dice = -1;
    race.number = number;
    race.seed = seed;
    race.location = toLocation(location);
    race.lightyears = lightyears;
    race.profile.randomSeed = seed;
    std::size_t at = 0;
    for (const auto member : profileNumbers)
        race.profile.*member = profile[at++];
    for (const auto field : engineeringFields) {
        (race.profile.*field).diffLevel = profile[at++];
        (race.profile.*field).rankBonus = profile[at++];
        (race.profile.*field).miscMod = profile[at++];
    }
    for (std::size_t category = 0; category < race.texts.size(); ++category)
        race.texts[category] = race.profile.describe(static_cast<Category>(category));

    kept.trace = traceOf(race);
    keep(std::move(kept));
    return static_cast<std::int32_t>(session.size());
}

// Reads a file of races as Vellicor writes them in JSON (the dialog's session files and Save
// Races, vellicor-cli --format json, this page's downloads) and adds them at the end of the
// session, the newest `capacity` where it holds more. Returns how many were added, or -1 with the
// reason in the output buffer. When the file can go on (vellicor_open_continues()), New rolls the
// race its session would have rolled next; otherwise the page starts a new stream.

EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_open(const char *bytes, std::size_t size)
{
    if (bytes == nullptr && size > 0)
        return -1;
    RaceFile file = readRaces(std::string_view(bytes == nullptr ? "" : bytes, size));
    if (!file.error.empty()) {
        output = file.error;
        return -1;
    }
    const std::size_t first = file.races.size() > capacity ? file.races.size() - capacity : 0;
    for (std::size_t index = first; index < file.races.size(); ++index) {
        SessionRace opened;
        opened.trace = traceOf(file.races[index]);
        opened.race = std::move(file.races[index]);
        keep(std::move(opened));
    }
    const RolledRace &last = session.back().race;
    openedContinues = file.canContinue();
    if (openedContinues) {
        seedTheDice(last.seed);
        skipDice(file.diceAfterLast);
        streamSeed = last.seed;
        nextNumber = last.number == std::numeric_limits<std::int32_t>::max() ? 1 : last.number + 1;
    }
    output.clear();
    return static_cast<std::int32_t>(file.races.size() - first);
}

EMSCRIPTEN_KEEPALIVE bool vellicor_open_continues()
{
    return openedContinues;
}

// Starts writing every race of the session in `format`, as vellicor-cli writes a run of them.
EMSCRIPTEN_KEEPALIVE bool vellicor_write_session(std::int32_t format)
{
    if (!isFormat(format))
        return false;
    writing = Writing{};
    writing.active = true;
    writing.writer = RaceWriter(static_cast<OutputFormat>(format));
    writing.count = session.size();
    return true;
}

// Starts writing `count` races rolled from `seed` after `dice` dice, untraced, exactly as
// `vellicor-cli --seed --dice --location --lightyears --count --format` writes them. The
// session's stream is not touched.
EMSCRIPTEN_KEEPALIVE bool vellicor_write_races(std::int32_t seed, double dice,
                                               std::int32_t location, std::int32_t lightyears,
                                               std::int32_t count, std::int32_t format)
{
    std::int64_t skipped = 0;
    if (!isFormat(format) || count < 1 || count > mostRacesAtOnce || !toDice(dice, skipped))
        return false;
    writing = Writing{};
    writing.active = true;
    writing.fromSession = false;
    writing.writer = RaceWriter(static_cast<OutputFormat>(format));
    writing.count = static_cast<std::size_t>(count);
    writing.race.seed = seed;
    writing.race.location = toLocation(location);
    writing.race.lightyears = lightyears;
    writing.race.profile.randomSeed = seed;
    seedTheDice(seed);
    skipDice(skipped);
    return true;
}

// The next piece of what is being written, in the output buffer: its size, 0 when all is out.
EMSCRIPTEN_KEEPALIVE std::size_t vellicor_next_chunk()
{
    if (!writing.active) {
        output.clear();
        return 0;
    }
    output.clear();
    if (!writing.opened) {
        output += writing.writer.opening();
        writing.opened = true;
    }
    while (writing.done < writing.count && output.size() < outputChunk) {
        if (writing.fromSession) {
            writing.writer.append(output, session[writing.done].race);
        } else {
            writing.race.number = static_cast<std::int32_t>(writing.done + 1);
            writing.race.roll();
            writing.writer.append(output, writing.race);
        }
        ++writing.done;
    }
    if (writing.done == writing.count) {
        output += writing.writer.closing();
        writing.active = false;
    }
    return output.size();
}

} // extern "C"
