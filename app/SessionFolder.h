#pragma once

#include "formats/RaceReader.h"

#include <QList>
#include <QString>

QT_BEGIN_NAMESPACE
class QFile;
QT_END_NAMESPACE

// Finding, listing and reading the session files that the dialog keeps by itself (written by
// SessionAutosave) and any other file of races the user opens.

// The races of `path`, or the reason they cannot be opened, in a sentence.
vellicor::RaceFile readSessionFile(const QString &path);

// What a session that goes on from `path` names as its origin: the file's name, without the
// origin that file named in turn.
QString originName(const QString &path);

// One entry of the Recent Sessions menu: a session file and how the menu names it.
struct RecentSession {
    QString path;
    QString label; // "9 Dec 2026 20:15 — seed 1796823905, 21 races"
};

// The newest `count` session files of `folder` by when they were last written, newest first,
// leaving out `except` (the session on screen) and what openSessionFile() refuses. Only these
// files are read, and only to count their races.
QList<RecentSession> recentSessions(const QString &folder, const QString &except, int count = 10);

// How the menu names a session file: its start time and seed, read from its name, and its races.
// A name that is not a session file's is shown as it is.
QString recentSessionLabel(const QString &fileName, qint64 races);

// The races of a file as Vellicor writes them, counted without reading them: the JSON holds one
// race a line, each line starting with '{'. -1 when openSessionFile() refuses the file.
qint64 countRaceLines(const QString &path);

// Opens `path` into `file` for reading, if it is (after links are followed) a regular file of
// at most vellicor::largestRaceFile bytes. Never waits: a FIFO or a device is refused before it
// is read, so nothing can hang on one or read one without end. Returns an empty string once
// `file` is open, else why the file is refused.
QString openSessionFile(const QString &path, QFile &file);
