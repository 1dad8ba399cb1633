// Runs every text operation, conversion and the regex wrapper over arbitrary bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "text/encoding.h"
#include "text/gbk_text.h"
#include "text/link_digest.h"
#include "text/regex_wrapper.h"

namespace {

void fuzzTextOperations(const std::string& text, const std::string& pattern, const std::string& other, int start,
                        bool flag) {
    lc::find(text, pattern, start, flag);
    lc::left(text, start);
    lc::right(text, start);
    lc::mid(text, start, static_cast<int>(other.size()) - 2);
    lc::replace(text, pattern, other, flag);
    lc::split(text, pattern);
    lc::trim(text);
    lc::removeSpaces(text);
    lc::equalIgnoringCase(text, pattern);
    lc::toText(text);
    lc::textBetween(text, pattern, other, start, flag);
    lc::expandQuotePlaceholder(text);
    lc::linkDigest(text);
}

void fuzzConversions(const std::string& bytes, const std::string& charset, bool flag) {
    lc::utf8ToGbk(bytes);
    lc::gbkToUtf8(bytes);
    lc::gbkToUtf16(bytes, flag);
    lc::utf16ToGbk(bytes);
    lc::charsetToGbk(bytes, charset);
}

void fuzzRegex(const std::string& pattern, const std::string& subject, const std::string& replacement,
               std::uint8_t options) {
    lc::RegexWrapper regex;
    regex.create(pattern, subject, options & 1, options & 2, options & 4, options & 8);
    const lc::RegexWrapper copy = regex;
    copy.pattern();
    copy.replace(replacement);
    int position = 0;
    for (int match = 0; match <= regex.matchCount() + 1 && match < 8; ++match) {
        regex.matchText(match, &position);
        for (int group = 0; group <= regex.groupCount() + 1 && group < 8; ++group) {
            regex.groupText(match, group, &position);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto options = provider.ConsumeIntegral<std::uint8_t>();
    const int start = provider.ConsumeIntegralInRange<int>(-2, 64);
    const std::string pattern = provider.ConsumeRandomLengthString(64);
    const std::string other = provider.ConsumeRandomLengthString(64);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    fuzzTextOperations(text, pattern, other, start, options & 1);
    fuzzConversions(text, pattern, options & 1);
    lc::randomLetters(start % 16, options % 3);
    lc::randomBetween(static_cast<std::uint32_t>(start), options);
    fuzzRegex(pattern, text, other, options);
    return 0;
}
