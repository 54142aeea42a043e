#include "app/Controls.h"

#include "app/DistanceField.h"

#include <QKeyEvent>

ResultBox::ResultBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // No horizontal scroll bar: a long line runs on to the right and the caret scrolls to it.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    // Boxes of one text line are only a little taller than the line: keep the margins small.
    document()->setDocumentMargin(1);
}

void ResultBox::setText(const std::string &text)
{
    setPlainText(QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

std::string ResultBox::text() const
{
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
}

void ResultBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    event->ignore(); // the dialog presses its default button
}

QValidator::State DigitsValidator::validate(QString &input, int &) const
{
    if (!isDigitsOnly(input))
        return Invalid;
    return input.isEmpty() ? Intermediate : Acceptable;
}
