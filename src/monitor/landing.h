// Which addresses belong to the marketplace's coupon landing host.
#pragma once

#include <string>
#include <string_view>

namespace lc {

struct LandingConfig {
    std::string stem;    // "https://" and the first label of the landing host
    std::string prefix;  // "https://" and the full landing host
};

// True when address (ASCII or UTF-8) has exactly the scheme, host and port of prefix, and no user
// information. Hosts compare without regard to case; a default port equals its explicit form.
bool isLandingAddress(std::string_view address, std::string_view prefix);

}  // namespace lc
