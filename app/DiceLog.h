#pragma once

#include <QDialog>

QT_BEGIN_NAMESPACE
class QPlainTextEdit;
QT_END_NAMESPACE
struct SessionRace;
class SessionHistory;

// The dice trace of every race of the session, each under its heading, newest at the bottom.
// Not modal: the main dialog keeps rolling while it is open, and it follows every new race.
class DiceLogWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DiceLogWindow(QWidget *parent = nullptr);

    // Replaces what the log shows with every race of `history`.
    void showRaces(const SessionHistory &history);
    // Adds one race at the bottom and scrolls it into view.
    void appendRace(const SessionRace &race);

    QString text() const;

private:
    void scrollToNewest();

    QPlainTextEdit *log = nullptr;
};
