#include "monitor/new_link.h"

#include "monitor/character_references.h"
#include "text/encoding.h"
#include "text/gbk_text.h"
#include "text/link_digest.h"

namespace lc {

std::string firstLandingLink(std::string_view markup, std::string_view stem) {
    const std::string startMarker = "href=\"" + std::string(stem);
    // The markup is the page's serialized DOM, which writes "&" in attribute values as "&amp;".
    return std::string(stem) + decodeCharacterReferences(textBetween(markup, startMarker, "\"", 0, false));
}

std::optional<LandingLink> findNewLink(std::string_view markupUtf8, std::string_view seenText,
                                       const std::unordered_set<std::string>& handledDigests,
                                       const LandingConfig& config) {
    LandingLink found;
    found.link = firstLandingLink(utf8ToGbk(markupUtf8), config.stem);
    found.digest = linkDigest(found.link);
    const bool isNew = find(seenText, found.digest, 0, true) == -1 &&
                       !handledDigests.contains(found.digest) && !equal(found.link, config.stem) &&
                       isLandingAddress(gbkToUtf8(found.link), config.prefix);
    if (!isNew) return std::nullopt;
    return found;
}

}  // namespace lc
