#include "session/SessionTables.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace vellicor {

std::optional<OutputFormat> formatForFileName(std::string_view name)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    std::optional<OutputFormat> format;
    std::size_t longest = 0;
    for (const FileFormat &each : fileFormats) {
        const std::size_t length = each.extension.size() + 1; // with its dot
        if (name.size() < length || length <= longest)
            continue;
        const std::string_view end = name.substr(name.size() - length);
        if (end[0] == '.' && std::equal(end.begin() + 1, end.end(), each.extension.begin(),
                                        [&lower](char a, char b) { return lower(a) == b; })) {
            format = each.format;
            longest = length;
        }
    }
    return format;
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
