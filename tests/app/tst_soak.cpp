#include "AppTestSupport.h"

#include "app/VellicorDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <limits>

using apptest::control;
using apptest::shownTexts;

namespace {

// Distances a table might type, from the neutral one to the far ends of the range.
constexpr std::int32_t distances[] = {0,    50, 120, 7,    std::numeric_limits<std::int32_t>::max(),
                                      1000, 49, 51,  3000, 2};

void press(MainDialog &dialog, int number)
{
    control<QRadioButton>(dialog, 1025 + number % 3)->click();
    control<QLineEdit>(dialog, 1028)
        ->setText(QString::number(distances[number % std::size(distances)]));
    control<QPushButton>(dialog, 1000)->click();
    // A user's presses come from the event loop, which runs between them; without it the
    // widgets' posted events would pile up for as long as the loop is held off.
    QCoreApplication::processEvents();
}

// Resident memory of the process in bytes.
long residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

} // namespace

// Long sessions at the table: thousands of New presses must leave the dialog consistent and
// must not cost memory press by press.
class tst_Soak : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void tenThousandPressesStayConsistent();
    void memoryDoesNotGrowWithPresses();
};

void tst_Soak::init()
{
    vellicor::setTraceSink(nullptr);
}

void tst_Soak::cleanup()
{
    vellicor::resetTraceSink();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Soak::tenThousandPressesStayConsistent()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    constexpr int presses = 10'000;
    for (int number = 0; number < presses; ++number)
        press(dialog, number);

    const vellicor::RaceProfile *profile = &dialog.history().current().race.profile;
    const auto shown = shownTexts(dialog);
    for (int category = 0; category < 10; ++category)
        QCOMPARE(shown[category], profile->describe(static_cast<vellicor::Category>(category)));
    // Only the newest races are kept, and their numbers go on counting past the dropped ones.
    QCOMPARE(dialog.history().size(), vellicor::Session::capacity);
    QCOMPARE(dialog.history().current().race.number, presses + 1);
    const int last = presses - 1;
    QVERIFY(control<QRadioButton>(dialog, 1025 + last % 3)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(),
             QString::number(distances[last % std::size(distances)]));
}

void tst_Soak::memoryDoesNotGrowWithPresses()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer holds freed memory in quarantine, so the resident size grows by "
          "design; the sanitizer build checks for leaks instead");
#endif
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // The first presses settle caches and the allocator; growth is measured after them.
    for (int number = 0; number < 2'000; ++number)
        press(dialog, number);
    const long settled = residentBytes();
    QVERIFY(settled > 0);
    for (int number = 2'000; number < 12'000; ++number)
        press(dialog, number);
    const long grown = residentBytes() - settled;

    // Even 64 bytes kept per press would add 640 KB over these 10,000 presses.
    constexpr long allowance = 256 * 1024;
    QVERIFY2(grown < allowance, qPrintable(QStringLiteral("resident memory grew by %1 bytes over "
                                                          "10,000 presses")
                                               .arg(grown)));
}

QTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
