// Operations on GBK texts: std::string holding code page 936 bytes.
// Positions are 1-based, -1 means not found; a byte >= 0x80 leads a two-byte character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lc {

int find(std::string_view text, std::string_view pattern, int start, bool ignoreCase);
std::string left(std::string_view text, int count);
std::string right(std::string_view text, int count);
std::string mid(std::string_view text, int start, int count);
std::string replace(std::string_view text, std::string_view from, std::string_view to, bool caseSensitive);
std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string trim(std::string_view text);
std::string removeSpaces(std::string_view text);
bool equal(std::string_view a, std::string_view b);
bool equalIgnoringCase(std::string_view a, std::string_view b);
// The bytes up to the first zero byte.
std::string toText(std::string_view bytes);

// Text between the first startMarker at or after start and the next endMarker.
// "#引号" in either marker stands for a double quote.
std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        int start, bool ignoreCase);
// The text with every "#引号" replaced by a double quote.
std::string expandQuotePlaceholder(std::string_view text);

// mode 0: a-z, mode 1: A-Z, otherwise lower at odd and upper at even positions.
std::string randomLetters(int count, int mode);
// Stateless draw from the time-stamp counter through one LCG step.
std::uint32_t randomBetween(std::uint32_t min, std::uint32_t max);

}  // namespace lc
