#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string_view>

namespace vellicor {

// Sum of `count` dice of `sides` sides. Writes one trace line per face and one summary line.
// Nothing is drawn when `count` or `sides` is below 1: the summary line reports a total of 0.
std::int32_t rollDice(std::int32_t sides, std::int32_t count);

// One open-ended percentile roll: faces of 96 to 100 roll again and add up. `mode` 1 is also
// open-ended downwards (faces of 1 to 5 flip the sign of the faces after them); any other mode is
// open-ended upwards only. Totals saturate at the limits of std::int32_t.
std::int32_t rollOpenEnded(std::int32_t mode);

// The dice's random source: an additive feedback generator of degree 31 whose outputs, for every
// seed, are those of the GNU C library's rand() after srand(seed). Being our own, the same seed
// rolls the same races with any C library, and a draw takes no lock.
class RandomSource
{
public:
    explicit RandomSource(std::int32_t seed = 1) { reseed(seed); }

    void reseed(std::int32_t seed);

    // The next output, 0 to 2147483647: each word is the sum of the words 31 and 3 places back.
    std::int32_t next()
    {
        const std::uint32_t word = words[(count - 31) % ring] + words[(count - 3) % ring];
        words[count % ring] = word;
        ++count;
        return static_cast<std::int32_t>(word >> 1);
    }

    // Skips `skipped` outputs, as many calls of next() would, in time that grows with the number
    // of digits of `skipped` rather than with `skipped`.
    void discard(std::uint64_t skipped);

private:
    // The newest words, in a ring long enough to reach 31 back; a power of two, so that every
    // index is a mask.
    static constexpr std::uint32_t ring = 64;

    std::array<std::uint32_t, ring> words{};
    std::uint32_t count = 0; // words made so far; wraps harmlessly, being a multiple of the ring
};

// Seeds the process-wide source the dice draw from and starts counting faces from 0. Every face
// is its next output % sides + 1.
void seedDice(std::int32_t seed);

// Faces drawn since the dice were seeded, skipped ones included: where the next race begins in
// the seed's stream.
std::int64_t diceDrawn();

// Draws `count` faces and throws them away, untraced, as if that many dice had been rolled.
void skipDice(std::int64_t count);

// Takes trace lines, each with its "\n".
using TraceSink = std::function<void(std::string_view line)>;

// While one lives, the dice draw from a source of their own (seed it with seedDice() as usual;
// its count starts at 0), ask no installed face source and write and record no trace. When it
// goes, the process's dice, their count, the face source and the trace are as they were, so a
// stored race can be rolled again without disturbing the session in progress. One at a time.
// A `recorder` given here takes the trace lines of the private rolls (and nothing else does).
class PrivateDice
{
public:
    explicit PrivateDice(TraceSink recorder = {});
    ~PrivateDice();
    PrivateDice(const PrivateDice &) = delete;
    PrivateDice &operator=(const PrivateDice &) = delete;

private:
    RandomSource source;
    std::int64_t drawn;
    std::function<std::int32_t(std::int32_t)> faces;
    std::function<void(std::string_view)> sink;
    std::function<void(std::string_view)> recorder;
    bool toStandardOutput;
};

// Where faces come from. By default from the process-wide source above. A source installed here
// is asked for every face instead (each still counts as drawn); a face it returns outside 1 to
// sides is clamped into that range. An empty source restores the default.
using FaceSource = std::function<std::int32_t(std::int32_t sides)>;
void setFaceSource(FaceSource source);

// The seed for a clock reading in seconds since 1970, as the dialog and vellicor-cli seed the
// dice. After January 2038 the seconds no longer fit a signed 32-bit integer; the low 32 bits
// are kept, which still change every second.
std::int32_t seedFromClock(std::time_t seconds);

// Where trace lines go. By default every line is written to standard output. A sink installed
// here receives every line, its "\n" included; an empty sink silences the trace (and skips
// formatting it). resetTraceSink() restores standard output.
void setTraceSink(TraceSink sink);
void resetTraceSink();

// Also hands every trace line to `recorder`, wherever the sink sends it (even when it silences
// the trace): a log can keep the lines that standard output shows. An empty recorder stops.
void setTraceRecorder(TraceSink recorder);

} // namespace vellicor
