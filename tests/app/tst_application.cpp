#include "AppTestSupport.h"

#include "app/Resources.h"
#include "app/Vellicor.h"
#include "app/VellicorDlg.h"

#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

using apptest::control;
using apptest::whenModal;

namespace {

// The Application under test; it owns the process's QApplication, so there is one for all tests.
Application *application = nullptr;

enum class Ending { Esc, CloseBox, MenuClose, AltF4 };

QString joined(const std::array<int, 4> &numbers, const QString &separator)
{
    QStringList parts;
    for (const int number : numbers)
        parts << QString::number(number);
    return parts.join(separator);
}

} // namespace

class tst_Application : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void nameVersionAndIcon();
    void runEndsWithStatusZero_data();
    void runEndsWithStatusZero();
    void helpSaysNoHelpFile();
    void traceOfFirstRaceReachesAPipe();
    void closedPipeDoesNotEndTheProgram();
    void desktopFileNameIsTheInstalledEntry();
    void helpHandsTheFocusBack();
    void fileSizeLimitIsReportedAndRollingGoesOn();
};

void tst_Application::initTestCase()
{
    vellicor::setTraceSink(nullptr);
}

// CMake's project version and the version record must not drift apart.
void tst_Application::nameVersionAndIcon()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Vellicor"));
    QCOMPARE(QCoreApplication::applicationVersion(),
             joined(versionBlock.fileVersion, QStringLiteral(".")));
    QCOMPARE(QString::fromLatin1(versionBlock.fileVersionText.data(),
                                 versionBlock.fileVersionText.size()),
             joined(versionBlock.fileVersion, QStringLiteral(", ")));
    QCOMPARE(versionBlock.productVersion, versionBlock.fileVersion);

    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(256, 256))); // sharp in a large task switcher too
}

void tst_Application::runEndsWithStatusZero_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::newRow("Esc") << Ending::Esc;
    QTest::newRow("the close box") << Ending::CloseBox;
    QTest::newRow("the window menu's Close") << Ending::MenuClose;
    QTest::newRow("Alt+F4") << Ending::AltF4;
}

void tst_Application::runEndsWithStatusZero()
{
    QFETCH(Ending, ending);
    bool wasMainWindow = false;
    bool hadNoParent = false;
    bool stuck = false;
    const auto ran = whenModal<MainDialog>([&](MainDialog *dialog) {
        wasMainWindow = application->mainWindow() == dialog;
        hadNoParent = dialog->parentWidget() == nullptr;
        // A dialog that does not close fails the test instead of hanging it.
        QTimer::singleShot(10000, dialog, [dialog, &stuck] {
            stuck = true;
            dialog->reject();
        });
        QVERIFY(QTest::qWaitForWindowActive(dialog)); // shortcuts go to the active window
        QWidget *newButton = control<QWidget>(*dialog, 1000);
        switch (ending) {
        case Ending::Esc:
            QTest::keyClick(newButton, Qt::Key_Escape);
            break;
        case Ending::CloseBox:
            dialog->close();
            break;
        case Ending::MenuClose:
            dialog->handleSystemCommand(0xF060);
            break;
        case Ending::AltF4:
            QTest::keyClick(newButton, Qt::Key_F4, Qt::AltModifier);
            break;
        }
    });
    QCOMPARE(application->run(), 0);
    QVERIFY(*ran);
    QVERIFY(!stuck);
    QVERIFY(wasMainWindow);
    QVERIFY(hadNoParent);
    QCOMPARE(application->mainWindow(), nullptr);
}

void tst_Application::helpSaysNoHelpFile()
{
    QString message;
    const auto ran = whenModal<MainDialog>([&message](MainDialog *dialog) {
        whenModal<QMessageBox>([&message](QMessageBox *box) {
            message = box->text();
            box->accept();
        });
        QVERIFY(QTest::qWaitForWindowActive(dialog)); // shortcuts go to the active window
        QTest::keyClick(control<QWidget>(*dialog, 1000), Qt::Key_F1);
        // Back from the message: the dialog is still there and ends as usual.
        QTest::keyClick(control<QWidget>(*dialog, 1000), Qt::Key_Escape);
    });
    QCOMPARE(application->run(), 0);
    QVERIFY(*ran);
    QVERIFY2(message.contains(QLatin1String("No help file")), qPrintable(message));
}

// A reader of standard output through a pipe sees the first race while the dialog is open, not
// only when the program ends.
void tst_Application::traceOfFirstRaceReachesAPipe()
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The program keeps its session under the data folder: not the real user's.
    QTemporaryDir dataHome;
    QVERIFY(dataHome.isValid());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral(VELLICOR_EXECUTABLE), QStringList());
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    QByteArray trace;
    QElapsedTimer clock;
    clock.start();
    // Nine categories, five engineering fields and four extensions: 18 summary lines at least.
    while (trace.count(" Rolled ") < 18 && clock.elapsed() < 30000) {
        program.waitForReadyRead(1000);
        trace += program.readAllStandardOutput();
    }
    program.kill();
    program.waitForFinished(10000);
    QVERIFY2(trace.count(" Rolled 1D10 total = ") >= 4, trace.constData());
    QVERIFY2(trace.count(" Rolled ") >= 18, trace.constData());
}

// `vellicor | head -n 3`: once the reader is gone, the next New writes into a closed pipe. That
// write must fail quietly instead of ending the program with SIGPIPE.
void tst_Application::closedPipeDoesNotEndTheProgram()
{
    int ends[2];
    QVERIFY(pipe(ends) == 0);
    close(ends[0]);
    errno = 0;
    const ssize_t written = write(ends[1], "x", 1);
    const int error = errno;
    close(ends[1]);
    QCOMPARE(written, ssize_t(-1));
    QCOMPARE(error, EPIPE);
}

// Wayland desktops find the window's icon and menu entry by this name, so it must be the base
// name under which the desktop entry is installed.
void tst_Application::desktopFileNameIsTheInstalledEntry()
{
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(VELLICOR_APP_ID));
}

// After the F1 message the dialog is the active window again, with the focus where it was, even
// where no window manager hands it back.
void tst_Application::helpHandsTheFocusBack()
{
    bool activeAgain = false;
    QWidget *focusAfter = nullptr;
    QWidget *focusBefore = nullptr;
    const auto ran = whenModal<MainDialog>([&](MainDialog *dialog) {
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        focusBefore = control<QWidget>(*dialog, 1028);
        focusBefore->setFocus();
        whenModal<QMessageBox>([](QMessageBox *box) { box->accept(); });
        QTest::keyClick(focusBefore, Qt::Key_F1); // returns once the message is closed
        activeAgain = QTest::qWaitForWindowActive(dialog, 1000);
        focusAfter = QApplication::focusWidget();
        dialog->reject();
    });
    QCOMPARE(application->run(), 0);
    QVERIFY(*ran);
    QVERIFY(activeAgain);
    QCOMPARE(focusAfter, focusBefore);
}

// Under `ulimit -f` the session file cannot be written whole: that is told as a full disk is, and
// the program goes on instead of being ended by SIGXFSZ.
void tst_Application::fileSizeLimitIsReportedAndRollingGoesOn()
{
    rlimit before = {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
    rlimit low = before;
    low.rlim_cur = 1024; // less than one race as JSON
    QVERIFY(setrlimit(RLIMIT_FSIZE, &low) == 0);
    const auto restore = qScopeGuard([&before] { setrlimit(RLIMIT_FSIZE, &before); });
    QString told;
    std::size_t races = 0;
    const auto ran = whenModal<MainDialog>([&](MainDialog *dialog) {
        const auto boxes = [dialog] { return dialog->findChildren<QMessageBox *>(); };
        QTRY_COMPARE_WITH_TIMEOUT(boxes().size(), 1, 5000);
        told = boxes().constFirst()->text();
        QTest::mouseClick(control<QWidget>(*dialog, 1000), Qt::LeftButton);
        races = dialog->history().size();
        dialog->reject();
    });
    QCOMPARE(application->run(), 0);
    QVERIFY(*ran);
    QVERIFY2(told.contains(QLatin1String("could not be kept")) &&
                 told.contains(QLatin1String("File too large")),
             qPrintable(told));
    QCOMPARE(races, std::size_t{2});
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    application = &app;
    tst_Application tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_application.moc"
