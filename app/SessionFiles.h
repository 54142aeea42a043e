#pragma once

#include "formats/RaceFormat.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Writes to `path` through QSaveFile what `produce` hands its argument, piece by piece. An
// existing file is replaced only once all of the new contents are on disk. Returns an empty
// string on success, else the system's reason.
using PieceWriter = std::function<void(std::string_view piece)>;
using ContentProducer = std::function<void(const PieceWriter &write)>;
QString writeWholeFile(const QString &path, const ContentProducer &produce);

// Keeps the session on disk by itself, as JSON, in a file of its own under the application's
// data folder: sessions/<start time>-<seed>.json. Writes are coalesced: schedule() asks for one
// and a burst of requests costs a few writes a second at most. Only the newest `keptSessions`
// session files are kept.
class SessionAutosave : public QObject
{
    Q_OBJECT
public:
    static constexpr int keptSessions = 100;
    static constexpr int coalesceMilliseconds = 300;

    // `contents` produces what to write, when a write is due. A session that goes on from an
    // opened file names it: "<start time>-<seed>-continues-<origin>.json".
    SessionAutosave(const QDateTime &start, std::int32_t seed, ContentProducer contents,
                    const QString &origin = {});

    static QString sessionFolder();
    // Where the session is kept. Until the first write, another session of the same second and
    // seed can still make it take a number ("...-2.json").
    QString filePath() const { return path; }

    // Asks for a write soon.
    void schedule();
    // Writes now if a write is due; true when nothing is left to write. A failure is retried
    // by the next schedule().
    bool writeNow();

signals:
    // The first failure after a success (or after the start), with the file and the system's
    // reason: each run of failures is reported once.
    void writeFailed(const QString &file, const QString &reason);

private:
    void removeOldSessions() const;

    QString path;
    ContentProducer contents;
    QTimer timer;
    bool due = false;
    bool failureReported = false; // in the current run of failures
    bool firstWriteDone = false;  // the file's name is settled, and old sessions are removed
};
