#pragma once

#include "app/Controls.h"
#include "formats/RolledRace.h"
#include "generation/Dice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

namespace apptest {

// The dialogs keep their sessions under the user's data folder; under test they go to a
// folder of Qt's own for tests instead, before any test runs.
inline const bool standardPathsInTestMode = [] {
    QStandardPaths::setTestModeEnabled(true);
    return true;
}();

// Dice that always give the same faces from a restart on, so a race rolled through the dialog
// can be compared with one rolled directly. Counts the faces drawn; silences the trace, and
// leaves it silenced.
class RepeatableDice
{
public:
    RepeatableDice()
    {
        vellicor::setFaceSource([this](std::int32_t sides) {
            ++draws;
            return static_cast<std::int32_t>(engine() % static_cast<unsigned>(sides)) + 1;
        });
        vellicor::setTraceSink(nullptr);
    }
    ~RepeatableDice() { vellicor::setFaceSource(nullptr); }
    RepeatableDice(const RepeatableDice &) = delete;
    RepeatableDice &operator=(const RepeatableDice &) = delete;

    void restart()
    {
        engine.seed(20261209);
        draws = 0;
    }

    int draws = 0;

private:
    std::minstd_rand engine{20261209};
};

// The ten texts of one race and how many faces it drew.
struct Race {
    std::array<std::string, 10> texts;
    int draws = 0;
};

// Rolls a race directly with the library, from a restart of `dice`, and restarts them again
// for the dialog to roll the same race.
inline Race referenceRace(RepeatableDice &dice, vellicor::Location location,
                          std::int32_t lightyears)
{
    dice.restart();
    vellicor::RolledRace rolled;
    rolled.location = location;
    rolled.lightyears = lightyears;
    rolled.roll();
    Race race{rolled.texts, dice.draws};
    dice.restart();
    return race;
}

// The control with the ID `id`, also where a frame holds it.
template <typename Widget>
Widget *control(const QWidget &dialog, int id)
{
    return dialog.findChild<Widget *>(QString::number(id));
}

// The texts of the ten result boxes, with their "\r\n" line breaks.
inline std::array<std::string, 10> shownTexts(const QWidget &dialog)
{
    std::array<std::string, 10> texts;
    for (int category = 0; category < 10; ++category) {
        if (const ResultBox *box = control<ResultBox>(dialog, 1015 + category))
            texts[category] = box->text();
    }
    return texts;
}

// Runs `action` on the first modal widget of type Modal to open, from the event loop. If none
// opens within five seconds, whatever modal widget is open is closed so that the test ends
// instead of hanging; the returned flag tells whether the action ran.
template <typename Modal>
std::shared_ptr<bool> whenModal(std::function<void(Modal *)> action)
{
    auto ran = std::make_shared<bool>(false);
    auto *timer = new QTimer(QCoreApplication::instance());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, ran, action] {
        if (auto *modal = qobject_cast<Modal *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *ran = true;
            action(modal);
        } else if (clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start(10);
    return ran;
}

// A modal window that nothing answers (a warning a test did not expect) would hold the test until
// its time limit ends the run, minutes later. Any modal window still up after ten seconds, twice
// what whenModal waits for an expected one, is closed with a warning instead, so the test goes on
// and fails where it checks what the window was about.
inline void closeForgottenModals()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (application->property("closesForgottenModals").toBool())
        return; // one watch per program, however many of its files include this
    application->setProperty("closesForgottenModals", true);
    auto *timer = new QTimer(application);
    auto since = std::make_shared<QElapsedTimer>();
    auto seen = std::make_shared<QPointer<QWidget>>();
    QObject::connect(timer, &QTimer::timeout, [since, seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != seen->data()) {
            *seen = modal;
            since->start();
        } else if (modal && since->elapsed() > 10'000) {
            qWarning("Closing a modal %s that nothing answered: %s",
                     modal->metaObject()->className(), qPrintable(modal->windowTitle()));
            modal->close();
            since->start();
        }
    });
    timer->start(100);
}
Q_COREAPP_STARTUP_FUNCTION(closeForgottenModals)

} // namespace apptest
