// Conversions between UTF-8, UTF-16LE and GBK (code page 936) on iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lc {

// Characters without a GBK form become "?"; invalid UTF-8 never stops the conversion.
std::string utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);
// UTF-16LE bytes of the text and its terminating zero unit, unless dropTerminator.
std::string gbkToUtf16(std::string_view gbk, bool dropTerminator = false);
std::string utf16ToGbk(std::string_view utf16le);
// Decodes bytes in the named character set into GBK; nullopt when the name is unknown.
std::optional<std::string> charsetToGbk(std::string_view bytes, std::string_view charset);

}  // namespace lc
