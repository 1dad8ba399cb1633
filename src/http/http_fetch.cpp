#include "http/http_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

#include "http/redirect_cookies.h"
#include "http/request_head.h"
#include "http/response_processing.h"
#include "http/transfer.h"
#include "text/encoding.h"
#include "text/gbk_text.h"

namespace lc {
namespace {

constexpr int kGet = 0;
constexpr int kPost = 1;
constexpr int kHead = 2;
constexpr int kMaxRedirects = 10;
constexpr long kDefaultTimeoutMs = 30000;

enum class Failure {
    kUrl = 701,
    kSession = 702,
    kCredentials = 707,
    kCookies = 708,
    kHeaders = 710,
    kSend = 711,
    kNoResponse = 712,
    kRead = 713,
};

const std::string& errorText(Failure failure) {
    static const std::map<Failure, std::string> texts = {
        {Failure::kUrl, utf8ToGbk("701 解析URL地址失败!")},
        {Failure::kSession, utf8ToGbk("702 创建WinHttp会话失败!")},
        {Failure::kCredentials, utf8ToGbk("707 设置代理凭证失败!")},
        {Failure::kCookies, utf8ToGbk("708 禁止自动设置Cookies失败!")},
        {Failure::kHeaders, utf8ToGbk("710 设置协议头失败!")},
        {Failure::kSend, utf8ToGbk("711 发送请求失败!")},
        {Failure::kNoResponse, utf8ToGbk("712 服务器未响应!")},
        {Failure::kRead, utf8ToGbk("713 读取数据失败!")},
    };
    return texts.at(failure);
}

void runEvents(const HttpRequest& request) {
    if (request.processEvents) request.processEvents();
}

std::string fail(HttpRequest& request, Failure failure) {
    request.statusText = errorText(failure);
    // Credentials and the cookie switch are set before the routine first lets events run.
    if (failure != Failure::kCredentials && failure != Failure::kCookies) runEvents(request);
    return {};
}

class HeaderList {
public:
    HeaderList() = default;
    HeaderList(const HeaderList&) = delete;
    HeaderList& operator=(const HeaderList&) = delete;
    ~HeaderList() { curl_slist_free_all(list_); }

    bool append(const std::string& line) {
        curl_slist* grown = curl_slist_append(list_, line.c_str());
        if (grown) list_ = grown;
        return grown != nullptr;
    }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// What one hop of the redirect chain sends.
struct Hop {
    Target target;
    int method = kGet;
    bool sendsBody = false;
};

// The response handed to processing, or the failure that ended the fetch.
struct Outcome {
    std::optional<Failure> failure;
    Exchange exchange;
    bool bodyCut = false;
};

Outcome failed(Failure failure) {
    return Outcome{failure, {}, false};
}
Outcome answered(Exchange exchange, bool bodyCut = false) {
    return Outcome{std::nullopt, std::move(exchange), bodyCut};
}

std::chrono::milliseconds idleLimitOf(int timeoutSeconds) {
    return std::chrono::milliseconds(timeoutSeconds > 0 ? timeoutSeconds * 1000LL : kDefaultTimeoutMs);
}

bool hasContentType(const std::vector<std::string>& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return equalIgnoringCase(left(line, 13), "Content-Type:");
    });
}

// The block's lines, and empty values that stop libcurl's own Expect and form Content-Type lines.
bool fillHeaderList(HeaderList& list, const std::vector<std::string>& lines, bool sendsBody) {
    for (const std::string& line : lines) {
        if (!list.append(line)) return false;
    }
    if (sendsBody && !hasContentType(lines) && !list.append("Content-Type:")) return false;
    return list.append("Expect:");
}

void setMethod(CURL* easy, const Hop& hop, const std::string& body) {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    if (hop.method == kHead) {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    if (hop.sendsBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
    const std::string verb = verbOf(hop.method);
    if (verb != (hop.sendsBody ? "POST" : "GET")) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
}

// Server credentials go only to the host they were given for.
bool setServerCredentials(CURL* easy, const HttpRequest& request, bool originalHost) {
    const bool send = originalHost && !request.userName.empty() && !request.password.empty();
    return curl_easy_setopt(easy, CURLOPT_USERNAME, send ? request.userName.c_str() : nullptr) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PASSWORD, send ? request.password.c_str() : nullptr) == CURLE_OK;
}

bool setProxyCredentials(CURL* easy, const HttpRequest& request) {
    if (request.proxyUser.empty() || request.proxyPassword.empty()) return true;
    return curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str()) == CURLE_OK;
}

std::optional<Failure> configure(CURL* easy, const HttpRequest& request, const HeaderList& proxyHeaders) {
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    // An empty proxy also keeps libcurl from taking one from the environment.
    const std::string proxy = request.proxy.empty() ? "" : "http://" + request.proxy;
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_HEADEROPT, CURLHEADER_SEPARATE);
    curl_easy_setopt(easy, CURLOPT_PROXYHEADER, proxyHeaders.get());
    if (!request.trustedCaFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, request.trustedCaFile.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
    if (!setProxyCredentials(easy, request)) return Failure::kCredentials;
    if (request.cookies && curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "") != CURLE_OK)
        return Failure::kCookies;
    return std::nullopt;
}

long responseCode(CURL* easy) {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

bool isFollowedStatus(long code) {
    return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

// Where the response sends us, unless it is not a redirect, or one to http from https.
std::optional<Target> redirectTarget(CURL* easy, const Target& from) {
    if (!isFollowedStatus(responseCode(easy))) return std::nullopt;
    char* url = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &url) != CURLE_OK || !url) return std::nullopt;
    std::optional<Target> next = parseTarget(escapeUrl(url));
    if (next && from.scheme == "https" && next->scheme == "http") return std::nullopt;
    return next;
}

// 303 turns every method but HEAD into a bodiless GET, 301 and 302 turn POST into one.
Hop nextHop(const Hop& hop, long code, Target target) {
    const bool becomesGet =
        (code == 303 && hop.method != kHead) || ((code == 301 || code == 302) && hop.method == kPost);
    if (!becomesGet) return Hop{std::move(target), hop.method, hop.sendsBody};
    return Hop{std::move(target), kGet, false};
}

bool requestSent(CURL* easy, const Hop& hop, const std::string& body) {
    curl_off_t sent = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return !hop.sendsBody || sent >= static_cast<curl_off_t>(body.size());
}

// A proxy that refuses the CONNECT tunnel has still answered.
bool tunnelRefused(CURL* easy, const Exchange& exchange) {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &code);
    return code >= 300 && !exchange.headerBlock.empty();
}

// Names the step at which the request would have failed: sending, waiting for the response, or
// reading its body (then the response is still processed with the body read so far).
Outcome failedExchange(CURL* easy, const Hop& hop, const HttpRequest& request, Exchange exchange) {
    if (!exchange.connected) {
        if (tunnelRefused(easy, exchange)) return answered(std::move(exchange));
        return failed(Failure::kSend);
    }
    if (!requestSent(easy, hop, request.body)) return failed(Failure::kSend);
    if (!exchange.headersComplete) return failed(Failure::kNoResponse);
    // A redirect's body is read while waiting for the final response.
    if (!request.noRedirect && redirectTarget(easy, hop.target)) return failed(Failure::kNoResponse);
    return answered(std::move(exchange), true);
}

Outcome fetch(Transfer& transfer, const HttpRequest& request, Hop hop,
              const std::vector<std::string>& lines) {
    CURL* easy = transfer.easy();
    RedirectCookies redirectCookies;
    const std::string firstHost = hop.target.host;
    for (int redirects = 0;; ++redirects) {
        std::vector<std::string> hopLines = lines;
        if (request.cookies) addCookies(hopLines, redirectCookies.cookiesFor(hop.target));
        HeaderList headers;
        if (!fillHeaderList(headers, hopLines, hop.sendsBody)) return failed(Failure::kHeaders);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(easy, CURLOPT_URL, hop.target.url.c_str());
        setMethod(easy, hop, request.body);
        if (!setServerCredentials(easy, request, equalIgnoringCase(hop.target.host, firstHost))) {
            return failed(Failure::kCredentials);
        }

        Exchange exchange = transfer.run(idleLimitOf(request.timeout));
        if (request.cookies) redirectCookies.takeFrom(easy);
        if (exchange.result != CURLE_OK) return failedExchange(easy, hop, request, std::move(exchange));
        std::optional<Target> next = request.noRedirect ? std::nullopt : redirectTarget(easy, hop.target);
        if (!next) return answered(std::move(exchange));
        if (redirects == kMaxRedirects) return failed(Failure::kNoResponse);
        hop = nextHop(hop, responseCode(easy), std::move(*next));
    }
}

}  // namespace

std::string HttpFetch(HttpRequest& request) {
    std::optional<Target> target = parseTarget(escapeUrl(gbkToUtf8(request.url)));
    if (!target) return fail(request, Failure::kUrl);
    HeaderList proxyHeaders;
    Transfer transfer;
    if (!transfer.valid() || !proxyHeaders.append("Proxy-Connection:")) return fail(request, Failure::kSession);
    if (std::optional<Failure> failure = configure(transfer.easy(), request, proxyHeaders)) {
        return fail(request, *failure);
    }
    const std::optional<std::vector<std::string>> lines =
        headerLines(buildHeaderBlock(request.extraHeaders, request.method, request.cookies.value_or("")));
    if (!lines) return fail(request, Failure::kHeaders);

    const bool sendsBody = request.method != kHead && (request.method == kPost || !request.body.empty());
    Outcome outcome = fetch(transfer, request, Hop{std::move(*target), request.method, sendsBody}, *lines);
    if (outcome.failure) return fail(request, *outcome.failure);
    std::string result = processResponse(outcome.exchange.headerBlock, outcome.exchange.body, request);
    // A cut body is no success: the error text stays beside the part that was read.
    if (outcome.bodyCut) request.statusText = errorText(Failure::kRead);
    runEvents(request);
    return result;
}

}  // namespace lc
