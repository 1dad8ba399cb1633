#include "http/response_processing.h"

#include <algorithm>
#include <vector>

#include "text/encoding.h"
#include "text/gbk_text.h"
#include "text/regex_wrapper.h"

namespace lc {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCookieSeparator = "; ";
constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";
constexpr int kCharsetWindow = 1024;

void runEvents(const HttpRequest& request) {
    if (request.processEvents) request.processEvents();
}

// The first line from its tenth byte: code and reason of "HTTP/1.1 200 OK".
std::string statusTextOf(std::string_view headers) {
    const int lineEnd = find(headers, kCrLf, 10, false);
    return mid(headers, 10, lineEnd - 10);
}

// name=value of a Set-Cookie line, without the cookie's attributes.
std::string setCookieItem(std::string_view line) {
    if (find(line, ";", 1, false) == -1) return trim(replace(line, "Set-Cookie:", "", false));
    return trim(textBetween(line, "Set-Cookie:", ";", 0, false));
}

bool isLocationLine(std::string_view line) {
    return equalIgnoringCase(left(line, 10), "Location: ");
}

void readHeaderLines(HttpRequest& request) {
    for (const std::string& line : split(request.returnedHeaders, kCrLf)) {
        if (find(line, "Set-Cookie", 1, false) != -1) {
            request.returnedCookies += setCookieItem(line);
            request.returnedCookies += kCookieSeparator;
        }
        if (isLocationLine(line)) request.location = mid(line, 11, static_cast<int>(line.size()) - 10);
        runEvents(request);
    }
}

void dropFinalSeparator(std::string& cookies) {
    cookies = left(cookies, static_cast<int>(cookies.size()) - static_cast<int>(kCookieSeparator.size()));
}

// The body re-decoded from the charset its markup declares, when that is not GBK by name.
std::string decodeDeclaredCharset(std::string_view body, std::string text, const HttpRequest& request) {
    RegexWrapper charset;
    if (!charset.create(kCharsetPattern, left(text, kCharsetWindow))) return text;
    runEvents(request);
    const std::string name = charset.groupText(1, 1);
    if (name.empty() || name == "gbk" || name == "gb2312") return text;
    if (std::optional<std::string> decoded = charsetToGbk(body, name)) return toText(*decoded);
    return text;
}

}  // namespace

std::string processResponse(std::string_view headerBlock, std::string_view body, HttpRequest& request) {
    request.returnedHeaders = toText(headerBlock);
    request.statusText = statusTextOf(request.returnedHeaders);
    request.returnedHeaders = replace(request.returnedHeaders, "Set-Cookie", "Set-Cookie", false);
    readHeaderLines(request);
    dropFinalSeparator(request.returnedCookies);
    if (request.autoMerge.value_or(true) && request.cookies) {
        request.returnedCookies = mergeCookies(*request.cookies, request.returnedCookies);
    }
    request.bodyBytes = std::string(body);
    return decodeDeclaredCharset(body, toText(body), request);
}

std::string cookieName(std::string_view item) {
    const int equals = find(item, "=", 1, false);
    if (equals == -1) return trim(item);
    return trim(left(item, equals - 1));
}

std::string mergeCookies(std::string& cookies, std::string& newCookies) {
    cookies = removeSpaces(cookies);
    newCookies = removeSpaces(newCookies);
    std::vector<std::string> list = split(newCookies, ";");
    for (const std::string& old : split(cookies, ";")) {
        const std::string name = cookieName(old);
        const bool named = std::any_of(list.begin(), list.end(),
                                       [&](const std::string& item) { return cookieName(item) == name; });
        if (!named) list.push_back(old);
    }
    std::string joined;
    for (const std::string& item : list) {
        if (right(item, 8) == "=deleted") continue;
        joined += item;
        joined += kCookieSeparator;
    }
    dropFinalSeparator(joined);
    cookies = dedupeJoined(joined, kCookieSeparator);
    return cookies;
}

std::string dedupeJoined(std::string_view text, std::string_view separator) {
    std::vector<std::string> kept;
    std::string out;
    for (std::string& part : split(text, separator)) {
        if (std::find(kept.begin(), kept.end(), part) != kept.end()) continue;
        out += part;
        out += separator;
        kept.push_back(std::move(part));
    }
    return left(out, static_cast<int>(out.size()) - static_cast<int>(separator.size()));
}

}  // namespace lc
