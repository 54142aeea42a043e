#include "AppTestSupport.h"

#include "app/SessionFiles.h"
#include "app/SessionFolder.h"
#include "app/VellicorDlg.h"
#include "cli/run.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

using apptest::control;
using apptest::shownTexts;
using apptest::whenModal;

namespace {

std::string cli(const std::vector<std::string> &arguments)
{
    std::vector<const char *> argv{"vellicor-cli"};
    for (const std::string &argument : arguments)
        argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    vellicor::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    vellicor::setTraceSink(nullptr); // the tool leaves the trace on standard output
    return out.str();
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

void pressNew(QWidget &dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, 1000), Qt::LeftButton);
}

void setControls(QWidget &dialog, int locationId, const QString &distance)
{
    control<QRadioButton>(dialog, locationId)->click();
    control<QLineEdit>(dialog, 1028)->setText(distance);
}

// The whole session as JSON, as the dialog saves it.
QByteArray savedJson(MainDialog &dialog, const QTemporaryDir &folder)
{
    const QString path = folder.filePath(QStringLiteral("saved.json"));
    if (!dialog.saveRaces(path))
        return "(not saved)";
    return fileContents(path);
}

// Every file of the session folder with its contents.
QMap<QString, QByteArray> sessionFolder()
{
    QMap<QString, QByteArray> files;
    const QDir folder(SessionAutosave::sessionFolder());
    for (const QString &name : folder.entryList(QDir::Files))
        files.insert(name, fileContents(folder.filePath(name)));
    return files;
}

} // namespace

// Opening a kept session again and going on with it; bad files change nothing.
class tst_SessionOpen : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void goesOnAsTheToolWouldHaveRolled();
    void goesOnAfterLocationChangesWithNotesKept();
    void olderSessionsWithoutDiceContinueOrStartAfresh();
    void badFileChangesNothing_data();
    void badFileChangesNothing();
    void recentSessionsListsTheNewestTenAndOpensThem();
    void openSessionAsksForAFileOnCtrlO();
    void moreRacesThanKeptOpenTheNewest();
};

void tst_SessionOpen::init()
{
    vellicor::setTraceSink(nullptr);
    QDir(SessionAutosave::sessionFolder()).removeRecursively();
}

void tst_SessionOpen::cleanup()
{
    vellicor::resetTraceSink();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QDir(SessionAutosave::sessionFolder()).removeRecursively();
}

// A file the tool wrote and one the dialog kept, each with five races, reopened and continued to
// eight: the same eight races as one run of the tool. The source files are only read.
void tst_SessionOpen::goesOnAsTheToolWouldHaveRolled()
{
    QTemporaryDir folder;
    const std::vector<std::string> backnet{"--seed",       "1796823905", "--location", "backnet",
                                           "--lightyears", "120",        "--format",   "json"};
    std::vector<std::string> five = backnet;
    five.insert(five.end(), {"--count", "5"});
    std::vector<std::string> eight = backnet;
    eight.insert(eight.end(), {"--count", "8"});
    const QString toolFile = folder.filePath(QStringLiteral("tool.json"));
    writeFile(toolFile, QByteArray::fromStdString(cli(five)));
    {
        MainDialog dialog;
        QVERIFY(dialog.openSession(toolFile));
        // The last race is on screen with the controls it was rolled with.
        QCOMPARE(dialog.history().size(), std::size_t{5});
        QVERIFY(control<QRadioButton>(dialog, 1027)->isChecked());
        QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("120"));
        for (int press = 0; press < 3; ++press)
            pressNew(dialog);
        QCOMPARE(savedJson(dialog, folder).toStdString(), cli(eight));
    }
    QCOMPARE(fileContents(toolFile).toStdString(), cli(five));

    // The dialog's own session file, closed after race 5.
    QString keptFile;
    std::int32_t seed = 0;
    {
        MainDialog first;
        for (int press = 0; press < 4; ++press)
            pressNew(first);
        seed = first.history().current().race.seed;
        first.done(QDialog::Rejected);
        keptFile = first.sessionFile();
    }
    const QByteArray kept = fileContents(keptFile);
    MainDialog second;
    QVERIFY(second.openSession(keptFile));
    for (int press = 0; press < 3; ++press)
        pressNew(second);
    QCOMPARE(savedJson(second, folder).toStdString(),
             cli({"--seed", std::to_string(seed), "--count", "8", "--format", "json"}));
    // The source stays as it was; the session goes on in a file that names it.
    second.done(QDialog::Rejected);
    QCOMPARE(fileContents(keptFile), kept);
    QVERIFY(second.sessionFile() != keptFile);
    QVERIFY(QFileInfo(second.sessionFile())
                .fileName()
                .endsWith(QStringLiteral("-continues-") + QFileInfo(keptFile).completeBaseName() +
                          QStringLiteral(".json")));
    QCOMPARE(fileContents(second.sessionFile()), savedJson(second, folder));
}

void tst_SessionOpen::goesOnAfterLocationChangesWithNotesKept()
{
    QTemporaryDir folder;
    QString kept;
    std::int32_t seed = 0;
    {
        MainDialog first;
        setControls(first, 1026, QStringLiteral("50"));
        pressNew(first);
        setControls(first, 1027, QStringLiteral("120"));
        pressNew(first);
        auto *values = control<ResultBox>(first, 1018);
        values->moveCursor(QTextCursor::End);
        QTest::keyClicks(values, QStringLiteral(" - ask the players"));
        seed = first.history().current().race.seed;
        first.done(QDialog::Rejected);
        kept = first.sessionFile();
    }
    MainDialog second;
    QVERIFY(second.openSession(kept));
    QVERIFY(shownTexts(second)[vellicor::Values].ends_with(" - ask the players"));
    setControls(second, 1026, QStringLiteral("7"));
    pressNew(second);
    pressNew(second);

    // The same stream rolled in one go, with the same locations and distances.
    vellicor::seedDice(seed);
    const std::pair<vellicor::Location, std::int32_t> places[] = {{vellicor::InnerProvince, 0},
                                                                  {vellicor::Frontier, 50},
                                                                  {vellicor::Backnet, 120},
                                                                  {vellicor::Frontier, 7},
                                                                  {vellicor::Frontier, 7}};
    QCOMPARE(second.history().size(), std::size_t{5});
    for (std::size_t index = 0; index < 5; ++index) {
        vellicor::RolledRace race;
        race.number = static_cast<std::int32_t>(index) + 1;
        race.seed = seed;
        race.location = places[index].first;
        race.lightyears = places[index].second;
        race.roll();
        const vellicor::RolledRace &shown = second.history().at(index).race;
        QCOMPARE(shown.number, race.number);
        QCOMPARE(shown.dice, race.dice);
        QVERIFY(shown.profile.basicType == race.profile.basicType &&
                shown.profile.problemsExtension == race.profile.problemsExtension);
        if (index != 2)
            QCOMPARE(shown.texts, race.texts);
    }
    second.done(QDialog::Rejected);
}

// Sessions kept before races named their dice: from race 1 they go on; without it, New starts a
// stream of its own, numbered from 1.
void tst_SessionOpen::olderSessionsWithoutDiceContinueOrStartAfresh()
{
    QTemporaryDir folder;
    const auto withoutDice = [](std::string json) {
        for (std::size_t at; (at = json.find(",\"dice\":")) != std::string::npos;)
            json.erase(at, json.find(',', at + 1) - at);
        return QByteArray::fromStdString(json);
    };
    const QString whole = folder.filePath(QStringLiteral("whole.json"));
    writeFile(whole, withoutDice(cli({"--seed", "77", "--count", "3", "--format", "json"})));
    MainDialog dialog;
    QVERIFY(dialog.openSession(whole));
    pressNew(dialog);
    QCOMPARE(dialog.history().current().race.number, 4);
    const std::string saved = savedJson(dialog, folder).toStdString();
    const std::string tool = cli({"--seed", "77", "--count", "4", "--format", "json"});
    QCOMPARE(saved.substr(saved.find("{\"race\":4")), tool.substr(tool.find("{\"race\":4")));

    const QString tail = folder.filePath(QStringLiteral("tail.json"));
    const std::string three =
        cli({"--seed", "77", "--dice", "40", "--count", "2", "--format", "json"});
    writeFile(tail, withoutDice(three).replace("\"race\":1", "\"race\":8"));
    QVERIFY(dialog.openSession(tail));
    pressNew(dialog);
    const vellicor::RolledRace &fresh = dialog.history().current().race;
    QCOMPARE(fresh.number, 1);
    QCOMPARE(fresh.dice, 0);
    QCOMPARE(dialog.history().at(1).race.dice, -1); // the opened races keep what they did not say
    dialog.done(QDialog::Rejected);
}

void tst_SessionOpen::badFileChangesNothing_data()
{
    // The file's contents, or what it is: "<folder>", "<missing>", "<huge>", "<unreadable>",
    // "<fifo>", "<zero>" (a link to /dev/zero), or "<unkept>" (a good file, opened while the
    // session on screen cannot be written).
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    const QByteArray good = QByteArray::fromStdString(cli({"--seed", "3", "--format", "json"}));
    QTest::newRow("not JSON") << QByteArray("Race 1: Backnet") << "Line 1, column 1: syntax error";
    QTest::newRow("empty") << QByteArray() << "Line 1, column 0: syntax error";
    QTest::newRow("truncated") << good.left(good.size() / 2) << "syntax error";
    QTest::newRow("another shape")
        << QByteArray(R"({"races":[]})") << "The file is not a list of races";
    QTest::newRow("number out of range")
        << QByteArray(good).replace("\"lightyears\":0", "\"lightyears\":2147483648")
        << "\"lightyears\" is 2147483648, out of range";
    QTest::newRow("invalid UTF-8")
        << QByteArray(good).replace("\"text\":\"", "\"text\":\"\xc3(") << "ill-formed UTF-8";
    QTest::newRow("1 GB") << QByteArray("<huge>") << "The file is larger than 64 MiB";
    QTest::newRow("a folder") << QByteArray("<folder>") << "It is a folder, not a file.";
    QTest::newRow("vanished") << QByteArray("<missing>") << "No such file or directory";
    QTest::newRow("unreadable") << QByteArray("<unreadable>") << "Permission denied";
    // Refused at once: a FIFO would hold the dialog until a writer came, /dev/zero never ends.
    QTest::newRow("a FIFO") << QByteArray("<fifo>") << "It is a device or a pipe, not a file.";
    QTest::newRow("a link to /dev/zero")
        << QByteArray("<zero>") << "It is a device or a pipe, not a file.";
    QTest::newRow("the session on screen cannot be kept first")
        << QByteArray("<unkept>") << "was not opened: the session on screen could not be kept";
}

void tst_SessionOpen::badFileChangesNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("bad.json"));
    if (contents == "<folder>") {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("bad.json")));
    } else if (contents == "<huge>") {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64{1} << 30)); // sparse: no gigabyte is written
    } else if (contents == "<unreadable>") {
        writeFile(path, "[]");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("This user reads files whatever their permissions (root).");
    } else if (contents == "<fifo>") {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (contents == "<zero>") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (contents == "<unkept>") {
        writeFile(path, QByteArray::fromStdString(cli({"--seed", "3", "--format", "json"})));
    } else if (contents != "<missing>") {
        writeFile(path, contents);
    }

    MainDialog dialog;
    setControls(dialog, 1026, QStringLiteral("50"));
    pressNew(dialog);
    QTest::keyClicks(control<ResultBox>(dialog, 1015), QStringLiteral("note"));
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);
    setControls(dialog, 1027, QStringLiteral("99")); // changed but not rolled yet
    QTRY_COMPARE(fileContents(dialog.sessionFile()).contains("note"), true);
    if (contents == "<unkept>") {
        // A folder in the session file's place, and a note that is due to be written there.
        QVERIFY(QFile::remove(dialog.sessionFile()) && QDir().mkdir(dialog.sessionFile()));
        QTest::keyClicks(control<ResultBox>(dialog, 1015), QStringLiteral(" more"));
    }

    const auto texts = shownTexts(dialog);
    const QByteArray session = savedJson(dialog, folder);
    const std::size_t shownIndex = dialog.history().currentIndex();
    const auto files = sessionFolder();
    const std::int64_t dice = vellicor::diceDrawn();

    QString message;
    const auto answered = whenModal<QMessageBox>([&message](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    QVERIFY(!dialog.openSession(path));
    QVERIFY(*answered);
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));

    QCOMPARE(shownTexts(dialog), texts);
    QCOMPARE(dialog.history().currentIndex(), shownIndex);
    QVERIFY(control<QRadioButton>(dialog, 1027)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("99"));
    QCOMPARE(savedJson(dialog, folder), session);
    QCOMPARE(sessionFolder(), files);
    QCOMPARE(vellicor::diceDrawn(), dice);
    // And the session goes on: New adds race 3 of the same stream.
    pressNew(dialog);
    QCOMPARE(dialog.history().current().race.number, 3);
    dialog.done(QDialog::Rejected);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void tst_SessionOpen::recentSessionsListsTheNewestTenAndOpensThem()
{
    QVERIFY(QDir().mkpath(SessionAutosave::sessionFolder()));
    const QDir folder(SessionAutosave::sessionFolder());
    const QDateTime longAgo(QDate(2000, 1, 1), QTime(20, 15));
    // Twelve sessions, written a minute apart; session n holds n races.
    for (int n = 1; n <= 12; ++n) {
        const QString name = QStringLiteral("2026-12-%1T20-15-02-%2.json")
                                 .arg(n, 2, 10, QLatin1Char('0'))
                                 .arg(n == 3 ? -5 : 1000 + n);
        const QString path = folder.filePath(name);
        writeFile(path,
                  QByteArray::fromStdString(cli({"--seed", std::to_string(1000 + n), "--count",
                                                 std::to_string(n), "--format", "json"})));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(longAgo.addSecs(60 * n), QFileDevice::FileModificationTime));
    }
    // Newer than them, but left out unread: what Open Session refuses.
    QTemporaryDir elsewhere;
    const QString fifo = elsewhere.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(QFile::link(fifo, folder.filePath(QStringLiteral("fifo.json"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("zero.json"))));
    QFile huge(folder.filePath(QStringLiteral("huge.json")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64{8} << 30)); // sparse

    const QList<RecentSession> recent = recentSessions(folder.path(), {});
    QCOMPARE(recent.size(), 10);
    QCOMPARE(recent.front().label,
             QString::fromUtf8("12 Dec 2026 20:15 \u2014 seed 1012, 12 races"));
    QCOMPARE(recent.back().label, QString::fromUtf8("3 Dec 2026 20:15 \u2014 seed -5, 3 races"));
    QCOMPARE(recentSessionLabel(QStringLiteral("2026-01-02T03-04-05-6-continues-x.json"), 1),
             QString::fromUtf8("2 Jan 2026 03:04 \u2014 seed 6, 1 race"));
    QCOMPARE(recentSessionLabel(QStringLiteral("campaign.json"), 4),
             QStringLiteral("campaign.json, 4 races"));

    // In the window menu, the dialog's own file is left out; choosing an entry opens it.
    MainDialog dialog;
    auto *menu = dialog.findChild<QMenu *>(QStringLiteral("windowMenu"));
    auto *submenu = dialog.findChild<QMenu *>(QStringLiteral("recentSessions"));
    QVERIFY(menu && submenu);
    QVERIFY(menu->actions().contains(submenu->menuAction()));
    // Opening writes the dialog's first session; its continuation is written after a New.
    QVERIFY(dialog.openSession(folder.filePath(QStringLiteral("2026-12-12T20-15-02-1012.json"))));
    pressNew(dialog);
    QTRY_VERIFY(QFile::exists(dialog.sessionFile()));
    QMetaObject::invokeMethod(menu, "aboutToShow");
    const QList<QAction *> entries = submenu->actions();
    QCOMPARE(entries.size(), 10);
    for (const QAction *entry : entries)
        QVERIFY(entry->data().toString() != dialog.sessionFile());
    QVERIFY(entries[1]->text().startsWith(QStringLiteral("12 Dec 2026")));
    entries[2]->trigger(); // after the dialog's first session and session 12: session 11
    QCOMPARE(dialog.history().size(), std::size_t{11});
    QCOMPARE(dialog.history().current().race.seed, 1011);
    dialog.done(QDialog::Rejected);
}

void tst_SessionOpen::openSessionAsksForAFileOnCtrlO()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("campaign.json"));
    writeFile(path,
              QByteArray::fromStdString(cli({"--seed", "12", "--count", "2", "--format", "json"})));
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // With no other session kept, Recent Sessions says so in an entry that does nothing.
    QMetaObject::invokeMethod(dialog.findChild<QMenu *>(QStringLiteral("windowMenu")),
                              "aboutToShow");
    const QList<QAction *> none =
        dialog.findChild<QMenu *>(QStringLiteral("recentSessions"))->actions();
    QVERIFY(none.size() == 1 && !none[0]->isEnabled());
    QCOMPARE(none[0]->text(), QStringLiteral("No other sessions kept yet"));
    // A file chosen and then cancelled is not opened; chosen and accepted, it is.
    for (const bool accepted : {false, true}) {
        const auto chosen = whenModal<QFileDialog>([&path, accepted](QFileDialog *chooser) {
            QCOMPARE(chooser->objectName(), QStringLiteral("openSessionDialog"));
            chooser->selectFile(path);
            static_cast<QDialog *>(chooser)->done(accepted ? QDialog::Accepted : QDialog::Rejected);
        });
        QTest::keyClick(control<QWidget>(dialog, 1017), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(*chosen);
        QCOMPARE(dialog.history().current().race.seed == 12, accepted);
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    }
    QCOMPARE(dialog.history().size(), std::size_t{2});
    QCOMPARE(dialog.history().current().race.seed, 12);
    dialog.done(QDialog::Rejected);
}

// The newest races of a longer file are kept, New goes on after its last, and a note that does
// not hold the dialog up says so.
void tst_SessionOpen::moreRacesThanKeptOpenTheNewest()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.json"));
    writeFile(path, QByteArray::fromStdString(
                        cli({"--seed", "9", "--count", "1003", "--format", "json"})));
    MainDialog dialog;
    dialog.show();
    QVERIFY(dialog.openSession(path));
    QCOMPARE(dialog.history().size(), vellicor::Session::capacity);
    QCOMPARE(dialog.history().at(0).race.number, 4);
    auto *note = dialog.findChild<QMessageBox *>(QStringLiteral("newestRacesOnly"));
    QVERIFY(note && note->isVisible() && !note->isModal());
    QVERIFY2(note->text().contains(QStringLiteral("long.json holds 1003 races; the newest 1000 are "
                                                  "shown, and the session goes on from the last.")),
             qPrintable(note->text()));
    pressNew(dialog);
    QCOMPARE(dialog.history().current().race.number, 1004);
    dialog.done(QDialog::Rejected);
}

QTEST_MAIN(tst_SessionOpen)
#include "tst_sessionopen.moc"
