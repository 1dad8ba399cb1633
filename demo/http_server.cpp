#include "demo/http_server.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace lc::demo {
namespace {

constexpr int kRequestTimeoutMs = 10000;
constexpr int kDrainTimeoutMs = 2000;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 501:
            return "Not Implemented";
        default:
            return "Error";
    }
}

bool isTokenChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

bool isVisibleAscii(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c != 0x7f; });
}

bool isDigits(QByteArrayView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QByteArrayView withoutCr(QByteArrayView line) {
    return line.endsWith('\r') ? line.chopped(1) : line;
}

std::optional<HttpRequest> parseRequestLine(QByteArrayView line) {
    if (line.size() > kMaxRequestLine) return std::nullopt;
    const QList<QByteArray> parts = line.toByteArray().split(' ');
    if (parts.size() != 3) return std::nullopt;
    const QByteArray& target = parts[1];
    const QByteArray& version = parts[2];
    if (!isToken(parts[0]) || !target.startsWith('/') || !isVisibleAscii(target)) return std::nullopt;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return std::nullopt;
    HttpRequest request;
    request.method = parts[0];
    const qsizetype question = target.indexOf('?');
    request.path = target.left(question < 0 ? target.size() : question);
    if (question >= 0) request.query = target.mid(question + 1);
    return request;
}

// One accepted socket: reads one request within the caps, answers it, then closes gracefully (stops
// sending, drains what the client still sends) so the client reads the answer rather than a reset.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, const HttpServer::Handler& handler, QObject* parent)
        : QObject(parent), socket_(socket), handler_(handler) {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
        connect(socket_, &QTcpSocket::bytesWritten, this, &Connection::shutdownWhenFlushed);
        connect(socket_, &QTcpSocket::disconnected, this, &Connection::finish);
        connect(socket_, &QTcpSocket::errorOccurred, this, &Connection::finish);
        connect(&timer_, &QTimer::timeout, this, &Connection::finish);
        timer_.setSingleShot(true);
        timer_.start(kRequestTimeoutMs);
        onReadyRead();
    }

private:
    void onReadyRead() {
        const QByteArray incoming = socket_->readAll();
        if (answered_) return;  // draining
        buffer_ += incoming;
        if (!head_) readHead();
        if (head_ && buffer_.size() >= head_->contentLength) {
            head_->request.body = buffer_.left(head_->contentLength);
            answer(handler_(head_->request));
        }
    }

    void readHead() {
        if (!requestLineAcceptable()) {
            answer(HttpResponse::error(400));
            return;
        }
        const qsizetype end = headEnd();
        if (end < 0) {
            if (buffer_.size() > kMaxRequestHead) answer(HttpResponse::error(400));
            return;
        }
        auto parsed = parseRequestHead(QByteArrayView(buffer_).first(end));
        if (const int* status = std::get_if<int>(&parsed)) {
            answer(HttpResponse::error(*status));
            return;
        }
        head_ = std::get<RequestHead>(std::move(parsed));
        buffer_.remove(0, end + (buffer_.mid(end, 4) == "\r\n\r\n" ? 4 : 2));
    }

    // Judges the request line as soon as it is complete, so garbage is answered without waiting.
    bool requestLineAcceptable() const {
        const qsizetype lineEnd = buffer_.indexOf('\n');
        if (lineEnd < 0) return buffer_.size() <= kMaxRequestLine;
        return parseRequestLine(withoutCr(QByteArrayView(buffer_).first(lineEnd))).has_value();
    }

    // Index of the blank line that ends the head, -1 while it has not arrived.
    qsizetype headEnd() const {
        const qsizetype crlf = buffer_.indexOf("\r\n\r\n");
        const qsizetype lf = buffer_.indexOf("\n\n");
        if (crlf < 0 || (lf >= 0 && lf < crlf)) return lf;
        return crlf;
    }

    void answer(HttpResponse response) {
        if (response.body.isEmpty() && response.status != 200)
            response.body = reasonPhrase(response.status) + '\n';
        const bool headersOnly = head_ && head_->request.method == "HEAD";
        answered_ = true;
        buffer_.clear();
        socket_->write(serializeResponse(response, headersOnly));
        socket_->flush();
        timer_.start(kDrainTimeoutMs);
        shutdownWhenFlushed();
    }

    void shutdownWhenFlushed() {
        if (!answered_ || socket_->bytesToWrite() > 0) return;
        ::shutdown(int(socket_->socketDescriptor()), SHUT_WR);
    }

    void finish() {
        if (finished_) return;
        finished_ = true;
        timer_.stop();
        socket_->abort();
        deleteLater();
    }

    QTcpSocket* socket_;
    const HttpServer::Handler& handler_;
    QTimer timer_;
    QByteArray buffer_;
    std::optional<RequestHead> head_;
    bool answered_ = false;
    bool finished_ = false;
};

}  // namespace

std::variant<RequestHead, int> parseRequestHead(QByteArrayView head) {
    if (head.size() > kMaxRequestHead) return 400;
    QList<QByteArray> lines = head.toByteArray().split('\n');
    for (QByteArray& line : lines) line = withoutCr(line).toByteArray();
    std::optional<HttpRequest> request = parseRequestLine(lines.first());
    if (!request) return 400;

    RequestHead parsed;
    parsed.request = *request;
    std::optional<QByteArray> contentLength;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(lines[i]).first(colon))) return 400;
        const QByteArray name = lines[i].left(colon).toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (name == "transfer-encoding") return 501;
        if (name != "content-length") continue;
        if (!isDigits(value) || (contentLength && *contentLength != value)) return 400;
        contentLength = value;
    }
    if (contentLength) {
        if (contentLength->size() > 9 || contentLength->toLongLong() > kMaxRequestBody) return 413;
        parsed.contentLength = contentLength->toLongLong();
    }
    return parsed;
}

QByteArray serializeResponse(const HttpResponse& response, bool headersOnly) {
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                       reasonPhrase(response.status) + "\r\nContent-Type: " + response.contentType +
                       "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                       "\r\nCache-Control: no-store\r\nConnection: close\r\n";
    for (const auto& [name, value] : response.extraHeaders) bytes += name + ": " + value + "\r\n";
    bytes += "\r\n";
    if (!headersOnly) bytes += response.body;
    return bytes;
}

HttpServer::HttpServer(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {
    connect(&server_, &QTcpServer::newConnection, this, &HttpServer::acceptConnections);
}

bool HttpServer::listen(quint16 port) {
    return server_.listen(QHostAddress::LocalHost, port);
}

void HttpServer::acceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) new Connection(socket, handler_, this);
}

}  // namespace lc::demo
