#include "app/SessionFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <utility>

namespace {

// `path` itself if no file is there yet, else the first of "name-2.json", "name-3.json", ...
// that is free.
QString unusedPath(const QString &path)
{
    const QFileInfo wanted(path);
    QString candidate = path;
    for (int number = 2; QFileInfo::exists(candidate); ++number)
        candidate = wanted.absolutePath() + QLatin1Char('/') + wanted.completeBaseName() +
                    QLatin1Char('-') + QString::number(number) + QLatin1Char('.') + wanted.suffix();
    return candidate;
}

} // namespace

QString writeWholeFile(const QString &path, const ContentProducer &produce)
{
    QSaveFile file(path);
    // Unbuffered, so that a write cut short (a full disk, a size limit) is seen here: through
    // the buffer, the short write of the final flush goes unreported and commit() would put a
    // truncated file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    QString failure;
    produce([&file, &failure](std::string_view piece) {
        // A short write is retried for the rest, which then fails with the system's reason.
        while (failure.isEmpty() && !piece.empty()) {
            const qint64 written = file.write(piece.data(), static_cast<qint64>(piece.size()));
            if (written <= 0)
                failure = file.errorString();
            else
                piece.remove_prefix(static_cast<std::size_t>(written));
        }
    });
    if (!failure.isEmpty()) {
        file.cancelWriting();
        return failure;
    }
    // commit() reports a failure of the buffered writes and of the final rename alike.
    if (!file.commit())
        return file.errorString();
    return {};
}

SessionAutosave::SessionAutosave(const QDateTime &start, std::int32_t seed,
                                 ContentProducer contents, const QString &origin)
    : path(sessionFolder() + QLatin1Char('/') +
           start.toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss")) + QLatin1Char('-') +
           QString::number(seed) +
           (origin.isEmpty() ? QString() : QStringLiteral("-continues-") + origin) +
           QStringLiteral(".json")),
      contents(std::move(contents))
{
    timer.setSingleShot(true);
    timer.setInterval(coalesceMilliseconds);
    connect(&timer, &QTimer::timeout, this, &SessionAutosave::writeNow);
}

QString SessionAutosave::sessionFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/sessions");
}

void SessionAutosave::schedule()
{
    due = true;
    // A running timer is left to run: a steady stream of requests still gets its writes.
    if (!timer.isActive())
        timer.start();
}

bool SessionAutosave::writeNow()
{
    timer.stop();
    if (!due)
        return true;
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        reason = tr("The folder %1 could not be made.")
                     .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    } else {
        // Two sessions started in the same second roll with the same seed; each keeps a file
        // of its own.
        if (!firstWriteDone)
            path = unusedPath(path);
        reason = writeWholeFile(path, contents);
    }
    if (!reason.isEmpty()) {
        if (!failureReported) {
            failureReported = true;
            emit writeFailed(path, reason);
        }
        return false;
    }
    due = false;
    // A later failure starts a new run of failures, and is reported again.
    failureReported = false;
    if (!firstWriteDone) {
        firstWriteDone = true;
        removeOldSessions();
    }
    return true;
}

void SessionAutosave::removeOldSessions() const
{
    const QFileInfoList sessions =
        QDir(sessionFolder())
            .entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Time); // newest first
    for (qsizetype index = keptSessions; index < sessions.size(); ++index) {
        if (sessions[index].absoluteFilePath() != QFileInfo(path).absoluteFilePath())
            QFile::remove(sessions[index].absoluteFilePath());
    }
}
