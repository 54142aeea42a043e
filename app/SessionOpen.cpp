// Opening a kept session again: Open Session..., Recent Sessions and the reopened session's own
// file. The main dialog's part of it is here, apart from its other commands.
#include "app/SessionOpen.h"

#include "app/Controls.h"
#include "app/DiceLog.h"
#include "app/SessionFiles.h"
#include "app/VellicorDlg.h"
#include "formats/RaceReader.h"
#include "generation/Dice.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <utility>

namespace {

// "2026-12-09T20-15-02-1796823905", perhaps followed by "-2" or "-continues-...".
const QRegularExpression &sessionFileName()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d)-(-?\d+)(?:-.*)?\.json$)"));
    return pattern;
}

// What a session that goes on from `path` names as its origin: the file's name, without the
// origin that file named in turn.
QString originName(const QString &path)
{
    const QString name = QFileInfo(path).completeBaseName();
    return name.left(name.indexOf(QStringLiteral("-continues-")));
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

// The races of `path`, or the reason they cannot be opened, in a sentence.
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

} // namespace

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
    const QString count = races == 1 ? QObject::tr("1 race")
                                     : QObject::tr("%1 races").arg(std::max<qint64>(races, 0));
    const QRegularExpressionMatch match = sessionFileName().match(fileName);
    const QDateTime start =
        QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd'T'HH-mm-ss"));
    if (!match.hasMatch() || !start.isValid())
        return fileName + QStringLiteral(", ") + count;
    return QObject::tr("%1 \u2014 seed %2, %3")
        .arg(QLocale::c().toString(start, QStringLiteral("d MMM yyyy HH:mm")), match.captured(2),
             count);
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

void MainDialog::keepSessionOnDisk(std::int32_t seed, const QString &origin)
{
    autosave = std::make_unique<SessionAutosave>(
        QDateTime::currentDateTime(), seed,
        [this](const PieceWriter &write) {
            keepShownTexts();
            session.write(vellicor::OutputFormat::Json, write);
        },
        origin);
    connect(autosave.get(), &SessionAutosave::writeFailed, this,
            &MainDialog::reportAutosaveFailure);
    // Notes reach the session file soon after they are typed, not only at the next New.
    for (ResultBox *box : resultBoxes)
        connect(box, &ResultBox::edited, autosave.get(), &SessionAutosave::schedule);
}

void MainDialog::createSessionOpening()
{
    recentMenu = windowMenu->addMenu(tr("&Recent Sessions"));
    recentMenu->setObjectName(QStringLiteral("recentSessions"));
    recentMenu->setAccessibleName(tr("Recent Sessions"));
    // Filled as the window menu opens, so the submenu is ready before it is reached.
    connect(windowMenu, &QMenu::aboutToShow, this, &MainDialog::fillRecentSessions);
}

void MainDialog::fillRecentSessions()
{
    recentMenu->clear();
    const QList<RecentSession> recent =
        recentSessions(SessionAutosave::sessionFolder(), sessionFile());
    if (recent.isEmpty())
        recentMenu->addAction(tr("No other sessions kept yet"))->setEnabled(false);
    for (const RecentSession &each : recent) {
        // A name of the user's own may hold '&', which a menu would take for an access key.
        QAction *entry = recentMenu->addAction(
            QString(each.label).replace(QLatin1Char('&'), QLatin1String("&&")));
        entry->setData(each.path);
        connect(entry, &QAction::triggered, this, [this, path = each.path] { openSession(path); });
    }
}

void MainDialog::chooseAndOpenSession()
{
    QString folder = SessionAutosave::sessionFolder();
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog chooser(this, tr("Open Session"), folder);
    chooser.setObjectName(QStringLiteral("openSessionDialog"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters({tr("Sessions (*.json)"), tr("All files (*)")});
    const bool chosen = chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty();
    activateWindow(); // where no window manager hands the focus back
    if (chosen)
        openSession(chooser.selectedFiles().constFirst());
}

bool MainDialog::openSession(const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    // Opening the session on screen's own file opens it as it stands, notes and all.
    const bool ownFile =
        QFileInfo(path).absoluteFilePath() == QFileInfo(sessionFile()).absoluteFilePath();
    if (ownFile)
        writeSessionNow();

    vellicor::RaceFile file = readSessionFile(path);
    if (!file.error.empty()) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The session could not be opened from %1.\n\n%2")
                                 .arg(shownPath, QString::fromStdString(file.error)));
        activateWindow();
        return false;
    }

    // Nothing of the session on screen is lost: it is on disk before another takes its place.
    if (autosave) {
        if (keepShownTexts())
            autosave->schedule();
        if (!autosave->writeNow()) {
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1 was not opened: the session on screen could not be kept "
                                    "in %2 first. Save Races keeps it in a file you choose.")
                                     .arg(shownPath, QDir::toNativeSeparators(sessionFile())));
            activateWindow();
            return false;
        }
    }

    const std::size_t races = file.races.size();
    SessionHistory opened;
    for (vellicor::RolledRace &race : file.races)
        opened.append({std::move(race), {}}); // keeps the newest SessionHistory::capacity
    session = std::move(opened);

    // New goes on where the opened session stopped: its seed, after the last race's dice. Where
    // that place is not known, New starts a stream of its own.
    const vellicor::RolledRace &last = session.current().race;
    std::int32_t seed = last.seed;
    if (!file.canContinue()) {
        seed = vellicor::seedFromClock(std::time(nullptr));
        session.startNewStream();
    }
    vellicor::seedDice(seed);
    if (file.canContinue())
        vellicor::skipDice(file.diceAfterLast);
    *currentRaceProfile() = last.profile;
    currentRaceProfile()->randomSeed = seed;

    // The opened file is only read: the session goes on in a file of its own that names it.
    keepSessionOnDisk(seed, originName(path));
    showCurrentRace();
    if (diceLog && diceLog->isVisible())
        diceLog->showRaces(session);

    if (races > SessionHistory::capacity) {
        auto *box = new QMessageBox(
            QMessageBox::Information, windowTitle(),
            tr("%1 holds %2 races; the newest %3 are shown, and the session goes on from the "
               "last.")
                .arg(shownPath)
                .arg(races)
                .arg(SessionHistory::capacity),
            QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("newestRacesOnly"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
    return true;
}
