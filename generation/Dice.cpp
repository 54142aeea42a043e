#include "generation/Dice.h"

#include "generation/SaturatingAdd.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <utility>

namespace vellicor {

namespace {

RandomSource randomSource;
std::int64_t facesDrawn = 0;
FaceSource faceSource;
TraceSink traceSink;
TraceSink traceRecorder;
bool traceToStandardOutput = true;

// Highest face that ends an upward open-ended roll; anything above rolls again.
constexpr std::int32_t openHigh = 95;
// Lowest face that ends a two-way roll; anything below flips the sign and rolls again.
constexpr std::int32_t openLow = 6;
constexpr std::int32_t percentileSides = 100;
constexpr std::int32_t extensionSides = 10;
constexpr std::int32_t upAndDownMode = 1;

inline std::int32_t drawFace(std::int32_t sides)
{
    ++facesDrawn;
    if (faceSource) [[unlikely]]
        return std::clamp(faceSource(sides), 1, sides);
    const std::int32_t output = randomSource.next();
    // The two dice the tables use get a division by a constant, which compiles to a multiply.
    if (sides == percentileSides)
        return output % percentileSides + 1;
    if (sides == extensionSides)
        return output % extensionSides + 1;
    return output % sides + 1;
}

// Whether anyone takes trace lines: standard output, a sink or a recorder.
bool tracing = true;

void updateTracing()
{
    tracing = traceToStandardOutput || traceSink || traceRecorder;
}

template <typename... Args>
[[gnu::noinline]] void writeTrace(const char *format, Args... args)
{
    char buffer[128];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    if (length <= 0)
        return;
    const std::string_view line(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
    if (traceToStandardOutput)
        std::fwrite(line.data(), 1, line.size(), stdout);
    else if (traceSink)
        traceSink(line);
    if (traceRecorder)
        traceRecorder(line);
}

// Every trace line is one printf-style format, formatted only when someone takes it; a silenced
// trace costs a test of one flag.
template <typename... Args>
inline void trace(const char *format, Args... args)
{
    if (tracing)
        writeTrace(format, args...);
}

void traceFirstFace(std::int32_t face)
{
    trace("  %6d\n", face);
}

} // namespace

std::int32_t rollDice(std::int32_t sides, std::int32_t count)
{
    std::int32_t total = 0;
    if (sides >= 1) {
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int32_t face = drawFace(sides);
            traceFirstFace(face);
            total = saturatingAdd(total, face);
        }
    }
    trace(" Rolled %dD%d total = %d\n", count, sides, total);
    return total;
}

std::int32_t rollOpenEnded(std::int32_t mode)
{
    std::int32_t total = 0;
    std::int32_t face = drawFace(percentileSides);
    traceFirstFace(face);
    if (mode != upAndDownMode) {
        while (face > openHigh) {
            total = saturatingAdd(total, face);
            face = drawFace(percentileSides);
            trace(" *open ended* + %d\n", face);
        }
        total = saturatingAdd(total, face);
        trace(" Rolled %dD%d OE total = %d\n", 1, percentileSides, total);
        return total;
    }

    std::int32_t sign = 1;
    while (true) {
        total = saturatingAdd(total, face * sign);
        if (face >= openLow && face <= openHigh)
            break;
        if (face > openHigh) {
            face = drawFace(percentileSides);
            trace(" *open ended* + %d\n", face);
        } else {
            sign = -sign;
            face = drawFace(percentileSides);
            trace(" *open ended down* - %d\n", face);
        }
    }
    trace(" Rolled %dD%d OEUD total = %d\n", 1, percentileSides, total);
    return total;
}

void RandomSource::reseed(std::int32_t seed)
{
    // Words 0 to 30 are a Lehmer sequence, 16807 * previous mod (2^31 - 1), computed with
    // Schrage's method so that no product overflows 32 bits. A seed of 0 would stay 0.
    constexpr std::int32_t modulus = 2147483647;
    constexpr std::int32_t multiplier = 16807;
    constexpr std::int32_t quotient = modulus / multiplier;  // 127773
    constexpr std::int32_t remainder = modulus % multiplier; // 2836
    std::int32_t word = seed == 0 ? 1 : seed;
    words[0] = static_cast<std::uint32_t>(word);
    for (std::uint32_t i = 1; i < 31; ++i) {
        const std::int32_t high = word / quotient;
        const std::int32_t low = word % quotient;
        word = multiplier * low - remainder * high;
        if (word < 0)
            word += modulus;
        words[i] = static_cast<std::uint32_t>(word);
    }
    // Words 31 to 33 repeat words 0 to 2; the sums start with word 34.
    for (std::uint32_t i = 31; i < 34; ++i)
        words[i] = words[i - 31];
    count = 34;
    // The first outputs still show the seed's pattern.
    constexpr std::uint64_t warmUp = 310;
    discard(warmUp);
}

namespace {

// Each word is the sum of the words 31 and 3 places back, so any word is a fixed combination of
// any 31 consecutive words: the coefficients of x^k modulo x^31 - x^28 - 1, with arithmetic
// modulo 2^32 as the words have. A jump of any length then takes a few thousand operations.
constexpr std::size_t lag = 31;
constexpr std::size_t shortLag = 3;
using Combination = std::array<std::uint32_t, lag>;

// Lowers every power of 31 and above with x^d = x^(d-3) + x^(d-31), from the top down.
template <std::size_t N>
Combination reduced(std::array<std::uint32_t, N> &terms)
{
    for (std::size_t degree = N - 1; degree >= lag; --degree) {
        terms[degree - shortLag] += terms[degree];
        terms[degree - lag] += terms[degree];
    }
    Combination low;
    std::copy_n(terms.begin(), lag, low.begin());
    return low;
}

Combination timesX(const Combination &a)
{
    std::array<std::uint32_t, lag + 1> terms{};
    std::copy(a.begin(), a.end(), terms.begin() + 1);
    return reduced(terms);
}

Combination squared(const Combination &a)
{
    std::array<std::uint32_t, 2 * lag - 1> terms{};
    for (std::size_t i = 0; i < lag; ++i)
        for (std::size_t j = 0; j < lag; ++j)
            terms[i + j] += a[i] * a[j];
    return reduced(terms);
}

// x^k modulo the recurrence's polynomial.
Combination powerOfX(std::uint64_t k)
{
    Combination power{};
    power[0] = 1;
    for (int bit = 63; bit >= 0; --bit) {
        power = squared(power);
        if ((k >> bit) & 1)
            power = timesX(power);
    }
    return power;
}

} // namespace

void RandomSource::discard(std::uint64_t skipped)
{
    // Short skips step; long ones jump.
    constexpr std::uint64_t longSkip = 4096;
    if (skipped < longSkip) {
        for (; skipped > 0; --skipped)
            next();
        return;
    }
    const std::uint32_t oldest = count - lag; // the first of the newest 31 words
    Combination basis;
    for (std::size_t j = 0; j < lag; ++j)
        basis[j] = words[(oldest + j) % ring];
    Combination coefficients = powerOfX(skipped);
    Combination jumped;
    for (std::size_t i = 0; i < lag; ++i) {
        std::uint32_t word = 0;
        for (std::size_t j = 0; j < lag; ++j)
            word += coefficients[j] * basis[j];
        jumped[i] = word;
        coefficients = timesX(coefficients);
    }
    count += static_cast<std::uint32_t>(skipped); // modulo 2^32, a multiple of the ring
    for (std::size_t i = 0; i < lag; ++i)
        words[(count - lag + i) % ring] = jumped[i];
}

void seedDice(std::int32_t seed)
{
    randomSource.reseed(seed);
    facesDrawn = 0;
}

std::int64_t diceDrawn()
{
    return facesDrawn;
}

void skipDice(std::int64_t count)
{
    if (count <= 0)
        return;
    randomSource.discard(static_cast<std::uint64_t>(count));
    facesDrawn += count;
}

PrivateDice::PrivateDice(TraceSink privateRecorder)
    : source(randomSource), drawn(facesDrawn), faces(std::move(faceSource)),
      sink(std::move(traceSink)), recorder(std::move(traceRecorder)),
      toStandardOutput(traceToStandardOutput)
{
    faceSource = nullptr;
    traceSink = nullptr;
    traceRecorder = std::move(privateRecorder);
    traceToStandardOutput = false;
    facesDrawn = 0;
    updateTracing();
}

PrivateDice::~PrivateDice()
{
    randomSource = source;
    facesDrawn = drawn;
    faceSource = std::move(faces);
    traceSink = std::move(sink);
    traceRecorder = std::move(recorder);
    traceToStandardOutput = toStandardOutput;
    updateTracing();
}

void setFaceSource(FaceSource source)
{
    faceSource = std::move(source);
}

std::int32_t seedFromClock(std::time_t seconds)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds));
}

void setTraceSink(TraceSink sink)
{
    traceSink = std::move(sink);
    traceToStandardOutput = false;
    updateTracing();
}

void resetTraceSink()
{
    traceSink = nullptr;
    traceToStandardOutput = true;
    updateTracing();
}

void setTraceRecorder(TraceSink recorder)
{
    traceRecorder = std::move(recorder);
    updateTracing();
}

} // namespace vellicor
