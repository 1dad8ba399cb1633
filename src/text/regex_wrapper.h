// A compiled pattern run once over a subject, with its matches kept for questions.
// PCRE2 (16-bit) over the subject's UTF-16 form; every failure gives empty results.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lc {

class RegexWrapper {
public:
    RegexWrapper();
    ~RegexWrapper();
    RegexWrapper(const RegexWrapper&);
    RegexWrapper& operator=(const RegexWrapper&);

    // Defaults: ignore case, multi-line, global. Texts are GBK.
    bool create(std::string_view pattern, std::string_view subject, bool caseSensitive = false,
                bool multiLine = true, bool global = true, bool quoteEscape = false);
    std::string pattern() const;
    std::string replace(std::string_view replacement) const;
    int matchCount() const;
    std::string matchText(int index, int* position = nullptr) const;
    std::string groupText(int matchIndex, int groupIndex, int* position = nullptr) const;
    int groupCount() const;

private:
    struct State;
    std::shared_ptr<State> state_;
    std::string subject_;
};

}  // namespace lc
