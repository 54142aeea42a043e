#include "app/DiceLog.h"

#include "app/KeyboardAccess.h"
#include "session/Session.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

DiceLogWindow::DiceLogWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Dice Log"));
    setObjectName(QStringLiteral("diceLog"));
    setModal(false);

    log = new QPlainTextEdit(this);
    log->setObjectName(QStringLiteral("diceLogText"));
    log->setReadOnly(true);
    // Read-only text still takes the keyboard: the caret moves, selects and copies.
    log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The trace lines are laid out in columns.
    log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    log->setAccessibleName(tr("Dice Log"));
    log->setAccessibleDescription(tr("Every die rolled this session, race by race"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter in the log must not close it; Esc and the Close button do.
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);

    buttons->button(QDialogButtonBox::Close)->setAccessibleName(tr("Close the Dice Log"));
    showKeyboardFocus(*this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(log);
    layout->addWidget(buttons);
    // Wide enough for the longest heading, so a race's seed is never hidden off to the right.
    const QFontMetrics metrics = log->fontMetrics();
    const int widestLine = metrics.horizontalAdvance(
        QStringLiteral("Race 1000: Inner Province, 1000 light years from Sol, seed -2147483648"));
    resize(widestLine + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4 * metrics.height(),
           metrics.height() * 30);
}

void DiceLogWindow::showRaces(const vellicor::Session &session)
{
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(session.size()));
    headingLines.clear();
    int line = 0;
    for (std::size_t index = 0; index < session.size(); ++index) {
        entries << QString::fromStdString(session.diceLogEntry(index));
        headingLines.emplace_back(session.at(index).race.number, line);
        line += static_cast<int>(entries.constLast().count(QLatin1Char('\n'))) + 2;
    }
    log->setPlainText(entries.join(QStringLiteral("\n\n")));
    if (!session.isEmpty())
        showRace(session);
}

void DiceLogWindow::appendRace(const vellicor::Session &session)
{
    const std::size_t newest = session.size() - 1;
    const QString entry = QString::fromStdString(session.diceLogEntry(newest));
    if (!log->document()->isEmpty())
        log->appendPlainText(QString());
    log->appendPlainText(entry);
    headingLines.emplace_back(session.at(newest).race.number,
                              log->blockCount() - 1 -
                                  static_cast<int>(entry.count(QLatin1Char('\n'))));
    showRace(session);
}

void DiceLogWindow::showRace(const vellicor::Session &session)
{
    const vellicor::SessionRace &race = session.current();
    const auto found =
        std::find_if(headingLines.begin(), headingLines.end(),
                     [&race](const auto &each) { return each.first == race.race.number; });
    if (found == headingLines.end())
        return;
    const int heading = found->second;
    const QString entry = QString::fromStdString(session.diceLogEntry(session.currentIndex()));
    const int lastLine = heading + static_cast<int>(entry.count(QLatin1Char('\n')));

    QTextDocument *document = log->document();
    QTextCursor lines(document->findBlockByNumber(heading));
    lines.setPosition(document->findBlockByNumber(lastLine).position() +
                          document->findBlockByNumber(lastLine).length() - 1,
                      QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection mark;
    mark.cursor = lines;
    mark.format.setBackground(log->palette().brush(QPalette::Highlight));
    mark.format.setForeground(log->palette().brush(QPalette::HighlightedText));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    log->setExtraSelections({mark});

    // The caret goes to the heading, where the keyboard and screen readers take it up; the
    // heading goes to the top.
    log->setTextCursor(QTextCursor(document->findBlockByNumber(heading)));
    log->verticalScrollBar()->setValue(heading);
}

QString DiceLogWindow::text() const
{
    return log->toPlainText();
}

QRect placeBeside(const QRect &anchor, const QSize &size, const QRect &screen, int gap)
{
    const int width = std::min(size.width(), screen.width());
    const int height = std::min(size.height(), screen.height());
    const int top = std::clamp(anchor.top(), screen.top(), screen.bottom() + 1 - height);
    const int right = anchor.right() + 1 + gap;
    const int left = anchor.left() - gap - width;
    int x = 0;
    if (right + width - 1 <= screen.right())
        x = right;
    else if (left >= screen.left())
        x = left;
    else if (screen.right() - anchor.right() >= anchor.left() - screen.left())
        x = screen.right() + 1 - width;
    else
        x = screen.left();
    return {x, top, width, height};
}
