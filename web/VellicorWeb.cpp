// The page's session behind a small C interface that the page's JavaScript calls
// (web/site/engine.js). Only conversions live here: the session itself is the dialog's. Texts
// cross as UTF-8: the page passes a pointer and a size into the module's memory, and every
// function that returns a text leaves it in one output buffer (vellicor_output,
// vellicor_output_size) until the next call. Nothing here throws: the module is built without
// exceptions, and a bad argument is refused with 0, -1 or an empty text.

#include "formats/RaceCard.h"
#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"
#include "generation/Dice.h"
#include "generation/Version.h"
#include "session/Session.h"
#include "session/SessionTables.h"
#include "session/StoredSession.h"

#include <emscripten/emscripten.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vellicor;

namespace {

// Pieces of a long output, as vellicor-cli hands them on.
constexpr std::size_t outputChunk = 64 * 1024;
constexpr std::int32_t mostRacesAtOnce = 1'000'000;

// The page has no standard output to trace to: each race keeps its trace instead.
[[maybe_unused]] const bool traceSilenced = [] {
    setTraceSink(nullptr);
    return true;
}();

Session session;
Session::Opened opened;
std::string output;

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

const char *returned(std::string_view text)
{
    output.assign(text);
    return output.c_str();
}

std::string_view textAt(const char *bytes, std::size_t size)
{
    return bytes == nullptr ? std::string_view() : std::string_view(bytes, size);
}

bool isFormat(std::int32_t format)
{
    return format >= 0 && format < static_cast<std::int32_t>(fileFormats.size());
}

bool isRace(std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < session.size();
}

// Dice counts cross as JavaScript numbers: whole and from 0 up, or nothing.
bool toDice(double value, std::int64_t &dice)
{
    if (!std::isfinite(value) || value < 0 || value > static_cast<double>(mostDice) ||
        std::floor(value) != value)
        return false;
    dice = static_cast<std::int64_t>(value);
    return true;
}

Location toLocation(std::int32_t location)
{
    return rolledLocation(static_cast<Location>(location));
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

// The small tables the page shares with the dialog and vellicor-cli, as JSON: the formats with
// their extensions and MIME types, the location names, the largest file the reader takes, the
// session's capacity and the ranges of a race's values.
EMSCRIPTEN_KEEPALIVE const char *vellicor_tables()
{
    nlohmann::json formats = nlohmann::json::array();
    for (const FileFormat &each : fileFormats)
        formats.push_back({{"name", each.name},
                           {"label", each.label},
                           {"extension", each.extension},
                           {"mimeType", each.mimeType}});
    const nlohmann::json tables{
        {"formats", std::move(formats)},  {"locations", locationNames},
        {"largestFile", largestRaceFile}, {"capacity", Session::capacity},
        {"mostDice", mostDice},           {"largestTypedDistance", largestTypedDistance}};
    return returned(tables.dump());
}

// How Recent Sessions names a kept session, as the dialog names its session files.
EMSCRIPTEN_KEEPALIVE const char *vellicor_session_label(std::int32_t year, std::int32_t month,
                                                        std::int32_t day, std::int32_t hour,
                                                        std::int32_t minute, std::int32_t seed,
                                                        double races)
{
    return returned(sessionLabel({year, month, day, hour, minute}, seed,
                                 std::isfinite(races) ? static_cast<std::int64_t>(races) : 0));
}

// Rolls the next race for `location` and `lightyears` at the end of the session and shows it,
// as the dialog's New does. Returns how many races the session holds.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_roll(std::int32_t location, std::int32_t lightyears)
{
    session.roll(toLocation(location), lightyears);
    return static_cast<std::int32_t>(session.size());
}

EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_size()
{
    return static_cast<std::int32_t>(session.size());
}

// The race on screen, -1 while there is none.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_position()
{
    return session.isEmpty() ? -1 : static_cast<std::int32_t>(session.currentIndex());
}

EMSCRIPTEN_KEEPALIVE bool vellicor_show(std::int32_t index)
{
    return isRace(index) && session.show(static_cast<std::size_t>(index));
}

EMSCRIPTEN_KEEPALIVE bool vellicor_go_back()
{
    return session.goBack();
}

EMSCRIPTEN_KEEPALIVE bool vellicor_go_forward()
{
    return session.goForward();
}

// Shows the race a link names and goes on after it; false for a link out of range.
EMSCRIPTEN_KEEPALIVE bool vellicor_go_on_from(std::int32_t seed, double dice, std::int32_t location,
                                              std::int32_t lightyears)
{
    RaceLink link{seed, 0, static_cast<Location>(location), lightyears};
    return toDice(dice, link.dice) && session.goOnFrom(link);
}

// One race in one format, exactly as vellicor-cli writes a run of that one race.
EMSCRIPTEN_KEEPALIVE const char *vellicor_race(std::int32_t index, std::int32_t format)
{
    if (!isRace(index) || !isFormat(format))
        return returned({});
    return returned(
        session.raceText(static_cast<std::size_t>(index), static_cast<OutputFormat>(format)));
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_heading(std::int32_t index)
{
    return returned(isRace(index) ? raceHeading(session.at(static_cast<std::size_t>(index)).race)
                                  : std::string());
}

// The printed card of a race, with `link` (the page's address of the race, or nothing for a race
// that has none) as how to roll it again.
EMSCRIPTEN_KEEPALIVE const char *vellicor_card(std::int32_t index, const char *link,
                                               std::size_t size)
{
    if (!isRace(index) || (link == nullptr && size > 0))
        return returned({});
    return returned(
        raceCardHtml(session.at(static_cast<std::size_t>(index)).race, textAt(link, size)));
}

// The card's look, for its class names.
EMSCRIPTEN_KEEPALIVE const char *vellicor_card_style()
{
    return returned(raceCardStyle);
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_dice_log(std::int32_t index)
{
    return returned(isRace(index) ? session.diceLogEntry(static_cast<std::size_t>(index))
                                  : std::string());
}

// What the user made of a box's text: notes stay with their race.
EMSCRIPTEN_KEEPALIVE bool vellicor_set_text(std::int32_t index, std::int32_t category,
                                            const char *text, std::size_t size)
{
    if (!isRace(index) || category < 0 || (text == nullptr && size > 0))
        return false;
    session.setText(static_cast<std::size_t>(index), static_cast<std::size_t>(category),
                    std::string(textAt(text, size)));
    return true;
}

// The session in the small form the page keeps in the browser's storage.
EMSCRIPTEN_KEEPALIVE const char *vellicor_store()
{
    return returned(storedSession(session));
}

// Replaces the session with one the page kept; false (nothing changes) when it cannot be used.
EMSCRIPTEN_KEEPALIVE bool vellicor_restore(const char *stored, std::size_t size)
{
    return (stored != nullptr || size == 0) && restoreStoredSession(session, textAt(stored, size));
}

// Replaces the session with a file of races as Vellicor writes them in JSON. Returns how many
// races are kept, or -1 with the reason in the output buffer; vellicor_opened() then says how
// many the file held and whether New goes on where it stopped.
EMSCRIPTEN_KEEPALIVE std::int32_t vellicor_open(const char *bytes, std::size_t size)
{
    if (bytes == nullptr && size > 0)
        return -1;
    RaceFile file = readRaces(textAt(bytes, size));
    if (!file.error.empty()) {
        output = file.error;
        return -1;
    }
    opened = session.open(std::move(file));
    output.clear();
    return static_cast<std::int32_t>(opened.kept);
}

EMSCRIPTEN_KEEPALIVE const char *vellicor_opened()
{
    return returned(nlohmann::json{
        {"inFile", opened.inFile}, {"kept", opened.kept}, {"continues", opened.continues}}
                        .dump());
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
// `vellicor-cli --seed --dice --location --lightyears --count --format` writes them, for the
// benchmark. The session rolls from its own stream whatever this moves.
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
    seedDice(seed);
    skipDice(skipped);
    return true;
}

// The next piece of what is being written, in the output buffer: its size, 0 when all is out.
EMSCRIPTEN_KEEPALIVE std::size_t vellicor_next_chunk()
{
    output.clear();
    if (!writing.active)
        return 0;
    if (!writing.opened) {
        output += writing.writer.opening();
        writing.opened = true;
    }
    while (writing.done < writing.count && output.size() < outputChunk) {
        if (writing.fromSession) {
            writing.writer.append(output, session.at(writing.done).race);
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
