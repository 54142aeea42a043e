#include "session/SessionTables.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vellicor {

std::optional<OutputFormat> formatForFileName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view extension = name.substr(dot + 1);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (const FileFormat &each : fileFormats) {
        if (std::equal(extension.begin(), extension.end(), each.extension.begin(),
                       each.extension.end(), [&lower](char a, char b) { return lower(a) == b; }))
            return each.format;
    }
    return std::nullopt;
}

std::string raceCount(std::int64_t races)
{
    return races == 1 ? std::string("1 race")
                      : std::to_string(std::max<std::int64_t>(races, 0)) + " races";
}

std::string sessionLabel(const StartTime &start, std::int32_t seed, std::int64_t races)
{
    static constexpr std::array<const char *, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char *month = start.month >= 1 && start.month <= 12 ? months[start.month - 1] : "?";
    char when[64];
    std::snprintf(when, sizeof when, "%d %s %d %02d:%02d", start.day, month, start.year, start.hour,
                  start.minute);
    return std::string(when) + " \u2014 seed " + std::to_string(seed) + ", " + raceCount(races);
}

} // namespace vellicor
