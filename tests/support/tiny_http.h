#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace hx::test {

// A tiny HTTP/1.0-style server on 127.0.0.1; the path picks the behaviour.
class TinyHttp {
  public:
    TinyHttp() {
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        server_.listen(QHostAddress::LocalHost);
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    bool listening() const { return server_.isListening(); }
    QStringList methods;  // "HEAD /ok", ...
    QHash<QString, QByteArray> pages;  // path -> body, answered 200 before the fixed paths

  private:
    void serve(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n")) return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        buffers_.remove(socket);
        const QByteArray method = requestLine.value(0), path = requestLine.value(1);
        methods << QString::fromLatin1(method + ' ' + path);
        const bool head = method == "HEAD";
        auto reply = [&](const QByteArray& status, const QByteArray& body, bool withLength = true,
                         const QByteArray& extra = {}) {
            QByteArray out = "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + extra;
            if (withLength) out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            out += "\r\n";
            if (!head) out += body;
            socket->write(out);
            socket->disconnectFromHost();
        };
        if (auto page = pages.constFind(QString::fromLatin1(path)); page != pages.constEnd())
            reply("200 OK", *page);
        else if (path == "/ok")
            reply("200 OK", "hello");
        else if (path == "/gbk")
            reply("200 OK", QByteArray("\xc4\xe3\xba\xc3\x00\xff", 6));
        else if (path == "/missing")
            reply("404 Not Found", "no");
        else if (path == "/redirect")
            reply("302 Found", {}, true, "Location: /ok\r\n");
        else if (path == "/big")
            reply("200 OK", QByteArray(2 * 1024 * 1024, 'x'));
        else if (path == "/big-unannounced")
            reply("200 OK", QByteArray(2 * 1024 * 1024, 'y'), false);
        else if (path == "/exact")
            reply("200 OK", QByteArray(1024 * 1024, 'z'));
        // "/silent": accepted, never answered.
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace hx::test
