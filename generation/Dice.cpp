#include "generation/Dice.h"

#include "generation/SaturatingAdd.h"

#include <algorithm>
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
constexpr std::int32_t upAndDownMode = 1;

std::int32_t drawFace(std::int32_t sides)
{
    ++facesDrawn;
    if (!faceSource)
        return randomSource.next() % sides + 1;
    return std::clamp(faceSource(sides), 1, sides);
}

// Every trace line is one printf-style format, formatted only when someone takes it.
template <typename... Args>
void trace(const char *format, Args... args)
{
    if (!traceToStandardOutput && !traceSink && !traceRecorder)
        return;
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
    // The words start as a Lehmer sequence, 16807 * previous mod (2^31 - 1), computed with
    // Schrage's method so that no product overflows 32 bits. A seed of 0 would stay 0.
    constexpr std::int32_t modulus = 2147483647;
    constexpr std::int32_t multiplier = 16807;
    constexpr std::int32_t quotient = modulus / multiplier;  // 127773
    constexpr std::int32_t remainder = modulus % multiplier; // 2836
    std::int32_t word = seed == 0 ? 1 : seed;
    state[0] = static_cast<std::uint32_t>(word);
    for (std::size_t i = 1; i < degree; ++i) {
        const std::int32_t high = word / quotient;
        const std::int32_t low = word % quotient;
        word = multiplier * low - remainder * high;
        if (word < 0)
            word += modulus;
        state[i] = static_cast<std::uint32_t>(word);
    }
    front = separation;
    rear = 0;
    // The first outputs still show the seed's pattern.
    constexpr std::uint64_t warmUp = 10 * degree;
    discard(warmUp);
}

void RandomSource::discard(std::uint64_t count)
{
    // A short skip is quickest one output at a time.
    constexpr std::uint64_t stepwise = 64 * degree;
    if (count <= stepwise) {
        for (; count > 0; --count)
            next();
        return;
    }

    // The words obey w[t + 31] = w[t + 28] + w[t] (mod 2^32), a linear recurrence, so the word
    // `count` steps ahead is a fixed combination of the 31 words held now: the coefficients of
    // x^count modulo x^31 - x^28 - 1. Oldest word first, window[t] is w[t].
    using Polynomial = std::array<std::uint32_t, degree>;
    const auto reduce = [](std::array<std::uint32_t, 2 * degree - 1> &wide) {
        for (std::size_t power = wide.size() - 1; power >= degree; --power) {
            wide[power - separation] += wide[power];
            wide[power - degree] += wide[power];
            wide[power] = 0;
        }
    };
    const auto multiply = [&reduce](const Polynomial &a, const Polynomial &b) {
        std::array<std::uint32_t, 2 * degree - 1> wide{};
        for (std::size_t i = 0; i < degree; ++i)
            for (std::size_t j = 0; j < degree; ++j)
                wide[i + j] += a[i] * b[j];
        reduce(wide);
        Polynomial product;
        std::copy_n(wide.begin(), degree, product.begin());
        return product;
    };
    Polynomial power{};
    power[0] = 1; // x^0
    Polynomial square{};
    square[1] = 1; // x^1
    for (std::uint64_t rest = count; rest > 0; rest >>= 1) {
        if (rest & 1)
            power = multiply(power, square);
        square = multiply(square, square);
    }

    Polynomial window;
    for (std::size_t t = 0; t < degree; ++t)
        window[t] = state[(front + t) % degree];
    Polynomial ahead;
    for (std::size_t t = 0; t < degree; ++t) {
        std::uint32_t word = 0;
        for (std::size_t i = 0; i < degree; ++i)
            word += power[i] * window[i];
        ahead[t] = word;
        // Times x: one step further.
        const std::uint32_t top = power[degree - 1];
        std::copy_backward(power.begin(), power.end() - 1, power.end());
        power[0] = top;
        power[degree - separation] += top;
    }
    state = ahead;
    front = 0;
    rear = degree - separation;
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

PrivateDice::PrivateDice()
    : source(randomSource), drawn(facesDrawn), faces(std::move(faceSource)),
      sink(std::move(traceSink)), recorder(std::move(traceRecorder)),
      toStandardOutput(traceToStandardOutput)
{
    faceSource = nullptr;
    traceSink = nullptr;
    traceRecorder = nullptr;
    traceToStandardOutput = false;
    facesDrawn = 0;
}

PrivateDice::~PrivateDice()
{
    randomSource = source;
    facesDrawn = drawn;
    faceSource = std::move(faces);
    traceSink = std::move(sink);
    traceRecorder = std::move(recorder);
    traceToStandardOutput = toStandardOutput;
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
}

void resetTraceSink()
{
    traceSink = nullptr;
    traceToStandardOutput = true;
}

void setTraceRecorder(TraceSink recorder)
{
    traceRecorder = std::move(recorder);
}

} // namespace vellicor
