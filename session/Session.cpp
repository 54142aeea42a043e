#include "session/Session.h"

#include "formats/RaceReplay.h"
#include "generation/Dice.h"

#include <ctime>
#include <utility>

namespace vellicor {

namespace {

bool inRange(const DiceStream &stream)
{
    return stream.dice >= 0 && stream.dice <= mostDice && stream.number >= 1;
}

bool inRange(const RaceLink &link)
{
    return link.dice >= 0 && link.dice <= mostDice && link.location >= InnerProvince &&
           link.location <= Backnet;
}

bool names(const RolledRace &race, const RaceLink &link)
{
    return race.dice == link.dice && race.seed == link.seed && race.location == link.location &&
           race.lightyears == link.lightyears;
}

} // namespace

std::int32_t Session::clockSeed()
{
    return seedFromClock(std::time(nullptr));
}

Session::Session(SeedSource freshSeed) : freshSeed(std::move(freshSeed))
{
    startFreshStream();
}

bool Session::startStream(const DiceStream &stream)
{
    if (!inRange(stream))
        return false;
    next = stream;
    return true;
}

void Session::startFreshStream()
{
    next = DiceStream{freshSeed ? freshSeed() : clockSeed(), 0, 1};
}

const SessionRace &Session::roll(Location location, std::int32_t lightyears)
{
    if (!inRange(next))
        startFreshStream();
    SessionRace rolled;
    RolledRace &race = rolled.race;
    race.number = next.number;
    race.seed = next.seed;
    race.location = rolledLocation(location);
    race.lightyears = lightyears;
    race.profile.randomSeed = next.seed;
    seedDice(next.seed);
    skipDice(next.dice);
    setTraceRecorder([&rolled](std::string_view line) { rolled.trace += line; });
    race.roll();
    setTraceRecorder(nullptr);
    // Past either range, the next race comes from a fresh stream.
    next.dice = diceDrawn();
    next.number = race.number < highestRaceNumber ? race.number + 1 : 0;
    add(std::move(rolled));
    return races.back();
}

void Session::add(SessionRace race)
{
    races.push_back(std::move(race));
    if (races.size() > capacity)
        races.pop_front();
    position = races.size() - 1;
}

bool Session::goBack()
{
    if (!canGoBack())
        return false;
    --position;
    return true;
}

bool Session::goForward()
{
    if (!canGoForward())
        return false;
    ++position;
    return true;
}

bool Session::show(std::size_t index)
{
    if (index >= races.size())
        return false;
    position = index;
    return true;
}

bool Session::setText(std::size_t index, std::size_t category, std::string text)
{
    if (index >= races.size() || category >= categoryLabels.size())
        return false;
    std::string &kept = races[index].race.texts[category];
    if (kept == text)
        return false;
    kept = std::move(text);
    return true;
}

Session::Opened Session::open(RaceFile file)
{
    Opened opened;
    opened.inFile = file.races.size();
    const std::size_t first = file.races.size() > capacity ? file.races.size() - capacity : 0;
    races.clear();
    // Each race whose place is known gets the trace its seed and dice roll, unless they do not
    // roll its profile (a file edited by hand).
    std::string trace;
    RaceReplay replay([&trace](std::string_view line) { trace += line; });
    for (std::size_t index = first; index < file.races.size(); ++index) {
        SessionRace kept{std::move(file.races[index]), {}};
        trace.clear();
        if (kept.race.dice >= 0 && replay.roll(kept.race) == kept.race.profile)
            kept.trace = std::move(trace);
        add(std::move(kept));
    }
    opened.kept = races.size();
    if (races.empty()) {
        startFreshStream();
        return opened;
    }
    const RolledRace &last = races.back().race;
    opened.continues =
        file.canContinue() && startStream({last.seed, file.diceAfterLast,
                                           last.number < highestRaceNumber ? last.number + 1 : 0});
    if (!opened.continues)
        startFreshStream();
    return opened;
}

bool Session::goOnFrom(const RaceLink &link)
{
    if (!inRange(link))
        return false;
    // The newest race the session holds with the link's values, if any.
    for (std::size_t index = races.size(); index-- > 0;) {
        const RolledRace &race = races[index].race;
        if (names(race, link)) {
            position = index;
            RaceReplay replay;
            replay.roll(race);
            next = {race.seed, replay.diceAfter(),
                    race.number < highestRaceNumber ? race.number + 1 : 0};
            return true;
        }
    }
    next = {link.seed, link.dice, 1};
    roll(link.location, link.lightyears);
    return true;
}

void Session::write(OutputFormat format, const PieceWriter &out) const
{
    constexpr std::size_t piece = 64 * 1024;
    RaceWriter writer(format);
    std::string buffer(writer.opening());
    for (const SessionRace &each : races) {
        writer.append(buffer, each.race);
        if (buffer.size() >= piece) {
            out(buffer);
            buffer.clear();
        }
    }
    buffer += writer.closing();
    out(buffer);
}

std::string Session::raceText(std::size_t index, OutputFormat format) const
{
    if (index >= races.size())
        return {};
    RaceWriter writer(format);
    std::string written(writer.opening());
    writer.append(written, races[index].race);
    written += writer.closing();
    return written;
}

std::string Session::diceLogEntry(std::size_t index) const
{
    if (index >= races.size())
        return {};
    std::string entry = raceHeading(races[index].race) + '\n' + races[index].trace;
    if (entry.back() == '\n')
        entry.pop_back();
    return entry;
}

} // namespace vellicor
