// Cookies that responses set along a redirect chain, sent on the chain's later hops.
#pragma once

#include <curl/curl.h>

#include <string>
#include <string_view>
#include <vector>

#include "http/request_head.h"

namespace lc {

// libcurl's cookie engine parses Set-Cookie lines (domain, path, expiry); the jar keeps what it
// parsed and empties the engine before each hop, so that libcurl never writes a Cookie line of
// its own: the hop's cookies join the request's one Cookie line instead.
class RedirectCookies {
public:
    // Moves the cookies the engine stored during the last hop into the jar.
    void takeFrom(CURL* easy);
    // "name=value; ..." of the jar's cookies that apply to target.
    std::string cookiesFor(const Target& target) const;

private:
    struct Cookie {
        std::string domain;
        bool includeSubdomains = false;
        std::string path;
        bool secure = false;
        long long expires = 0;  // seconds since the epoch; 0 for a session cookie
        std::string name;
        std::string value;
    };
    static bool parse(std::string_view line, Cookie& cookie);
    static bool appliesTo(const Cookie& cookie, const Target& target);
    void store(Cookie cookie);

    std::vector<Cookie> cookies_;
};

// The header lines with cookies added to their first Cookie line, or in a Cookie line of their own.
void addCookies(std::vector<std::string>& lines, std::string_view cookies);

}  // namespace lc
