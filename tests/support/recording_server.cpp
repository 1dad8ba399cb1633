#include "support/recording_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace lc::test {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

std::string pemOf(int (*write)(BIO*, void*), void* object) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    write(bio.get(), object);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(size));
}

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

SSL_CTX* serverContext(const TlsIdentity& identity) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    std::unique_ptr<BIO, decltype(&BIO_free)> certificateBio(
        BIO_new_mem_buf(identity.certificatePem.data(), static_cast<int>(identity.certificatePem.size())),
        BIO_free);
    std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(
        BIO_new_mem_buf(identity.privateKeyPem.data(), static_cast<int>(identity.privateKeyPem.size())),
        BIO_free);
    X509* certificate = PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr);
    const bool ready = certificate && key && SSL_CTX_use_certificate(context, certificate) == 1 &&
                       SSL_CTX_use_PrivateKey(context, key) == 1;
    X509_free(certificate);
    EVP_PKEY_free(key);
    if (!ready) throw std::runtime_error("test TLS identity rejected");
    return context;
}

int listenOnLoopback(std::uint16_t& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 64) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return listener;
}

int connectToLoopback(std::uint16_t port) {
    const int target = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (target >= 0 && connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return target;
    if (target >= 0) close(target);
    return -1;
}

size_t contentLengthOf(std::string_view head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    const size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::stoul(lower.substr(at + 17));
}

bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

}  // namespace

TlsIdentity TlsIdentity::selfSigned() {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), X509_free);
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    X509_sign(certificate.get(), key.get(), EVP_sha256());
    return TlsIdentity{.certificatePem = pemOf(
                           [](BIO* bio, void* x) { return PEM_write_bio_X509(bio, static_cast<X509*>(x)); },
                           certificate.get()),
                       .privateKeyPem = pemOf(
                           [](BIO* bio, void* k) {
                               return PEM_write_bio_PrivateKey(bio, static_cast<EVP_PKEY*>(k), nullptr,
                                                               nullptr, 0, nullptr, nullptr);
                           },
                           key.get())};
}

Connection::Connection(RecordingServer& server, int socket, SSL* tls)
    : server_(server), socket_(socket), tls_(tls) {}

Connection::~Connection() {
    if (tls_) SSL_free(tls_);
    server_.forget(socket_);
    close(socket_);
}

long Connection::receive(char* buffer, size_t size) {
    if (tls_) return SSL_read(tls_, buffer, static_cast<int>(size));
    return recv(socket_, buffer, size, 0);
}

std::optional<std::string> Connection::readRequest() {
    char buffer[16384];
    size_t headEnd;
    while ((headEnd = pending_.find(kHeadEnd)) == std::string::npos) {
        const long received = receive(buffer, sizeof buffer);
        if (received <= 0) return std::nullopt;
        pending_.append(buffer, static_cast<size_t>(received));
    }
    const size_t total = headEnd + kHeadEnd.size() + contentLengthOf(pending_.substr(0, headEnd + 2));
    while (pending_.size() < total) {
        const long received = receive(buffer, sizeof buffer);
        if (received <= 0) return std::nullopt;
        pending_.append(buffer, static_cast<size_t>(received));
    }
    std::string request = pending_.substr(0, total);
    pending_.erase(0, total);
    server_.record(request);
    return request;
}

bool Connection::send(std::string_view bytes) {
    if (!tls_) return sendAll(socket_, bytes);
    return bytes.empty() || SSL_write(tls_, bytes.data(), static_cast<int>(bytes.size())) > 0;
}

bool Connection::sendSlowly(std::string_view bytes, std::chrono::milliseconds gap) {
    for (const char byte : bytes) {
        std::this_thread::sleep_for(gap);
        if (server_.stopping_ || !send(std::string_view(&byte, 1))) return false;
    }
    return true;
}

void Connection::waitForClose() {
    char buffer[16384];
    while (receive(buffer, sizeof buffer) > 0) {
    }
}

void Connection::holdWithoutReading() {
    pollfd end{socket_, POLLRDHUP, 0};
    while (poll(&end, 1, -1) < 0 && errno == EINTR) {
    }
}

void Connection::tunnelTo(std::uint16_t port) {
    const int target = connectToLoopback(port);
    if (target < 0 || !send("HTTP/1.1 200 Connection established\r\n\r\n") || !sendAll(target, pending_)) {
        if (target >= 0) close(target);
        return;
    }
    pending_.clear();
    pollfd ends[2] = {{socket_, POLLIN, 0}, {target, POLLIN, 0}};
    char buffer[16384];
    for (bool open = true; open && poll(ends, 2, -1) > 0;) {
        for (int from = 0; from < 2 && open; ++from) {
            if (!ends[from].revents) continue;
            const ssize_t received = recv(ends[from].fd, buffer, sizeof buffer, 0);
            open = received > 0 &&
                   sendAll(ends[1 - from].fd, std::string_view(buffer, static_cast<size_t>(received)));
        }
    }
    close(target);
}

RecordingServer::RecordingServer(Handler handler, std::optional<TlsIdentity> tls)
    : handler_(std::move(handler)), tlsContext_(nullptr, SSL_CTX_free) {
    std::signal(SIGPIPE, SIG_IGN);
    if (tls) tlsContext_.reset(serverContext(*tls));
    listener_ = listenOnLoopback(port_);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

RecordingServer::RecordingServer(Responder responder, std::optional<TlsIdentity> tls)
    : RecordingServer(Handler([responder = std::move(responder)](Connection& connection) {
                          while (std::optional<std::string> request = connection.readRequest()) {
                              if (!connection.send(responder(*request))) return;
                          }
                      }),
                      std::move(tls)) {}

RecordingServer::~RecordingServer() {
    stopping_ = true;
    shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (const int socket : openSockets_) shutdown(socket, SHUT_RDWR);
    }
    for (std::thread& worker : workers_) worker.join();
    close(listener_);
}

std::string RecordingServer::url(std::string_view path) const {
    return std::string(tlsContext_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
           std::string(path);
}

std::vector<std::string> RecordingServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RecordingServer::acceptLoop() {
    while (!stopping_) {
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        std::lock_guard lock(mutex_);
        if (stopping_) {
            close(socket);
            return;
        }
        openSockets_.push_back(socket);
        workers_.emplace_back([this, socket] { serve(socket); });
    }
}

void RecordingServer::serve(int socket) {
    SSL* tls = nullptr;
    if (tlsContext_) {
        tls = SSL_new(tlsContext_.get());
        SSL_set_fd(tls, socket);
        if (SSL_accept(tls) != 1) ERR_clear_error();
    }
    Connection connection(*this, socket, tls);
    if (!tls || SSL_is_init_finished(tls)) handler_(connection);
}

void RecordingServer::record(std::string request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

void RecordingServer::forget(int socket) {
    std::lock_guard lock(mutex_);
    std::erase(openSockets_, socket);
}

std::string okResponse(std::string_view body, std::string_view extraHeaderLines) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           std::string(extraHeaderLines) + "\r\n" + std::string(body);
}

}  // namespace lc::test
