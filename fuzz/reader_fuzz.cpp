// The reader with any bytes at all. It must never crash or hang; what it refuses gets one line
// and no races; and whatever it accepts, written back as JSON and read again, gives the same
// races, the same place to go on from and the same verdict on hand-edited numbers.

#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace vellicor;

namespace {

void fail(const char *what, std::string_view input)
{
    std::fprintf(stderr, "reader fuzz: %s\n%.*s\n", what, static_cast<int>(input.size()),
                 input.data());
    std::abort();
}

bool sameRace(const RolledRace &a, const RolledRace &b)
{
    return a.number == b.number && a.seed == b.seed && a.dice == b.dice &&
           a.location == b.location && a.lightyears == b.lightyears && a.profile == b.profile &&
           a.texts == b.texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const RaceFile file = readRaces(input);
    if (!file.error.empty()) {
        if (!file.races.empty() || file.canContinue())
            fail("a refused file still has races", input);
        if (file.error.find('\n') != std::string::npos)
            fail("the reason is more than one line", input);
        return 0;
    }
    if (file.races.empty())
        fail("an accepted file has no races", input);

    RaceWriter writer(OutputFormat::Json);
    std::string written(writer.opening());
    for (const RolledRace &race : file.races)
        writer.append(written, race);
    written += writer.closing();

    const RaceFile again = readRaces(written);
    if (!again.error.empty())
        fail(("written back, it is refused: " + again.error).c_str(), written);
    if (again.races.size() != file.races.size())
        fail("written back, it has another number of races", written);
    for (std::size_t i = 0; i < file.races.size(); ++i) {
        if (!sameRace(again.races[i], file.races[i]))
            fail("written back, a race changed", written);
    }
    if (again.diceAfterLast != file.diceAfterLast ||
        again.lastRaceAsRolled != file.lastRaceAsRolled)
        fail("written back, it goes on elsewhere", written);
    return 0;
}
