#pragma once

#include "cli/run.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <sstream>
#include <string>

// For the suites that hold the dialog's files and copies against what vellicor-cli writes; they
// link the tool's library.
namespace apptest {

// What vellicor-cli writes for the same seed, count and format.
inline std::string cliOutput(std::int32_t seed, int count, const char *format)
{
    const std::string seedText = std::to_string(seed);
    const std::string countText = std::to_string(count);
    const char *argv[] = {"vellicor-cli", "--seed", seedText.c_str(), "--count", countText.c_str(),
                          "--format",     format};
    std::ostringstream out;
    std::ostringstream err;
    vellicor::runCli(7, argv, out, err);
    return out.str();
}

inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace apptest
