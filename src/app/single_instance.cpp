#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

namespace hx::app {
namespace {

const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kToggle = QByteArrayLiteral("toggle\n");
const QByteArray kDone = QByteArrayLiteral("ok\n");

QString runtimeDir() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir()) return xdg;
    // Qt creates a private per-user folder when the session gives none.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataRoot, QObject* parent)
    : QObject(parent),
      socketPath_(socketPath(dataRoot)),
      lock_(socketPath_ + QStringLiteral(".lock")) {
    // Only a dead holder makes the lock stale, never its age.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::socketPath(const QString& dataRoot) {
    // The same folder reached through a link or with a trailing slash is the same root.
    QString canonical = QFileInfo(dataRoot).canonicalFilePath();
    if (canonical.isEmpty()) canonical = QDir::cleanPath(QDir(dataRoot).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    return runtimeDir() + QStringLiteral("/hengxiu-toolbox-") + QString::fromLatin1(hash);
}

bool SingleInstance::claim() {
    if (server_) return true;
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError) return false;
        // No usable runtime folder: running alone beats not running at all.
        qWarning("hengxiu-toolbox: cannot lock %s; a second start will not be noticed.",
                 qPrintable(socketPath_ + QStringLiteral(".lock")));
        return true;
    }
    // We hold the lock, so any socket file there was left by a killed program.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::serve);
    if (!server_->listen(socketPath_)) {
        // Still the only writer of this root; later starts just cannot reach us.
        qWarning("hengxiu-toolbox: cannot listen on %s: %s", qPrintable(socketPath_),
                 qPrintable(server_->errorString()));
    }
    return true;
}

void SingleInstance::serve() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(64);
                if (line == kShow || line == kToggle) {
                    socket->write(kDone);
                    emit requested(line == kShow ? PanelRequest::Show : PanelRequest::Toggle);
                } else {
                    socket->disconnectFromServer();
                    return;
                }
            }
            // Anything else than short lines is not one of ours.
            if (socket->bytesAvailable() > 64) socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::handOver(PanelRequest request, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    // The holder may have taken the lock a moment ago and not be listening yet.
    while (clock.elapsed() < timeoutMs) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(qMax<qint64>(1, timeoutMs - clock.elapsed()))) {
            socket.write(request == PanelRequest::Show ? kShow : kToggle);
            if (!socket.waitForBytesWritten(qMax<qint64>(1, timeoutMs - clock.elapsed())))
                return false;
            while (!socket.canReadLine() &&
                   socket.waitForReadyRead(qMax<qint64>(1, timeoutMs - clock.elapsed()))) {
            }
            return socket.readLine(16) == kDone;
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
