#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstring>
#include <memory>

namespace hx::app {
namespace {

const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kToggle = QByteArrayLiteral("toggle\n");
const QByteArray kDone = QByteArrayLiteral("ok\n");
// Longer than any request: more than this without a line end is not one of ours.
constexpr qint64 kMaxRequest = 16;
// Connections taken at one wake-up, so that a flood cannot hold the event loop.
constexpr int kAcceptBatch = 64;
// Pause after running out of descriptors or memory before accepting again.
constexpr int kAcceptRetryMs = 200;

// The folder for the lock and the socket. XDG_RUNTIME_DIR when it is ours,
// writable and closed to others; else <temp>/hengxiu-toolbox-UID, made
// private when missing and used only when it is still ours with mode 0700.
// Empty when neither will do: a lock where others can reach it, or none at
// all, could let a second program open the same root.
QString runtimeDir() {
    const uid_t me = ::geteuid();
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!xdg.isEmpty() && ::stat(xdg.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == me && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
        ::access(xdg.constData(), W_OK | X_OK) == 0)
        return QFile::decodeName(xdg);
    const QString own =
        QDir::tempPath() + QStringLiteral("/hengxiu-toolbox-") + QString::number(me);
    const QByteArray native = QFile::encodeName(own);
    // A umask may have taken our own bits away.
    if (::mkdir(native.constData(), 0700) == 0) ::chmod(native.constData(), 0700);
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != me ||
        (info.st_mode & 07777) != 0700)
        return {};
    return own;
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataRoot, QObject* parent)
    : QObject(parent), socketPath_(socketPath(dataRoot)) {
    if (socketPath_.isEmpty()) return;
    lock_ = std::make_unique<QLockFile>(socketPath_ + QStringLiteral(".lock"));
    // Only a dead holder makes the lock stale, never its age.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    notifier_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
}

QString SingleInstance::socketPath(const QString& dataRoot) {
    const QString folder = runtimeDir();
    if (folder.isEmpty()) return {};
    // The same folder reached through a link or with a trailing slash is the same root.
    QString canonical = QFileInfo(dataRoot).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QDir(dataRoot).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    return folder + QStringLiteral("/hengxiu-toolbox-") + QString::fromLatin1(hash);
}

SingleInstance::Claim SingleInstance::claim() {
    if (lock_ && lock_->isLocked()) return Claim::Held;
    if (!lock_) {
        error_ = QStringLiteral(
                     "neither XDG_RUNTIME_DIR nor %1/hengxiu-toolbox-%2 is a folder "
                     "of this user that others cannot write to")
                     .arg(QDir::tempPath())
                     .arg(::geteuid());
        return Claim::Failed;
    }
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) return Claim::Taken;
        error_ = QStringLiteral("cannot write the lock file %1.lock").arg(socketPath_);
        return Claim::Failed;
    }
    // Still the only writer of this root if this fails; later starts just cannot reach us.
    if (!listen())
        qWarning("hengxiu-toolbox: cannot listen on %s: %s", qPrintable(socketPath_),
                 std::strerror(errno));
    return Claim::Held;
}

bool SingleInstance::listen() {
    const QByteArray path = QFile::encodeName(socketPath_);
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof(address.sun_path))) {
        errno = ENAMETOOLONG;
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // We hold the lock, so any socket file there was left by a killed program.
    ::unlink(path.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return false;
    }
    listener_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptPending);
    return true;
}

void SingleInstance::acceptPending() {
    for (int i = 0; i < kAcceptBatch; ++i) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            // Out of descriptors or memory: the socket keeps listening and the
            // clients wait in its queue. A pause, since the socket stays readable.
            notifier_->setEnabled(false);
            QTimer::singleShot(kAcceptRetryMs, this, [this] {
                if (notifier_) notifier_->setEnabled(true);
            });
            return;
        }
        // Enough clients at once: a further one is closed and may try again.
        if (connections_ >= limits_.maxConnections) {
            ::close(fd);
            continue;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        serve(socket);
    }
}

void SingleInstance::serve(QLocalSocket* socket) {
    ++connections_;
    connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // However the client behaves, the connection ends soon.
    QTimer::singleShot(limits_.connectionMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->setReadBufferSize(kMaxRequest);
    auto reading = std::make_shared<QMetaObject::Connection>();
    const auto read = [this, socket, reading] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= kMaxRequest) {
                socket->abort();
                socket->deleteLater();
            }
            return;
        }
        // One request per connection: nothing after it is read.
        QObject::disconnect(*reading);
        const QByteArray line = socket->readLine(kMaxRequest);
        if (line == kShow || line == kToggle) {
            socket->write(kDone);
            deliver(line == kShow ? PanelRequest::Show : PanelRequest::Toggle);
        }
        socket->disconnectFromServer();
    };
    *reading = connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0) read();
}

void SingleInstance::deliver(PanelRequest request) {
    // A key held down or a script in a loop: one change of the panel, not
    // hundreds queued behind each other.
    if (request == lastRequest_ && lastRequestClock_.isValid() &&
        lastRequestClock_.elapsed() < limits_.toggleSpanMs)
        return;
    lastRequest_ = request;
    lastRequestClock_.start();
    emit requested(request);
}

bool SingleInstance::handOver(PanelRequest request, int timeoutMs) {
    if (socketPath_.isEmpty()) return false;
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return int(qMax<qint64>(1, timeoutMs - clock.elapsed())); };
    // The holder may have taken the lock a moment ago and not be listening
    // yet, or may be turning clients away while it is busy: try again.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(left())) {
            socket.write(request == PanelRequest::Show ? kShow : kToggle);
            if (socket.waitForBytesWritten(left())) {
                while (!socket.canReadLine() && socket.waitForReadyRead(left())) {
                }
                if (socket.canReadLine()) return socket.readLine(kMaxRequest) == kDone;
            }
        }
        QThread::msleep(50);
    }
    return false;
}

void applyPanelRequest(QWidget& panel, PanelRequest request) {
    const bool inFront = panel.isVisible() && !panel.isMinimized() && panel.isActiveWindow();
    if (request == PanelRequest::Toggle && inFront) {
        panel.showMinimized();
        return;
    }
    panel.setWindowState((panel.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    panel.show();
    panel.raise();
    panel.activateWindow();
}

}  // namespace hx::app
