// The dialog's reading of the distance box, as a function of the box's text: it yields a number
// from 0 to 2147483647 exactly when the text is a decimal number in that range, and fails
// cleanly for everything else.

#include "app/DistanceField.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// An independent reading: the text's value if it is all ASCII digits and fits, else nothing.
std::optional<std::int32_t> expectedDistance(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<std::int32_t> distance = parseLightyears(text);
    if (distance && *distance < 0) {
        std::fprintf(stderr, "distance fuzz: negative distance %d\n", *distance);
        std::abort();
    }
    if (distance != expectedDistance(text)) {
        std::fprintf(stderr, "distance fuzz: \"%s\" read as %s\n", text.toUtf8().constData(),
                     distance ? std::to_string(*distance).c_str() : "nothing");
        std::abort();
    }
    return 0;
}
