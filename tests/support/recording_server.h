// A loopback HTTP(S) server for tests: listens on 127.0.0.1 at an ephemeral port, records the
// exact bytes of every request it reads and answers as each test scripts it. Qt-free.
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lc::test {

// A self-signed certificate for 127.0.0.1 and localhost, made afresh at run time.
struct TlsIdentity {
    std::string certificatePem;
    std::string privateKeyPem;
    static TlsIdentity selfSigned();
};

class RecordingServer;

// One accepted connection, handed to the server's handler on a thread of its own.
class Connection {
public:
    Connection(RecordingServer& server, int socket, SSL* tls);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The next request's head and Content-Length body, recorded by the server; nullopt once closed.
    std::optional<std::string> readRequest();
    bool send(std::string_view bytes);
    // One byte at a time with a pause before each.
    bool sendSlowly(std::string_view bytes, std::chrono::milliseconds gap);
    // Reads and drops whatever comes until the peer closes (or the server stops).
    void waitForClose();
    // Waits, reading nothing, until the peer closes (or the server stops).
    void holdWithoutReading();
    // Answers a CONNECT with 200 and relays bytes both ways to 127.0.0.1:port.
    void tunnelTo(std::uint16_t port);

private:
    long receive(char* buffer, size_t size);

    RecordingServer& server_;
    int socket_;
    SSL* tls_;
    std::string pending_;
};

class RecordingServer {
public:
    using Handler = std::function<void(Connection&)>;
    using Responder = std::function<std::string(const std::string& request)>;

    explicit RecordingServer(Handler handler, std::optional<TlsIdentity> tls = std::nullopt);
    // Answers every request on every connection with responder's bytes.
    explicit RecordingServer(Responder responder, std::optional<TlsIdentity> tls = std::nullopt);
    ~RecordingServer();
    RecordingServer(const RecordingServer&) = delete;
    RecordingServer& operator=(const RecordingServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:port" (or https) followed by path.
    std::string url(std::string_view path = "/") const;
    std::vector<std::string> requests() const;

private:
    friend class Connection;
    void acceptLoop();
    void serve(int socket);
    void record(std::string request);
    void forget(int socket);

    Handler handler_;
    std::unique_ptr<SSL_CTX, void (*)(SSL_CTX*)> tlsContext_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<int> openSockets_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// "HTTP/1.1 200 OK" with a Content-Length for body and the given extra header lines (each ending CR LF).
std::string okResponse(std::string_view body, std::string_view extraHeaderLines = "");

}  // namespace lc::test
