#pragma once

#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"
#include "formats/RolledRace.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace vellicor {

// One race of a session: the race with the texts its boxes last showed (notes included) and the
// trace of its dice, empty where its place in its stream is not known.
struct SessionRace {
    RolledRace race;
    std::string trace;
};

// Where New goes on: the seed of the dice's stream, the dice drawn from it so far and the
// number the next race gets.
struct DiceStream {
    std::int32_t seed = 0;
    std::int64_t dice = 0;
    std::int32_t number = 1;
    friend bool operator==(const DiceStream &, const DiceStream &) = default;
};

// What a link names: everything that rolls one race again.
struct RaceLink {
    std::int32_t seed = 0;
    std::int64_t dice = 0;
    Location location = InnerProvince;
    std::int32_t lightyears = 0;
};

// Hands on a long output a piece at a time.
using PieceWriter = std::function<void(std::string_view piece)>;

// The races of one evening and the dice they come from, as both front ends keep them: the
// newest `capacity` races, oldest first, the one on screen, the stream that New rolls from, and
// the texts typed into each race's boxes. Only a session seeds and skips the dice: each roll
// starts them where its stream stands, so several sessions (or anything else that rolled in
// between) never disturb each other.
//
// Numbering: the races of a stream are numbered 1, 2, 3, ... A race whose number or dice would
// go past highestRaceNumber or mostDice is never rolled: New starts a fresh stream first, so
// that every race held can be written, linked, read back and gone on from.
class Session
{
public:
    static constexpr std::size_t capacity = 1000;
    // Seeds for fresh streams; by default the clock's seconds.
    using SeedSource = std::function<std::int32_t()>;
    static std::int32_t clockSeed();

    // An empty session whose stream starts at a fresh seed.
    explicit Session(SeedSource freshSeed = clockSeed);

    const DiceStream &stream() const { return next; }
    // New goes on from `stream`; false (and nothing changes) where a value is out of range.
    bool startStream(const DiceStream &stream);
    // New starts from a fresh seed, numbered from 1.
    void startFreshStream();

    // Rolls the next race of the stream for `location` and `lightyears`, its trace recorded,
    // adds it after the newest race and puts it on screen. The oldest race beyond the capacity
    // goes.
    const SessionRace &roll(Location location, std::int32_t lightyears);

    bool isEmpty() const { return races.empty(); }
    std::size_t size() const { return races.size(); }
    const SessionRace &at(std::size_t index) const { return races.at(index); }
    // The race on screen; only while the session is not empty.
    const SessionRace &current() const { return races.at(position); }
    std::size_t currentIndex() const { return position; }

    bool canGoBack() const { return position > 0; }
    bool canGoForward() const { return position + 1 < races.size(); }
    // Moves to the previous or next race; at either end nothing changes and false is returned.
    bool goBack();
    bool goForward();
    // Puts race `index` on screen; false when there is none.
    bool show(std::size_t index);

    // What was typed into a race's box (a category 0 to 9): the race keeps it wherever the
    // session goes. True when the text changed.
    bool setText(std::size_t index, std::size_t category, std::string text);

    // What opening a file did.
    struct Opened {
        std::size_t inFile = 0; // races the file holds
        std::size_t kept = 0;   // the newest of them, up to the capacity
        bool continues = false; // New goes on where the file stopped
    };
    // Replaces the session with the races of a file the reader read (without error): the newest
    // `capacity` are kept, the dice of each whose place is known are rolled again for its
    // trace, the last is put on screen, and New goes on where the file stopped or, where it
    // cannot, from a fresh stream.
    Opened open(RaceFile file);

    // Shows the race a link names, and New goes on after it: the race is the session's own
    // where it holds one with that seed, dice, location and distance, else it is rolled as a new
    // race numbered 1. False (and nothing changes) for a link with a value out of range.
    bool goOnFrom(const RaceLink &link);

    // Every race in `format`, exactly as vellicor-cli writes a run of races, a piece at a time.
    void write(OutputFormat format, const PieceWriter &out) const;
    // One race, exactly as vellicor-cli writes a run of that one race.
    std::string raceText(std::size_t index, OutputFormat format) const;
    // The race's heading and its trace lines, without the trace's last line feed: what the Dice
    // Log shows of it.
    std::string diceLogEntry(std::size_t index) const;

private:
    void add(SessionRace race);

    SeedSource freshSeed;
    std::deque<SessionRace> races;
    std::size_t position = 0;
    DiceStream next;
};

} // namespace vellicor
