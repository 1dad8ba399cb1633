#include "text/gbk_text.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

#include "text/encoding.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace lc {
namespace {

constexpr unsigned char kLeadByteMin = 0x80;
constexpr unsigned char kFullWidthSpaceByte = 0xA1;

std::size_t charLength(std::string_view text, std::size_t pos) {
    const bool twoByte = static_cast<unsigned char>(text[pos]) >= kLeadByteMin;
    return std::min<std::size_t>(twoByte ? 2 : 1, text.size() - pos);
}

unsigned char foldAscii(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool matchesAt(std::string_view text, std::size_t pos, std::string_view pattern, bool ignoreCase) {
    if (pos + pattern.size() > text.size()) return false;
    if (!ignoreCase) return text.compare(pos, pattern.size(), pattern) == 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (foldAscii(text[pos + i]) != foldAscii(pattern[i])) return false;
    }
    return true;
}

// 0-based offset of the first match at or after `from` on a character boundary counted from `from`.
std::size_t findOffset(std::string_view text, std::string_view pattern, std::size_t from, bool ignoreCase) {
    if (ignoreCase) {
        for (std::size_t pos = from; pos + pattern.size() <= text.size(); pos += charLength(text, pos)) {
            if (matchesAt(text, pos, pattern, true)) return pos;
        }
        return std::string_view::npos;
    }
    // The library's byte search proposes candidates; only those on a character boundary count.
    std::size_t boundary = from;
    for (std::size_t hit = text.find(pattern, from); hit != std::string_view::npos;
         hit = text.find(pattern, hit + 1)) {
        while (boundary < hit) boundary += static_cast<unsigned char>(text[boundary]) >= kLeadByteMin ? 2 : 1;
        if (boundary == hit) return hit;
    }
    return std::string_view::npos;
}

// Length of the space character at pos: 1 for 0x20, 2 for the full-width space, 0 otherwise.
std::size_t spaceLength(std::string_view text, std::size_t pos) {
    if (text[pos] == ' ') return 1;
    const auto isFullWidthByte = [&](std::size_t i) {
        return i < text.size() && static_cast<unsigned char>(text[i]) == kFullWidthSpaceByte;
    };
    return isFullWidthByte(pos) && isFullWidthByte(pos + 1) ? 2 : 0;
}

const std::string& quotePlaceholder() {
    static const std::string placeholder = utf8ToGbk("#引号");
    return placeholder;
}

std::uint32_t timeStampLow32() {
#if defined(__x86_64__) || defined(__i386__)
    return static_cast<std::uint32_t>(__rdtsc());
#else
    return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

}  // namespace

int find(std::string_view text, std::string_view pattern, int start, bool ignoreCase) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= text.size()) return -1;
    if (pattern.empty()) return 1;
    const std::size_t pos = findOffset(text, pattern, from, ignoreCase);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos) + 1;
}

std::string left(std::string_view text, int count) {
    if (count <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string right(std::string_view text, int count) {
    if (count <= 0) return {};
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return std::string(text.substr(text.size() - n));
}

std::string mid(std::string_view text, int start, int count) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || count <= 0) return {};
    return std::string(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

std::string replace(std::string_view text, std::string_view from, std::string_view to, bool caseSensitive) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (matchesAt(text, pos, from, !caseSensitive)) {
            out.append(to);
            pos += from.size();
        } else {
            const std::size_t n = charLength(text, pos);
            out.append(text.substr(pos, n));
            pos += n;
        }
    }
    return out;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    if (separator.empty()) return {std::string(text)};
    std::size_t partStart = 0;
    for (std::size_t pos = findOffset(text, separator, 0, false); pos != std::string_view::npos;
         pos = findOffset(text, separator, partStart, false)) {
        parts.emplace_back(text.substr(partStart, pos - partStart));
        partStart = pos + separator.size();
    }
    if (partStart < text.size()) parts.emplace_back(text.substr(partStart));
    return parts;
}

std::string trim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t n = spaceLength(text, begin);
        if (n == 0) break;
        begin += n;
    }
    std::size_t end = begin;
    for (std::size_t pos = begin; pos < text.size();) {
        const std::size_t space = spaceLength(text, pos);
        pos += space != 0 ? space : charLength(text, pos);
        if (space == 0) end = pos;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string removeSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t space = spaceLength(text, pos);
        const std::size_t n = space != 0 ? space : charLength(text, pos);
        if (space == 0) out.append(text.substr(pos, n));
        pos += n;
    }
    return out;
}

bool equal(std::string_view a, std::string_view b) {
    return a == b;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t pos = 0; pos < a.size();) {
        const std::size_t n = charLength(a, pos);
        if (n == 1 ? foldAscii(a[pos]) != foldAscii(b[pos]) : a.substr(pos, n) != b.substr(pos, n))
            return false;
        pos += n;
    }
    return true;
}

std::string toText(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string textBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        int start, bool ignoreCase) {
    const std::string startText = expandQuotePlaceholder(startMarker);
    const std::string endText = expandQuotePlaceholder(endMarker);
    int s = find(text, startText, start, ignoreCase);
    if (s != -1) s += static_cast<int>(startText.size());
    const int e = find(text, endText, s, ignoreCase);
    if (s == -1 || e == -1) return {};
    return mid(text, s, e - s);
}

std::string expandQuotePlaceholder(std::string_view text) {
    return replace(text, quotePlaceholder(), "\"", true);
}

std::string randomLetters(int count, int mode) {
    std::string out;
    for (int i = 1; i <= count; ++i) {
        const bool upper = mode == 1 || (mode != 0 && i % 2 == 0);
        const char first = upper ? 'A' : 'a';
        out.push_back(static_cast<char>(randomBetween(first, first + 25)));
    }
    return out;
}

std::uint32_t randomBetween(std::uint32_t min, std::uint32_t max) {
    const std::uint32_t x = timeStampLow32();
    const std::uint32_t r = ((x * 214013u + 2531011u) >> 16) & 0x7FFFu;
    if (max == 0) max = 2147483647u;
    const std::uint32_t range = max - min + 1;
    // The full 32-bit range wraps to 0: every r is then in range.
    return min + (range == 0 ? r : r % range);
}

}  // namespace lc
