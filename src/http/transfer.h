// One libcurl easy handle driven through a multi handle, so that a transfer on which nothing
// moves for the idle limit is stopped while a slow one that keeps moving is not.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace lc {

// How far one request got, and what came back.
struct Exchange {
    CURLcode result = CURLE_OK;
    bool connected = false;        // connection, tunnel and TLS ready: the request was about to go
    bool headersComplete = false;  // a final (non-1xx) header block arrived after connecting
    std::string headerBlock;       // the last header block received, lines ending in CR LF
    std::string body;
};

class Transfer {
public:
    Transfer();
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    bool valid() const { return multi_ && easy_; }
    CURL* easy() const { return easy_; }
    // Performs the request the easy handle is set up for; stops after idleLimit without a moved byte.
    Exchange run(std::chrono::milliseconds idleLimit);

private:
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static int onConnected(void* self, char* primaryIp, char* localIp, int primaryPort, int localPort);
    long long bytesMoved() const;
    bool finished(CURLcode& result);

    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    Exchange exchange_;
    int blockStatus_ = 0;
};

}  // namespace lc
