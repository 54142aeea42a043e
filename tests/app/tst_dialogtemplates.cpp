#include "AppTestSupport.h"

#include "app/DialogBuilder.h"
#include "app/VellicorDlg.h"

#include <QFocusFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

#include <memory>
#include <vector>

using apptest::control;

// Both dialogs are checked against the layouts written out here, independently of the
// program's own tables: a mistyped number in either shows up as a difference.

namespace {

enum class Kind { Button, Label, ResultBox, DistanceBox, Radio, Frame, Icon };

struct Expected {
    int id;
    Kind kind;
    const char *text;
    DluRect rect;
};

// clang-format off
const std::vector<Expected> mainDialogLayout{
    {1000, Kind::Button, "New", {129, 263, 46, 14}},
    {-1, Kind::Label, "Basic Type", {7, 7, 36, 8}},
    {-1, Kind::Label, "Racial Origins", {7, 25, 44, 8}},
    {-1, Kind::Label, "Kinship Structure", {7, 43, 54, 8}},
    {-1, Kind::Label, "Values", {7, 65, 22, 8}},
    {-1, Kind::Label, "Political Structure", {7, 84, 56, 8}},
    {-1, Kind::Label, "Tech/Sci Level", {7, 103, 50, 8}},
    {-1, Kind::Label, "Language", {7, 140, 33, 8}},
    {-1, Kind::Label, "Worship", {7, 159, 27, 8}},
    {-1, Kind::Label, "Xeno Acceptance", {7, 179, 58, 8}},
    {-1, Kind::Label, "Problems", {7, 201, 30, 8}},
    {1015, Kind::ResultBox, "", {87, 7, 226, 14}},
    {1016, Kind::ResultBox, "", {87, 25, 226, 13}},
    {1017, Kind::ResultBox, "", {87, 43, 226, 17}},
    {1018, Kind::ResultBox, "", {87, 65, 226, 15}},
    {1019, Kind::ResultBox, "", {87, 84, 226, 13}},
    {1020, Kind::ResultBox, "", {87, 103, 226, 31}},
    {1021, Kind::ResultBox, "", {87, 140, 226, 15}},
    {1022, Kind::ResultBox, "", {87, 159, 226, 16}},
    {1023, Kind::ResultBox, "", {87, 179, 226, 17}},
    {1024, Kind::ResultBox, "", {87, 201, 226, 16}},
    {1025, Kind::Radio, "Inner Province", {23, 235, 62, 10}},
    {-1, Kind::Frame, "Location", {7, 225, 86, 52}},
    {1026, Kind::Radio, "Frontier", {23, 248, 39, 10}},
    {1027, Kind::Radio, "Backnet", {23, 260, 43, 10}},
    {-1, Kind::Label, "Lightyears from Sol", {101, 226, 60, 8}},
    {1028, Kind::DistanceBox, "", {119, 237, 30, 14}},
};

const std::vector<Expected> aboutDialogLayout{
    {-1, Kind::Icon, "", {11, 17, 20, 20}},
    {-1, Kind::Label, "Vellicor Version 1.0", {40, 10, 119, 8}},
    {-1, Kind::Label, "Copyright (C) 2026", {40, 25, 119, 8}},
    {1, Kind::Button, "OK", {178, 7, 50, 14}},
};
// clang-format on

std::unique_ptr<QDialog> makeDialog(const QString &which)
{
    if (which == QLatin1String("main"))
        return std::make_unique<MainDialog>();
    return std::make_unique<AboutDialog>();
}

// The controls of a dialog: its child widgets, each frame followed by the controls it holds,
// without the ring that shows the focus.
QList<QWidget *> controlsOf(const QWidget &parent)
{
    QList<QWidget *> controls;
    for (QObject *child : parent.children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow() || qobject_cast<QFocusFrame *>(widget))
            continue;
        controls.append(widget);
        if (qobject_cast<QGroupBox *>(widget))
            controls.append(controlsOf(*widget));
    }
    return controls;
}

// The control of the layout's row at `position`: the one named after its ID, or for a control
// without one, the control without an ID created in the same place among those; they are
// created in template order.
const QWidget *controlFor(const QList<QWidget *> &controls, const std::vector<Expected> &layout,
                          int position)
{
    const int id = layout[position].id;
    if (id >= 0) {
        const auto named = std::find_if(controls.begin(), controls.end(), [id](const QWidget *w) {
            return w->objectName() == QString::number(id);
        });
        return named == controls.end() ? nullptr : *named;
    }
    const auto unnamedBefore = std::count_if(layout.begin(), layout.begin() + position,
                                             [](const Expected &row) { return row.id < 0; });
    qsizetype seen = 0;
    for (const QWidget *widget : controls) {
        if (widget->objectName().isEmpty() && seen++ == unnamedBefore)
            return widget;
    }
    return nullptr;
}

QRect inDialog(const QWidget *control)
{
    return {control->mapTo(control->window(), QPoint(0, 0)), control->size()};
}

bool hasKind(const QWidget *widget, Kind kind)
{
    switch (kind) {
    case Kind::Button:
        return qobject_cast<const QPushButton *>(widget);
    case Kind::Label:
        return qobject_cast<const QLabel *>(widget) &&
               !static_cast<const QLabel *>(widget)->text().isEmpty();
    case Kind::ResultBox:
        return qobject_cast<const ResultBox *>(widget);
    case Kind::DistanceBox:
        return qobject_cast<const QLineEdit *>(widget);
    case Kind::Radio:
        return qobject_cast<const QRadioButton *>(widget);
    case Kind::Frame:
        return qobject_cast<const QGroupBox *>(widget);
    case Kind::Icon:
        return qobject_cast<const QLabel *>(widget) &&
               !static_cast<const QLabel *>(widget)->pixmap().isNull();
    }
    return false;
}

QString textOf(const QWidget *widget)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    return {};
}

} // namespace

class tst_DialogTemplates : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void dialogUnitsRoundToNearest_data();
    void dialogUnitsRoundToNearest();
    void dialogFrame_data();
    void dialogFrame();
    void controlMatchesTemplate_data();
    void controlMatchesTemplate();
    void controlsFitWithoutOverlap_data();
    void controlsFitWithoutOverlap();
    void tabOrderIsTemplateOrder();

private:
    QString initialStyle = QApplication::style()->name();
};

void tst_DialogTemplates::initTestCase()
{
    vellicor::setTraceSink(nullptr);
}

void tst_DialogTemplates::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    if (QApplication::style()->name() != initialStyle)
        QApplication::setStyle(initialStyle);
}

void tst_DialogTemplates::dialogUnitsRoundToNearest_data()
{
    QTest::addColumn<int>("charWidth");
    QTest::addColumn<int>("charHeight");
    QTest::addColumn<QRect>("dialogUnits");
    QTest::addColumn<QRect>("pixels");
    // 129 * 6 / 4 = 193.5 and 14 * 13 / 8 = 22.75: halves and more round up.
    QTest::newRow("New at 6 x 13") << 6 << 13 << QRect(129, 263, 46, 14) << QRect(194, 427, 69, 23);
    // 7 * 7 / 4 = 12.25 and 225 * 15 / 8 = 421.875.
    QTest::newRow("Location at 7 x 15")
        << 7 << 15 << QRect(7, 225, 86, 52) << QRect(12, 422, 151, 98);
    QTest::newRow("exact at 4 x 8") << 4 << 8 << QRect(320, 284, 1, 1) << QRect(320, 284, 1, 1);
    QTest::newRow("origin") << 9 << 20 << QRect(0, 0, 0, 0) << QRect(0, 0, 0, 0);
}

void tst_DialogTemplates::dialogUnitsRoundToNearest()
{
    QFETCH(int, charWidth);
    QFETCH(int, charHeight);
    QFETCH(QRect, dialogUnits);
    QFETCH(QRect, pixels);
    const DialogUnits units(charWidth, charHeight);
    const DluRect rect{dialogUnits.x(), dialogUnits.y(), dialogUnits.width(), dialogUnits.height()};
    QCOMPARE(units.toPixels(rect), pixels);
}

void tst_DialogTemplates::dialogFrame_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("dialogUnits");
    QTest::newRow("main dialog") << "main"
                                 << "Vellicor" << QSize(320, 284);
    QTest::newRow("About box") << "about"
                               << "About Vellicor" << QSize(235, 55);
}

void tst_DialogTemplates::dialogFrame()
{
    QFETCH(QString, which);
    QFETCH(QString, title);
    QFETCH(QSize, dialogUnits);
    const std::unique_ptr<QDialog> dialog = makeDialog(which);
    const DialogUnits units(dialog->fontMetrics());
    const QSize size = units.toPixels({0, 0, dialogUnits.width(), dialogUnits.height()}).size();

    QCOMPARE(dialog->windowTitle(), title);
    QCOMPARE(dialog->font().pointSize(), 8);
    QCOMPARE(dialog->size(), size);
    QCOMPARE(dialog->minimumSize(), size); // fixed: neither resized nor maximized
    QCOMPARE(dialog->maximumSize(), size);
    QVERIFY(!dialog->windowIcon().isNull());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(dialog->windowFlags() & Qt::WindowSystemMenuHint);
}

void tst_DialogTemplates::controlMatchesTemplate_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("controlCount");
    const auto addRows = [](const char *which, const std::vector<Expected> &layout) {
        for (int position = 0; position < static_cast<int>(layout.size()); ++position) {
            const Expected &row = layout[position];
            QTest::addRow("%s %d: %s %d", which, position, row.text[0] ? row.text : "control",
                          row.id)
                << QString::fromLatin1(which) << position << static_cast<int>(layout.size());
        }
    };
    addRows("main", mainDialogLayout);
    addRows("about", aboutDialogLayout);
}

void tst_DialogTemplates::controlMatchesTemplate()
{
    QFETCH(QString, which);
    QFETCH(int, position);
    QFETCH(int, controlCount);
    const std::vector<Expected> &layout =
        which == QLatin1String("main") ? mainDialogLayout : aboutDialogLayout;
    const Expected &expected = layout[position];
    const std::unique_ptr<QDialog> dialog = makeDialog(which);
    const QList<QWidget *> controls = controlsOf(*dialog);
    QCOMPARE(controls.size(), controlCount);
    const QWidget *widget = controlFor(controls, layout, position);
    QVERIFY(widget);

    QCOMPARE(widget->objectName(), expected.id >= 0 ? QString::number(expected.id) : QString());
    QVERIFY2(hasKind(widget, expected.kind), qPrintable(widget->metaObject()->className()));
    QCOMPARE(textOf(widget), QString::fromLatin1(expected.text));

    const QRect rect = DialogUnits(dialog->fontMetrics()).toPixels(expected.rect);
    const QRect placed = inDialog(widget);
    switch (expected.kind) {
    case Kind::Icon: // an icon control takes the icon's size
        QCOMPARE(placed.topLeft(), rect.topLeft());
        QCOMPARE(placed.size(), QSize(32, 32));
        break;
    case Kind::Label: // a static text may only grow to the right, to fit its text
        QCOMPARE(placed.topLeft(), rect.topLeft());
        QCOMPARE(placed.height(), rect.height());
        QCOMPARE(placed.width(), std::max(rect.width(), widget->sizeHint().width()));
        break;
    default:
        QCOMPARE(placed, rect);
        break;
    }
    QVERIFY(dialog->rect().contains(placed));
}

void tst_DialogTemplates::controlsFitWithoutOverlap_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("style");
    for (const QString &style : QStyleFactory::keys()) {
        QTest::addRow("main dialog, %s", qPrintable(style)) << "main" << style;
        QTest::addRow("About box, %s", qPrintable(style)) << "about" << style;
    }
}

// Static texts show all their text, and no control is drawn over another: the only controls
// that meet are a frame and those it holds, which lie inside its contents, above the frame.
void tst_DialogTemplates::controlsFitWithoutOverlap()
{
    QFETCH(QString, which);
    QFETCH(QString, style);
    QApplication::setStyle(style);
    const std::unique_ptr<QDialog> dialog = makeDialog(which);
    const QList<QWidget *> controls = controlsOf(*dialog);
    for (const QWidget *widget : controls) {
        const QString name = textOf(widget) + widget->objectName();
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        for (const QWidget *other : controls) {
            if (other == widget || !inDialog(widget).intersects(inDialog(other)))
                continue;
            const QString overlap =
                name + QLatin1String(" overlaps ") + textOf(other) + other->objectName();
            if (qobject_cast<const QGroupBox *>(other) && widget->parentWidget() == other)
                QVERIFY2(other->contentsRect().contains(widget->geometry()), qPrintable(overlap));
            else if (!(qobject_cast<const QGroupBox *>(widget) && other->parentWidget() == widget))
                QFAIL(qPrintable(overlap));
        }
    }
}

void tst_DialogTemplates::tabOrderIsTemplateOrder()
{
    MainDialog dialog;
    const QStringList expected{"1000", "1015", "1016", "1017", "1018", "1019", "1020", "1021",
                               "1022", "1023", "1024", "1025", "1026", "1027", "1028"};
    QStringList chain;
    QWidget *widget = control<QWidget>(dialog, 1000);
    QVERIFY(widget);
    do {
        // The radio buttons are all in the chain, though Tab stops only at the checked one.
        if (widget->focusPolicy() & Qt::TabFocus || qobject_cast<QRadioButton *>(widget))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget && widget != control<QWidget>(dialog, 1000) && chain.size() < 40);
    QCOMPARE(chain, expected);
}

QTEST_MAIN(tst_DialogTemplates)
#include "tst_dialogtemplates.moc"
