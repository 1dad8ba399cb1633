// What a fetch puts on the wire before the body: target URL, verb and header block.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lc {

struct Target {
    std::string url;  // absolute, escaped, without user info or fragment
    std::string scheme;
    std::string host;
    std::string path;
};

// Percent-encodes the bytes a request line cannot carry: controls, space, DEL, bytes above
// 0x7F and the quote and angle brackets. Everything else, "%" included, stays as it is.
std::string escapeUrl(std::string_view url);
// An http or https URL with a host; nullopt otherwise.
std::optional<Target> parseTarget(std::string_view escapedUrl);

std::string verbOf(int method);

// The request's header block: extraHeaders, then each default line whose key is not yet there.
std::string buildHeaderBlock(std::string_view extraHeaders, int method, std::string_view cookies);
// The block's non-empty lines; nullopt when a line has no colon or carries a stray CR, LF or zero byte.
std::optional<std::vector<std::string>> headerLines(std::string_view block);

}  // namespace lc
