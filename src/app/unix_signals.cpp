#include "app/unix_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hx::app {

int UnixSignals::fds_[2] = {-1, -1};

UnixSignals::UnixSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) return;
    ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    ::fcntl(fds_[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        while (::read(fds_[1], &number, 1) == 1) emit terminationRequested(number);
    });
    struct sigaction action {};
    action.sa_handler = &UnixSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

UnixSignals::~UnixSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    for (int& fd : fds_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void UnixSignals::handle(int signalNumber) {
    // Only async-signal-safe work here: one byte into the pipe.
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    if (fds_[0] >= 0) (void)!::write(fds_[0], &number, 1);
}

}  // namespace hx::app
