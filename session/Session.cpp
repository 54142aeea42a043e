#include "session/Session.h"

#include "generation/Dice.h"

#include <algorithm>
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

// Rolls races of known places again on dice of their own, each stream's races in order, so that
// a run of one stream seeds the dice once.
class Replay
{
public:
    Replay() : dice([this](std::string_view line) { trace += line; }) {}

    // The trace of `race`, or nothing where its seed and dice do not roll its profile (a file
    // edited by hand).
    std::string traceOf(const RolledRace &race)
    {
        const RaceProfile profile = roll(race);
        return profile == race.profile ? std::move(trace) : std::string();
    }

    // Where the stream stands after `race`.
    std::int64_t diceAfter(const RolledRace &race)
    {
        roll(race);
        return diceDrawn();
    }

private:
    RaceProfile roll(const RolledRace &race)
    {
        if (seed != race.seed || diceDrawn() > race.dice) {
            seedDice(race.seed);
            seed = race.seed;
        }
        skipDice(race.dice - diceDrawn());
        trace.clear();
        RaceProfile profile;
        profile.randomSeed = race.seed;
        profile.generate(race.location, race.lightyears);
        return profile;
    }

    std::string trace;
    PrivateDice dice;
    std::optional<std::int32_t> seed;
};

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
    unreplayed = 0;
    for (std::size_t index = first; index < file.races.size(); ++index)
        keep(std::move(file.races[index]));
    replayTraces();
    opened.kept = races.size();
    if (races.empty()) {
        startFreshStream();
        return opened;
    }
    position = races.size() - 1;
    const RolledRace &last = races.back().race;
    opened.continues =
        file.canContinue() && startStream({last.seed, file.diceAfterLast,
                                           last.number < highestRaceNumber ? last.number + 1 : 0});
    if (!opened.continues)
        startFreshStream();
    return opened;
}

void Session::keep(RolledRace race)
{
    add({std::move(race), {}});
    unreplayed = std::min(unreplayed + 1, races.size());
}

void Session::replayTraces()
{
    Replay replay;
    for (std::size_t index = races.size() - unreplayed; index < races.size(); ++index) {
        SessionRace &each = races[index];
        if (each.race.dice >= 0)
            each.trace = replay.traceOf(each.race);
    }
    unreplayed = 0;
}

std::optional<std::size_t> Session::find(const RaceLink &link) const
{
    for (std::size_t index = races.size(); index-- > 0;) {
        if (names(races[index].race, link))
            return index;
    }
    return std::nullopt;
}

bool Session::goOnFrom(const RaceLink &link)
{
    if (!inRange(link))
        return false;
    if (const std::optional<std::size_t> index = find(link)) {
        position = *index;
        const RolledRace &race = races[*index].race;
        Replay replay;
        next = {race.seed, replay.diceAfter(race),
                race.number < highestRaceNumber ? race.number + 1 : 0};
        return true;
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

std::optional<RaceLink> linkOf(const RolledRace &race)
{
    if (race.dice < 0)
        return std::nullopt;
    return RaceLink{race.seed, race.dice, race.location, race.lightyears};
}

} // namespace vellicor
