#include "app/VellicorDlg.h"

#include "app/Controls.h"
#include "app/DialogTemplates.h"
#include "app/DiceLog.h"
#include "app/DistanceField.h"
#include "app/FileChoosers.h"
#include "app/KeyboardAccess.h"
#include "app/RaceCardPrinter.h"
#include "app/RecentSessionsMenu.h"
#include "app/Resources.h"
#include "app/SessionFiles.h"
#include "app/SessionFolder.h"
#include "app/WindowMove.h"
#include "session/SessionTables.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <cstdio>
#include <memory>
#include <optional>

using vellicor::Location;
using vellicor::OutputFormat;

namespace {

// The result boxes in the order the data exchange visits them.
constexpr std::array<int, 10> resultBoxExchangeOrder{1015, 1017, 1021, 1019, 1024,
                                                     1016, 1020, 1018, 1022, 1023};

// A title bar with the window menu and a close button; no resizing, no maximize.
constexpr Qt::WindowFlags dialogChrome = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Found among the frames' controls too.
template <typename Widget>
Widget *controlById(const QWidget &dialog, int id)
{
    auto *control = dialog.findChild<Widget *>(QString::number(id));
    Q_ASSERT(control);
    return control;
}

} // namespace

// A top-level window of its own, so it has a taskbar button although it is a dialog.
MainDialog::MainDialog(QWidget *parent)
    : QDialog(parent, Qt::Window | dialogChrome), icon(applicationIcon())
{
    createControls();
    connectSignals();
    initialise();
}

MainDialog::~MainDialog()
{
    // However the dialog goes, the last state of the session is kept on disk.
    writeSessionNow();
}

void MainDialog::createControls()
{
    buildDialog(*this, mainDialogTemplate);
    newButton = controlById<QPushButton>(*this, controlId::newButton);
    for (int category = 0; category < static_cast<int>(resultBoxes.size()); ++category)
        resultBoxes[category] = controlById<ResultBox>(*this, controlId::firstResultBox + category);
    locationGroup = controlById<QAbstractButton>(*this, controlId::innerProvince)->group();
    distanceEdit = controlById<QLineEdit>(*this, controlId::distance);
    tabToCheckedButton(*locationGroup);
    showKeyboardFocus(*this);
}

// The desktop's own window menu cannot take entries on Linux, so the dialog has one of its own
// with the standard entries and, after a separator, the About entry.
void MainDialog::createWindowMenu()
{
    windowMenu = new QMenu(this);
    windowMenu->setObjectName(QStringLiteral("windowMenu"));
    const auto addCommand = [this](const QString &text, int commandId) {
        QAction *action = windowMenu->addAction(text);
        action->setData(commandId);
        connect(action, &QAction::triggered, this,
                [this, commandId] { handleSystemCommand(commandId); });
        return action;
    };
    addCommand(tr("&Move"), systemCommand::move);
    addCommand(tr("Mi&nimize"), systemCommand::minimize);
    QAction *close = addCommand(tr("&Close"), systemCommand::close);
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    addAction(close); // the shortcut works with the menu closed too

    createRaceCommands();

    const QString aboutText = loadString(resource::aboutMenuText);
    if (!aboutText.isEmpty()) {
        windowMenu->addSeparator();
        addCommand(aboutText, systemCommand::about);
    }
}

// The session's commands, a section of their own between the standard entries and About.
void MainDialog::createRaceCommands()
{
    windowMenu->addSeparator();
    const auto addRaceCommand = [this](const QString &text, const char *name,
                                       const QKeySequence &keys, auto slot) {
        QAction *action = windowMenu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setShortcutVisibleInContextMenu(true);
        connect(action, &QAction::triggered, this, slot);
        addAction(action); // the shortcut works with the menu closed, wherever the focus is
        raceActions.append(action);
        return action;
    };
    previousRaceAction =
        addRaceCommand(tr("&Previous Race"), "previousRace", QKeySequence(Qt::ALT | Qt::Key_Left),
                       &MainDialog::showPreviousRace);
    nextRaceAction =
        addRaceCommand(tr("Ne&xt Race"), "nextRace", QKeySequence(Qt::ALT | Qt::Key_Right),
                       &MainDialog::showNextRace);
    addRaceCommand(tr("C&opy Race"), "copyRace", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                   &MainDialog::copyRace);
    addRaceCommand(tr("&Save Races..."), "saveRaces", QKeySequence(Qt::CTRL | Qt::Key_S),
                   &MainDialog::chooseFileAndSave);
    addRaceCommand(tr("Pr&int Race..."), "printRace", QKeySequence::Print, [this] {
        keepShownTexts(); // the card shows the notes as they stand in the boxes
        printCurrentRace(*this, session);
    });
    addRaceCommand(tr("Op&en Session..."), "openSession", QKeySequence(Qt::CTRL | Qt::Key_O),
                   &MainDialog::chooseAndOpenSession);
    recentMenu = new RecentSessionsMenu(*windowMenu, [this] { return sessionFile(); });
    connect(recentMenu, &RecentSessionsMenu::chosen, this, &MainDialog::openSession);
    addRaceCommand(tr("&Dice Log"), "diceLog", QKeySequence(Qt::CTRL | Qt::Key_L),
                   &MainDialog::showDiceLog);
    updateRaceCommands();
}

void MainDialog::connectSignals()
{
    connect(newButton, &QPushButton::clicked, this, &MainDialog::rollNewRace);
    // Desktops that keep Alt+Space for their own window menu never pass it on; the right click
    // on the background opens the menu everywhere.
    auto *openMenu = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(openMenu, &QShortcut::activated, this, [this] { popupWindowMenu(*windowMenu, *this); });
}

// Shift+F10 and the Menu key open the window menu where the desktop keeps Alt+Space for itself.
// The result boxes keep these keys for their own edit menus.
void MainDialog::connectMenuKeys()
{
    windowMenu->setAccessibleName(tr("Window menu")); // what screen readers say as it opens
    QList<QWidget *> controls{newButton, distanceEdit};
    for (QAbstractButton *button : locationGroup->buttons())
        controls.append(button);
    openWindowMenuWithMenuKeys(*windowMenu, *this, controls);
}

void MainDialog::initialise()
{
    exchangeData(Exchange::toControls);
    createWindowMenu();
    connectMenuKeys();
    setWindowIcon(icon);

    location = vellicor::InnerProvince;
    exchangeData(Exchange::toControls);

    keepSessionOnDisk(session.stream().seed, {});

    rollNewRace();
    newButton->setFocus();
}

bool MainDialog::exchangeData(Exchange direction)
{
    const bool reading = direction == Exchange::fromControls;
    for (const int id : resultBoxExchangeOrder) {
        const int category = id - controlId::firstResultBox;
        if (reading)
            resultTexts[category] = resultBoxes[category]->text();
        else
            resultBoxes[category]->setText(resultTexts[category]);
    }

    if (reading) {
        location = locationGroup->checkedId();
    } else if (QAbstractButton *button = locationGroup->button(location)) {
        button->setChecked(true);
    } else {
        // No button for the value: none is checked. An exclusive group would keep one.
        locationGroup->setExclusive(false);
        for (QAbstractButton *each : locationGroup->buttons())
            each->setChecked(false);
        locationGroup->setExclusive(true);
    }

    if (reading)
        return readDistance();
    distanceEdit->setText(QString::number(lightyears));
    return true;
}

bool MainDialog::readDistance()
{
    const QString text = distanceEdit->text();
    // The race's own distance, as shown, is kept: a file's race may lie where no one can type.
    if (text == QString::number(lightyears))
        return true;
    const std::optional<std::int32_t> distance = parseLightyears(text);
    if (distance) {
        lightyears = *distance;
        return true;
    }
    const QString problem = text.isEmpty()
                                ? tr("The distance from Sol is empty.")
                                : tr("The distance from Sol must be a whole number of light "
                                     "years from 0 to 2147483647.");
    const QString previous =
        lightyears == 1 ? tr("1 light year") : tr("%1 light years").arg(lightyears);
    QMessageBox::warning(
        this, windowTitle(),
        tr("%1\n\nThis race is rolled with the previous distance, %2.").arg(problem, previous));
    activateWindow();
    distanceEdit->setFocus();
    return false;
}

void MainDialog::rollNewRace()
{
    // A distance that cannot be read keeps its previous value, and the race is rolled anyway.
    exchangeData(Exchange::fromControls);
    keepShownTexts(); // the race left behind keeps its notes
    resultTexts = session.roll(static_cast<Location>(location), lightyears).race.texts;

    exchangeData(Exchange::toControls);
    // Whoever reads the trace through a pipe gets each race as soon as it is rolled.
    std::fflush(stdout);

    updateRaceCommands();
    if (diceLog && diceLog->isVisible())
        diceLog->appendRace(session);
    if (autosave)
        autosave->schedule();
}

bool MainDialog::keepShownTexts()
{
    if (session.isEmpty())
        return false;
    bool changed = false;
    for (std::size_t category = 0; category < resultBoxes.size(); ++category)
        changed |= session.setText(session.currentIndex(), category, resultBoxes[category]->text());
    return changed;
}

bool MainDialog::writeSessionNow()
{
    if (!autosave)
        return true;
    if (keepShownTexts())
        autosave->schedule();
    return autosave->writeNow(); // writes only what is not on disk yet
}

void MainDialog::showCurrentRace()
{
    const vellicor::RolledRace &race = session.current().race;
    resultTexts = race.texts;
    location = race.location;
    lightyears = race.lightyears;
    exchangeData(Exchange::toControls);
    updateRaceCommands();
    if (diceLog && diceLog->isVisible())
        diceLog->showRace(session);
}

void MainDialog::showPreviousRace()
{
    moveThroughSession(&vellicor::Session::goBack);
}

void MainDialog::showNextRace()
{
    moveThroughSession(&vellicor::Session::goForward);
}

void MainDialog::moveThroughSession(bool (vellicor::Session::*step)())
{
    const bool notesTyped = keepShownTexts();
    if ((session.*step)())
        showCurrentRace();
    if (notesTyped && autosave)
        autosave->schedule();
}

void MainDialog::updateRaceCommands()
{
    if (previousRaceAction)
        previousRaceAction->setEnabled(session.canGoBack());
    if (nextRaceAction)
        nextRaceAction->setEnabled(session.canGoForward());
}

void MainDialog::copyRace()
{
    keepShownTexts();
    auto *data = new QMimeData;
    for (const vellicor::FileFormat &each : vellicor::fileFormats) {
        const std::string race = session.raceText(session.currentIndex(), each.format);
        if (each.format == OutputFormat::Text)
            data->setText(QString::fromStdString(race));
        else if (!data->hasFormat(QString::fromLatin1(each.mimeType))) // JSON, not the journal
            data->setData(QString::fromLatin1(each.mimeType), QByteArray::fromStdString(race));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

void MainDialog::chooseFileAndSave()
{
    // Back to where Ctrl+S was pressed afterwards, the dialog or its Dice Log.
    QPointer<QWidget> pressedIn = QApplication::activeWindow();
    if (!pressedIn)
        pressedIn = this;
    const QString chosen = chooseFileToSave(*this, lastSavedFile);
    if (pressedIn)
        pressedIn->activateWindow(); // where no window manager hands the focus back
    if (!chosen.isEmpty())
        saveRaces(chosen);
}

bool MainDialog::saveRaces(const QString &path)
{
    keepShownTexts();
    const QString shownPath = QDir::toNativeSeparators(path);
    const std::optional<OutputFormat> format = vellicor::formatForFileName(path.toStdString());
    QString reason;
    if (isPdfFileName(path))
        reason = writeRaceCardsPdf(path, session);
    else if (!format)
        reason = tr("Races are saved as text (.txt), Markdown (.md), JSON (.json), a Foundry VTT "
                    "journal (.foundry.json) or PDF (.pdf); the file name must end in one of "
                    "these.");
    else
        reason = writeWholeFile(
            path, [this, format](const PieceWriter &write) { session.write(*format, write); });
    if (!reason.isEmpty()) {
        QMessageBox::warning(this, windowTitle(),
                             tr("The races could not be saved to %1.\n\n%2\n\nNothing of the "
                                "session is lost: choose Save Races again to try another file.")
                                 .arg(shownPath, reason));
        activateWindow();
        return false;
    }
    lastSavedFile = path;
    return true;
}

QString MainDialog::sessionFile() const
{
    return autosave ? autosave->filePath() : QString();
}

void MainDialog::reportAutosaveFailure(const QString &file, const QString &reason)
{
    const QString message =
        tr("The session could not be kept in %1: %2").arg(QDir::toNativeSeparators(file), reason);
    std::fprintf(stderr, "vellicor: %s\n", message.toLocal8Bit().constData());
    if (!isVisible())
        return;
    // Told once, without stopping the game: the box waits while New keeps rolling, and the
    // next New tries again.
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                message + tr("\n\nRolling goes on; the next New tries again. "
                                             "Save Races keeps the session in a file you choose."),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MainDialog::showDiceLog()
{
    // Ctrl+L in the log brings the dialog back to the front.
    if (diceLog && diceLog->isActiveWindow()) {
        raise();
        activateWindow();
        return;
    }
    if (!diceLog) {
        diceLog = new DiceLogWindow(this);
        // The session's shortcuts work in the log too.
        diceLog->addActions(raceActions);
        // Beside the dialog and as tall, so both stay in view; over it only where the screen
        // has no room beside it. Both windows are taken to have the same frame.
        if (const QScreen *shown = screen()) {
            const QRect frame = frameGeometry();
            const QSize frameMargins = frame.size() - size();
            const QRect placed =
                placeBeside(frame, QSize(diceLog->width(), height()) + frameMargins,
                            shown->availableGeometry(), 8);
            diceLog->move(placed.topLeft());
            diceLog->resize(placed.size() - frameMargins);
        }
    }
    if (!diceLog->isVisible()) {
        diceLog->show();
        diceLog->showRaces(session);
    }
    diceLog->raise();
    diceLog->activateWindow();
}

void MainDialog::keepSessionOnDisk(std::int32_t seed, const QString &origin)
{
    const auto contents = [this](const PieceWriter &write) {
        keepShownTexts();
        session.write(OutputFormat::Json, write);
    };
    autosave =
        std::make_unique<SessionAutosave>(QDateTime::currentDateTime(), seed, contents, origin);
    connect(autosave.get(), &SessionAutosave::writeFailed, this,
            &MainDialog::reportAutosaveFailure);
    // Notes reach the session file soon after they are typed, not only at the next New.
    for (ResultBox *box : resultBoxes)
        connect(box, &ResultBox::edited, autosave.get(), &SessionAutosave::schedule);
}

void MainDialog::chooseAndOpenSession()
{
    const QString chosen = chooseSessionToOpen(*this);
    activateWindow(); // where no window manager hands the focus back
    if (!chosen.isEmpty())
        openSession(chosen);
}

bool MainDialog::openSession(const QString &path)
{
    const QString shownPath = QDir::toNativeSeparators(path);
    // Opening the session on screen's own file opens it as it stands, notes and all.
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(sessionFile()).absoluteFilePath())
        writeSessionNow();
    vellicor::RaceFile file = readSessionFile(path);
    QString refusal;
    if (!file.error.empty()) {
        refusal = tr("The session could not be opened from %1.\n\n%2")
                      .arg(shownPath, QString::fromStdString(file.error));
    } else if (!writeSessionNow()) {
        // Nothing of the session on screen is lost: it is on disk before another takes its place.
        refusal = tr("%1 was not opened: the session on screen could not be kept in %2 first. "
                     "Save Races keeps it in a file you choose.")
                      .arg(shownPath, QDir::toNativeSeparators(sessionFile()));
    }
    if (!refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
        activateWindow();
        return false;
    }
    const vellicor::Session::Opened opened = session.open(std::move(file));
    // The opened file is only read: the session goes on in a file of its own that names it.
    keepSessionOnDisk(session.stream().seed, originName(path));
    showCurrentRace();
    if (diceLog && diceLog->isVisible())
        diceLog->showRaces(session);
    if (opened.inFile > opened.kept)
        tellNewestRacesOnly(shownPath, opened.inFile);
    return true;
}

void MainDialog::tellNewestRacesOnly(const QString &shownPath, std::size_t races)
{
    auto *box = new QMessageBox(
        QMessageBox::Information, windowTitle(),
        tr("%1 holds %2 races; the newest %3 are shown, and the session goes on from the last.")
            .arg(shownPath)
            .arg(races)
            .arg(vellicor::Session::capacity),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("newestRacesOnly"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void MainDialog::done(int result)
{
    writeSessionNow();
    QDialog::done(result);
}

void MainDialog::contextMenuEvent(QContextMenuEvent *event)
{
    // The background and the texts on it open the window menu; controls keep their own menus.
    const QWidget *child = childAt(event->pos());
    const bool background =
        !child || qobject_cast<const QLabel *>(child) || qobject_cast<const QGroupBox *>(child);
    if (event->reason() != QContextMenuEvent::Mouse || !background) {
        event->ignore();
        return;
    }
    windowMenu->popup(event->globalPos());
}

void MainDialog::handleSystemCommand(int commandId)
{
    if ((commandId & systemCommandMask) == systemCommand::about) {
        // Like any dialog not given an owner, the About box belongs to the main window: it
        // opens centred over it.
        AboutDialog about(this);
        about.exec();
        // Back to the main window, also where no window manager hands the focus back.
        activateWindow();
        return;
    }
    defaultSystemCommand(commandId);
}

void MainDialog::defaultSystemCommand(int commandId)
{
    switch (commandId & systemCommandMask) {
    case systemCommand::move:
        startKeyboardMove(*this);
        break;
    case systemCommand::minimize:
        showMinimized();
        break;
    case systemCommand::close:
        close();
        break;
    default:
        break;
    }
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | dialogChrome)
{
    buildDialog(*this, aboutDialogTemplate);
    setWindowIcon(applicationIcon());
    auto *ok = controlById<QPushButton>(*this, controlId::ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    showKeyboardFocus(*this);
    createWindowMenu(*ok);
}

// The same window menu as the main dialog's, with what applies to a box that can neither be
// minimized nor open another About box: Move and Close.
void AboutDialog::createWindowMenu(QWidget &okButton)
{
    windowMenu = new QMenu(this);
    windowMenu->setObjectName(QStringLiteral("windowMenu"));
    windowMenu->setAccessibleName(tr("Window menu"));
    windowMenu->addAction(tr("&Move"), this, [this] { startKeyboardMove(*this); });
    QAction *close = windowMenu->addAction(tr("&Close"), this, &QWidget::close);
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    addAction(close);
    auto *openMenu = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(openMenu, &QShortcut::activated, this, [this] { popupWindowMenu(*windowMenu, *this); });
    openWindowMenuWithMenuKeys(*windowMenu, *this, {&okButton});
}

void AboutDialog::contextMenuEvent(QContextMenuEvent *event)
{
    // As in the main dialog: the background, the texts and the icon open the window menu.
    const QWidget *child = childAt(event->pos());
    if (event->reason() != QContextMenuEvent::Mouse ||
        (child && !qobject_cast<const QLabel *>(child))) {
        event->ignore();
        return;
    }
    windowMenu->popup(event->globalPos());
}
