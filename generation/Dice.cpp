#include "generation/Dice.h"

#include "generation/SaturatingAdd.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace vellicor {

namespace {

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
    if (!faceSource)
        return std::rand() % sides + 1;
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
