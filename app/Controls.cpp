#include "app/Controls.h"

#include "app/DistanceField.h"

#include <QApplication>
#include <QCommonStyle>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>
#include <limits>
#include <optional>

ResultBox::ResultBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // No horizontal scroll bar: a long line runs on to the right and the caret scrolls to it.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    // Boxes of one text line are only a little taller than the line: keep the margins small.
    document()->setDocumentMargin(1);
    connect(this, &QPlainTextEdit::textChanged, this, &ResultBox::updateHiddenTextHint);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText)
            emit edited();
    });
}

void ResultBox::setText(const std::string &text)
{
    settingText = true;
    setPlainText(QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    settingText = false;
}

std::string ResultBox::text() const
{
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
}

void ResultBox::keyPressEvent(QKeyEvent *event)
{
    // Shift+F10 opens the edit menu, as the Menu key does; Qt leaves that key to the program.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        const QPoint caret = cursorRect().center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, caret,
                                    viewport()->mapToGlobal(caret));
        contextMenuEvent(&menuEvent);
        return;
    }
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

void ResultBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateHiddenTextHint();
}

void ResultBox::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateHiddenTextHint();
}

void ResultBox::updateHiddenTextHint()
{
    const QString whole = toPlainText();
    const bool hidden = textIsHidden(whole);
    // As rich text, so that nothing typed into the box is taken for markup; spaces and line
    // breaks are kept as they are, and a long line wraps.
    const QString tip =
        hidden
            ? QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(whole.toHtmlEscaped())
            : QString();
    if (toolTip() != tip)
        setToolTip(tip);
    const QString description = hidden ? whole : QString();
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

// Measured from the text itself rather than from the scroll bars, which are only brought up to
// date once the box is laid out and shown.
bool ResultBox::textIsHidden(const QString &whole) const
{
    const QFontMetricsF metrics(document()->defaultFont());
    const QStringList lines = whole.split(QLatin1Char('\n'));
    const qreal margins = 2 * document()->documentMargin();
    const QSize room = maximumViewportSize(); // without the vertical scroll bar
    if (static_cast<qreal>(lines.size()) * metrics.height() + margins > room.height())
        return true;
    return std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
        return metrics.horizontalAdvance(line) + margins + cursorWidth() > room.width();
    });
}

QValidator::State DigitsValidator::validate(QString &input, int &position) const
{
    const std::optional<DigitsEdit> edit = digitsAfterEdit(accepted, input, position);
    if (!edit)
        return Invalid;
    input = edit->text;
    position = static_cast<int>(edit->caret);
    accepted = input;
    return input.isEmpty() ? Intermediate : Acceptable;
}

void makeDigitsOnly(QLineEdit &edit)
{
    edit.setValidator(new DigitsValidator(&edit));
    // Qt's default limit of 32767 characters would cut a long paste without a word, and could
    // turn a number too large into a small one.
    edit.setMaxLength(std::numeric_limits<int>::max());
    QObject::connect(&edit, &QLineEdit::inputRejected, &edit, [&edit] {
        const QRect caret = edit.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QToolTip::showText(edit.mapToGlobal(QPoint(caret.center().x(), edit.height())),
                           QObject::tr("Only the digits 0 to 9 can be typed here."), &edit);
    });
}

void setTitleOnFrameLine(QGroupBox &box)
{
    // Fusion sets the title above the frame and starts the contents below both, lower than the
    // templates allow for. The common style draws the frame as the templates expect; one
    // instance serves every group box and lives as long as the application.
    static QPointer<QStyle> frameStyle;
    if (!frameStyle) {
        frameStyle = new QCommonStyle;
        frameStyle->setParent(QCoreApplication::instance());
    }
    box.setStyle(frameStyle);
}
