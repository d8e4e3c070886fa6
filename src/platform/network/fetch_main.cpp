// hengxiu-fetch: one network request in a process of its own, so that the
// panel never maps Qt Network, TLS, Kerberos or libproxy, and their memory is
// given back when the request ends.
//
//   hengxiu-fetch --probe      exit 0 when the way out is open, else 1
//   hengxiu-fetch --get URL    the body on standard output and exit 0, else 1
//
// The limits (time-out, size cap, redirects) are those of LinuxNetwork; the
// probe address comes from the environment as in the panel.
#include <sys/prctl.h>
#include <unistd.h>

#include <signal.h>

#include <QCoreApplication>
#include <cstdio>

#include "platform/network/linux_network.h"

namespace {

bool writeAll(const QByteArray& bytes) {
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Ends with the panel that asked, even when that one was killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) return 1;
    ::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    hx::platform::LinuxNetwork network;
    if (args.size() == 2 && args.at(1) == QLatin1String("--probe")) {
        network.testConnectivity([](bool online) { QCoreApplication::exit(online ? 0 : 1); });
    } else if (args.size() == 3 && args.at(1) == QLatin1String("--get")) {
        network.get(QUrl(args.at(2), QUrl::StrictMode), [](bool ok, const QByteArray& body) {
            QCoreApplication::exit(ok && writeAll(body) ? 0 : 1);
        });
    } else {
        std::fputs("usage: hengxiu-fetch --probe | --get URL\n", stderr);
        return 2;
    }
    return app.exec();
}
