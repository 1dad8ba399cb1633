#include "http/request_head.h"

#include <curl/curl.h>

#include <iterator>
#include <memory>

#include "text/gbk_text.h"

namespace lc {
namespace {

constexpr int kPost = 1;

// libcurl reads "http:///x" as host "x"; a URL must name its host right after "//".
bool hasAuthority(std::string_view url) {
    const size_t schemeEnd = url.find("://");
    return schemeEnd != std::string_view::npos && url.size() > schemeEnd + 3 && url[schemeEnd + 3] != '/';
}

bool isUnsafeUrlByte(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>';
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

std::string urlPart(CURLU* url, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(url, part, &value, 0) != CURLUE_OK) return {};
    std::string text(value);
    curl_free(value);
    return text;
}

void appendUnlessPresent(std::string& block, std::string_view key, std::string_view line, bool ignoreCase) {
    if (find(block, key, 1, ignoreCase) == -1) block += line;
}

}  // namespace

std::string escapeUrl(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(url.size());
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (!isUnsafeUrlByte(byte)) {
            escaped += c;
            continue;
        }
        escaped += '%';
        escaped += kHex[byte >> 4];
        escaped += kHex[byte & 0x0F];
    }
    return escaped;
}

std::optional<Target> parseTarget(std::string_view escapedUrl) {
    UrlHandle url(curl_url());
    const std::string text(escapedUrl);
    if (!url || !hasAuthority(escapedUrl) ||
        curl_url_set(url.get(), CURLUPART_URL, text.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK) {
        return std::nullopt;
    }
    Target target;
    target.scheme = urlPart(url.get(), CURLUPART_SCHEME);
    target.host = urlPart(url.get(), CURLUPART_HOST);
    target.path = urlPart(url.get(), CURLUPART_PATH);
    if ((target.scheme != "http" && target.scheme != "https") || target.host.empty()) return std::nullopt;
    // The request names neither user info nor a fragment; credentials come only from their own fields.
    curl_url_set(url.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_PASSWORD, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_OPTIONS, nullptr, 0);
    curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
    target.url = urlPart(url.get(), CURLUPART_URL);
    if (target.url.empty()) return std::nullopt;
    return target;
}

std::string verbOf(int method) {
    static constexpr std::string_view kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                                  "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    if (method < 0 || method >= static_cast<int>(std::size(kVerbs))) return "GET";
    return std::string(kVerbs[method]);
}

std::string buildHeaderBlock(std::string_view extraHeaders, int method, std::string_view cookies) {
    std::string block(extraHeaders);
    if (!block.empty()) block += "\r\n";
    appendUnlessPresent(
        block, "User-Agent: ",
        "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n", true);
    appendUnlessPresent(block, "Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", true);
    appendUnlessPresent(block, "Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", true);
    appendUnlessPresent(block, "Accept-Language: ", "Accept-Language: zh-cn\r\n", true);
    if (method == kPost) {
        appendUnlessPresent(block, "Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n",
                            false);
    }
    appendUnlessPresent(block, "Cache-Control: ", "Cache-Control: no-cache\r\n", true);
    if (!cookies.empty() && find(block, "Cookie: ", 1, true) == -1) {
        block += "Cookie: ";
        block += cookies;
        block += "\r\n";
    }
    return block;
}

std::optional<std::vector<std::string>> headerLines(std::string_view block) {
    std::vector<std::string> lines;
    for (std::string& line : split(block, "\r\n")) {
        if (line.empty()) continue;
        if (line.find(':') == std::string::npos ||
            line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            return std::nullopt;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace lc
