#include "text/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "text/gbk_text.h"

namespace lc {
namespace {

// glibc's GBK is Windows code page 936, including 0x80 <-> U+20AC.
constexpr const char* kGbk = "GBK";
// Every conversion passes through UTF-32LE, so one "?" stands for one code point.
constexpr const char* kWide = "UTF-32LE";
constexpr std::size_t kWideUnit = 4;
constexpr std::string_view kReplacementCharacterWide{"\xFD\xFF\x00\x00", 4};

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of input; a sequence it cannot convert becomes `replacement` and `skip` input bytes
    // are passed over, so bad input never stops the conversion.
    std::string run(std::string_view input, std::size_t skip, std::string_view replacement) {
        if (!valid()) return {};
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(input.size() * 2 + 16, '\0');
        std::size_t used = 0;
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        bool flushing = false;
        for (;;) {
            char* outPtr = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t rc = flushing ? iconv(cd_, nullptr, nullptr, &outPtr, &outLeft)
                                            : iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
            used = static_cast<std::size_t>(outPtr - out.data());
            if (rc != static_cast<std::size_t>(-1)) {
                if (flushing) break;
                flushing = true;
                continue;
            }
            if (errno != E2BIG) {
                if (flushing || inLeft == 0) break;
                // EILSEQ or EINVAL: an invalid, unconvertible or cut-off sequence.
                if (out.size() - used < replacement.size()) out.resize(out.size() + replacement.size());
                out.replace(used, replacement.size(), replacement);
                used += replacement.size();
                const std::size_t n = std::min(skip, inLeft);
                in += n;
                inLeft -= n;
                continue;
            }
            out.resize(out.size() * 2);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

// Bytes passed over at an invalid sequence: one code unit of the source charset.
std::size_t codeUnitSize(std::string_view charset) {
    const auto startsWith = [&](std::string_view prefix) {
        return charset.size() >= prefix.size() && charset.substr(0, prefix.size()) == prefix;
    };
    if (startsWith("utf-16") || startsWith("ucs-2")) return 2;
    if (startsWith("utf-32") || startsWith("ucs-4")) return 4;
    return 1;
}

// iconv_open loads and iconv_close unloads the charset's module, which costs more than most conversions:
// each thread keeps its converters for the program's fixed charsets.
Converter& cachedConverter(const char* to, const char* from) {
    thread_local std::map<std::pair<std::string_view, std::string_view>, std::unique_ptr<Converter>> cache;
    std::unique_ptr<Converter>& converter = cache[{to, from}];
    if (!converter) converter = std::make_unique<Converter>(to, from);
    return *converter;
}

std::string decodeToWide(std::string_view bytes, const char* charset) {
    return cachedConverter(kWide, charset).run(bytes, codeUnitSize(charset), kReplacementCharacterWide);
}

std::string encodeWide(std::string_view wide, const char* charset, std::string_view replacement) {
    return cachedConverter(charset, kWide).run(wide, kWideUnit, replacement);
}

std::string wideToGbk(std::string_view wide) {
    return toText(encodeWide(wide, kGbk, "?"));
}

// Charset names are ASCII; the locale (Qt sets the user's) must not change how they compare.
bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Web names whose usual (Windows) meaning differs from glibc's converter of that name.
std::string iconvCharsetName(std::string_view webName) {
    static const std::pair<std::string_view, std::string_view> kAliases[] = {
        {"shift_jis", "CP932"},      {"sjis", "CP932"}, {"x-sjis", "CP932"},
        {"gb2312", "GBK"},           {"x-gbk", "GBK"},  {"iso-8859-1", "WINDOWS-1252"},
        {"ks_c_5601-1987", "CP949"}, {"big5", "CP950"},
    };
    const std::string lower = lowerAscii(webName);
    for (const auto& [name, iconvName] : kAliases) {
        if (lower == name) return std::string(iconvName);
    }
    return lower;
}

// Only plain charset names reach iconv_open: an empty name would mean the locale's charset and
// suffixes such as "//IGNORE" would change the conversion.
bool isPlainCharsetName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return isAsciiLetterOrDigit(c) || c == '-' || c == '_' || c == '.' || c == ':';
    });
}

}  // namespace

// Markup is mostly ASCII, which is the same in UTF-8 and GBK: only the runs of other bytes go through iconv.
// Such a run always ends on a sequence boundary, as every byte of a multi-byte sequence is 0x80 or above.
std::string utf8ToGbk(std::string_view utf8) {
    const std::string_view text = utf8.substr(0, utf8.find('\0'));
    const auto isAscii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    std::string out;
    out.reserve(text.size());
    for (auto pos = text.begin(); pos != text.end();) {
        const bool ascii = isAscii(*pos);
        const auto end = std::find_if(pos, text.end(), [&](char c) { return isAscii(c) != ascii; });
        const std::string_view run(pos, end);
        if (ascii) {
            out += run;
        } else {
            out += wideToGbk(decodeToWide(run, "utf-8"));
        }
        pos = end;
    }
    return out;
}

std::string gbkToUtf8(std::string_view gbk) {
    return encodeWide(decodeToWide(toText(gbk), kGbk), "UTF-8", "?");
}

std::string gbkToUtf16(std::string_view gbk, bool dropTerminator) {
    const std::string text = toText(gbk);
    if (text.empty()) return {};
    std::string utf16 = encodeWide(decodeToWide(text, kGbk), "UTF-16LE", std::string_view("?\0", 2));
    if (!dropTerminator) utf16.append(2, '\0');
    return utf16;
}

std::string utf16ToGbk(std::string_view utf16le) {
    const std::string_view units = utf16le.substr(0, utf16le.size() / 2 * 2);
    return wideToGbk(decodeToWide(units, "utf-16le"));
}

std::optional<std::string> charsetToGbk(std::string_view bytes, std::string_view charset) {
    const std::string name = iconvCharsetName(charset);
    if (!isPlainCharsetName(name)) return std::nullopt;
    Converter converter(kWide, name.c_str());
    if (!converter.valid()) return std::nullopt;
    return wideToGbk(converter.run(bytes, codeUnitSize(name), kReplacementCharacterWide));
}

}  // namespace lc
