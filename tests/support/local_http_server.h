#pragma once

// A small HTTP/1.1 server on 127.0.0.1 inside the test process, served by its event loop: one
// request per connection, the answer chosen by the test.

#include "support/event_loop.h"

#include <map>
#include <memory>

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

namespace tintwell::test {

struct HttpAnswer {
    int status = 200;
    QByteArray body{};
    QByteArray extraHeaders{}; ///< whole lines, each ending in "\r\n"
    bool contentLength = true; ///< false: the body ends when the connection closes
    bool silent = false;       ///< never answer: the request hangs
};

class LocalHttpServer {
public:
    /// `server` listens already (a QSslServer for https); by default a plain QTcpServer.
    explicit LocalHttpServer(std::unique_ptr<QTcpServer> server = nullptr)
        : server_(server ? std::move(server) : std::make_unique<QTcpServer>()) {
        application();
        if (!server_->isListening())
            server_->listen(QHostAddress::LocalHost);
        QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, server_.get(),
                         [this] { acceptAll(); });
    }

    /// Serves `path` (such as "/appcast.xml") with `answer`; other paths get 404.
    void serve(const QByteArray& path, HttpAnswer answer) { answers_[path] = std::move(answer); }

    QString url(const QString& path, const QString& scheme = "http") const {
        return QString("%1://127.0.0.1:%2%3").arg(scheme).arg(server_->serverPort()).arg(path);
    }
    int requestCount() const { return requests_; }

private:
    void acceptAll() {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                if (!buffer->contains("\r\n\r\n"))
                    return;
                ++requests_;
                const QByteArray path = buffer->split(' ').value(1);
                buffer->clear();
                answer(socket,
                       answers_.count(path) ? answers_[path] : HttpAnswer{.status = 404, .body = "not here"});
            });
        }
    }

    static void answer(QTcpSocket* socket, const HttpAnswer& a) {
        if (a.silent)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + " " + reason(a.status) + "\r\n";
        head += "Content-Type: application/rss+xml\r\nConnection: close\r\n" + a.extraHeaders;
        if (a.contentLength)
            head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        socket->write(head + "\r\n" + a.body);
        socket->disconnectFromHost();
    }

    static QByteArray reason(int status) {
        static const std::map<int, QByteArray> reasons{
            {200, "OK"}, {302, "Found"}, {404, "Not Found"}, {500, "Internal Server Error"}};
        return reasons.contains(status) ? reasons.at(status) : "Status";
    }

    std::unique_ptr<QTcpServer> server_;
    std::map<QByteArray, HttpAnswer> answers_;
    int requests_ = 0;
};

} // namespace tintwell::test
