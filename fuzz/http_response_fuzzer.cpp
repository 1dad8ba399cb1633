// processResponse over an arbitrary header block and body.
// Input: one flag byte (bit 0: cookies supplied, bit 1: autoMerge off), the request cookies up to
// the first LF, the header block up to the first CR LF CR LF, then the body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "http/response_processing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto flags = data[0];
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    const size_t cookiesEnd = std::min(input.find('\n'), input.size());
    const std::string_view cookies = input.substr(0, cookiesEnd);
    input.remove_prefix(std::min(cookiesEnd + 1, input.size()));
    const size_t headEnd = input.find("\r\n\r\n");
    const std::string_view headers =
        input.substr(0, headEnd == std::string_view::npos ? input.size() : headEnd + 4);
    const std::string_view body = input.substr(headers.size());

    lc::HttpRequest request;
    if (flags & 1) request.cookies = std::string(cookies);
    if (flags & 2) request.autoMerge = false;
    lc::processResponse(headers, body, request);
    return 0;
}
