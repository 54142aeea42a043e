#pragma once

#include "formats/RaceFormat.h"
#include "formats/RolledRace.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

// One race of the session as the dialog keeps it: the race with the texts its boxes last
// showed (the user's notes included) and the dice trace it was rolled with.
struct SessionRace {
    vellicor::RolledRace race;
    std::string trace;
};

// The races rolled in one run of the dialog, oldest first, and which of them is on screen.
// Only the newest `capacity` races are kept, so a session of any length has bounded memory;
// race numbers go on counting past the ones dropped.
class SessionHistory
{
public:
    static constexpr std::size_t capacity = 1000;

    bool isEmpty() const { return races.empty(); }
    std::size_t size() const { return races.size(); }
    const SessionRace &at(std::size_t index) const { return races.at(index); }

    // The race on screen. Only while the history is not empty.
    SessionRace &current() { return races.at(position); }
    const SessionRace &current() const { return races.at(position); }
    std::size_t currentIndex() const { return position; }

    // The number the next race gets: 1 for the first race of a session or of a new stream.
    std::int32_t nextNumber() const
    {
        return races.empty() || newStream ? 1 : races.back().race.number + 1;
    }
    // The races appended from now on come from dice seeded afresh: they count from 1 again.
    void startNewStream() { newStream = true; }

    // Adds a race after the newest one and puts it on screen, dropping the oldest beyond the
    // capacity.
    void append(SessionRace race);

    bool canGoBack() const { return position > 0; }
    bool canGoForward() const { return position + 1 < races.size(); }
    // Moves to the previous or next race; at either end nothing changes and false is returned.
    bool goBack();
    bool goForward();

    // Every kept race in `format`, exactly as vellicor-cli writes a run of races, handed to
    // `out` a piece at a time, so that a long session needs no copy of it all in memory.
    using PieceWriter = std::function<void(std::string_view piece)>;
    void write(vellicor::OutputFormat format, const PieceWriter &out) const;

private:
    std::deque<SessionRace> races;
    std::size_t position = 0;
    bool newStream = false;
};
