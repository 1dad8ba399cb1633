// Turns a response's raw header block and body into the out-values of a fetch. No I/O.
#pragma once

#include <string>
#include <string_view>

#include "http/http_fetch.h"

namespace lc {

// Writes returnedHeaders, statusText, returnedCookies, location, cookies (when merged) and
// bodyBytes of request, and returns the body as GBK text.
std::string processResponse(std::string_view headerBlock, std::string_view body, HttpRequest& request);

// New items first, then old items whose names are new; "name=deleted" removes the name.
// Stores the result in cookies; newCookies is left without its spaces.
std::string mergeCookies(std::string& cookies, std::string& newCookies);
// The trimmed text before the first "=", or the whole trimmed item.
std::string cookieName(std::string_view item);
// The parts of text between separators, each kept once, joined with separator.
std::string dedupeJoined(std::string_view text, std::string_view separator);

}  // namespace lc
