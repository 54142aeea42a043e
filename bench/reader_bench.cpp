#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"

#include "generation/Dice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace vellicor {
namespace {

// A session as the dialog keeps it: 1000 races of one seed as JSON, over the three locations.
std::string sessionOfAThousandRaces(bool withDice)
{
    setTraceSink(nullptr);
    seedDice(1796823905);
    RaceWriter writer(OutputFormat::Json);
    std::string json(writer.opening());
    for (std::int32_t number = 1; number <= 1000; ++number) {
        RolledRace race;
        race.number = number;
        race.seed = 1796823905;
        race.location = static_cast<Location>(number % 3);
        race.lightyears = number % 200;
        race.roll();
        if (!withDice)
            race.dice = -1; // as files written before races named their dice
        writer.append(json, race);
    }
    json += writer.closing();
    resetTraceSink();
    return json;
}

// Opening a session of 1000 races: parsing, checking every number and rolling the last race
// again to know where New goes on. Without dice, every race's place is found by rolling the
// races again from race 1. Budget (median, Release, the 2-core development machine): 50 ms.
void readSession(benchmark::State &state)
{
    const std::string json = sessionOfAThousandRaces(state.range(0) != 0);
    for (auto _ : state) {
        const RaceFile file = readRaces(json);
        if (file.races.size() != 1000 || !file.canContinue())
            std::abort();
        benchmark::DoNotOptimize(file.races.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * json.size()));
}
BENCHMARK(readSession)->ArgName("withDice")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vellicor
