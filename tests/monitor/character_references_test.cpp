#include "monitor/character_references.h"

#include <gtest/gtest.h>

#include "text/encoding.h"

namespace lc {
namespace {

TEST(DecodeCharacterReferences, DecodesWhatMarkupEscapes) {
    struct Case {
        const char* text;
        const char* decoded;
    };
    const Case cases[] = {
        {"id=7&amp;src=feed", "id=7&src=feed"},
        {"a&lt;b&gt;c&quot;d&apos;e", "a<b>c\"d'e"},
        {"&#39;&#x41;&#X61;", "'Aa"},
        {"&amp;amp;", "&amp;"},
        {"a&b", "a&b"},
        {"a&b;", "a&b;"},
        {"&amp", "&amp"},
        {"&;", "&;"},
        {"&#;&#x;&#0;&#xD800;&#x110000;&#12a;", "&#;&#x;&#0;&#xD800;&#x110000;&#12a;"},
        {"&#99999999999999999999;", "&#99999999999999999999;"},
        {"&verylongnamewithoutend;", "&verylongnamewithoutend;"},
        {"trailing &", "trailing &"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(decodeCharacterReferences(c.text), c.decoded);
    }
}

TEST(DecodeCharacterReferences, KeepsGbkTextAndGivesGbkForWideReferences) {
    const std::string gift = utf8ToGbk("淘礼金");
    EXPECT_EQ(decodeCharacterReferences(gift + "&amp;" + gift), gift + "&" + gift);
    EXPECT_EQ(decodeCharacterReferences("&#28120;&#x793C;&#37329;"), gift);
    EXPECT_EQ(decodeCharacterReferences("&#x1F600;"), utf8ToGbk("\xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace lc
