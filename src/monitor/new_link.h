// The work of one monitor tick that needs no browser and no disk: finding the source page's first
// landing link and deciding whether it is new.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "monitor/landing.h"

namespace lc {

struct LandingLink {
    std::string link;    // GBK
    std::string digest;  // link digest of link
};

// The stem followed by the first double-quoted href value that begins with it, its character
// references decoded; the stem alone when the markup (GBK) has none.
std::string firstLandingLink(std::string_view markup, std::string_view stem);

// The first landing link of markupUtf8 (as the page script answers) when it is new: its digest is
// neither in seenText (the seen-link file, compared ignoring case) nor in handledDigests, it is
// more than the stem, and it lies on the landing host.
std::optional<LandingLink> findNewLink(std::string_view markupUtf8, std::string_view seenText,
                                       const std::unordered_set<std::string>& handledDigests,
                                       const LandingConfig& config);

}  // namespace lc
