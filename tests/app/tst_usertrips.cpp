#include "AppTestSupport.h"

#include "app/SessionFiles.h"
#include "app/Vellicor.h"
#include "app/VellicorDlg.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <csignal>

using apptest::control;

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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    tst_UserTrips tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_usertrips.moc"
