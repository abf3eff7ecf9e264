#include "app/qovterminationwatcher.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Written from the signal handler, read in the event loop: the only async-signal-safe way.
int g_signalPipe[2] = {-1, -1};

void handleSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}
} // namespace

QovTerminationWatcher::QovTerminationWatcher(QObject *parent)
    : QObject(parent)
{
    // A pipe written from the signal handler wakes the event loop, which then ends the loops.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        qWarning() << "cannot watch termination signals";
        return;
    }
    m_notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QovTerminationWatcher::onSignal);

    struct sigaction action = {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QovTerminationWatcher::~QovTerminationWatcher()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    for (int &fd : g_signalPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void QovTerminationWatcher::onSignal()
{
    char byte = 0;
    if (::read(g_signalPipe[1], &byte, 1) != 1) {
        return;
    }
    qDebug() << "terminated by signal" << int(byte);
    // exit() ends nested loops too, so a modal popup does not keep the process alive.
    QCoreApplication::exit(0);
}
#else
// Elsewhere the platform ends the process its own way; nothing to watch.
QovTerminationWatcher::QovTerminationWatcher(QObject *parent)
    : QObject(parent)
{
}
QovTerminationWatcher::~QovTerminationWatcher() = default;
void QovTerminationWatcher::onSignal() {}
#endif
