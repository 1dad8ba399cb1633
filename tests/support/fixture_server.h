// An HTTP server on 127.0.0.1 that serves the files under a folder, for browser tests.
// Answers to chosen paths can be held back for a while, to show pages that are still loading.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>

class QTcpServer;
class QTcpSocket;

namespace lc::testing {

class FixtureServer : public QObject {
    Q_OBJECT
public:
    // Listens at once on an ephemeral port of 127.0.0.1.
    explicit FixtureServer(QString root, QObject* parent = nullptr);

    bool isListening() const;
    quint16 port() const;
    // "http://127.0.0.1:PORT"
    QString origin() const;
    // target: a path with an optional query, such as "/monitor/feed.html?id=1".
    QUrl url(const QString& target) const;

    // The answer for this path (query ignored) waits delay before it is sent.
    void setDelay(const QString& path, std::chrono::milliseconds delay);

    // Request targets (path and query) in the order they arrived.
    QStringList requests() const { return requests_; }

signals:
    void requested(const QString& target);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& method, const QString& target);
    QByteArray response(const QByteArray& method, const QString& path) const;

    QString root_;
    QTcpServer* server_;
    QHash<QString, std::chrono::milliseconds> delays_;
    QStringList requests_;
};

}  // namespace lc::testing
