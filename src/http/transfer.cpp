#include "http/transfer.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace lc {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kLongestPoll{1000};

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int statusCodeOf(std::string_view statusLine) {
    const size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) return 0;
    return std::atoi(std::string(statusLine.substr(space + 1, 3)).c_str());
}

std::string_view withoutLineEnd(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

Transfer::Transfer() {
    initialiseCurlOnce();
    multi_ = curl_multi_init();
    easy_ = curl_easy_init();
    if (!valid()) return;
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &Transfer::onConnected);
    curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
}

Transfer::~Transfer() {
    if (easy_) curl_easy_cleanup(easy_);
    if (multi_) curl_multi_cleanup(multi_);
}

// Each status line starts a new block, so interim (100) and proxy CONNECT blocks are not kept.
size_t Transfer::onHeader(char* data, size_t size, size_t count, void* self) {
    auto& transfer = *static_cast<Transfer*>(self);
    const std::string_view line = withoutLineEnd(std::string_view(data, size * count));
    if (line.starts_with("HTTP/")) {
        transfer.exchange_.headerBlock.clear();
        transfer.blockStatus_ = statusCodeOf(line);
    }
    transfer.exchange_.headerBlock += line;
    transfer.exchange_.headerBlock += "\r\n";
    if (line.empty() && transfer.exchange_.connected && transfer.blockStatus_ >= 200) {
        transfer.exchange_.headersComplete = true;
    }
    return size * count;
}

size_t Transfer::onBody(char* data, size_t size, size_t count, void* self) {
    static_cast<Transfer*>(self)->exchange_.body.append(data, size * count);
    return size * count;
}

// Called once the connection (through any proxy tunnel, with TLS) is ready for the request.
int Transfer::onConnected(void* self, char*, char*, int, int) {
    auto& transfer = *static_cast<Transfer*>(self);
    transfer.exchange_.connected = true;
    transfer.exchange_.headerBlock.clear();
    return CURL_PREREQFUNC_OK;
}

long long Transfer::bytesMoved() const {
    curl_off_t sent = 0;
    curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &sent);
    return static_cast<long long>(sent + exchange_.headerBlock.size() + exchange_.body.size());
}

bool Transfer::finished(CURLcode& result) {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            result = message->data.result;
            return true;
        }
    }
    return false;
}

Exchange Transfer::run(std::chrono::milliseconds idleLimit) {
    exchange_ = {};
    blockStatus_ = 0;
    curl_multi_add_handle(multi_, easy_);
    Clock::time_point lastMove = Clock::now();
    long long moved = 0;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            exchange_.result = CURLE_FAILED_INIT;
            break;
        }
        if (finished(exchange_.result)) break;
        if (const long long now = bytesMoved(); now != moved) {
            moved = now;
            lastMove = Clock::now();
        }
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastMove);
        if (idle >= idleLimit) {
            exchange_.result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        int readySockets = 0;
        const auto wait = std::min<std::chrono::milliseconds>(idleLimit - idle, kLongestPoll);
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait.count()), &readySockets);
        // A ready socket means bytes arrived or left (or the connection ended), even before libcurl
        // has a whole header line to count.
        if (readySockets > 0) lastMove = Clock::now();
    }
    curl_multi_remove_handle(multi_, easy_);
    return std::move(exchange_);
}

}  // namespace lc
