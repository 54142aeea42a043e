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
        edit->setValidator(new DigitsValidator(edit));
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
        // The box is created after the first radio button it frames and so lies above it;
        // clicks pass through to the buttons.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    case ControlKind::Icon: {
        auto *icon = new QLabel(&dialog);
        // An icon control shows the icon at the platform's icon size, whatever its rectangle.
        const int size = dialog.style()->pixelMetric(QStyle::PM_LargeIconSize);
        icon->setPixmap(applicationIcon().pixmap(size, size));
        icon->setFixedSize(size, size);
        return icon;
    }
    }
    return new QWidget(&dialog);
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
    QWidget *previousInChain = nullptr;
    for (const ControlRow &row : dialogTemplate.controls) {
        QWidget *control = createControl(row, dialog);
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
}
