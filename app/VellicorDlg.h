#pragma once

#include "session/Session.h"

#include <QDialog>
#include <QIcon>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

QT_BEGIN_NAMESPACE
class QAction;
class QButtonGroup;
class QLineEdit;
class QMenu;
class QPushButton;
QT_END_NAMESPACE
class DiceLogWindow;
class RecentSessionsMenu;
class ResultBox;
class SessionAutosave;

// The program's main window: the user picks a location and a distance, presses New and reads
// the ten descriptions. Opens with a race for Inner Province at 0 light years.
class MainDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MainDialog(QWidget *parent = nullptr);
    ~MainDialog() override;

    // Carries out a window-menu command: the About entry opens the About box, every other
    // command gets the usual handling (move, minimize, close).
    void handleSystemCommand(int commandId);

    // The races of this session, the one on screen included.
    const vellicor::Session &history() const { return session; }
    // Writes the whole session to `path` in the format its extension names. On failure the user
    // is told which file and why, and false is returned; the session is kept either way.
    bool saveRaces(const QString &path);
    // The file that keeps this session on disk by itself.
    QString sessionFile() const;
    // Writes what the session file lacks now, the texts in the boxes included, rather than a
    // moment later: for when the program is about to end (a signal, the desktop's logout), or
    // another session takes its place. False when it could not be kept.
    bool writeSessionNow();
    // Shows the races of a session file and goes on from its last race, after writing the
    // session on screen to its own file. A file that cannot be opened is reported with the file
    // and the reason, and false is returned: the session on screen and its file stay as they are.
    bool openSession(const QString &path);

    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void rollNewRace();
    void showPreviousRace();
    void showNextRace();
    void copyRace();
    void chooseFileAndSave();
    void showDiceLog();
    void chooseAndOpenSession();

private:
    enum class Exchange { toControls, fromControls };

    void createControls();
    void createWindowMenu();
    void createRaceCommands();
    void connectSignals();
    void connectMenuKeys();
    void initialise();
    // Copies every member to its control or back. Reading fails only for a distance box that
    // holds no usable number: the user is told, the distance keeps its value, and false is
    // returned.
    bool exchangeData(Exchange direction);
    bool readDistance();
    void defaultSystemCommand(int commandId);
    // Keeps the texts as they stand in the boxes with the race on screen, so the user's notes
    // stay with their race. True when a text changed.
    bool keepShownTexts();
    // Puts the race on screen into the boxes, the radio buttons and the distance box.
    void showCurrentRace();
    // Leaves the race on screen, its notes kept, for the one `step` goes to, if there is one.
    void moveThroughSession(bool (vellicor::Session::*step)());
    void updateRaceCommands();
    void reportAutosaveFailure(const QString &file, const QString &reason);
    // Keeps the session on disk in a new file for `seed`, naming the file it goes on from.
    void keepSessionOnDisk(std::int32_t seed, const QString &origin);
    void tellNewestRacesOnly(const QString &shownPath, std::size_t races);

    std::array<std::string, 10> resultTexts; // by vellicor::Category, "\r\n" line breaks
    std::int32_t location = -1;              // position of the checked radio button, -1: none
    std::int32_t lightyears = 0;
    QIcon icon;

    QPushButton *newButton = nullptr;
    std::array<ResultBox *, 10> resultBoxes = {};
    QButtonGroup *locationGroup = nullptr;
    QLineEdit *distanceEdit = nullptr;
    QMenu *windowMenu = nullptr;

    vellicor::Session session;
    std::unique_ptr<SessionAutosave> autosave;
    DiceLogWindow *diceLog = nullptr;
    QString lastSavedFile;
    QList<QAction *> raceActions; // the session's commands, whose keys work in the Dice Log too
    QAction *previousRaceAction = nullptr;
    QAction *nextRaceAction = nullptr;
    RecentSessionsMenu *recentMenu = nullptr;
};

// The About box: the icon, the version, the copyright notice and OK, and a window menu with
// Move and Close.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createWindowMenu(QWidget &okButton);

    QMenu *windowMenu = nullptr;
};
