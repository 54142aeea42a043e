#include "cli/run.h"
#include "formats/RaceFormat.h"

#include "generation/Dice.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <ostream>
#include <streambuf>
#include <string>

namespace vellicor {
namespace {

// Formats one race at a time, the way vellicor-cli streams them, over a spread of races.
// Budgets (medians, Release, the 2-core development machine): Markdown at most 0.6 us, JSON at
// most 1.0 us; the README keeps the measured figures.
void formatRace(benchmark::State &state)
{
    setTraceSink(nullptr);
    vellicor::seedDice(1);
    std::array<RolledRace, 64> races;
    for (std::size_t i = 0; i < races.size(); ++i) {
        races[i].location = static_cast<Location>(i % 3);
        races[i].roll();
    }
    resetTraceSink();

    RaceWriter writer(static_cast<OutputFormat>(state.range(0)));
    std::string buffer;
    std::size_t next = 0;
    for (auto _ : state) {
        buffer.clear();
        writer.append(buffer, races[next++ % races.size()]);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(formatRace)
    ->ArgName("format")
    ->Arg(static_cast<int>(OutputFormat::Text))
    ->Arg(static_cast<int>(OutputFormat::Markdown))
    ->Arg(static_cast<int>(OutputFormat::Json));

// Swallows everything, as /dev/null does.
class NullBuffer : public std::streambuf
{
protected:
    std::streamsize xsputn(const char *, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// The whole program in-process, 1000 races per run; items are races.
void runCliJson(benchmark::State &state)
{
    NullBuffer sink;
    std::ostream out(&sink);
    std::ostream err(&sink);
    const char *argv[] = {"vellicor-cli", "--seed", "1", "--count", "1000", "--format", "json"};
    for (auto _ : state)
        benchmark::DoNotOptimize(runCli(7, argv, out, err));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(runCliJson)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vellicor
