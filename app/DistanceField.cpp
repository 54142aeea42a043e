#include "app/DistanceField.h"

#include <limits>

bool isDigitsOnly(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

std::optional<std::int32_t> parseLightyears(const QString &text)
{
    if (text.isEmpty() || !isDigitsOnly(text))
        return std::nullopt;
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    std::int32_t value = 0;
    for (const QChar c : text) {
        const std::int32_t digit = c.unicode() - u'0';
        // Checked before multiplying, so the sum never leaves the type: any length of
        // leading zeros is fine, one digit too many is not.
        if (value > (largest - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}
