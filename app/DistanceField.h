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
