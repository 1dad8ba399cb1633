#include "support/fixture_server.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace lc::testing {

namespace {

constexpr qsizetype kMaxHeaderBytes = 64 * 1024;

QByteArray contentType(const QString& path) {
    if (path.endsWith(QLatin1String(".html"))) return "text/html; charset=utf-8";
    if (path.endsWith(QLatin1String(".js"))) return "text/javascript; charset=utf-8";
    if (path.endsWith(QLatin1String(".txt"))) return "text/plain; charset=utf-8";
    return "application/octet-stream";
}

QByteArray httpResponse(const QByteArray& status, const QByteArray& type, const QByteArray& body,
                        bool withBody) {
    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    return withBody ? head + body : head;
}

QString pathOf(const QString& target) {
    return target.section(QLatin1Char('?'), 0, 0);
}

}  // namespace

FixtureServer::FixtureServer(QString root, QObject* parent)
    : QObject(parent), root_(std::move(root)), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, &FixtureServer::onNewConnection);
    server_->listen(QHostAddress::LocalHost, 0);
}

bool FixtureServer::isListening() const {
    return server_->isListening();
}

quint16 FixtureServer::port() const {
    return server_->serverPort();
}

QString FixtureServer::origin() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QUrl FixtureServer::url(const QString& target) const {
    return QUrl(origin() + target);
}

void FixtureServer::setDelay(const QString& path, std::chrono::milliseconds delay) {
    delays_[path] = delay;
}

void FixtureServer::onNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    }
}

void FixtureServer::onReadyRead(QTcpSocket* socket) {
    // The socket keeps unread bytes; the request is taken once its head is complete.
    const QByteArray buffered = socket->peek(socket->bytesAvailable());
    const qsizetype headEnd = buffered.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (buffered.size() > kMaxHeaderBytes) {
            socket->write(httpResponse("431 Request Header Fields Too Large", "text/plain", {}, false));
            socket->disconnectFromHost();
        }
        return;
    }
    socket->read(headEnd + 4);
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

    const QList<QByteArray> requestLine = buffered.left(buffered.indexOf("\r\n")).split(' ');
    const QByteArray method = requestLine.value(0);
    const QString target = QString::fromUtf8(requestLine.value(1));
    requests_.append(target);
    emit requested(target);

    const auto delay = delays_.value(pathOf(target), std::chrono::milliseconds::zero());
    if (delay <= std::chrono::milliseconds::zero()) {
        answer(socket, method, target);
        return;
    }
    QTimer::singleShot(delay, socket, [this, socket, method, target] { answer(socket, method, target); });
}

void FixtureServer::answer(QTcpSocket* socket, const QByteArray& method, const QString& target) {
    socket->write(response(method, pathOf(target)));
    socket->disconnectFromHost();
}

QByteArray FixtureServer::response(const QByteArray& method, const QString& path) const {
    if (method != "GET" && method != "HEAD")
        return httpResponse("405 Method Not Allowed", "text/plain", {}, false);
    QFile file(root_ + path);
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QLatin1String("..")) ||
        !file.open(QIODevice::ReadOnly))
        return httpResponse("404 Not Found", "text/plain", "not found", method == "GET");
    return httpResponse("200 OK", contentType(path), file.readAll(), method == "GET");
}

}  // namespace lc::testing
