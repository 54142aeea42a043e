#include "AppTestSupport.h"
#include "ToolOutput.h"

#include "app/DiceLog.h"
#include "app/SessionFiles.h"
#include "app/VellicorDlg.h"
#include "cli/run.h"
#include "formats/RaceCard.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <nlohmann/json.hpp>

#include <sys/resource.h>

#include <csignal>
#include <sstream>
#include <string>

using apptest::cliOutput;
using apptest::control;
using apptest::fileContents;
using apptest::shownTexts;
using apptest::whenModal;

namespace {

void pressNew(QWidget &dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, 1000), Qt::LeftButton);
}

std::int32_t sessionSeed(const MainDialog &dialog)
{
    return dialog.history().current().race.seed;
}

// The text of each page of a PDF, as pdftotext reads it.
QStringList pdfPages(const QString &path)
{
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-layout"), path, QStringLiteral("-")});
    reader.waitForFinished(30'000);
    QStringList pages = QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\f'));
    pages.removeLast(); // after the last page's form feed
    return pages;
}

// What the card of race `index` says, word for word: the race as vellicor-cli writes it, each
// label on its own without its colon, then how to roll it again.
QString expectedCard(const vellicor::Session &session, std::size_t index)
{
    QString text = QString::fromStdString(
        session.raceText(index, vellicor::OutputFormat::Text) +
        " To roll it again: " + vellicor::rollAgainCommand(session.at(index).race));
    text.replace(
        QRegularExpression(QStringLiteral("^  ([^ :][^:]*):"), QRegularExpression::MultilineOption),
        QStringLiteral("\\1"));
    return text.simplified();
}

} // namespace

// The session history: going back and forth, copying, saving and the file kept on disk.
class tst_History : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void notesStayWithTheirRace();
    void copyPutsTheRaceOnScreenInThreeForms();
    void saveEqualsTheToolsOutput_data();
    void saveEqualsTheToolsOutput();
    void failedSaveLeavesTheOldFile();
    void cardsArePrintedAndSavedAsPdf();
    void sessionIsKeptOnDiskWhenTheDialogEnds();
    void typedNotesReachTheSessionFileWithoutNew();
    void diceLogFollowsNew();
};

void tst_History::init()
{
    vellicor::setTraceSink(nullptr);
}

void tst_History::cleanup()
{
    vellicor::resetTraceSink();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_History::notesStayWithTheirRace()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog)); // shortcuts go to the active window
    auto *politics = control<ResultBox>(dialog, 1019);
    politics->moveCursor(QTextCursor::End);
    QTest::keyClicks(politics, QStringLiteral(" - the players' favourite"));
    const auto firstRace = shownTexts(dialog);

    control<QRadioButton>(dialog, 1027)->click();
    control<QLineEdit>(dialog, 1028)->setText(QStringLiteral("120"));
    pressNew(dialog);
    const auto secondRace = shownTexts(dialog);

    // Back from a result box: race 1 with its note, and the controls it was rolled with.
    QTest::keyClick(control<QWidget>(dialog, 1017), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(shownTexts(dialog), firstRace);
    QVERIFY(control<QRadioButton>(dialog, 1025)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("0"));
    // At the start nothing goes further back.
    QTest::keyClick(control<QWidget>(dialog, 1017), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(dialog.history().current().race.number, 1);

    // Forward from the distance box: race 2 at Backnet, 120 light years.
    QTest::keyClick(control<QWidget>(dialog, 1028), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(shownTexts(dialog), secondRace);
    QVERIFY(control<QRadioButton>(dialog, 1027)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("120"));

    // New from an earlier race adds a race at the end, rolled with the controls on screen.
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);
    pressNew(dialog);
    QCOMPARE(dialog.history().size(), std::size_t{3});
    QCOMPARE(dialog.history().current().race.number, 3);
    QCOMPARE(dialog.history().current().race.location, vellicor::InnerProvince);
    QCOMPARE(dialog.history().at(0).race.texts, firstRace);
}

void tst_History::copyPutsTheRaceOnScreenInThreeForms()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    pressNew(dialog);
    pressNew(dialog);
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(control<QWidget>(dialog, 1023), Qt::Key_C,
                    Qt::ControlModifier | Qt::ShiftModifier);

    const std::int32_t seed = sessionSeed(dialog);
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    // Race 2 of the session is race 2 of the tool's run with the same seed.
    const std::string text = cliOutput(seed, 2, "text");
    QCOMPARE(copied->text().toStdString(), text.substr(text.find("Race 2:")));
    const std::string markdown = cliOutput(seed, 2, "markdown");
    QCOMPARE(copied->data(QStringLiteral("text/markdown")).toStdString(),
             markdown.substr(markdown.find("## Race 2:")));
    const auto json = nlohmann::json::parse(copied->data(QStringLiteral("application/json")));
    QCOMPARE(json.size(), std::size_t{1});
    QVERIFY(json[0] == nlohmann::json::parse(cliOutput(seed, 2, "json"))[1]);
}

void tst_History::saveEqualsTheToolsOutput_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("format");
    QTest::newRow(".json") << "races.json"
                           << "json";
    QTest::newRow(".md") << "races.md"
                         << "markdown";
    QTest::newRow(".TXT, in capitals") << "RACES.TXT"
                                       << "text";
    QTest::newRow(".foundry.json") << "races.foundry.json"
                                   << "foundry";
}

void tst_History::saveEqualsTheToolsOutput()
{
    QFETCH(QString, fileName);
    QFETCH(QString, format);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainDialog dialog;
    pressNew(dialog);
    pressNew(dialog);
    // Going back does not change what is saved.
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);

    const QString path = folder.filePath(fileName);
    QVERIFY(dialog.saveRaces(path));
    QCOMPARE(fileContents(path).toStdString(),
             cliOutput(sessionSeed(dialog), 3, format.toLatin1().constData()));
}

void tst_History::failedSaveLeavesTheOldFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("campaign.json"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("last week's races");
    }
    MainDialog dialog;
    pressNew(dialog);

    // A disk that fills up while the file is written, even for root: writes past 100 bytes fail.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small{100, limit.rlim_max};
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    QString message;
    whenModal<QMessageBox>([&message](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    const bool saved = dialog.saveRaces(path);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);

    QVERIFY(!saved);
    QCOMPARE(fileContents(path), QByteArray("last week's races"));
    QVERIFY2(message.contains(path) && message.contains(QLatin1String("too large")),
             qPrintable(message));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"campaign.json"});

    // Nothing of the session is lost: the next try writes it all.
    QVERIFY(dialog.saveRaces(path));
    QCOMPARE(fileContents(path).toStdString(), cliOutput(sessionSeed(dialog), 2, "json"));
}

// Each card starts a page of its own and goes on over the next where it is longer than a page;
// it holds every word of its race, notes as typed, and nothing else.
void tst_History::cardsArePrintedAndSavedAsPdf()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog)); // shortcuts go to the active window
    control<QRadioButton>(dialog, 1027)->click();
    control<QLineEdit>(dialog, 1028)->setText(QStringLiteral("120"));
    pressNew(dialog);
    control<QRadioButton>(dialog, 1026)->click();
    pressNew(dialog);
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);
    // Notes on race 2 with markup and a line break, longer than a page.
    auto *problems = control<ResultBox>(dialog, 1024);
    problems->moveCursor(QTextCursor::End);
    QTest::keyClicks(problems, QStringLiteral(" <b>Tom & \"Jerry's\"</b>"));
    QTest::keyClick(problems, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(problems, QStringLiteral("second line"));
    for (int line = 1; line <= 40; ++line)
        problems->insertPlainText(QStringLiteral("\nnote line %1").arg(line));

    // Printed through the dialog to its own PDF printer, which needs no print server.
    const QString printed = folder.filePath(QStringLiteral("printed.pdf"));
    auto ran = whenModal<QPrintDialog>([&printed](QPrintDialog *chooser) {
        auto *printers = chooser->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
        chooser->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(printed);
        chooser->accept();
    });
    QTest::keyClick(problems, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(*ran);
    QStringList pages = pdfPages(printed);
    QCOMPARE(pages.size(), 2);
    QCOMPARE(pages.join(QLatin1Char(' ')).simplified(), expectedCard(dialog.history(), 1));
    QVERIFY2(pages[0].contains(
                 QRegularExpression(QStringLiteral("<b>Tom & \"Jerry's\"</b>\n +second line\n"))),
             qPrintable(pages[0]));

    const QString saved = folder.filePath(QStringLiteral("Cards.PDF"));
    QVERIFY(dialog.saveRaces(saved));
    pages = pdfPages(saved);
    QCOMPARE(pages.size(), 4);
    QCOMPARE(pages[0].simplified(), expectedCard(dialog.history(), 0));
    QCOMPARE((pages[1] + pages[2]).simplified(), expectedCard(dialog.history(), 1));
    QCOMPARE(pages[3].simplified(), expectedCard(dialog.history(), 2));
    // On the paper of the system's measures: Letter in the US, A4 elsewhere.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {saved});
    QVERIFY(info.waitForFinished(30'000));
    const bool us = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    QVERIFY(info.readAllStandardOutput().contains(us ? "pts (letter)" : "pts (A4)"));
}

void tst_History::sessionIsKeptOnDiskWhenTheDialogEnds()
{
    const QString sessions =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/sessions";
    QVERIFY(QDir(sessions).removeRecursively());
    QVERIFY(QDir().mkpath(sessions));
    // 105 older sessions: only the 99 newest of them stay beside the new one.
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-30);
    for (int index = 0; index < 105; ++index) {
        QFile old(QStringLiteral("%1/old-%2.json").arg(sessions).arg(index, 3, 10, QChar('0')));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[]\n");
        old.flush();
        old.setFileTime(longAgo.addSecs(index), QFileDevice::FileModificationTime);
    }

    MainDialog dialog;
    pressNew(dialog);
    auto *basicType = control<ResultBox>(dialog, 1015);
    basicType->moveCursor(QTextCursor::End);
    QTest::keyClicks(basicType, QStringLiteral(" (pirates)"));
    dialog.reject(); // as Esc does
    const QString file = dialog.sessionFile();

    QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(sessions).absoluteFilePath());
    auto kept = nlohmann::json::parse(fileContents(file).toStdString());
    auto rolled = nlohmann::json::parse(cliOutput(sessionSeed(dialog), 2, "json"));
    rolled[1]["categories"][0]["text"] = rolled[1]["categories"][0]["text"].get<std::string>() +
                                         " (pirates)"; // the note typed last is kept too
    QVERIFY(kept == rolled);

    const QStringList left = QDir(sessions).entryList({"*.json"}, QDir::Files, QDir::Name);
    QCOMPARE(left.size(), 100);
    QVERIFY(!left.contains(QStringLiteral("old-005.json")));
    QVERIFY(left.contains(QStringLiteral("old-006.json")));
}

// A note must not wait for the next New or the dialog's end: a crash or a logout would lose it.
void tst_History::typedNotesReachTheSessionFileWithoutNew()
{
    QVERIFY(QDir(SessionAutosave::sessionFolder()).removeRecursively());
    MainDialog dialog;
    const QString file = dialog.sessionFile();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 5000); // the start race
    auto *worship = control<ResultBox>(dialog, 1022);
    worship->moveCursor(QTextCursor::End);
    QTest::keyClicks(worship, QStringLiteral(" (temple on the moon)"));
    QTRY_VERIFY_WITH_TIMEOUT(fileContents(file).contains("(temple on the moon)"), 5000);
}

void tst_History::diceLogFollowsNew()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_L, Qt::ControlModifier);
    auto *log = dialog.findChild<DiceLogWindow *>();
    QVERIFY(log && log->isVisible());
    QVERIFY(log->text().startsWith(QStringLiteral("Race 1: Inner Province, 0 light years from "
                                                  "Sol, seed %1, after 0 dice\n  ")
                                       .arg(sessionSeed(dialog))));

    // The lines standard output gets for the next race are the lines the log shows for it.
    std::string printed;
    vellicor::setTraceSink([&printed](std::string_view line) { printed += line; });
    control<QLineEdit>(dialog, 1028)->setText(QStringLiteral("1"));
    pressNew(dialog);
    vellicor::setTraceSink(nullptr);
    const QString expected = QStringLiteral("\n\nRace 2: Inner Province, 1 light year from Sol, "
                                            "seed %1, after %2 dice\n")
                                 .arg(sessionSeed(dialog))
                                 .arg(dialog.history().current().race.dice) +
                             QString::fromStdString(printed).chopped(1);
    QVERIFY2(log->text().endsWith(expected), qPrintable(log->text().right(300)));
}

QTEST_MAIN(tst_History)
#include "tst_history.moc"
