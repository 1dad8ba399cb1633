#pragma once

#include <string>
#include <string_view>

namespace lc {

// MD5 of the bytes as 32 lowercase hex digits.
std::string linkDigest(std::string_view bytes);

}  // namespace lc
