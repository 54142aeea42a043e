#include "app/SessionFolder.h"

#include "session/SessionTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

// "2026-12-09T20-15-02-1796823905", perhaps followed by "-2" or "-continues-...".
const QRegularExpression &sessionFileName()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d)-(-?\d+)(?:-.*)?\.json$)"));
    return pattern;
}

// Why a file of this type and size is not opened as a session file; empty if it may be.
QString refusalOf(const struct stat &status)
{
    if (S_ISDIR(status.st_mode))
        return QObject::tr("It is a folder, not a file.");
    if (!S_ISREG(status.st_mode))
        return QObject::tr("It is a device or a pipe, not a file.");
    if (static_cast<std::uint64_t>(status.st_size) > vellicor::largestRaceFile)
        return QString::fromStdString(vellicor::tooLargeReason());
    return {};
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
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
    QFile input;
    if (const QString refusal = openSessionFile(path, input); !refusal.isEmpty()) {
        file.error = refusal.toStdString();
    } else {
        // No more than the limit and one byte is read, whatever the file grew to meanwhile.
        const auto limit = static_cast<qint64>(vellicor::largestRaceFile) + 1;
        const qint64 size = input.size();
        QByteArray bytes = input.read(std::min(size + 1, limit));
        if (bytes.size() > size)
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

QString openSessionFile(const QString &path, QFile &file)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return systemReason(errno);
    if (QString refusal = refusalOf(status); !refusal.isEmpty())
        return refusal;
    // Without O_NONBLOCK, opening a FIFO put in the file's place meanwhile would wait for a
    // writer; with it, the open returns at once and the check below refuses it.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return systemReason(errno);
    QString refusal = ::fstat(descriptor, &status) != 0 ? systemReason(errno) : refusalOf(status);
    if (refusal.isEmpty() &&
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        refusal = file.errorString();
    if (!refusal.isEmpty())
        ::close(descriptor);
    return refusal;
}

qint64 countRaceLines(const QString &path)
{
    QFile file;
    if (!openSessionFile(path, file).isEmpty())
        return -1;
    qint64 races = 0;
    bool lineStarts = false; // the last piece ended a line
    constexpr qint64 piece = 1 << 20;
    // Counted up to the limit, however much the file grew since it was opened.
    qint64 left = static_cast<qint64>(vellicor::largestRaceFile);
    QByteArray chunk;
    while (left > 0 && !(chunk = file.read(std::min(piece, left))).isEmpty()) {
        left -= chunk.size();
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
        const qint64 races = countRaceLines(file.filePath());
        if (races >= 0)
            recent.append({file.absoluteFilePath(), recentSessionLabel(file.fileName(), races)});
    }
    return recent;
}
