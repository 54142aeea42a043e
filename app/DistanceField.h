#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The distance box's rules, free of widgets so that any caller (a validator, a fuzz target)
// can use them with nothing but QtCore.

// True when every character is an ASCII digit 0 to 9; an empty text is digits only too. Signs,
// spaces and the digits of other scripts are not.
bool isDigitsOnly(QStringView text);

// The distance in light years that the box's text holds: 0 to 2147483647, leading zeros
// allowed. Nothing when the text is empty, holds anything but ASCII digits, or names a number
// too large for a signed 32-bit integer.
std::optional<std::int32_t> parseLightyears(const QString &text);

// The text of a digits-only box after an edit turned `before` (digits only) into `after`, with
// the caret at `caret` just behind whatever the edit inserted. Whitespace around the inserted
// digits is dropped, so a number pasted with a space or a line break around it is still taken.
// Nothing when the edit would put anything else than digits into the box, whitespace alone
// included: the edit is refused whole.
struct DigitsEdit {
    QString text;
    qsizetype caret;
};
std::optional<DigitsEdit> digitsAfterEdit(QStringView before, QStringView after, qsizetype caret);
