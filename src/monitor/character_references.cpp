#include "monitor/character_references.h"

#include <QString>
#include <charconv>
#include <optional>

#include "text/encoding.h"

namespace lc {

namespace {

// Longest reference decoded: "&#x10FFFF;" and "&#1114111;".
constexpr std::size_t kMaxReferenceLength = 10;

std::optional<char32_t> namedReference(std::string_view name) {
    if (name == "amp") return U'&';
    if (name == "lt") return U'<';
    if (name == "gt") return U'>';
    if (name == "quot") return U'"';
    if (name == "apos") return U'\'';
    return std::nullopt;
}

std::optional<char32_t> numericReference(std::string_view body) {
    int base = 10;
    if (!body.empty() && (body.front() == 'x' || body.front() == 'X')) {
        base = 16;
        body.remove_prefix(1);
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value, base);
    if (body.empty() || error != std::errc() || end != body.data() + body.size()) return std::nullopt;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return static_cast<char32_t>(value);
}

// name: the text between "&" and ";".
std::optional<char32_t> referencedCharacter(std::string_view name) {
    if (!name.empty() && name.front() == '#') return numericReference(name.substr(1));
    return namedReference(name);
}

std::string gbkOf(char32_t c) {
    if (c < 0x80) return std::string(1, static_cast<char>(c));
    return utf8ToGbk(QString::fromUcs4(&c, 1).toUtf8().toStdString());
}

}  // namespace

std::string decodeCharacterReferences(std::string_view gbk) {
    // '&', '#' and ';' never occur as the second byte of a GBK character, so a byte scan is safe.
    std::string out;
    out.reserve(gbk.size());
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        const std::size_t amp = gbk.find('&', pos);
        if (amp == std::string_view::npos) break;
        out.append(gbk.substr(pos, amp - pos));
        const std::size_t semicolon = gbk.substr(amp, kMaxReferenceLength + 1).find(';');
        const auto character = semicolon == std::string_view::npos
                                   ? std::nullopt
                                   : referencedCharacter(gbk.substr(amp + 1, semicolon - 1));
        if (!character) {
            out += '&';
            pos = amp + 1;
            continue;
        }
        out += gbkOf(*character);
        pos = amp + semicolon + 1;
    }
    out.append(gbk.substr(pos));
    return out;
}

}  // namespace lc
