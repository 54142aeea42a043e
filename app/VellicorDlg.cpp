#include "app/VellicorDlg.h"

#include "app/Controls.h"
#include "app/DialogTemplates.h"
#include "app/DistanceField.h"
#include "app/KeyboardAccess.h"
#include "app/Resources.h"
#include "app/WindowMove.h"

#include <QAction>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

using vellicor::Category;
using vellicor::Location;
using vellicor::RaceProfile;

namespace {

// The process-wide profile. It outlives the dialog that made it; a run has one main dialog, and
// only a later one (as in the tests) replaces it. Being owned here, it is freed as the process
// exits rather than left to the operating system, so leak checkers stay quiet.
std::unique_ptr<RaceProfile> raceProfile;

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

RaceProfile *currentRaceProfile()
{
    return raceProfile.get();
}

std::int32_t seedFromClock(std::time_t seconds)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds));
}

// A top-level window of its own, so it has a taskbar button although it is a dialog.
MainDialog::MainDialog(QWidget *parent)
    : QDialog(parent, Qt::Window | dialogChrome), icon(applicationIcon())
{
    createControls();
    connectSignals();
    initialise();
}

void MainDialog::createControls()
{
    buildDialog(*this, mainDialogTemplate);
    newButton = controlById<QPushButton>(*this, controlId::newButton);
    for (int category = 0; category < static_cast<int>(resultBoxes.size()); ++category)
        resultBoxes[category] = controlById<ResultBox>(*this, controlId::firstResultBox + category);
    locationGroup = controlById<QAbstractButton>(*this, controlId::innerProvince)->group();
    distanceEdit = controlById<QLineEdit>(*this, controlId::distance);
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

    const QString aboutText = loadString(resource::aboutMenuText);
    if (!aboutText.isEmpty()) {
        windowMenu->addSeparator();
        addCommand(aboutText, systemCommand::about);
    }
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

    raceProfile = std::make_unique<RaceProfile>();
    raceProfile->randomSeed = seedFromClock(std::time(nullptr));
    // The only place the random source is seeded.
    std::srand(static_cast<unsigned>(raceProfile->randomSeed));

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
    RaceProfile &profile = *currentRaceProfile();
    profile.generate(static_cast<Location>(location), lightyears);
    for (int category = 0; category < static_cast<int>(resultTexts.size()); ++category)
        resultTexts[category] = profile.describe(static_cast<Category>(category));
    exchangeData(Exchange::toControls);
    // Whoever reads the trace through a pipe gets each race as soon as it is rolled.
    std::fflush(stdout);
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
    showWindowMenu(event->globalPos());
}

void MainDialog::showWindowMenu(const QPoint &globalPosition)
{
    windowMenu->popup(globalPosition);
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
