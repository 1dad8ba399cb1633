#include "http/redirect_cookies.h"

#include <algorithm>
#include <ctime>

#include "text/gbk_text.h"

namespace lc {
namespace {

bool hostMatches(std::string_view host, std::string_view domain, bool includeSubdomains) {
    if (equalIgnoringCase(host, domain)) return true;
    if (!includeSubdomains || host.size() <= domain.size()) return false;
    const std::string_view tail = host.substr(host.size() - domain.size() - 1);
    return tail.front() == '.' && equalIgnoringCase(tail.substr(1), domain);
}

bool pathMatches(std::string_view requestPath, std::string_view cookiePath) {
    if (!requestPath.starts_with(cookiePath)) return false;
    return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
           requestPath[cookiePath.size()] == '/';
}

std::vector<std::string_view> tabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

void RedirectCookies::takeFrom(CURL* easy) {
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
        for (const curl_slist* item = list; item; item = item->next) {
            Cookie cookie;
            if (parse(item->data, cookie)) store(std::move(cookie));
        }
        curl_slist_free_all(list);
    }
    curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
}

// One line of libcurl's cookie list: domain, subdomains flag, path, secure flag, expiry, name, value.
bool RedirectCookies::parse(std::string_view line, Cookie& cookie) {
    constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";
    if (line.starts_with(kHttpOnlyPrefix)) line.remove_prefix(kHttpOnlyPrefix.size());
    const std::vector<std::string_view> fields = tabFields(line);
    if (fields.size() != 7) return false;
    std::string_view domain = fields[0];
    if (domain.starts_with('.')) domain.remove_prefix(1);
    cookie.domain = std::string(domain);
    cookie.includeSubdomains = fields[1] == "TRUE";
    cookie.path = std::string(fields[2]);
    cookie.secure = fields[3] == "TRUE";
    cookie.expires = std::atoll(std::string(fields[4]).c_str());
    cookie.name = std::string(fields[5]);
    cookie.value = std::string(fields[6]);
    return true;
}

void RedirectCookies::store(Cookie cookie) {
    std::erase_if(cookies_, [&](const Cookie& kept) {
        return kept.name == cookie.name && kept.path == cookie.path &&
               equalIgnoringCase(kept.domain, cookie.domain);
    });
    const bool expired = cookie.expires != 0 && cookie.expires <= static_cast<long long>(std::time(nullptr));
    if (!expired) cookies_.push_back(std::move(cookie));
}

bool RedirectCookies::appliesTo(const Cookie& cookie, const Target& target) {
    return hostMatches(target.host, cookie.domain, cookie.includeSubdomains) &&
           pathMatches(target.path, cookie.path) && (!cookie.secure || target.scheme == "https");
}

std::string RedirectCookies::cookiesFor(const Target& target) const {
    std::string joined;
    for (const Cookie& cookie : cookies_) {
        if (!appliesTo(cookie, target)) continue;
        if (!joined.empty()) joined += "; ";
        joined += cookie.name + "=" + cookie.value;
    }
    return joined;
}

void addCookies(std::vector<std::string>& lines, std::string_view cookies) {
    if (cookies.empty()) return;
    const auto cookieLine = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return equalIgnoringCase(left(line, 7), "Cookie:");
    });
    if (cookieLine == lines.end()) {
        lines.push_back("Cookie: " + std::string(cookies));
        return;
    }
    *cookieLine += "; ";
    *cookieLine += cookies;
}

}  // namespace lc
