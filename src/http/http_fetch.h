// One synchronous HTTP or HTTPS request on libcurl, answered as GBK text.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace lc {

// The request's in-values and the fetch's out-values in one place. A failure writes only
// statusText (a numbered error text) and leaves every other out-value as the caller set it.
// Every field has a default, so "HttpRequest request{.url = url};" names only what it sets.
struct HttpRequest {
    std::string url{};  // absolute http or https URL
    // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; anything else GET.
    int method = 0;
    std::string body{};  // sent as its bytes
    // In and out: "name=value; ..." sent in the Cookie line. Supplying it, even empty, turns the
    // cookie engine on for redirects and lets autoMerge write the merged list back here.
    std::optional<std::string> cookies{};
    std::string returnedCookies{};  // out: cookies set by the response, appended to what is here
    std::string extraHeaders{};     // header lines separated by CR LF, without a final CR LF
    std::string returnedHeaders{};  // out: the response's raw header block
    bool noRedirect = false;
    std::string userName{};  // basic credentials, sent only when both are non-empty
    std::string password{};
    std::string proxy{};  // host:port of an HTTP proxy used for both schemes
    std::string proxyUser{};
    std::string proxyPassword{};
    int timeout = 0;                  // seconds for each resolve, connect, send and wait; 0 or less: 30
    std::string location{};           // out: redirect target named by the response
    std::string statusText{};         // out: "200 OK" and the like, or the numbered error text
    std::string bodyBytes{};          // out: the raw response body
    std::optional<bool> autoMerge{};  // merge request and response cookies; omitted means true
    // Lets the caller's pending events run after each response header line, after the charset
    // check and on the way out; never while connecting, sending or waiting.
    std::function<void()> processEvents{};
    // PEM file of the certificate authorities to trust instead of the system's; empty: the system's.
    std::string trustedCaFile{};
};

// The response body as GBK text (re-decoded when the page declares another charset);
// the empty text on failure.
std::string HttpFetch(HttpRequest& request);

}  // namespace lc
