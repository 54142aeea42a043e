#include "AppTestSupport.h"

#include "app/DistanceField.h"
#include "app/VellicorDlg.h"

#include <QClipboard>
#include <QLineEdit>
#include <QToolTip>
#include <QtTest>

#include <optional>

using apptest::control;

class tst_DistanceField : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void parseLightyears_data();
    void parseLightyears();
    void typingKeepsOnlyDigits_data();
    void typingKeepsOnlyDigits();
    void pastingNonDigitsIsRefused_data();
    void pastingNonDigitsIsRefused();
    void refusedCharacterIsExplained();
};

Q_DECLARE_METATYPE(std::optional<std::int32_t>)

void tst_DistanceField::initTestCase()
{
    vellicor::setTraceSink(nullptr);
}

void tst_DistanceField::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_DistanceField::parseLightyears_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<std::int32_t>>("expected");
    const std::optional<std::int32_t> none;

    QTest::newRow("empty") << QString() << none;
    QTest::newRow("zero") << "0" << std::optional<std::int32_t>(0);
    QTest::newRow("a distance") << "120" << std::optional<std::int32_t>(120);
    QTest::newRow("leading zeros") << "007" << std::optional<std::int32_t>(7);
    QTest::newRow("largest") << "2147483647" << std::optional<std::int32_t>(2147483647);
    QTest::newRow("largest after many zeros")
        << "000000000002147483647" << std::optional<std::int32_t>(2147483647);
    QTest::newRow("one past the largest") << "2147483648" << none;
    QTest::newRow("one digit too many") << "21474836470" << none;
    // 2^32 + 121 would read as 121 if the sum wrapped around in 32 bits.
    QTest::newRow("wraps to a small number") << "4294967417" << none;
    QTest::newRow("twenty nines") << "99999999999999999999" << none;
    QTest::newRow("plus sign") << "+5" << none;
    QTest::newRow("minus sign") << "-5" << none;
    QTest::newRow("leading space") << " 5" << none;
    QTest::newRow("trailing space") << "5 " << none;
    QTest::newRow("exponent") << "1e3" << none;
    QTest::newRow("letter inside") << "1a2" << none;
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0662") << none;
    QTest::newRow("fullwidth digits") << QString::fromUtf8("\uFF11\uFF12") << none;
}

void tst_DistanceField::parseLightyears()
{
    QFETCH(QString, text);
    QFETCH(std::optional<std::int32_t>, expected);
    QCOMPARE(::parseLightyears(text), expected);
}

void tst_DistanceField::typingKeepsOnlyDigits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "120"
                            << "120";
    QTest::newRow("letters between") << "1a2b3"
                                     << "123";
    QTest::newRow("signs") << "-+5"
                           << "5";
    QTest::newRow("spaces and dots") << " 1.5 "
                                     << "15";
    // The box sets no limit: a number too large for the distance is still typed, and refused
    // only when New reads it.
    QTest::newRow("too large") << "99999999999"
                               << "99999999999";
}

void tst_DistanceField::typingKeepsOnlyDigits()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    MainDialog dialog;
    auto *distance = control<QLineEdit>(dialog, 1028);
    QVERIFY(distance);
    distance->clear();
    QTest::keyClicks(distance, typed);
    QCOMPARE(distance->text(), shown);
}

void tst_DistanceField::pastingNonDigitsIsRefused_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits are pasted") << "42"
                                       << "142";
    QTest::newRow("a letter refuses it all") << "4x2"
                                             << "1";
    QTest::newRow("minus sign") << "-42"
                                << "1";
    QTest::newRow("plus sign") << "+42"
                               << "1";
    QTest::newRow("whitespace around digits is dropped") << " \t42\r\n"
                                                         << "142";
    QTest::newRow("a space between digits refuses it all") << "4 2"
                                                           << "1";
    QTest::newRow("whitespace alone") << "\n"
                                      << "1";
    // Beyond the 32767 characters a line edit takes by default.
    const QString longNumber = QString(40000, QLatin1Char('0')) + QLatin1String("42");
    QTest::newRow("40,002 digits, kept whole") << longNumber << QLatin1Char('1') + longNumber;
    QTest::newRow("other script's digits") << QString::fromUtf8("\u0664\u0662") << "1";
}

void tst_DistanceField::pastingNonDigitsIsRefused()
{
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(pasted);
    if (clipboard->text() != pasted)
        QSKIP("this platform plugin keeps no clipboard");

    MainDialog dialog;
    auto *distance = control<QLineEdit>(dialog, 1028);
    QVERIFY(distance);
    distance->setText(QStringLiteral("1"));
    distance->end(false);
    QTest::keySequence(distance, QKeySequence::Paste);
    QCOMPARE(distance->text(), shown);
}

// A refused character brings up a balloon at the box that says why; a digit does not.
void tst_DistanceField::refusedCharacterIsExplained()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *distance = control<QLineEdit>(dialog, 1028);
    QTest::keyClick(distance, Qt::Key_5);
    QVERIFY(!QToolTip::isVisible());
    QTest::keyClick(distance, Qt::Key_X);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Only the digits 0 to 9 can be typed here."));
    QCOMPARE(distance->text(), QStringLiteral("05"));
    QToolTip::hideText();
}

QTEST_MAIN(tst_DistanceField)
#include "tst_distancefield.moc"
