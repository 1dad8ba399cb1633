// A small HTTP/1.1 server on 127.0.0.1: one request per connection, answered with Content-Length and
// Connection: close. Enough for the demo feed; it caps every part of a request it buffers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <functional>
#include <variant>

namespace lc::demo {

struct HttpRequest {
    QByteArray method;
    QByteArray path;   // without the query
    QByteArray query;  // after '?', empty when absent
    QByteArray body;
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType = "text/plain; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> extraHeaders;

    static HttpResponse ok(QByteArray body, QByteArray contentType = "text/plain; charset=utf-8") {
        HttpResponse response;
        response.body = std::move(body);
        response.contentType = std::move(contentType);
        return response;
    }
    // A short plain-text error; its body names the status.
    static HttpResponse error(int status) {
        HttpResponse response;
        response.status = status;
        return response;
    }
};

inline constexpr qsizetype kMaxRequestLine = 8 * 1024;
inline constexpr qsizetype kMaxRequestHead = 32 * 1024;
inline constexpr qsizetype kMaxRequestBody = 64 * 1024;

// A parsed request head: the request plus the number of body bytes still to read.
struct RequestHead {
    HttpRequest request;
    qsizetype contentLength = 0;
};

// Parses a complete head (request line and header lines, without the blank line). Returns the
// status of the error response (400, 413, 501) when the head is unusable.
std::variant<RequestHead, int> parseRequestHead(QByteArrayView head);

// The bytes of a full response; HEAD requests get the headers only.
QByteArray serializeResponse(const HttpResponse& response, bool headersOnly);

class HttpServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit HttpServer(Handler handler, QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port);
    quint16 port() const { return server_.serverPort(); }
    QString errorString() const { return server_.errorString(); }

private:
    void acceptConnections();

    Handler handler_;
    QTcpServer server_;
};

}  // namespace lc::demo
