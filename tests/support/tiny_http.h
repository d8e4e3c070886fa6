#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
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
    // path -> body, answered 200 before the fixed paths; a path with a query
    // that is not listed falls back to its part before the "?".
    QHash<QString, QByteArray> pages;
    QHash<QString, QByteArray> raw;  // path -> the whole response, sent as it stands
    int dribbleMs = 1000;            // "/dribble": pause between bytes

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
        const QString key = QString::fromLatin1(path);
        auto page = pages.constFind(key);
        if (page == pages.constEnd()) page = pages.constFind(key.section(QLatin1Char('?'), 0, 0));
        if (page != pages.constEnd()) {
            reply("200 OK", *page);
        } else if (auto whole = raw.constFind(key); whole != raw.constEnd()) {
            socket->write(*whole);
            socket->disconnectFromHost();
        } else if (path.startsWith("/hop/")) {
            // "/hop/N" takes N redirects to reach "/ok".
            const int left = path.mid(5).toInt();
            reply("302 Found", {}, true,
                  "Location: " + (left > 1 ? "/hop/" + QByteArray::number(left - 1) : "/ok") +
                      "\r\n");
        } else if (path == "/redirect-file") {
            reply("302 Found", {}, true, "Location: file:///etc/passwd\r\n");
        } else if (path == "/huge") {
            reply("200 OK", QByteArray(10 * 1024 * 1024, 'h'));
        } else if (path == "/dribble") {
            // Announces a small page, then sends it a byte at a time.
            socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 100\r\n\r\nx");
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            timer->start(dribbleMs);
        } else if (path == "/ok")
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
