#pragma once

#include <QDialog>

#include <cstdint>
#include <utility>
#include <vector>

QT_BEGIN_NAMESPACE
class QPlainTextEdit;
QT_END_NAMESPACE
namespace vellicor {
class Session;
}

// The dice trace of every race of the session, each under its heading, newest at the bottom.
// Not modal: the main dialog keeps rolling while it is open, and it follows every new race. The
// race on the dialog's screen is marked, with its heading at the top.
class DiceLogWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DiceLogWindow(QWidget *parent = nullptr);

    // Replaces what the log shows with every race of `session`, and shows the race on screen.
    void showRaces(const vellicor::Session &session);
    // Adds the session's newest race at the bottom and shows it.
    void appendRace(const vellicor::Session &session);
    // Marks the lines of the race on screen and scrolls its heading to the top, as far as the
    // log scrolls.
    void showRace(const vellicor::Session &session);

    QString text() const;

private:
    // The race numbers in the log with the line (block) that holds each one's heading.
    std::vector<std::pair<std::int32_t, int>> headingLines;
    QPlainTextEdit *log = nullptr;
};

// Where a window of `size` goes beside `anchor` (both frames, in screen coordinates) on a screen
// whose free area is `screen`, `gap` pixels apart: to its right, else to its left, as tall as fits
// and level with it as far as the screen allows. Where neither side has room, the window lies at
// the screen's edge on the roomier side, over as little of `anchor` as it can.
QRect placeBeside(const QRect &anchor, const QSize &size, const QRect &screen, int gap);
