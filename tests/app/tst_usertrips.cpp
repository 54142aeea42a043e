#include "AppTestSupport.h"

#include "app/DiceLog.h"
#include "app/SessionFiles.h"
#include "app/Vellicor.h"
#include "app/VellicorDlg.h"
#include "generation/Version.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSessionManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <csignal>
#include <cstring>

using apptest::control;
using apptest::whenModal;

namespace {

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// Files may grow to `bytes` at most while it lives, even for root: a disk that is full.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved{};
};

void pressNew(QWidget &dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, 1000), Qt::LeftButton);
}

// Opens the Dice Log with Ctrl+L and puts the focus in its text, as a keyboard user does.
QPlainTextEdit *openDiceLog(MainDialog &dialog)
{
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_L, Qt::ControlModifier);
    auto *log = dialog.findChild<DiceLogWindow *>();
    // The window system may call the log active a moment before the application does; keys go
    // where the application says.
    if (!log || !QTest::qWaitFor([log] { return QApplication::activeWindow() == log; }))
        return nullptr;
    auto *text = log->findChild<QPlainTextEdit *>(QStringLiteral("diceLogText"));
    text->setFocus();
    return text;
}

// The line at the top of the log's view, and the lines marked in it.
QString topLine(const QPlainTextEdit &text)
{
    return text.cursorForPosition(QPoint(0, 0)).block().text();
}

// Marked across the whole width of the log, as a selection of whole lines is.
QString markedLines(const QPlainTextEdit &text)
{
    const QList<QTextEdit::ExtraSelection> marks = text.extraSelections();
    if (marks.size() != 1 ||
        !marks.constFirst().format.boolProperty(QTextFormat::FullWidthSelection))
        return QString();
    return marks.constFirst().cursor.selectedText();
}

QString heading(const MainDialog &dialog, std::size_t index)
{
    return QString::fromStdString(vellicor::raceHeading(dialog.history().at(index).race));
}

// The environment of the real program under test: its session under `dataHome`, no display
// unless `offscreen`.
QProcessEnvironment programEnvironment(const QString &dataHome, bool offscreen)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (offscreen)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dataHome); // Qt says nothing about it
    return environment;
}

// Reads the program's standard output until the whole trace of its first race is there.
bool waitForFirstRace(QProcess &program)
{
    QByteArray trace;
    QElapsedTimer clock;
    clock.start();
    // Nine categories, five engineering fields and four extensions: 18 summary lines at least.
    while (trace.count(" Rolled ") < 18 && clock.elapsed() < 30000) {
        program.waitForReadyRead(100);
        trace += program.readAllStandardOutput();
    }
    return trace.count(" Rolled ") >= 18;
}

// The session files the program left under `dataHome`.
QStringList sessionFiles(const QString &dataHome)
{
    const QDir folder(dataHome + QStringLiteral("/Vellicor/sessions"));
    QStringList files;
    for (const QString &name : folder.entryList({QStringLiteral("*.json")}, QDir::Files))
        files << folder.filePath(name);
    return files;
}

// The Application of the test process, for the tests that run the dialog through it.
Application *application = nullptr;

const char signalChildOption[] = "--as-signalled-child";
const QString signalledNote = QStringLiteral(" (typed just before the signal)");

// The child of signalArrivesRightAfterANote(): the whole program, whose first race gets a note
// and, before the note can be written in the usual way, `signal`. With `ignored`, the signal
// was ignored before the program started (as under nohup), and the dialog is then closed.
int runAsSignalledChild(int &argc, char *argv[], int signal, bool ignored)
{
    QStandardPaths::setTestModeEnabled(false); // the parent's XDG_DATA_HOME holds the session
    std::signal(signal, ignored ? SIG_IGN : SIG_DFL);
    Application app(argc, argv);
    whenModal<MainDialog>([signal, ignored](MainDialog *dialog) {
        auto *box = control<ResultBox>(*dialog, 1015);
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, signalledNote);
        ::kill(::getpid(), signal);
        if (ignored)
            QTimer::singleShot(100, dialog, &QDialog::reject);
    });
    return app.run();
}

} // namespace

// What a new user tripped over: each test walks the path they took.
class tst_UserTrips : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyRunOfSessionFileFailuresIsReported();
    void tabAndShiftTabLandOnTheCheckedLocation_data();
    void tabAndShiftTabLandOnTheCheckedLocation();
    void sessionKeysWorkInTheDiceLog();
    void diceLogShowsTheRaceOnScreen();
    void diceLogOpensBesideTheDialog_data();
    void diceLogOpensBesideTheDialog();
    void diceLogDoesNotCoverTheDialog();
    void typedNameGetsTheChosenFormatsExtension_data();
    void typedNameGetsTheChosenFormatsExtension();
    void commandLine_data();
    void commandLine();
    void helpIntoAFullDeviceFails();
    void qtsOwnOptionsStillWork();
    void signalArrivesRightAfterANote_data();
    void signalArrivesRightAfterANote();
    void signalEndsTheRealProgramAfterWritingTheSession();
    void logoutWritesTheSessionAtOnce();
};

void tst_UserTrips::init()
{
    vellicor::setTraceSink(nullptr);
}

void tst_UserTrips::cleanup()
{
    vellicor::resetTraceSink();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

// Failing, working, failing again: the second failure is told as the first was, and a failure
// that goes on is told once.
void tst_UserTrips::everyRunOfSessionFileFailuresIsReported()
{
    QVERIFY(QDir(SessionAutosave::sessionFolder()).removeRecursively());
    QByteArray contents(200, 'a');
    SessionAutosave autosave(QDateTime::currentDateTime(), 7,
                             [&contents](const PieceWriter &write) {
                                 write(std::string_view(contents.constData(), contents.size()));
                             });
    QSignalSpy failures(&autosave, &SessionAutosave::writeFailed);
    const auto writeWithRoomFor = [&autosave](rlim_t bytes) {
        const FileSizeLimit limit(bytes);
        autosave.schedule();
        return autosave.writeNow();
    };

    QVERIFY(!writeWithRoomFor(100));
    QCOMPARE(failures.size(), 1);
    QVERIFY(!writeWithRoomFor(100)); // the same failure, still going on
    QCOMPARE(failures.size(), 1);

    QVERIFY(writeWithRoomFor(RLIM_INFINITY));
    QCOMPARE(fileContents(autosave.filePath()), contents);

    contents.fill('b');
    QVERIFY(!writeWithRoomFor(100));
    QCOMPARE(failures.size(), 2);
    QCOMPARE(failures.last().at(0).toString(), autosave.filePath());
    QVERIFY2(failures.last().at(1).toString().contains(QLatin1String("too large")),
             qPrintable(failures.last().at(1).toString()));
    QCOMPARE(fileContents(autosave.filePath()), QByteArray(200, 'a')); // the old file stays whole
}

void tst_UserTrips::tabAndShiftTabLandOnTheCheckedLocation_data()
{
    QTest::addColumn<int>("checked");
    QTest::newRow("Inner Province") << 1025;
    QTest::newRow("Frontier") << 1026;
    QTest::newRow("Backnet") << 1027;
}

// Into the location from either side, and through it and out again: the focus is on the checked
// button whenever it is in the group.
void tst_UserTrips::tabAndShiftTabLandOnTheCheckedLocation()
{
    QFETCH(int, checked);
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    control<QRadioButton>(dialog, checked)->setChecked(true);
    QWidget *distance = control<QWidget>(dialog, 1028);
    QWidget *problems = control<QWidget>(dialog, 1024);

    distance->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(distance, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString::number(checked));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), problems);

    QTest::keyClick(problems, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString::number(checked));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), distance);
}

// With the focus in the log, where Ctrl+L puts it, each of the session's keys does what it does
// in the dialog.
void tst_UserTrips::sessionKeysWorkInTheDiceLog()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    pressNew(dialog);
    pressNew(dialog);
    QPlainTextEdit *log = openDiceLog(dialog);
    QVERIFY(log);

    QTest::keyClick(log, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(dialog.history().current().race.number, 2);
    QTest::keyClick(log, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(dialog.history().current().race.number, 1);
    QTest::keyClick(log, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(dialog.history().current().race.number, 2);

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(log, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied && copied->text().startsWith(heading(dialog, 1) + QLatin1Char('\n')));

    bool saveOpened = false;
    whenModal<QFileDialog>([&saveOpened](QFileDialog *chooser) {
        saveOpened = true;
        chooser->reject();
    });
    QTest::keyClick(log, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(saveOpened);

    // Ctrl+L in the log: back to the dialog.
    QVERIFY(QTest::qWaitFor([log] { return QApplication::activeWindow() == log->window(); }));
    QTest::keyClick(log, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == &dialog; }));
    QVERIFY(log->isVisible());
}

// Going back and forth marks the race on screen in the log, its heading at the top; New marks
// the new race.
void tst_UserTrips::diceLogShowsTheRaceOnScreen()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    pressNew(dialog);
    pressNew(dialog);
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Left, Qt::AltModifier);
    QPlainTextEdit *log = openDiceLog(dialog);
    QVERIFY(log);
    // Opened on race 2 of 3.
    QCOMPARE(topLine(*log), heading(dialog, 1));
    QVERIFY(markedLines(*log).startsWith(heading(dialog, 1)));

    QTest::keyClick(log, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(topLine(*log), heading(dialog, 0));
    const QString marked = markedLines(*log);
    // All of race 1, from its heading to its last trace line, and nothing of race 2.
    const QString trace = QString::fromStdString(dialog.history().at(0).trace).trimmed();
    QVERIFY2(marked.startsWith(heading(dialog, 0)), qPrintable(marked));
    QVERIFY2(marked.endsWith(trace.mid(trace.lastIndexOf(QLatin1Char('\n')) + 1)),
             qPrintable(marked));
    QVERIFY(!marked.contains(QLatin1String("Race 2:")));

    QTest::keyClick(log, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(topLine(*log), heading(dialog, 1));
    // The caret too, where the arrow keys and screen readers take up the race.
    QCOMPARE(log->textCursor().block().text(), heading(dialog, 1));
    QCOMPARE(log->textCursor().positionInBlock(), 0);

    pressNew(dialog);
    QVERIFY(markedLines(*log).startsWith(heading(dialog, 3)));
    QCOMPARE(topLine(*log), heading(dialog, 3));

    // Another session opened into the open log: its races are numbered from 1 too, on other
    // lines, and the log marks the opened race on screen, not where this session's was.
    QTemporaryDir folder;
    const QString otherFile = folder.filePath(QStringLiteral("other.json"));
    {
        MainDialog other;
        pressNew(other);
        pressNew(other);
        QVERIFY(other.saveRaces(otherFile));
    }
    QVERIFY(dialog.openSession(otherFile));
    QCOMPARE(dialog.history().size(), std::size_t{3});
    QVERIFY2(markedLines(*log).startsWith(heading(dialog, 2)), qPrintable(markedLines(*log)));
    QCOMPARE(log->textCursor().block().text(), heading(dialog, 2));
}

void tst_UserTrips::diceLogOpensBesideTheDialog_data()
{
    QTest::addColumn<QRect>("dialog");
    QTest::addColumn<QSize>("log");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("placed");
    const QRect screen(0, 0, 1920, 1080);
    QTest::newRow("room on the right")
        << QRect(100, 50, 560, 500) << QSize(600, 500) << screen << QRect(668, 50, 600, 500);
    QTest::newRow("room on the left only")
        << QRect(1200, 50, 560, 500) << QSize(600, 500) << screen << QRect(592, 50, 600, 500);
    QTest::newRow("exactly room on the right")
        << QRect(100, 50, 560, 500) << QSize(1252, 500) << screen << QRect(668, 50, 1252, 500);
    QTest::newRow("exactly room on the left")
        << QRect(1300, 50, 560, 500) << QSize(1292, 500) << screen << QRect(0, 50, 1292, 500);
    // A dialog centred on a small screen: the log lies at the edge, over the dialog's side.
    QTest::newRow("no room, more on the right")
        << QRect(200, 100, 560, 500) << QSize(600, 500) << QRect(0, 0, 1024, 768)
        << QRect(424, 100, 600, 500);
    QTest::newRow("no room, more on the left") << QRect(300, 100, 560, 500) << QSize(600, 500)
                                               << QRect(0, 0, 1024, 768) << QRect(0, 100, 600, 500);
    QTest::newRow("low on the screen: moved up")
        << QRect(100, 500, 560, 500) << QSize(600, 500) << QRect(0, 0, 1920, 800)
        << QRect(668, 300, 600, 500);
    QTest::newRow("taller than the screen: cut to it")
        << QRect(100, 0, 560, 500) << QSize(600, 900) << QRect(0, 40, 1920, 760)
        << QRect(668, 40, 600, 760);
    QTest::newRow("a second screen to the right")
        << QRect(2000, 100, 560, 500) << QSize(600, 500) << QRect(1920, 0, 1280, 1024)
        << QRect(2568, 100, 600, 500);
}

void tst_UserTrips::diceLogOpensBesideTheDialog()
{
    QFETCH(QRect, dialog);
    QFETCH(QSize, log);
    QFETCH(QRect, screen);
    QFETCH(QRect, placed);
    QCOMPARE(placeBeside(dialog, log, screen, 8), placed);
}

// The dialog at the left of the screen: the log opens to its right, as tall as the dialog, and
// over it only as far as a small screen (such as the test's) makes it.
void tst_UserTrips::diceLogDoesNotCoverTheDialog()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const QRect screen = dialog.screen()->availableGeometry();
    dialog.move(screen.topLeft());
    QVERIFY(openDiceLog(dialog));
    const QRect log = dialog.findChild<DiceLogWindow *>()->frameGeometry();
    const QRect frame = dialog.frameGeometry();
    QVERIFY(screen.contains(log));
    QCOMPARE(log.top(), frame.top());
    QCOMPARE(log.height(), frame.height());
    if (screen.right() - frame.right() >= log.width() + 8)
        QCOMPARE(log.left(), frame.right() + 1 + 8);
    else
        QCOMPARE(log.right(), screen.right());
}

void tst_UserTrips::typedNameGetsTheChosenFormatsExtension_data()
{
    QTest::addColumn<QString>("lastSaved");
    QTest::addColumn<QString>("filter"); // empty: the one the dialog chose
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("opening");
    QTest::newRow("after races.Json") << "races.Json"
                                      << ""
                                      << "plain"
                                      << "plain.json"
                                      << "[\n{";
    QTest::newRow("after RACES.TXT") << "RACES.TXT"
                                     << ""
                                     << "plain"
                                     << "plain.txt"
                                     << "Race 1:";
    QTest::newRow("after races.md") << "races.md"
                                    << ""
                                    << "plain"
                                    << "plain.md"
                                    << "## Race 1:";
    QTest::newRow("after races.Json, Text chosen") << "races.Json"
                                                   << "Text (*.txt)"
                                                   << "plain"
                                                   << "plain.txt"
                                                   << "Race 1:";
    // The name shown takes the chosen type's extension whole, where Qt's own swaps its last part.
    QTest::newRow("races.md kept, Foundry chosen") << "races.md"
                                                   << "Foundry VTT journal (*.foundry.json)"
                                                   << ""
                                                   << "races.foundry.json"
                                                   << "{\"pages\":[";
    QTest::newRow("races.foundry.json kept, Markdown chosen") << "races.foundry.json"
                                                              << "Markdown (*.md)"
                                                              << ""
                                                              << "races.md"
                                                              << "## Race 1:";
    QTest::newRow("an extension typed") << "races.Json"
                                        << ""
                                        << "plain.MD"
                                        << "plain.MD"
                                        << "## Race 1:";
}

// Save Races a second time, a name typed without an extension.
void tst_UserTrips::typedNameGetsTheChosenFormatsExtension()
{
    QFETCH(QString, lastSaved);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QString, opening);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QVERIFY(dialog.saveRaces(folder.filePath(lastSaved)));

    const auto typedIn = whenModal<QFileDialog>([&](QFileDialog *chooser) {
        // Whatever goes wrong (such as a question whether to replace the last file), the
        // chooser is gone after a while instead of waiting for ever.
        QTimer::singleShot(5000, chooser, [chooser] {
            if (QWidget *question = QApplication::activeModalWidget(); question != chooser)
                question->close();
            chooser->reject();
        });
        // As a user types: into the name box, once the folder is read and the last file chosen
        // in it, and with the focus in the box (which then lets go of the file in the list).
        auto *files = chooser->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        QVERIFY(files);
        QVERIFY(QTest::qWaitFor([files] { return files->selectionModel()->hasSelection(); }));
        QVERIFY(QTest::qWaitFor([chooser] { return QApplication::activeWindow() == chooser; }));
        if (!filter.isEmpty()) {
            auto *types = chooser->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            // As the user's choice in the list, which the chooser hears of by the two signals.
            const int chosen = types->findText(filter);
            types->setCurrentIndex(chosen);
            emit types->activated(chosen);
            emit types->textActivated(filter);
        }
        auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, typed);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(*typedIn);

    QStringList expected{lastSaved, saved};
    expected.sort();
    QStringList files = QDir(folder.path()).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, expected);
    // Written in the format its extension names.
    QVERIFY(fileContents(folder.filePath(saved)).startsWith(opening.toLatin1()));
}

void tst_UserTrips::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display"); // an offscreen one; else none at all
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // what standard output starts with
    QTest::addColumn<QString>("err"); // the one line on standard error, or nothing
    const QString usage = QStringLiteral("Usage: ") + QStringLiteral(VELLICOR_EXECUTABLE);
    QTest::newRow("--help, without a display")
        << QStringList{"--help"} << false << 0 << usage << "";
    QTest::newRow("-h") << QStringList{"-h"} << false << 0 << usage << "";
    QTest::newRow("--version") << QStringList{"--version"} << false << 0
                               << "vellicor " VELLICOR_VERSION "\n"
                               << "";
    QTest::newRow("-v") << QStringList{"-v"} << false << 0 << "vellicor " VELLICOR_VERSION "\n"
                        << "";
    QTest::newRow("--help wins over an unknown option")
        << QStringList{"--bogus", "--help"} << false << 0 << usage << "";
    QTest::newRow("the first of --version and --help counts")
        << QStringList{"--version", "--help"} << false << 0 << "vellicor " VELLICOR_VERSION "\n"
        << "";
    QTest::newRow("an unknown option")
        << QStringList{"--bogus"} << true << 2 << ""
        << "vellicor: Unknown option 'bogus'. Run 'vellicor --help' for usage.";
    QTest::newRow("an unknown option after Qt's")
        << QStringList{"-style", "Fusion", "-x"} << true << 2 << ""
        << "vellicor: Unknown option 'x'. Run 'vellicor --help' for usage.";
    // Refused before Qt looks for a display, which it would not find.
    QTest::newRow("an unknown option, without a display")
        << QStringList{"--bogus"} << false << 2 << ""
        << "vellicor: Unknown option 'bogus'. Run 'vellicor --help' for usage.";
    QTest::newRow("an argument after Qt's options, without a display")
        << QStringList{"--platformtheme", "gtk3", "-reverse", "races.json"} << false << 2 << ""
        << "vellicor: Unexpected argument 'races.json'. Run 'vellicor --help' for usage.";
    QTest::newRow("an argument") << QStringList{"races.json"} << true << 2 << ""
                                 << "vellicor: Unexpected argument 'races.json'. Run 'vellicor "
                                    "--help' for usage.";
    QTest::newRow("--help after --") << QStringList{"--", "--help"} << true << 2 << ""
                                     << "vellicor: Unexpected argument '--help'. Run 'vellicor "
                                        "--help' for usage.";
}

// The real program's command line: answered and ended, without opening the dialog.
void tst_UserTrips::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    QProcess program;
    program.setProcessEnvironment(programEnvironment(dataHome.path(), display));
    program.start(QStringLiteral(VELLICOR_EXECUTABLE), arguments);
    QVERIFY2(program.waitForFinished(20000), "the dialog opened");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString printed = QString::fromLocal8Bit(program.readAllStandardOutput());
    QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
    if (out.startsWith(QLatin1String("Usage:"))) {
        QVERIFY2(printed.contains(QLatin1String("-h, --help")), qPrintable(printed));
        QVERIFY2(printed.contains(QLatin1String("-v, --version")), qPrintable(printed));
    }
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()),
             err.isEmpty() ? err : err + QLatin1Char('\n'));
    QVERIFY(sessionFiles(dataHome.path()).isEmpty()); // no dialog, no session
}

// `vellicor --version > /dev/full`: what was asked for could not be written, and that is said.
void tst_UserTrips::helpIntoAFullDeviceFails()
{
    for (const char *request : {"--version", "--help"}) {
        QProcess program;
        program.setStandardOutputFile(QStringLiteral("/dev/full"));
        program.start(QStringLiteral(VELLICOR_EXECUTABLE), {QString::fromLatin1(request)});
        QVERIFY2(program.waitForFinished(20000), request);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(program.readAllStandardError().startsWith("vellicor: could not write"), request);
    }
}

// -platform and -style are Qt's, taken before the program looks: the dialog opens with them,
// with no display but the one -platform names.
void tst_UserTrips::qtsOwnOptionsStillWork()
{
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    QProcess program;
    program.setProcessEnvironment(programEnvironment(dataHome.path(), false));
    program.start(QStringLiteral(VELLICOR_EXECUTABLE),
                  {"-platform", "offscreen", "-style", "Fusion", "-reverse"});
    QVERIFY(program.waitForStarted(10000));
    const bool rolled = waitForFirstRace(program);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(10000);
    QVERIFY2(rolled && running, program.readAllStandardError().constData());
}

void tst_UserTrips::signalArrivesRightAfterANote_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("ignored");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP under nohup") << int(SIGHUP) << true;
}

// A note typed, and at once a signal: the note is in the session file, and the program ends by
// that signal. A signal ignored from the start stays ignored.
void tst_UserTrips::signalArrivesRightAfterANote()
{
    QFETCH(int, signal);
    QFETCH(bool, ignored);
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    QProcess child;
    child.setProcessEnvironment(programEnvironment(dataHome.path(), true));
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(signalChildOption), QString::number(signal),
                 ignored ? QStringLiteral("ignored") : QStringLiteral("handled")});
    QVERIFY2(child.waitForFinished(30000), "the child did not end");
    if (ignored) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    } else {
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), signal); // the signal that ended it
    }
    const QStringList files = sessionFiles(dataHome.path());
    QCOMPARE(files.size(), 1);
    const auto kept = nlohmann::json::parse(fileContents(files.constFirst()).toStdString());
    QCOMPARE(kept.size(), std::size_t{1});
    QVERIFY2(QString::fromStdString(kept[0]["categories"][0]["text"].get<std::string>())
                 .endsWith(signalledNote),
             qPrintable(fileContents(files.constFirst())));
}

// The real program, sent SIGTERM as soon as it shows its first race, before the session file
// would have been written a moment later.
void tst_UserTrips::signalEndsTheRealProgramAfterWritingTheSession()
{
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    QProcess program;
    program.setProcessEnvironment(programEnvironment(dataHome.path(), true));
    program.start(QStringLiteral(VELLICOR_EXECUTABLE), QStringList());
    QVERIFY(program.waitForStarted(10000));
    const bool rolled = waitForFirstRace(program);
    program.terminate(); // SIGTERM
    QVERIFY(program.waitForFinished(10000));
    QVERIFY(rolled);
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    QCOMPARE(program.exitCode(), int(SIGTERM));
    const QStringList files = sessionFiles(dataHome.path());
    QCOMPARE(files.size(), 1);
    QCOMPARE(nlohmann::json::parse(fileContents(files.constFirst()).toStdString()).size(),
             std::size_t{1});
}

// The desktop's logout asks the program to save its data: the note typed a moment ago is written
// then, not a moment later, when the session may be gone.
void tst_UserTrips::logoutWritesTheSessionAtOnce()
{
    auto *manager = qApp->findChild<QSessionManager *>();
    if (!manager)
        QSKIP("This Qt has no session manager");
    QVERIFY(QDir(SessionAutosave::sessionFolder()).removeRecursively());
    QByteArray kept;
    const auto ran = whenModal<MainDialog>([&kept, manager](MainDialog *dialog) {
        auto *box = control<ResultBox>(*dialog, 1024);
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral(" (before the logout)"));
        emit qApp->commitDataRequest(*manager);
        kept = fileContents(dialog->sessionFile()); // before the event loop runs again
        dialog->reject();
    });
    QVERIFY(application);
    QCOMPARE(application->run(), 0);
    QVERIFY(*ran);
    QVERIFY2(kept.contains("(before the logout)"), kept.constData());
}

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], signalChildOption) == 0) {
        int programOnly = 1;
        return runAsSignalledChild(programOnly, argv, std::atoi(argv[2]),
                                   std::strcmp(argv[3], "ignored") == 0);
    }
    Application app(argc, argv);
    application = &app;
    tst_UserTrips tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_usertrips.moc"
