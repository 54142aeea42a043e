#include "app/SessionHistory.h"

#include <utility>

void SessionHistory::append(SessionRace race)
{
    races.push_back(std::move(race));
    newStream = false;
    if (races.size() > capacity)
        races.pop_front();
    position = races.size() - 1;
}

bool SessionHistory::goBack()
{
    if (!canGoBack())
        return false;
    --position;
    return true;
}

bool SessionHistory::goForward()
{
    if (!canGoForward())
        return false;
    ++position;
    return true;
}

void SessionHistory::write(vellicor::OutputFormat format, const PieceWriter &out) const
{
    constexpr std::size_t piece = 64 * 1024;
    vellicor::RaceWriter writer(format);
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
