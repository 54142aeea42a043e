#include "AppTestSupport.h"

#include "app/VellicorDlg.h"
#include "generation/Descriptions.h"

#include <QAccessible>
#include <QFocusFrame>
#include <QImage>
#include <QTextDocument>
#include <QtTest>

#include <functional>
#include <memory>

using apptest::control;

namespace {

QString nameOf(QAccessibleInterface *interface)
{
    return interface->text(QAccessible::Name);
}

// Every interface below `root`, depth first, as a screen reader walks the tree.
QList<QAccessibleInterface *> walk(QAccessibleInterface *root)
{
    QList<QAccessibleInterface *> found;
    for (int i = 0; i < root->childCount(); ++i)
        found << root->child(i) << walk(root->child(i));
    return found;
}

// The names of what labels the control: its static text, or its group.
QStringList labelsOf(QWidget *control)
{
    QStringList labels;
    const auto interface = QAccessible::queryAccessibleInterface(control);
    for (const auto &[label, relation] : interface->relations(QAccessible::Label))
        labels << nameOf(label);
    return labels;
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void screenReaderWalk_data();
    void screenReaderWalk();
    void hiddenTextIsOffered_data();
    void hiddenTextIsOffered();
    void focusRingFollowsTheFocus();
};

void tst_Accessibility::initTestCase()
{
    vellicor::setTraceSink(nullptr);
}

void tst_Accessibility::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_Accessibility::screenReaderWalk_data()
{
    QTest::addColumn<bool>("main");
    QTest::newRow("main dialog") << true;
    QTest::newRow("About box") << false;
}

// What a screen reader finds when it walks each dialog: a name for everything that takes the
// focus or shows something, the result boxes and the distance box named by their static texts,
// and the radio buttons inside the group named Location.
void tst_Accessibility::screenReaderWalk()
{
    QFETCH(bool, main);
    std::unique_ptr<QDialog> dialog;
    if (main)
        dialog = std::make_unique<MainDialog>();
    else
        dialog = std::make_unique<AboutDialog>();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(dialog.get());
    QCOMPARE(nameOf(window), dialog->windowTitle());

    QStringList named;
    for (QAccessibleInterface *interface : walk(window)) {
        const QAccessible::Role role = interface->role();
        const bool showsSomething = role == QAccessible::StaticText ||
                                    role == QAccessible::Graphic || role == QAccessible::Grouping;
        if (interface->state().focusable || showsSomething) {
            QVERIFY2(!nameOf(interface).isEmpty(),
                     qPrintable(QStringLiteral("unnamed role %1 of %2")
                                    .arg(role)
                                    .arg(interface->object()->metaObject()->className())));
            named << nameOf(interface);
        }
    }
    if (!main) {
        QCOMPARE(named, (QStringList{"Vellicor icon", "Vellicor Version 1.0", "Copyright (C) 2026",
                                     "OK"}));
        return;
    }

    // Named by the static text that labels them, not by a name of their own.
    QStringList labels;
    for (int id = 1015; id <= 1028; ++id) {
        if (id < 1025 || id == 1028)
            labels << labelsOf(control<QWidget>(*dialog, id));
    }
    QStringList expected;
    for (const std::string_view label : vellicor::categoryLabels)
        expected << QString::fromLatin1(label.data(), label.size());
    QCOMPARE(labels, expected << "Lightyears from Sol");
    QCOMPARE(named.mid(0, 1), QStringList{"New"});
    QCOMPARE(named.mid(11, 10), expected.mid(0, 10));
    QCOMPARE(named.constLast(), QStringLiteral("Lightyears from Sol")); // the distance box

    QAccessibleInterface *group =
        QAccessible::queryAccessibleInterface(control<QWidget>(*dialog, 1025))->parent();
    QCOMPARE(group->role(), QAccessible::Grouping);
    QCOMPARE(nameOf(group), QStringLiteral("Location"));
    QCOMPARE(group->childCount(), 3);
    for (int place = 0; place < 3; ++place) {
        QAccessibleInterface *button = group->child(place);
        QCOMPARE(button->role(), QAccessible::RadioButton);
        QCOMPARE(nameOf(button), QString::fromLatin1(vellicor::locationLabels[place].data()));
        QCOMPARE(labelsOf(control<QWidget>(*dialog, 1025 + place)), QStringList{"Location"});
    }
}

void tst_Accessibility::hiddenTextIsOffered_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("one short line fits") << 1015 << "Known alien race" << false;
    QTest::newRow("a line wider than the box") << 1015 << QString(300, QLatin1Char('w')) << true;
    QTest::newRow("two lines in a box of one") << 1016 << "Nomads\nTraders" << true;
    QTest::newRow("two short lines in a box of three") << 1020 << "Nomads\nTraders" << false;
    QTest::newRow("one of two lines wider than the box")
        << 1020 << "Nomads\n" + QString(300, QLatin1Char('w')) << true;
    QTest::newRow("spaced columns, more lines than the box shows")
        << 1020 << "Computer Engineering\nDifficulty Level = 2     Rank Bonus = 5\n\n<b>x</b>"
        << true;
}

// A box whose text is wider or taller than the box offers all of it: in its tooltip, and to
// screen readers as its description. A text that fits needs neither.
void tst_Accessibility::hiddenTextIsOffered()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(bool, hidden);
    MainDialog dialog;
    auto *box = control<ResultBox>(dialog, id);
    box->setPlainText(text);

    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description),
             hidden ? text : QString());
    QTextDocument tip;
    tip.setHtml(box->toolTip()); // shown as written, markup and runs of spaces included
    QCOMPARE(tip.toPlainText(), hidden ? text : QString());
}

void tst_Accessibility::focusRingFollowsTheFocus()
{
    MainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto *ring = dialog.findChild<QFocusFrame *>();
    QVERIFY(ring);
    QCOMPARE(ring->widget(), control<QWidget>(dialog, 1000));
    QVERIFY(ring->isVisible());
    for (const int id : {1015, 1016}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(ring->widget(), control<QWidget>(dialog, id));
    }
    // Drawn in the selection colour, which stands out from the frames and texts around it.
    const QImage drawn = const_cast<QFocusFrame *>(ring)->grab().toImage();
    const QRgb highlight = dialog.palette().color(QPalette::Highlight).rgb();
    int highlighted = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            highlighted += drawn.pixel(x, y) == highlight;
    }
    QVERIFY2(highlighted >= drawn.width(), qPrintable(QString::number(highlighted)));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
