#include "generation/Dice.h"
#include "generation/RaceProfile.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

namespace vellicor {
namespace {

// The trace would time printf and the terminal, not the rolls.
struct SilentTrace {
    SilentTrace() { setTraceSink(nullptr); }
    ~SilentTrace() { resetTraceSink(); }
};

// Arguments: location, light years.
void generateRace(benchmark::State &state)
{
    SilentTrace silent;
    vellicor::seedDice(1);
    const auto location = static_cast<Location>(state.range(0));
    const auto lightyears = static_cast<std::int32_t>(state.range(1));
    RaceProfile profile;
    for (auto _ : state) {
        profile.generate(location, lightyears);
        benchmark::DoNotOptimize(profile);
    }
}
BENCHMARK(generateRace)->Args({InnerProvince, 0})->Args({Frontier, 50})->Args({Backnet, 200});

// The ten describe() calls for one race, over a spread of rolled races.
void describeAllCategories(benchmark::State &state)
{
    SilentTrace silent;
    vellicor::seedDice(1);
    std::array<RaceProfile, 256> profiles;
    for (std::size_t i = 0; i < profiles.size(); ++i)
        profiles[i].generate(static_cast<Location>(i % 3), static_cast<std::int32_t>(i));
    std::size_t next = 0;
    for (auto _ : state) {
        const RaceProfile &profile = profiles[next++ % profiles.size()];
        for (std::int32_t category = 0; category < 10; ++category)
            benchmark::DoNotOptimize(profile.describe(static_cast<Category>(category)));
    }
}
BENCHMARK(describeAllCategories);

} // namespace
} // namespace vellicor
