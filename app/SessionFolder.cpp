#include "app/SessionFolder.h"

#include "session/SessionTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

// "2026-12-09T20-15-02-1796823905", perhaps followed by "-2" or "-continues-...".
const QRegularExpression &sessionFileName()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d)-(-?\d+)(?:-.*)?\.json$)"));
    return pattern;
}

} // namespace

QString originName(const QString &path)
{
    const QString name = QFileInfo(path).completeBaseName();
    return name.left(name.indexOf(QStringLiteral("-continues-")));
}

vellicor::RaceFile readSessionFile(const QString &path)
{
    vellicor::RaceFile file;
    const QFileInfo info(path);
    QFile input(path);
    if (info.isDir()) {
        file.error = QObject::tr("It is a folder, not a file.").toStdString();
    } else if (info.exists() && static_cast<quint64>(info.size()) > vellicor::largestRaceFile) {
        file.error = vellicor::tooLargeReason();
    } else if (!input.open(QIODevice::ReadOnly)) {
        file.error = input.errorString().toStdString();
    } else {
        // No more than the limit and one byte is read, whatever the file grew to meanwhile.
        const auto limit = static_cast<qint64>(vellicor::largestRaceFile) + 1;
        QByteArray bytes = input.read(std::min(info.size() + 1, limit));
        if (bytes.size() > info.size())
            bytes += input.read(limit - bytes.size());
        if (input.error() != QFileDevice::NoError)
            file.error = input.errorString().toStdString();
        else
            file = vellicor::readRaces(std::string_view(bytes.constData(), bytes.size()));
    }
    // The reasons read as sentences.
    if (!file.error.empty() && file.error[0] >= 'a' && file.error[0] <= 'z')
        file.error[0] = static_cast<char>(file.error[0] - 'a' + 'A');
    return file;
}

qint64 countRaceLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 races = 0;
    bool lineStarts = false; // the last piece ended a line
    constexpr qint64 piece = 1 << 20;
    QByteArray chunk;
    while (!(chunk = file.read(piece)).isEmpty()) {
        const char *next = chunk.constData();
        const char *end = next + chunk.size();
        if (lineStarts && *next == '{')
            ++races;
        while ((next = static_cast<const char *>(std::memchr(next, '\n', end - next)))) {
            if (++next < end && *next == '{')
                ++races;
        }
        lineStarts = chunk.back() == '\n';
    }
    return races;
}

QString recentSessionLabel(const QString &fileName, qint64 races)
{
    const QRegularExpressionMatch match = sessionFileName().match(fileName);
    const QDateTime start =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd'T'HH-mm-ss"));
    bool seedRead = false;
    const std::int32_t seed = match.captured(2).toInt(&seedRead);
    if (!match.hasMatch() || !start.isValid() || !seedRead)
        return fileName + QStringLiteral(", ") + QString::fromStdString(vellicor::raceCount(races));
    const QDate day = start.date();
    const QTime time = start.time();
    return QString::fromStdString(vellicor::sessionLabel(
        {day.year(), day.month(), day.day(), time.hour(), time.minute()}, seed, races));
}

QList<RecentSession> recentSessions(const QString &folder, const QString &except, int count)
{
    const QString skipped = QFileInfo(except).absoluteFilePath();
    QList<RecentSession> recent;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Time);
    for (const QFileInfo &file : files) {
        if (recent.size() == count)
            break;
        if (!except.isEmpty() && file.absoluteFilePath() == skipped)
            continue;
        recent.append({file.absoluteFilePath(),
                       recentSessionLabel(file.fileName(), countRaceLines(file.filePath()))});
    }
    return recent;
}
