// mergeCookies, cookieName and dedupeJoined over arbitrary texts.
// Input: the request cookies, a LF, then the new cookies.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "http/response_processing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = std::min(input.find('\n'), input.size());
    std::string cookies(input.substr(0, split));
    std::string newCookies(input.substr(std::min(split + 1, input.size())));

    lc::cookieName(cookies);
    lc::dedupeJoined(newCookies, "; ");
    const std::string merged = lc::mergeCookies(cookies, newCookies);
    if (merged != cookies) __builtin_trap();
    return 0;
}
