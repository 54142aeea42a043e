#pragma once

#include <QObject>

#include <csignal>
#include <vector>

QT_BEGIN_NAMESPACE
class QSocketNotifier;
QT_END_NAMESPACE

// Hands SIGTERM, SIGHUP and SIGINT to the event loop while it lives, so the program can finish
// what is due before it ends: the handler only writes the signal's number into a pipe, which a
// socket notifier watches. A signal that was ignored when the object was made (as under nohup)
// stays ignored. One at a time per process; the handlers before it come back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // Ends the process by `signal` with the signal's default action, as if it had never been
    // caught: whoever waits for the process sees that signal (status 128 + signal in a shell).
    [[noreturn]] static void endBy(int signal);

signals:
    // A termination signal arrived; delivered by the event loop.
    void received(int signal);

private:
    void readSignals();

    struct Handled {
        int signal;
        struct sigaction before;
    };
    std::vector<Handled> handled;
    QSocketNotifier *notifier = nullptr;
};
