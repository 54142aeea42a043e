#include "AppTestSupport.h"
#include "ToolOutput.h"

#include "app/DiceLog.h"
#include "app/SessionFiles.h"
#include "app/VellicorDlg.h"
#include "cli/run.h"
#include "session/Session.h"

#include <QAccessible>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFocusFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <cstdlib>
#include <sstream>
#include <string>

using apptest::cliOutput;
using apptest::fileContents;

namespace {

// The session folder emptied, so each test sees only the files it makes.
QDir emptySessionFolder()
{
    QDir folder(SessionAutosave::sessionFolder());
    folder.removeRecursively();
    QFile::remove(folder.path()); // where a test left a file in the folder's place
    return folder;
}

void pressNew(QWidget &dialog)
{
    QTest::mouseClick(apptest::control<QPushButton>(dialog, 1000), Qt::LeftButton);
}

// Keys pressed where the focus is, as the user presses them.
void press(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY2(target, "no widget has the focus");
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

// A note of its own at the end of each of the ten boxes.
QStringList typeNotesIntoEveryBox(QWidget &dialog)
{
    static int round = 0;
    ++round;
    QStringList notes;
    for (int category = 0; category < 10; ++category) {
        auto *box = apptest::control<ResultBox>(dialog, 1015 + category);
        box->setFocus();
        box->moveCursor(QTextCursor::End);
        notes << QStringLiteral("note-%1-%2").arg(round).arg(category);
        QTest::keyClicks(box, QLatin1Char(' ') + notes.last());
    }
    return notes;
}

QString missing(const QString &text, const QStringList &notes)
{
    QStringList absent;
    for (const QString &note : notes) {
        if (!text.contains(note))
            absent << note;
    }
    return absent.join(QLatin1Char(' '));
}

} // namespace

// Faults in the session's history and in the files that keep it, as a user would meet them.
class tst_SessionFaults : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void historyKeepsTheNewestThousand();
    void longSessionIsWrittenWhole_data();
    void longSessionIsWrittenWhole();
    void sessionsOfOneSecondKeepAFileEach();
    void failedAutosaveIsReportedOnceAndRetried();

    void notesJustTypedAreSavedAndCopied();
    void refusedSaveIsReported_data();
    void refusedSaveIsReported();
    void saveRacesAsksWhereAndRemembers();
    void failedSessionFileIsToldOnceWhileRollingGoesOn();
    void raceCommandsShowTheirKeysAndEnds();
    void diceLogShowsRacesRolledWhileClosed();
    void diceLogWorksFromTheKeyboard();
    void hiddenTextHintFollowsSizeAndFont();
};

void tst_SessionFaults::init()
{
    vellicor::setTraceSink(nullptr);
}

void tst_SessionFaults::cleanup()
{
    vellicor::resetTraceSink();
    emptySessionFolder();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_SessionFaults::historyKeepsTheNewestThousand()
{
    vellicor::Session history;
    for (int number = 1; number <= 1001; ++number)
        history.roll(vellicor::InnerProvince, 0);
    QCOMPARE(history.size(), vellicor::Session::capacity);
    QCOMPARE(history.at(0).race.number, 2); // only race 1 is dropped
    QCOMPARE(history.current().race.number, 1001);
    QCOMPARE(history.stream().number, 1002);
    QVERIFY(!history.goForward()); // the newest is on screen
    QCOMPARE(history.current().race.number, 1001);
    std::size_t back = 0;
    while (history.goBack())
        ++back;
    QCOMPARE(back, vellicor::Session::capacity - 1);
    QCOMPARE(history.current().race.number, 2);
}

void tst_SessionFaults::longSessionIsWrittenWhole_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("text") << int(vellicor::OutputFormat::Text) << "text";
    QTest::newRow("markdown") << int(vellicor::OutputFormat::Markdown) << "markdown";
    QTest::newRow("json") << int(vellicor::OutputFormat::Json) << "json";
}

// Far more than one piece of output: every race reaches the file, in order.
void tst_SessionFaults::longSessionIsWrittenWhole()
{
    QFETCH(int, format);
    QFETCH(QString, name);
    constexpr std::int32_t seed = 424242;
    constexpr int count = 250;
    vellicor::Session history([] { return seed; });
    for (int number = 1; number <= count; ++number)
        history.roll(vellicor::InnerProvince, 0);
    std::string written;
    int pieces = 0;
    history.write(static_cast<vellicor::OutputFormat>(format), [&](std::string_view piece) {
        written += piece;
        ++pieces;
    });
    QCOMPARE(written, cliOutput(seed, count, name.toLatin1().constData()));
    QVERIFY(pieces > 1); // the session was long enough to need more than one
}

// A session file is named after the session's start and seed. Two dialogs started in the same
// second have the same seed; neither may overwrite the other, and each keeps writing to its own
// file.
void tst_SessionFaults::sessionsOfOneSecondKeepAFileEach()
{
    const QDir folder = emptySessionFolder();
    const QDateTime start(QDate(2026, 12, 9), QTime(20, 15, 2));
    QByteArray contents[3] = {"first", "second", "third"};
    std::unique_ptr<SessionAutosave> sessions[3];
    for (int index = 0; index < 3; ++index) {
        sessions[index] = std::make_unique<SessionAutosave>(
            start, -5,
            [&contents, index](const PieceWriter &write) { write(contents[index].toStdString()); });
        sessions[index]->schedule();
        QVERIFY(sessions[index]->writeNow());
    }
    QCOMPARE(QFileInfo(sessions[0]->filePath()).fileName(), "2026-12-09T20-15-02--5.json");
    QCOMPARE(QFileInfo(sessions[1]->filePath()).fileName(), "2026-12-09T20-15-02--5-2.json");
    QCOMPARE(QFileInfo(sessions[2]->filePath()).fileName(), "2026-12-09T20-15-02--5-3.json");

    // Later writes go to the same files, however often they come.
    for (int round = 0; round < 2; ++round) {
        for (int index = 0; index < 3; ++index) {
            contents[index] += "+";
            sessions[index]->schedule();
            QVERIFY(sessions[index]->writeNow());
        }
    }
    QCOMPARE(folder.entryList(QDir::Files).size(), 3);
    for (int index = 0; index < 3; ++index)
        QCOMPARE(fileContents(sessions[index]->filePath()), contents[index]);
}

void tst_SessionFaults::failedAutosaveIsReportedOnceAndRetried()
{
    const QDir folder = emptySessionFolder();
    QVERIFY(QDir().mkpath(QFileInfo(folder.path()).absolutePath()));
    {
        QFile blocker(folder.path()); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    int writes = 0;
    SessionAutosave autosave(QDateTime::currentDateTime(), 3, [&writes](const PieceWriter &write) {
        write("[\n]\n");
        ++writes;
    });
    QSignalSpy failures(&autosave, &SessionAutosave::writeFailed);
    autosave.schedule();
    QVERIFY(!autosave.writeNow());
    autosave.schedule();
    QVERIFY(!autosave.writeNow());
    QCOMPARE(failures.size(), 1); // told once, not at every try
    QCOMPARE(failures[0][0].toString(), autosave.filePath());
    QVERIFY2(failures[0][1].toString().contains(QDir::toNativeSeparators(folder.path())),
             qPrintable(failures[0][1].toString()));

    // Once the folder can be made, the next request writes the session.
    QVERIFY(QFile::remove(folder.path()));
    autosave.schedule();
    QTRY_COMPARE_WITH_TIMEOUT(fileContents(autosave.filePath()), QByteArray("[\n]\n"), 5000);
    QCOMPARE(failures.size(), 1);
    QVERIFY(autosave.writeNow()); // nothing left to write
    QCOMPARE(writes, 1);
}

// Save and Copy take the notes as they stand in the boxes, not only once the user moves on.
void tst_SessionFaults::notesJustTypedAreSavedAndCopied()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainDialog dialog;
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // shortcuts go to the active window

    QStringList notes = typeNotesIntoEveryBox(dialog);
    const QString path = folder.filePath("notes.txt");
    QVERIFY(dialog.saveRaces(path));
    QCOMPARE(missing(QString::fromUtf8(fileContents(path)), notes), QString());

    notes = typeNotesIntoEveryBox(dialog);
    press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied);
    QCOMPARE(missing(copied->text(), notes), QString());
    QCOMPARE(missing(QString::fromUtf8(copied->data("text/markdown")), notes), QString());
    QCOMPARE(missing(QString::fromUtf8(copied->data("application/json")), notes), QString());
}

void tst_SessionFaults::refusedSaveIsReported_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown extension")
        << "races.doc"
        << "JSON (.json), a Foundry VTT journal (.foundry.json) or PDF (.pdf)";
    // Even root cannot write into a file.
    QTest::newRow("PDF in a file, not a folder") << "notes/races.pdf"
                                                 << "Not a directory";
}

// Reported with the file and the reason; nothing is written.
void tst_SessionFaults::refusedSaveIsReported()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile(folder.filePath("notes")).open(QIODevice::WriteOnly));
    MainDialog dialog;
    QString message;
    apptest::whenModal<QMessageBox>([&message](QMessageBox *box) {
        message = box->text();
        box->accept();
    });
    const QString path = folder.filePath(file);
    QVERIFY(!dialog.saveRaces(path));
    QVERIFY2(message.contains(path) && message.contains(reason), qPrintable(message));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"notes"});
}

// Ctrl+S offers a dated Markdown file in the documents folder (or the home folder where there
// is none); Cancel saves nothing; the next Ctrl+S offers the file saved last.
void tst_SessionFaults::saveRacesAsksWhereAndRemembers()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainDialog dialog;
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // shortcuts go to the active window
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir(documents).exists())
        documents = QDir::homePath();
    const QString dated = QDir(documents).filePath(
        "vellicor-races-" + QDate::currentDate().toString(Qt::ISODate) + ".md");
    QVERIFY(!QFile::exists(dated));

    QStringList offered;
    QStringList filters;
    bool saving = true; // a chooser that takes a new file's name
    // Notes what the chooser offers, then cancels it.
    const auto offerAndCancel = [&] {
        return apptest::whenModal<QFileDialog>([&](QFileDialog *chooser) {
            offered << chooser->selectedFiles().value(0);
            filters << chooser->selectedNameFilter();
            saving = saving && chooser->acceptMode() == QFileDialog::AcceptSave;
            chooser->reject();
        });
    };
    auto ran = offerAndCancel();
    QTest::keyClick(apptest::control<QWidget>(dialog, 1000), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(*ran);
    const bool written = QFile::exists(dated);
    QFile::remove(dated);
    QVERIFY2(!written, "Cancel saved the races"); // cancelled: nothing written

    // Saved to a file of the user's (the chooser's own listing of folders is Qt's to test).
    const QString chosen = folder.filePath("campaign.json");
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // back from the file dialog
    QVERIFY(dialog.saveRaces(chosen));
    QCOMPARE(QString::fromStdString(fileContents(chosen).toStdString()),
             QString::fromStdString(cliOutput(dialog.history().at(0).race.seed, 1, "json")));

    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    ran = offerAndCancel();
    QTest::keyClick(apptest::control<QWidget>(dialog, 1020), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(*ran);
    // After race cards, the chooser offers PDF.
    QVERIFY(dialog.saveRaces(folder.filePath("cards.pdf")));
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    ran = offerAndCancel();
    QTest::keyClick(apptest::control<QWidget>(dialog, 1000), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(*ran);
    QCOMPARE(offered, (QStringList{dated, chosen, folder.filePath("cards.pdf")}));
    QCOMPARE(filters, (QStringList{"Markdown (*.md)", "JSON (*.json)", "PDF (*.pdf)"}));
    QVERIFY(saving);
}

// A session folder that cannot be made is told once, in a box that does not stop the game;
// once the folder can be made, the next New keeps the session.
void tst_SessionFaults::failedSessionFileIsToldOnceWhileRollingGoesOn()
{
    const QDir folder = emptySessionFolder();
    QVERIFY(QDir().mkpath(QFileInfo(folder.path()).absolutePath()));
    {
        QFile blocker(folder.path());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    MainDialog dialog;
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // shortcuts go to the active window
    const auto boxes = [&dialog] { return dialog.findChildren<QMessageBox *>(); };
    QTRY_COMPARE_WITH_TIMEOUT(boxes().size(), 1, 5000);
    QMessageBox *box = boxes().constFirst();
    QVERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QVERIFY2(box->text().contains(QDir::toNativeSeparators(dialog.sessionFile())),
             qPrintable(box->text()));

    pressNew(dialog);
    QTest::qWait(2 * SessionAutosave::coalesceMilliseconds);
    QCOMPARE(boxes().size(), 1);
    QCOMPARE(dialog.history().size(), std::size_t{2});

    box->close();
    QVERIFY(QFile::remove(folder.path()));
    pressNew(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dialog.sessionFile()), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(fileContents(dialog.sessionFile()).toStdString(),
                              cliOutput(dialog.history().at(0).race.seed, 3, "json"), 5000);
}

QAction *command(const QWidget &dialog, const char *name)
{
    return dialog.findChild<QAction *>(QLatin1String(name));
}

// The menu shows each command's keys, and Previous and Next are offered only where they lead
// somewhere.
void tst_SessionFaults::raceCommandsShowTheirKeysAndEnds()
{
    MainDialog dialog;
    const struct {
        const char *name;
        QKeySequence keys;
    } commands[] = {{"previousRace", QKeySequence(Qt::ALT | Qt::Key_Left)},
                    {"nextRace", QKeySequence(Qt::ALT | Qt::Key_Right)},
                    {"copyRace", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
                    {"saveRaces", QKeySequence(Qt::CTRL | Qt::Key_S)},
                    {"printRace", QKeySequence(Qt::CTRL | Qt::Key_P)},
                    {"diceLog", QKeySequence(Qt::CTRL | Qt::Key_L)}};
    for (const auto &[name, keys] : commands) {
        const QAction *action = command(dialog, name);
        QVERIFY2(action, name);
        QCOMPARE(action->shortcut(), keys);
        QVERIFY2(action->isShortcutVisibleInContextMenu(), name);
    }
    const auto ends = [&dialog] {
        return std::pair{command(dialog, "previousRace")->isEnabled(),
                         command(dialog, "nextRace")->isEnabled()};
    };
    QCOMPARE(ends(), std::pair(false, false));
    pressNew(dialog);
    pressNew(dialog);
    QCOMPARE(ends(), std::pair(true, false));
    command(dialog, "previousRace")->trigger();
    QCOMPARE(ends(), std::pair(true, true));
    command(dialog, "previousRace")->trigger();
    QCOMPARE(ends(), std::pair(false, true));
    command(dialog, "nextRace")->trigger();
    command(dialog, "nextRace")->trigger();
    QCOMPARE(dialog.history().current().race.number, 3);
    QCOMPARE(ends(), std::pair(true, false));
}

// Closed, the log misses nothing: opened again, it shows every race, the newest in view.
void tst_SessionFaults::diceLogShowsRacesRolledWhileClosed()
{
    MainDialog dialog;
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // shortcuts go to the active window
    press(Qt::Key_L, Qt::ControlModifier);
    auto *log = dialog.findChild<DiceLogWindow *>();
    QVERIFY(log);
    QTRY_COMPARE(QApplication::activeWindow(), log);
    press(Qt::Key_Escape, Qt::NoModifier);
    QVERIFY(!log->isVisible());
    dialog.activateWindow(); // as the window manager does
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);

    for (int press = 0; press < 40; ++press)
        pressNew(dialog);
    QTest::keyClick(&dialog, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(log->isVisible());
    QVERIFY(log->text().startsWith("Race 1: "));
    for (int number = 2; number <= 41; ++number)
        QVERIFY2(log->text().contains(QStringLiteral("\n\nRace %1: ").arg(number)),
                 qPrintable(QString::number(number)));
    const auto *text = log->findChild<QPlainTextEdit *>();
    // The newest race, which is on screen, is shown from its heading.
    QTRY_VERIFY(text->cursorForPosition(QPoint(0, 0)).block().text().startsWith("Race 41: "));
    QVERIFY(text->verticalScrollBar()->value() > 0);
    QCOMPARE(text->horizontalScrollBar()->value(), 0);
}

// Keys in the log: Enter leaves it open, Ctrl+L brings it back to the front, Esc closes it.
// Screen readers name the log and say what it holds.
void tst_SessionFaults::diceLogWorksFromTheKeyboard()
{
    MainDialog dialog;
    dialog.show();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog); // shortcuts go to the active window
    press(Qt::Key_L, Qt::ControlModifier);
    auto *log = dialog.findChild<DiceLogWindow *>();
    QVERIFY(log);
    QTRY_COMPARE(QApplication::activeWindow(), log);
    auto *text = log->findChild<QPlainTextEdit *>();
    QCOMPARE(QApplication::focusWidget(), text);
    const auto *ring = log->findChild<QFocusFrame *>(); // the focus shows in any style
    QVERIFY(ring);
    QCOMPARE(ring->widget(), text);

    press(Qt::Key_Return, Qt::NoModifier);
    press(Qt::Key_X, Qt::NoModifier);
    QVERIFY(log->isVisible());
    QVERIFY(!log->text().contains('x')); // read-only
    press(Qt::Key_Home, Qt::ControlModifier);
    press(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(text->textCursor().selectedText().size(), log->text().size());

    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(text);
    QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Dice Log"));
    QVERIFY(!reader->text(QAccessible::Description).isEmpty());
    QCOMPARE(QAccessible::queryAccessibleInterface(log->findChild<QPushButton *>())
                 ->text(QAccessible::Name),
             QStringLiteral("Close the Dice Log"));

    dialog.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    press(Qt::Key_L, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::activeWindow(), log);
    log->close();
}

// A text that fits needs no tooltip; once the box is narrower or its font larger, the tooltip
// and the screen reader's description hold the whole text, and drop it when it fits again.
void tst_SessionFaults::hiddenTextHintFollowsSizeAndFont()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *box = apptest::control<ResultBox>(dialog, 1015);
    box->setPlainText(QStringLiteral("Known alien race"));
    // The tooltip as shown, and the description.
    const auto offered = [box] {
        QTextDocument tip;
        tip.setHtml(box->toolTip());
        return std::pair{tip.toPlainText(), QAccessible::queryAccessibleInterface(box)->text(
                                                QAccessible::Description)};
    };
    const std::pair<QString, QString> none;
    const std::pair<QString, QString> whole{"Known alien race", "Known alien race"};
    QCOMPARE(offered(), none);

    const QSize size = box->size();
    box->resize(size.width() / 4, size.height());
    QCOMPARE(offered(), whole);
    box->resize(size);
    QCOMPARE(offered(), none);

    QFont large = box->font();
    large.setPointSizeF(large.pointSizeF() * 4);
    box->setFont(large);
    QCOMPARE(offered(), whole);
}

QTEST_MAIN(tst_SessionFaults)
#include "tst_sessionfaults.moc"
