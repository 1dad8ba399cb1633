// Character references in markup text.
#pragma once

#include <string>
#include <string_view>

namespace lc {

// GBK text with the references &amp; &lt; &gt; &quot; &apos; &#NN; and &#xNN; replaced by their
// characters; anything else, malformed references included, stays as written.
std::string decodeCharacterReferences(std::string_view gbk);

}  // namespace lc
