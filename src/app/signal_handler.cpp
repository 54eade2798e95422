#include "app/signal_handler.h"

#include <cerrno>
#include <csignal>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tintwell::app {
namespace {

Q_LOGGING_CATEGORY(lcApp, "tintwell.app")

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1}; // [0] written by the C handler, [1] read on the main thread

extern "C" void onSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[0], &byte, 1);
    errno = saved;
}

} // namespace

SignalHandler::SignalHandler(QObject* parent) : QObject(parent) {
    if (pipeFds[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pipeFds) != 0) {
        qCWarning(lcApp)
            << "Cannot install the termination signal handlers; the displays are not restored on a signal.";
        return;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
    notifier_ = new QSocketNotifier(pipeFds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalHandler::readSignals);
    installed_ = true;
}

SignalHandler::~SignalHandler() {
    if (!installed_)
        return;
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void SignalHandler::readSignals() {
    unsigned char bytes[16];
    ssize_t n;
    bool any = false;
    while ((n = ::read(pipeFds[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            qCInfo(lcApp) << "Received signal" << bytes[i] << "; quitting";
            Q_EMIT terminationRequested(bytes[i]);
        }
        any = true;
    }
    if (any)
        QCoreApplication::quit();
}

} // namespace tintwell::app
