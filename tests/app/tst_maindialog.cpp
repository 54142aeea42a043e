#include "AppTestSupport.h"

#include "app/VellicorDlg.h"
#include "generation/Descriptions.h"

#include <QAction>
#include <QFocusFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

using apptest::control;
using apptest::referenceRace;
using apptest::RepeatableDice;
using apptest::shownTexts;
using apptest::whenModal;
using vellicor::Backnet;
using vellicor::Frontier;
using vellicor::InnerProvince;

namespace {

void clickThroughWindow(QWidget &dialog, const QWidget *target)
{
    // Through the window, so the click lands on whatever lies on top at that point.
    QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      target->mapTo(&dialog, target->rect().center()));
}

void setDistance(QWidget &dialog, const QString &typed)
{
    auto *distance = control<QLineEdit>(dialog, 1028);
    distance->clear();
    QTest::keyClicks(distance, typed);
}

void pressNew(QWidget &dialog)
{
    QTest::mouseClick(control<QPushButton>(dialog, 1000), Qt::LeftButton);
}

QAction *menuEntry(const QWidget &dialog, int commandId)
{
    const auto *menu = dialog.findChild<QMenu *>(QStringLiteral("windowMenu"));
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (!action->isSeparator() && action->data().toInt() == commandId)
            return action;
    }
    return nullptr;
}

enum class Ending { EscOnNew, EscInResultBox, EscInDistanceBox, CloseBox, MenuClose, AltF4 };

} // namespace

class tst_MainDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void firstRaceIsInnerProvinceAtZero();
    void seededFromTheStoredSeed();
    void backnetAt120InThatVeryPress();
    void radioButtonsTakeClicksThroughTheFrame();
    void twoPressesGiveTwoRaces();
    void typedNotesAreReplacedByNew();
    void resultBoxesShowLineBreaksAndDoNotWrap();

    void enterPressesNew_data();
    void enterPressesNew();
    void ctrlEnterBreaksTheLine();

    void unreadableDistance_data();
    void unreadableDistance();

    void closingEndsTheDialog_data();
    void closingEndsTheDialog();

    void windowMenuEntries();
    void windowMenuOpens_data();
    void windowMenuOpens();
    void aboutBox_data();
    void aboutBox();
    void systemCommandIgnoresLowBits();
    void minimizeFromWindowMenu();
    void moveFromWindowMenu();
    void clickEndingAMoveOnlyEndsIt();
};

void tst_MainDialog::init()
{
    vellicor::setTraceSink(nullptr);
}

void tst_MainDialog::cleanup()
{
    vellicor::setFaceSource(nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_MainDialog::startState()
{
    std::string trace;
    vellicor::setTraceSink([&trace](std::string_view line) { trace += line; });
    const std::time_t before = std::time(nullptr);
    MainDialog dialog;
    const std::time_t after = std::time(nullptr);
    vellicor::setTraceSink(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    QVERIFY(control<QRadioButton>(dialog, 1025)->isChecked());
    QVERIFY(!control<QRadioButton>(dialog, 1026)->isChecked());
    QVERIFY(!control<QRadioButton>(dialog, 1027)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("0"));
    for (const std::string &text : shownTexts(dialog)) {
        QVERIFY(!text.empty());
        QVERIFY(text != vellicor::fallbackText);
    }
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(dialog, 1000));
    QVERIFY2(trace.find(" Rolled 1D100 total = ") != std::string::npos, trace.c_str());

    const std::int32_t seed = dialog.history().current().race.seed;
    QVERIFY(seed >= vellicor::seedFromClock(before));
    QVERIFY(seed <= vellicor::seedFromClock(after));
}

void tst_MainDialog::firstRaceIsInnerProvinceAtZero()
{
    RepeatableDice dice;
    const apptest::Race expected = referenceRace(dice, InnerProvince, 0);
    MainDialog dialog;
    QCOMPARE(shownTexts(dialog), expected.texts);
    QCOMPARE(dice.draws, expected.draws); // one race, no more
}

// The dialog seeds the random source with the seed it stores, and rolls its first race right
// after: seeding again with the stored seed rolls the same race.
void tst_MainDialog::seededFromTheStoredSeed()
{
    MainDialog dialog;
    const std::array<std::string, 10> shown = shownTexts(dialog);
    vellicor::seedDice(dialog.history().current().race.seed);
    vellicor::RaceProfile again;
    again.generate(InnerProvince, 0);
    for (int category = 0; category < 10; ++category)
        QCOMPARE(shown[category], again.describe(static_cast<vellicor::Category>(category)));
}

void tst_MainDialog::backnetAt120InThatVeryPress()
{
    RepeatableDice dice;
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    clickThroughWindow(dialog, control<QWidget>(dialog, 1027));
    setDistance(dialog, QStringLiteral("120"));

    const apptest::Race unchanged = referenceRace(dice, InnerProvince, 0);
    const apptest::Race expected = referenceRace(dice, Backnet, 120);
    QVERIFY2(expected.texts != unchanged.texts, "these dice do not tell the inputs apart");
    pressNew(dialog);

    QCOMPARE(shownTexts(dialog), expected.texts);
    QCOMPARE(dice.draws, expected.draws);
    QVERIFY(control<QRadioButton>(dialog, 1027)->isChecked());
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("120"));
}

// The "Location" frame is created after "Inner Province" and lies above it.
void tst_MainDialog::radioButtonsTakeClicksThroughTheFrame()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const int id : {1027, 1025, 1026, 1025}) {
        clickThroughWindow(dialog, control<QWidget>(dialog, id));
        for (const int other : {1025, 1026, 1027})
            QCOMPARE(control<QRadioButton>(dialog, other)->isChecked(), other == id);
    }
}

void tst_MainDialog::twoPressesGiveTwoRaces()
{
    MainDialog dialog;
    std::string trace;
    vellicor::setTraceSink([&trace](std::string_view line) { trace += line; });
    const auto press = [&] {
        trace.clear();
        pressNew(dialog);
        return trace;
    };
    const std::string first = press();
    const std::string second = press();
    QVERIFY(!first.empty());
    QVERIFY(first != second);
    // The second race is the one its heading names: its seed after its dice.
    const vellicor::RolledRace &race = dialog.history().current().race;
    vellicor::seedDice(race.seed);
    vellicor::skipDice(race.dice);
    trace.clear();
    vellicor::RaceProfile again;
    again.generate(race.location, race.lightyears);
    QCOMPARE(trace, second);
}

void tst_MainDialog::typedNotesAreReplacedByNew()
{
    RepeatableDice dice;
    MainDialog dialog;
    auto *box = control<ResultBox>(dialog, 1019);
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, QStringLiteral(" my notes"));
    QVERIFY(box->toPlainText().endsWith(QLatin1String("my notes")));

    const apptest::Race expected = referenceRace(dice, InnerProvince, 0);
    pressNew(dialog);
    QCOMPARE(shownTexts(dialog), expected.texts);
}

void tst_MainDialog::resultBoxesShowLineBreaksAndDoNotWrap()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *techSci = control<ResultBox>(dialog, 1020);
    const std::string text =
        dialog.history().current().race.profile.describe(vellicor::TechSciLevel);
    QVERIFY(text.find("\r\n") != std::string::npos);
    QVERIFY(!techSci->toPlainText().contains(QLatin1Char('\r')));
    QVERIFY(techSci->blockCount() > 2);
    QCOMPARE(techSci->text(), text);
    QVERIFY2(techSci->verticalScrollBar()->maximum() > 0, "five fields do not fit unscrolled");

    auto *basicType = control<ResultBox>(dialog, 1015);
    basicType->setText(std::string(400, 'x'));
    QCOMPARE(basicType->document()->firstBlock().layout()->lineCount(), 1);
}

void tst_MainDialog::enterPressesNew_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("key");
    QTest::newRow("Return in the Basic Type box") << 1015 << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in the Tech/Sci Level box") << 1020 << int(Qt::Key_Enter);
    QTest::newRow("Return in the distance box") << 1028 << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in the distance box") << 1028 << int(Qt::Key_Enter);
    QTest::newRow("Return on a radio button") << 1026 << int(Qt::Key_Return);
}

void tst_MainDialog::enterPressesNew()
{
    QFETCH(int, id);
    QFETCH(int, key);
    RepeatableDice dice;
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QWidget *target = control<QWidget>(dialog, id);
    target->setFocus();
    const auto location = id == 1026 ? Frontier : InnerProvince;
    if (id == 1026)
        control<QRadioButton>(dialog, id)->setChecked(true);

    const apptest::Race expected = referenceRace(dice, location, 0);
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);

    QCOMPARE(dice.draws, expected.draws); // exactly one race
    QCOMPARE(shownTexts(dialog), expected.texts);
}

void tst_MainDialog::ctrlEnterBreaksTheLine()
{
    RepeatableDice dice;
    MainDialog dialog;
    auto *box = control<ResultBox>(dialog, 1018);
    const std::string before = box->text();
    box->moveCursor(QTextCursor::End);
    dice.restart();
    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(dice.draws, 0);
    QCOMPARE(box->text(), before + "\r\n");
}

void tst_MainDialog::unreadableDistance_data()
{
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("complaint");
    QTest::addColumn<QString>("kept");
    QTest::newRow("empty") << "77" << QString() << "empty"
                           << "previous distance, 77 light years.";
    QTest::newRow("one past the largest") << "77"
                                          << "2147483648"
                                          << "from 0 to 2147483647"
                                          << "previous distance, 77 light years.";
    QTest::newRow("twenty digits after 1") << "1"
                                           << "99999999999999999999"
                                           << "from 0 to 2147483647"
                                           << "previous distance, 1 light year.";
}

// The warning is shown, the distance keeps its value, and New still rolls with the location
// just chosen and the previous distance, which the box then shows again.
void tst_MainDialog::unreadableDistance()
{
    QFETCH(QString, previous);
    QFETCH(QString, typed);
    QFETCH(QString, complaint);
    QFETCH(QString, kept);
    RepeatableDice dice;
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    setDistance(dialog, previous);
    pressNew(dialog);
    clickThroughWindow(dialog, control<QWidget>(dialog, 1026));
    setDistance(dialog, typed);

    const apptest::Race expected = referenceRace(dice, Frontier, previous.toInt());
    QString message;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const auto warned = whenModal<QMessageBox>([&](QMessageBox *box) {
        message = box->text();
        icon = box->icon();
        box->accept();
    });
    pressNew(dialog);

    QVERIFY(*warned);
    QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY2(message.contains(complaint), qPrintable(message));
    QVERIFY2(message.contains(kept), qPrintable(message));
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), previous);
    QCOMPARE(shownTexts(dialog), expected.texts);
    QCOMPARE(dice.draws, expected.draws);
}

void tst_MainDialog::closingEndsTheDialog_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::newRow("Esc on New") << Ending::EscOnNew;
    QTest::newRow("Esc in a result box") << Ending::EscInResultBox;
    QTest::newRow("Esc in the distance box") << Ending::EscInDistanceBox;
    QTest::newRow("the close box") << Ending::CloseBox;
    QTest::newRow("the window menu's Close") << Ending::MenuClose;
    QTest::newRow("Alt+F4") << Ending::AltF4;
}

void tst_MainDialog::closingEndsTheDialog()
{
    QFETCH(Ending, ending);
    MainDialog dialog;
    bool stuck = false;
    // A dialog that does not close fails the test instead of hanging it.
    QTimer::singleShot(10000, &dialog, [&dialog, &stuck] {
        stuck = true;
        dialog.reject();
    });
    QTimer::singleShot(0, &dialog, [&dialog, ending] {
        QVERIFY(QTest::qWaitForWindowActive(&dialog)); // shortcuts go to the active window
        switch (ending) {
        case Ending::EscOnNew:
            QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Escape);
            break;
        case Ending::EscInResultBox:
            QTest::keyClick(control<QWidget>(dialog, 1017), Qt::Key_Escape);
            break;
        case Ending::EscInDistanceBox:
            QTest::keyClick(control<QWidget>(dialog, 1028), Qt::Key_Escape);
            break;
        case Ending::CloseBox:
            dialog.close();
            break;
        case Ending::MenuClose:
            menuEntry(dialog, 0xF060)->trigger();
            break;
        case Ending::AltF4:
            QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_F4, Qt::AltModifier);
            break;
        }
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(!stuck);
    QVERIFY(!dialog.isVisible());
}

void tst_MainDialog::windowMenuEntries()
{
    MainDialog dialog;
    const auto *menu = dialog.findChild<QMenu *>(QStringLiteral("windowMenu"));
    QVERIFY(menu);
    QStringList texts;
    QList<int> commands;
    for (const QAction *action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("----") : action->text());
        commands << (action->isSeparator() ? -1 : action->data().toInt());
    }
    QCOMPARE(texts,
             (QStringList{"&Move", "Mi&nimize", "&Close", "----", "&Previous Race", "Ne&xt Race",
                          "C&opy Race", "&Save Races...", "Pr&int Race...", "Op&en Session...",
                          "&Recent Sessions", "&Dice Log", "----", "&About Vellicor..."}));
    QCOMPARE(commands.first(3), (QList<int>{0xF010, 0xF020, 0xF060}));
    QCOMPARE(commands.last(1), QList<int>{16});
    QCOMPARE(menuEntry(dialog, 0xF060)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
}

void tst_MainDialog::windowMenuOpens_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("id"); // the control that has the focus for a menu key
    QTest::addColumn<bool>("opens");
    QTest::newRow("right click on the background") << "background" << 0 << true;
    QTest::newRow("right click on a static text") << "label" << 0 << true;
    QTest::newRow("right click on New keeps to the button") << "button" << 0 << false;
    QTest::newRow("Alt+Space") << "alt+space" << 0 << true;
    QTest::newRow("Shift+F10 on New") << "shift+f10" << 1000 << true;
    QTest::newRow("Menu key on a radio button") << "menu" << 1026 << true;
    QTest::newRow("Shift+F10 in the distance box") << "shift+f10" << 1028 << true;
    QTest::newRow("Menu key in a result box opens its edit menu") << "menu" << 1019 << false;
    QTest::newRow("Shift+F10 in a result box opens its edit menu") << "shift+f10" << 1024 << false;
}

void tst_MainDialog::windowMenuOpens()
{
    QFETCH(QString, where);
    QFETCH(int, id);
    QFETCH(bool, opens);
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *menu = dialog.findChild<QMenu *>(QStringLiteral("windowMenu"));
    const bool fromKeyboard = where == QLatin1String("alt+space") || id != 0;

    if (where == QLatin1String("alt+space")) {
        QTest::keyClick(control<QWidget>(dialog, 1000), Qt::Key_Space, Qt::AltModifier);
    } else if (id != 0) {
        QWidget *target = control<QWidget>(dialog, id);
        target->setFocus();
        if (where == QLatin1String("menu"))
            QTest::keyClick(target, Qt::Key_Menu);
        else
            QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        // The platform turns a Menu key that nobody took into a keyboard context-menu event;
        // Shift+F10 it leaves as it is.
        if (where == QLatin1String("menu") && !QApplication::activePopupWidget()) {
            const QPoint point = target->rect().center();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, point, target->mapToGlobal(point));
            QApplication::sendEvent(target, &event);
        }
    } else {
        QWidget *target = &dialog;
        QPoint point(2, 2); // the margin left of "Basic Type"
        if (where == QLatin1String("label")) {
            for (QLabel *label : dialog.findChildren<QLabel *>()) {
                if (label->text() == QLatin1String("Basic Type"))
                    target = label;
            }
        } else if (where == QLatin1String("button"))
            target = control<QWidget>(dialog, 1000);
        if (target != &dialog)
            point = target->rect().center();
        QVERIFY(target);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, target->mapToGlobal(point));
        QApplication::sendEvent(target, &event);
    }
    QCOMPARE(menu->isVisible(), opens);
    if (opens && fromKeyboard) // ready for the arrow keys and Enter
        QCOMPARE(menu->activeAction(), menu->actions().constFirst());
    if (!opens && fromKeyboard) {
        auto *editMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(editMenu);
        editMenu->close();
    }
    menu->hide();
}

void tst_MainDialog::aboutBox_data()
{
    QTest::addColumn<QString>("closing");
    QTest::newRow("closed with OK") << "ok";
    QTest::newRow("closed with Esc") << "esc";
    QTest::newRow("closed from its window menu, opened with Shift+F10") << "menu";
    QTest::newRow("closed from its window menu, opened with Alt+Space") << "alt-space";
}

void tst_MainDialog::aboutBox()
{
    QFETCH(QString, closing);
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    control<QLineEdit>(dialog, 1028)->setText(QStringLiteral("33"));
    const std::array<std::string, 10> before = shownTexts(dialog);

    QString title;
    QStringList lines;
    bool iconShown = false;
    bool okIsDefault = false;
    int result = -1;
    QStringList menuTexts;
    const auto opened = whenModal<AboutDialog>([&](AboutDialog *about) {
        title = about->windowTitle();
        for (const QLabel *label : about->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                lines << label->text();
            else
                iconShown = iconShown || !label->pixmap().isNull();
        }
        auto *ok = control<QPushButton>(*about, 1);
        okIsDefault = ok && ok->isDefault() && ok->text() == QLatin1String("OK");
        connect(about, &QDialog::finished, about, [&result](int r) { result = r; });
        if (closing == QLatin1String("esc")) {
            QTest::keyClick(about, Qt::Key_Escape);
        } else if ((closing == QLatin1String("menu") || closing == QLatin1String("alt-space")) &&
                   ok) {
            if (closing == QLatin1String("menu"))
                QTest::keyClick(ok, Qt::Key_F10, Qt::ShiftModifier);
            else if (QTest::qWaitForWindowActive(about)) // shortcuts go to the active window
                // Through the window, as typed keys come: the shortcut is looked for first.
                QTest::keyClick(about->windowHandle(), Qt::Key_Space, Qt::AltModifier);
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (const QAction *action : menu->actions())
                    menuTexts << action->text();
                menu->actions().constLast()->trigger();
            }
        } else if (ok) {
            QTest::mouseClick(ok, Qt::LeftButton);
        }
    });
    menuEntry(dialog, 16)->trigger();

    QVERIFY(*opened);
    QCOMPARE(title, QStringLiteral("About Vellicor"));
    QCOMPARE(lines, (QStringList{"Vellicor Version 1.0", "Copyright (C) 2026"}));
    QVERIFY(iconShown);
    QVERIFY(okIsDefault);
    QCOMPARE(result,
             closing == QLatin1String("ok") ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (closing == QLatin1String("menu") || closing == QLatin1String("alt-space"))
        QCOMPARE(menuTexts, (QStringList{"&Move", "&Close"}));
    // Back to the main dialog, unchanged.
    QVERIFY(dialog.isVisible());
    QCOMPARE(shownTexts(dialog), before);
    QCOMPARE(control<QLineEdit>(dialog, 1028)->text(), QStringLiteral("33"));
    // Its focus ring is on its focused control again: the ring did not follow the focus into the
    // About box, to be closed with it.
    const auto *ring = dialog.findChild<QFocusFrame *>();
    QVERIFY(ring);
    QVERIFY(dialog.focusWidget());
    QCOMPARE(ring->widget(), dialog.focusWidget());
}

void tst_MainDialog::systemCommandIgnoresLowBits()
{
    MainDialog dialog;
    const auto opened = whenModal<AboutDialog>([](AboutDialog *about) { about->reject(); });
    dialog.handleSystemCommand(0x0013);
    QVERIFY(*opened);
}

void tst_MainDialog::minimizeFromWindowMenu()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    menuEntry(dialog, 0xF020)->trigger();
    QTRY_VERIFY(dialog.isMinimized());
}

void tst_MainDialog::moveFromWindowMenu()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.move(200, 150);
    QTRY_COMPARE(dialog.pos(), QPoint(200, 150));
    QWidget *focus = control<QWidget>(dialog, 1000);

    menuEntry(dialog, 0xF010)->trigger();
    QTest::keyClick(focus, Qt::Key_Right);
    QTRY_COMPARE(dialog.pos(), QPoint(208, 150));
    QTest::keyClick(focus, Qt::Key_Down, Qt::ControlModifier);
    QTRY_COMPARE(dialog.pos(), QPoint(208, 151));
    QTest::keyClick(focus, Qt::Key_Escape); // puts the window back, and does not close it
    QTRY_COMPARE(dialog.pos(), QPoint(200, 150));
    QVERIFY(dialog.isVisible());

    menuEntry(dialog, 0xF010)->trigger();
    QTest::keyClick(focus, Qt::Key_Left);
    QTest::keyClick(focus, Qt::Key_Return);
    QTRY_COMPARE(dialog.pos(), QPoint(192, 150));
    QTest::keyClick(focus, Qt::Key_Left); // the move has ended: the key is the button's again
    QCOMPARE(dialog.pos(), QPoint(192, 150));
}

// The click that ends a move keeps the new place and does nothing else: the button under the
// pointer is not pressed.
void tst_MainDialog::clickEndingAMoveOnlyEndsIt()
{
    RepeatableDice dice;
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.move(200, 150);
    QTRY_COMPARE(dialog.pos(), QPoint(200, 150));
    QWidget *focus = control<QWidget>(dialog, 1000);

    menuEntry(dialog, 0xF010)->trigger();
    QTest::keyClick(focus, Qt::Key_Right);
    QTRY_COMPARE(dialog.pos(), QPoint(208, 150));
    dice.restart();
    clickThroughWindow(dialog, control<QWidget>(dialog, 1000));
    QCOMPARE(dice.draws, 0);
    QTest::keyClick(focus, Qt::Key_Left); // the move has ended
    QCOMPARE(dialog.pos(), QPoint(208, 150));
}

QTEST_MAIN(tst_MainDialog)
#include "tst_maindialog.moc"
