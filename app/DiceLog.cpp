#include "app/DiceLog.h"

#include "app/KeyboardAccess.h"
#include "app/SessionHistory.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The heading and the trace lines of one race, without the trace's last line feed: the log
// adds its own between races.
QString raceEntry(const SessionRace &race)
{
    QString entry = QString::fromStdString(vellicor::raceHeading(race.race)) + QLatin1Char('\n') +
                    QString::fromStdString(race.trace);
    if (entry.endsWith(QLatin1Char('\n')))
        entry.chop(1);
    return entry;
}

} // namespace

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

void DiceLogWindow::showRaces(const SessionHistory &history)
{
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(history.size()));
    for (std::size_t index = 0; index < history.size(); ++index)
        entries << raceEntry(history.at(index));
    log->setPlainText(entries.join(QStringLiteral("\n\n")));
    scrollToNewest();
}

void DiceLogWindow::appendRace(const SessionRace &race)
{
    if (!log->document()->isEmpty())
        log->appendPlainText(QString());
    log->appendPlainText(raceEntry(race));
    scrollToNewest();
}

QString DiceLogWindow::text() const
{
    return log->toPlainText();
}

void DiceLogWindow::scrollToNewest()
{
    log->moveCursor(QTextCursor::End);
    log->moveCursor(QTextCursor::StartOfLine); // the lines start at the left edge
    log->ensureCursorVisible();
    log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
}
