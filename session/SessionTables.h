#pragma once

#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellicor {

// A format as a file holds it: its name on the command line, its name for people, the file
// extension that asks for it and the MIME type it is handed on as.
struct FileFormat {
    OutputFormat format;
    std::string_view name;
    std::string_view label;
    std::string_view extension;
    std::string_view mimeType;
};

// By OutputFormat. The extension of a saved file picks its format. The journal is JSON too, and
// Foundry's file picker takes any .json, so its extension has two parts.
inline constexpr std::array<FileFormat, 4> fileFormats{{
    {OutputFormat::Text, formatNames[0], "Text", "txt", "text/plain"},
    {OutputFormat::Markdown, formatNames[1], "Markdown", "md", "text/markdown"},
    {OutputFormat::Json, formatNames[2], "JSON", "json", "application/json"},
    {OutputFormat::Foundry, formatNames[3], "Foundry VTT journal", "foundry.json",
     "application/json"},
}};

// The format a file name asks for by its extension, in any case; of two that match
// ("races.foundry.json"), the longer.
std::optional<OutputFormat> formatForFileName(std::string_view name);

// When a session started, as the clock on the wall showed it.
struct StartTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// How Recent Sessions names a kept session: "9 Dec 2026 20:15 — seed 1796823905, 21 races".
std::string sessionLabel(const StartTime &start, std::int32_t seed, std::int64_t races);
// "1 race", "21 races".
std::string raceCount(std::int64_t races);

} // namespace vellicor
