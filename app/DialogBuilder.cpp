#include "app/DialogBuilder.h"

#include "app/Controls.h"
#include "app/Resources.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <span>

namespace {

// Dialog-unit conversion: value * base / divisor, rounded half away from zero.
int scaled(int value, int base, int divisor)
{
    const long long product = static_cast<long long>(value) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor
                                         : -((-product + half) / divisor));
}

QWidget *createEdit(const ControlRow &row, QDialog &dialog)
{
    if (row.styles & multiLine)
        return new ResultBox(&dialog);
    auto *edit = new QLineEdit(QString::fromLatin1(row.text), &dialog);
    if (row.styles & digitsOnly)
        makeDigitsOnly(*edit);
    edit->setFrame(row.styles & border);
    return edit;
}

QWidget *createControl(const ControlRow &row, QDialog &dialog)
{
    const QString text = QString::fromLatin1(row.text);
    switch (row.kind) {
    case ControlKind::PushButton: {
        auto *button = new QPushButton(text, &dialog);
        button->setDefault(row.styles & defaultButton);
        button->setAutoDefault(false); // Enter presses the default button, wherever the focus
        return button;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(text, &dialog);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::Edit:
        return createEdit(row, dialog);
    case ControlKind::RadioButton:
        return new QRadioButton(text, &dialog);
    case ControlKind::GroupBox: {
        auto *box = new QGroupBox(text, &dialog);
        setTitleOnFrameLine(*box);
        return box;
    }
    case ControlKind::Icon: {
        auto *icon = new QLabel(&dialog);
        // An icon control shows the icon at the platform's icon size, whatever its rectangle.
        const int size = dialog.style()->pixelMetric(QStyle::PM_LargeIconSize);
        icon->setPixmap(applicationIcon().pixmap(size, size));
        icon->setFixedSize(size, size);
        icon->setAccessibleName(QObject::tr("Vellicor icon"));
        return icon;
    }
    }
    return new QWidget(&dialog);
}

bool liesInside(const DluRect &inner, const DluRect &outer)
{
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// Makes the controls inside a group box's rectangle its children, at the same place in the
// dialog. A child is drawn above the frame whatever the template order, and screen readers read
// the group box's title as the group the controls belong to.
void putControlsIntoFrames(std::span<const ControlRow> rows, const QList<QWidget *> &controls)
{
    for (qsizetype frame = 0; frame < controls.size(); ++frame) {
        if (rows[frame].kind != ControlKind::GroupBox)
            continue;
        QWidget *box = controls[frame];
        for (qsizetype inner = 0; inner < controls.size(); ++inner) {
            if (inner == frame || !liesInside(rows[inner].rect, rows[frame].rect))
                continue;
            QWidget *control = controls[inner];
            const QRect geometry = control->geometry().translated(-box->pos());
            control->setParent(box);
            control->setGeometry(geometry);
        }
    }
}

void setBuddies(QDialog &dialog, std::span<const ControlLabel> labels)
{
    const QList<QLabel *> texts = dialog.findChildren<QLabel *>();
    for (const ControlLabel &pair : labels) {
        auto *control = dialog.findChild<QWidget *>(QString::number(pair.controlId));
        const auto text = std::find_if(texts.begin(), texts.end(), [&pair](const QLabel *label) {
            return label->text() == QLatin1String(pair.label);
        });
        Q_ASSERT(control && text != texts.end());
        if (control && text != texts.end())
            (*text)->setBuddy(control);
    }
}

} // namespace

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : charWidth(averageCharWidth), lineHeight(charHeight)
{
}

DialogUnits::DialogUnits(const QFontMetrics &metrics)
    : DialogUnits(scaled(metrics.horizontalAdvance(QStringLiteral(
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
                         1, 52),
                  metrics.height())
{
}

QRect DialogUnits::toPixels(const DluRect &rect) const
{
    return {scaled(rect.x, charWidth, 4), scaled(rect.y, lineHeight, 8),
            scaled(rect.width, charWidth, 4), scaled(rect.height, lineHeight, 8)};
}

QFont templateFont(const DialogTemplate &dialogTemplate)
{
    QFont font(QString::fromLatin1(dialogTemplate.fontFamily), dialogTemplate.pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void buildDialog(QDialog &dialog, const DialogTemplate &dialogTemplate)
{
    dialog.setWindowTitle(QString::fromLatin1(dialogTemplate.caption));
    dialog.setFont(templateFont(dialogTemplate));
    const DialogUnits units(dialog.fontMetrics());
    dialog.setFixedSize(units.toPixels(dialogTemplate.rect).size());

    QButtonGroup *radioGroup = nullptr;
    QList<QWidget *> controls;
    for (const ControlRow &row : dialogTemplate.controls) {
        QWidget *control = createControl(row, dialog);
        controls.append(control);
        if (row.id >= 0)
            control->setObjectName(QString::number(row.id));
        QRect rect = units.toPixels(row.rect);
        // A static text is never cut off: where the desktop font sets it wider than the
        // template's font did, its rectangle grows to the right, into the free space beside it.
        if (row.kind == ControlKind::Label)
            rect.setWidth(std::max(rect.width(), control->sizeHint().width()));
        if (row.kind == ControlKind::Icon)
            control->move(rect.topLeft());
        else
            control->setGeometry(rect);

        // A group style closes the radio group before it; a radio button that starts one opens
        // the next. Controls between (the frame around the buttons) do not interrupt it.
        if (row.styles & startsGroup)
            radioGroup = nullptr;
        if (row.kind == ControlKind::RadioButton) {
            if (!radioGroup)
                radioGroup = new QButtonGroup(&dialog);
            radioGroup->addButton(static_cast<QRadioButton *>(control),
                                  static_cast<int>(radioGroup->buttons().size()));
        }
    }
    putControlsIntoFrames(dialogTemplate.controls, controls);

    QWidget *previousInChain = nullptr;
    for (qsizetype index = 0; index < controls.size(); ++index) {
        const ControlRow &row = dialogTemplate.controls[index];
        QWidget *control = controls[index];
        // Radio buttons keep Qt's focus handling even without a tab stop, so the location can
        // still be chosen from the keyboard.
        if (row.kind == ControlKind::PushButton || row.kind == ControlKind::Edit)
            control->setFocusPolicy((row.styles & tabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        if (control->focusPolicy() != Qt::NoFocus) {
            if (previousInChain)
                QWidget::setTabOrder(previousInChain, control);
            previousInChain = control;
        }
    }
    setBuddies(dialog, dialogTemplate.labels);
}
