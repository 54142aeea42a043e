#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace {

// The pipe from the handler to the event loop: [0] is read by the notifier, [1] written by the
// handler. -1 while no TerminationSignals lives.
std::array<int, 2> signalPipe{-1, -1};

constexpr std::array<int, 3> terminationSignals{SIGTERM, SIGHUP, SIGINT};

// Only async-signal-safe calls here: write() of one byte, and errno kept for the code the
// signal interrupted. A full pipe (a flood of signals) drops the byte: one is enough.
extern "C" void onTerminationSignal(int signal)
{
    const int savedErrno = errno;
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    Q_ASSERT(signalPipe[0] < 0);
    if (::pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        signalPipe = {-1, -1};
        return; // the signals keep their default action
    }
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : terminationSignals) {
        struct sigaction before = {};
        if (sigaction(signal, nullptr, &before) != 0 || before.sa_handler == SIG_IGN)
            continue;
        if (sigaction(signal, &action, nullptr) == 0)
            handled.push_back({signal, before});
    }
}

TerminationSignals::~TerminationSignals()
{
    for (const Handled &each : handled)
        sigaction(each.signal, &each.before, nullptr);
    if (signalPipe[0] >= 0) {
        delete notifier;
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe = {-1, -1};
    }
}

void TerminationSignals::readSignals()
{
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1)
        emit received(number);
}

void TerminationSignals::endBy(int signal)
{
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    // Not reached where the default action ends the process; the shell's way of saying it.
    ::_exit(128 + signal);
}
