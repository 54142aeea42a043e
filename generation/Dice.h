#pragma once

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

// Where faces come from. By default every face is std::rand() % sides + 1 from the process-wide C
// random source, which the application seeds. A source installed here is asked for every face
// instead; a face it returns outside 1 to sides is clamped into that range. An empty source
// restores the default.
using FaceSource = std::function<std::int32_t(std::int32_t sides)>;
void setFaceSource(FaceSource source);

// The seed for a clock reading in seconds since 1970, as the dialog and vellicor-cli seed the
// random source with std::srand. After January 2038 the seconds no longer fit a signed 32-bit
// integer; the low 32 bits are kept, which still change every second.
std::int32_t seedFromClock(std::time_t seconds);

// Where trace lines go. By default every line is written to standard output. A sink installed
// here receives every line, its "\n" included; an empty sink silences the trace (and skips
// formatting it). resetTraceSink() restores standard output.
using TraceSink = std::function<void(std::string_view line)>;
void setTraceSink(TraceSink sink);
void resetTraceSink();

// Also hands every trace line to `recorder`, wherever the sink sends it (even when it silences
// the trace): a log can keep the lines that standard output shows. An empty recorder stops.
void setTraceRecorder(TraceSink recorder);

} // namespace vellicor
