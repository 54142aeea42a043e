#pragma once

#include "generation/RaceProfile.h"

#include <QDialog>
#include <QIcon>

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

QT_BEGIN_NAMESPACE
class QButtonGroup;
class QLineEdit;
class QMenu;
class QPushButton;
QT_END_NAMESPACE
class ResultBox;

// The race profile of the process, reached through this one pointer. Each main dialog creates a
// new one as it initialises; the profile outlives the dialog and stays until the process ends.
// Null before the first main dialog.
vellicor::RaceProfile *currentRaceProfile();

// The seed for a clock reading in seconds since 1970. After January 2038 the seconds no longer
// fit a signed 32-bit integer; the low 32 bits are kept, which still change every second.
std::int32_t seedFromClock(std::time_t seconds);

// The program's main window: the user picks a location and a distance, presses New and reads
// the ten descriptions. Opens with a race for Inner Province at 0 light years.
class MainDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MainDialog(QWidget *parent = nullptr);

    // Carries out a window-menu command: the About entry opens the About box, every other
    // command gets the usual handling (move, minimize, close).
    void handleSystemCommand(int commandId);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private slots:
    void rollNewRace();

private:
    enum class Exchange { toControls, fromControls };

    void createControls();
    void createWindowMenu();
    void connectSignals();
    void connectMenuKeys();
    void initialise();
    // Copies every member to its control or back. Reading fails only for a distance box that
    // holds no usable number: the user is told, the distance keeps its value, and false is
    // returned.
    bool exchangeData(Exchange direction);
    bool readDistance();
    void showWindowMenu(const QPoint &globalPosition);
    void defaultSystemCommand(int commandId);

    std::array<std::string, 10> resultTexts; // by vellicor::Category, "\r\n" line breaks
    std::int32_t location = -1;              // position of the checked radio button, -1: none
    std::int32_t lightyears = 0;
    QIcon icon;

    QPushButton *newButton = nullptr;
    std::array<ResultBox *, 10> resultBoxes = {};
    QButtonGroup *locationGroup = nullptr;
    QLineEdit *distanceEdit = nullptr;
    QMenu *windowMenu = nullptr;
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
