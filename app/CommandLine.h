#pragma once

#include <QStringList>

#include <optional>

// The dialog's command line: --help and --version, and Qt's own options (-platform, -style,
// -reverse and the others), which QApplication takes out of the arguments as it starts.

// With --help (-h) or --version (-v) anywhere before "--": prints the usage or the version to
// standard output and returns the exit status, 0 (1 if standard output cannot be written).
// Needs no display and no QApplication; call it before there is one. Otherwise returns nothing.
std::optional<int> answerInfoRequest(int argc, char **argv);

// Checks what is left of the arguments once QApplication has taken its own (the program's name
// first): anything else is refused with one line on standard error, and 2 is returned.
// Otherwise returns nothing.
std::optional<int> refuseUnknownArguments(const QStringList &arguments);

// The same check before there is a QApplication, whose start-up ends the program where it finds
// no display: the options Qt documents for QGuiApplication and QApplication, with their values,
// are left out of the check, as QApplication will take them.
std::optional<int> refuseUnknownArguments(int argc, char **argv);
