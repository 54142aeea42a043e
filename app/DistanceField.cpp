#include "app/DistanceField.h"

#include <algorithm>
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

std::optional<DigitsEdit> digitsAfterEdit(QStringView before, QStringView after, qsizetype caret)
{
    if (isDigitsOnly(after))
        return DigitsEdit{after.toString(), caret};
    if (caret < 0 || caret > after.size() || !isDigitsOnly(before))
        return std::nullopt;
    // What follows the caret was there before the edit; what precedes the inserted text is the
    // longest start the two texts share, within what is left of the old text.
    const QStringView kept = after.mid(caret);
    if (!before.endsWith(kept))
        return std::nullopt;
    const qsizetype room = std::min(caret, before.size() - kept.size());
    qsizetype start = 0;
    while (start < room && before[start] == after[start])
        ++start;
    const QString inserted = after.mid(start, caret - start).trimmed().toString();
    if (inserted.isEmpty() || !isDigitsOnly(inserted))
        return std::nullopt;
    return DigitsEdit{after.left(start).toString() + inserted + kept.toString(),
                      start + inserted.size()};
}
