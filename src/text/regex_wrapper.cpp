#include "text/regex_wrapper.h"

#include <pcre2.h>

#include <optional>
#include <vector>

#include "text/encoding.h"
#include "text/gbk_text.h"

namespace lc {
namespace {

// Bounds on one match attempt, so a hostile pattern or subject ends with "no result" instead of hanging.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr std::uint32_t kHeapLimitKib = 20 * 1024;
// Bounds the match collection (16 bytes a span): an empty-matching pattern over a huge subject fails instead.
constexpr std::size_t kMaxStoredSpans = std::size_t{1} << 22;

// Closest to the scripting engine's dialect: \uhhhh escapes, [] and [^] classes, a backreference to an
// unset group matches empty, "$" without multi-line matches only at the very end.
constexpr std::uint32_t kDialectOptions =
    PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct CompileContextDeleter {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

using CodePtr = std::unique_ptr<pcre2_code, CodeDeleter>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextDeleter>;

std::u16string toUtf16(std::string_view gbk) {
    const std::string bytes = gbkToUtf16(gbk, true);
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
}

std::string toGbk(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return utf16ToGbk(bytes);
}

CodePtr compile(std::u16string_view pattern, bool caseSensitive, bool multiLine) {
    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> context(
        pcre2_compile_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    const std::uint32_t options =
        kDialectOptions | (caseSensitive ? 0 : PCRE2_CASELESS) | (multiLine ? PCRE2_MULTILINE : 0);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    return CodePtr(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                                 &error, &errorOffset, context.get()));
}

MatchContextPtr boundedMatchContext() {
    MatchContextPtr context(pcre2_match_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_match_limit(context.get(), kMatchLimit);
    pcre2_set_depth_limit(context.get(), kDepthLimit);
    pcre2_set_heap_limit(context.get(), kHeapLimitKib);
    return context;
}

std::uint32_t captureCount(const pcre2_code* code) {
    std::uint32_t count = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &count);
    return count;
}

std::size_t nextCharacter(std::u16string_view text, std::size_t pos) {
    const bool pair = pos + 1 < text.size() && text[pos] >= 0xD800 && text[pos] <= 0xDBFF &&
                      text[pos + 1] >= 0xDC00 && text[pos + 1] <= 0xDFFF;
    return pos + (pair ? 2 : 1);
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::u16string groupReference(unsigned group) {
    std::u16string out = u"${";
    for (const char c : std::to_string(group)) out.push_back(static_cast<char16_t>(c));
    out.push_back(u'}');
    return out;
}

// Translates the scripting engine's replacement syntax ($1 to $99, $&, $$; any other "$" is literal)
// into PCRE2's.
std::u16string pcre2Replacement(std::u16string_view text, std::uint32_t groups) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'$') {
            out.push_back(text[i]);
            continue;
        }
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (next == u'$' || next == u'&') {
            out += next == u'$' ? u"$$" : u"${0}";
            ++i;
            continue;
        }
        if (isDigit(next)) {
            const unsigned one = next - u'0';
            const bool hasSecond = i + 2 < text.size() && isDigit(text[i + 2]);
            const unsigned two = hasSecond ? one * 10 + (text[i + 2] - u'0') : 0;
            if (two >= 1 && two <= groups) {
                out += groupReference(two);
                i += 2;
                continue;
            }
            if (one >= 1 && one <= groups) {
                out += groupReference(one);
                i += 1;
                continue;
            }
        }
        out += u"$$";
    }
    return out;
}

}  // namespace

struct RegexWrapper::State {
    struct Span {
        std::size_t begin = PCRE2_UNSET;
        std::size_t end = PCRE2_UNSET;
    };
    // Matches stored flat, each as `pairs` spans (the match, then its groups) in UTF-16 offsets into
    // subject; texts are made on request.
    std::size_t pairs = 0;
    std::vector<Span> spans;

    std::string pattern;
    bool caseSensitive = false;
    bool global = true;
    CodePtr code;
    MatchContextPtr matchContext;
    std::u16string subject;

    std::size_t matchCount() const { return pairs == 0 ? 0 : spans.size() / pairs; }
    bool run();
    std::string spanText(int matchIndex, int spanIndex, std::string_view subjectGbk, int* position) const;
};

// Span spanIndex (0: the whole match) of match matchIndex (1-based). The position search starts at the
// match's UTF-16 index, as the scripting engine's FirstIndex was used.
std::string RegexWrapper::State::spanText(int matchIndex, int spanIndex, std::string_view subjectGbk,
                                          int* position) const {
    if (position) *position = -1;
    if (matchIndex < 1 || static_cast<std::size_t>(matchIndex) > matchCount()) return {};
    if (spanIndex < 0 || static_cast<std::size_t>(spanIndex) >= pairs) return {};
    const Span* match = &spans[(static_cast<std::size_t>(matchIndex) - 1) * pairs];
    const Span& span = match[spanIndex];
    std::string value;
    if (span.begin != PCRE2_UNSET && span.end > span.begin) {
        value = toGbk(std::u16string_view(subject).substr(span.begin, span.end - span.begin));
    }
    if (position) *position = find(subjectGbk, value, static_cast<int>(match[0].begin), !caseSensitive) - 1;
    return value;
}

bool RegexWrapper::State::run() {
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!data) return false;
    pairs = pcre2_get_ovector_count(data.get());
    const PCRE2_SPTR units = reinterpret_cast<PCRE2_SPTR>(subject.data());
    std::uint32_t options = 0;
    for (std::size_t start = 0; start <= subject.size();) {
        const int rc =
            pcre2_match(code.get(), units, subject.size(), start, options, data.get(), matchContext.get());
        if (rc == PCRE2_ERROR_NOMATCH) break;
        if (rc < 0 || spans.size() + pairs > kMaxStoredSpans) {
            spans.clear();
            return false;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        for (std::size_t i = 0; i < pairs; ++i) spans.push_back({ovector[2 * i], ovector[2 * i + 1]});
        if (!global) break;
        start = ovector[1] > ovector[0] ? ovector[1] : nextCharacter(subject, ovector[0]);
        // The subject was checked by the first call; checking it again per match would be quadratic.
        options = PCRE2_NO_UTF_CHECK;
    }
    return true;
}

RegexWrapper::RegexWrapper() = default;
RegexWrapper::~RegexWrapper() = default;
RegexWrapper::RegexWrapper(const RegexWrapper&) = default;
RegexWrapper& RegexWrapper::operator=(const RegexWrapper&) = default;

bool RegexWrapper::create(std::string_view pattern, std::string_view subject, bool caseSensitive,
                          bool multiLine, bool global, bool quoteEscape) {
    auto state = std::make_shared<State>();
    state->pattern = quoteEscape ? expandQuotePlaceholder(pattern) : std::string(pattern);
    state->caseSensitive = caseSensitive;
    state->global = global;
    subject_ = std::string(subject);
    state_ = state;
    state->code = compile(toUtf16(state->pattern), caseSensitive, multiLine);
    state->matchContext = boundedMatchContext();
    if (!state->code || !state->matchContext) return false;
    state->subject = toUtf16(subject_);
    return state->run();
}

std::string RegexWrapper::pattern() const {
    return state_ ? state_->pattern : std::string();
}

std::string RegexWrapper::replace(std::string_view replacement) const {
    if (!state_ || !state_->code || !state_->matchContext) return {};
    const std::u16string subject = toUtf16(subject_);
    const std::u16string with = pcre2Replacement(toUtf16(replacement), captureCount(state_->code.get()));
    const std::uint32_t options = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | PCRE2_SUBSTITUTE_UNSET_EMPTY |
                                  (state_->global ? PCRE2_SUBSTITUTE_GLOBAL : 0);
    std::u16string out(subject.size() + with.size() + 1, u'\0');
    for (;;) {
        PCRE2_SIZE length = out.size();
        const int rc = pcre2_substitute(state_->code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                        subject.size(), 0, options, nullptr, state_->matchContext.get(),
                                        reinterpret_cast<PCRE2_SPTR>(with.data()), with.size(),
                                        reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (rc == PCRE2_ERROR_NOMEMORY && length > out.size()) {
            out.resize(length);
            continue;
        }
        if (rc < 0) return {};
        out.resize(length);
        return toGbk(out);
    }
}

int RegexWrapper::matchCount() const {
    return state_ ? static_cast<int>(state_->matchCount()) : 0;
}

std::string RegexWrapper::matchText(int index, int* position) const {
    return state_ ? state_->spanText(index, 0, subject_, position) : std::string();
}

std::string RegexWrapper::groupText(int matchIndex, int groupIndex, int* position) const {
    if (!state_ || groupIndex < 1) {
        if (position) *position = -1;
        return {};
    }
    return state_->spanText(matchIndex, groupIndex, subject_, position);
}

int RegexWrapper::groupCount() const {
    if (matchCount() == 0) return 0;
    return static_cast<int>(captureCount(state_->code.get()));
}

}  // namespace lc
