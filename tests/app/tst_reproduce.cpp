#include "AppTestSupport.h"

#include "app/VellicorDlg.h"
#include "cli/run.h"
#include "formats/RaceFormat.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <nlohmann/json.hpp>

#include <random>
#include <sstream>
#include <string>

using apptest::control;

// Every race of a session is rolled again by the command its heading names, however often the
// location and distance changed along the way.
class tst_Reproduce : public QObject
{
    Q_OBJECT
private slots:
    void init() { vellicor::setTraceSink(nullptr); }
    void cleanup() { vellicor::resetTraceSink(); }

    void everyRaceOfAChangingSessionRollsAgain();
};

namespace {

// A race's JSON without its number: what the seed, dice, location and distance decide.
nlohmann::json withoutNumber(nlohmann::json race)
{
    race.erase("race");
    return race;
}

nlohmann::json rolledByTheTool(const vellicor::RolledRace &race)
{
    const std::string seed = std::to_string(race.seed);
    const std::string dice = std::to_string(race.dice);
    const std::string location = std::to_string(static_cast<int>(race.location));
    const std::string lightyears = std::to_string(race.lightyears);
    const char *argv[] = {"vellicor-cli",   "--seed",       seed.c_str(),
                          "--dice",         dice.c_str(),   "--location",
                          location.c_str(), "--lightyears", lightyears.c_str(),
                          "--format",       "json"};
    std::ostringstream out;
    std::ostringstream err;
    if (vellicor::runCli(11, argv, out, err) != 0)
        return err.str();
    return nlohmann::json::parse(out.str()).at(0);
}

} // namespace

void tst_Reproduce::everyRaceOfAChangingSessionRollsAgain()
{
    MainDialog dialog;
    std::mt19937 random(20261209);
    const std::int32_t distances[] = {0, 1, 49, 50, 51, 120, 1000, 2147483647};
    for (int press = 1; press < 200; ++press) {
        QTest::mouseClick(control<QRadioButton>(dialog, 1025 + static_cast<int>(random() % 3)),
                          Qt::LeftButton);
        const std::int32_t distance = random() % 2 ? distances[random() % std::size(distances)]
                                                   : static_cast<std::int32_t>(random() % 500);
        control<QLineEdit>(dialog, 1028)->setText(QString::number(distance));
        QTest::mouseClick(control<QPushButton>(dialog, 1000), Qt::LeftButton);
    }

    const vellicor::Session &session = dialog.history();
    QCOMPARE(session.size(), std::size_t{200});
    std::int64_t previousDice = -1;
    for (std::size_t index = 0; index < session.size(); ++index) {
        const vellicor::RolledRace &race = session.at(index).race;
        QVERIFY(race.dice > previousDice);
        previousDice = race.dice;
        std::string shown;
        vellicor::appendJson(shown, race);
        const nlohmann::json expected = withoutNumber(nlohmann::json::parse(shown));
        const nlohmann::json again = withoutNumber(rolledByTheTool(race));
        QVERIFY2(again == expected, (vellicor::raceHeading(race) + "\n" + again.dump()).c_str());
    }
}

QTEST_MAIN(tst_Reproduce)
#include "tst_reproduce.moc"
