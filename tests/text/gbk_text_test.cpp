#include "text/gbk_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace lc {
namespace {

std::string gbk(const char* utf8) {
    return utf8ToGbk(utf8);
}

// 癆 is B0 41 and 癮 is B0 61 in GBK: two-byte characters whose second byte is an ASCII letter.
const std::string kTrailA = "\xB0\x41";
const std::string kTrailLowerA = "\xB0\x61";
// 中 is D6 D0.
const std::string kZhong = "\xD6\xD0";

struct FindCase {
    std::string text;
    std::string pattern;
    int start;
    bool ignoreCase;
    int expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text) << " / " << testing::PrintToString(c.pattern) << " from " << c.start
        << (c.ignoreCase ? " ignoring case" : "");
}

class FindTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTest, ReportsFirstOccurrenceOnCharacterBoundary) {
    const FindCase& c = GetParam();
    EXPECT_EQ(find(c.text, c.pattern, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTest,
    testing::Values(FindCase{"a" + kZhong + "b", "b", 1, false, 4},
                    FindCase{"a" + kZhong + "b", "\xD0", 1, false, -1},
                    FindCase{"x" + kTrailA, "A", 1, false, -1}, FindCase{"x" + kTrailA, "a", 1, true, -1},
                    FindCase{"x" + kTrailA + "A", "a", 1, true, 4},
                    FindCase{kTrailA, kTrailLowerA, 1, true, 1},
                    FindCase{kTrailA, kTrailLowerA, 1, false, -1},
                    // Characters are counted from start, so a start on a second byte is taken as is.
                    FindCase{kZhong + "a",
                             "\xD0"
                             "a",
                             2, false, 2},
                    FindCase{"ABCabc", "abc", 1, false, 4}, FindCase{"ABCabc", "abc", 1, true, 1},
                    FindCase{"abcabc", "abc", 2, false, 4}, FindCase{"abc", "a", 0, false, 1},
                    FindCase{"abc", "a", -5, false, 1}, FindCase{"abc", "c", 4, false, -1},
                    FindCase{"abc", "abcd", 1, false, -1}, FindCase{"abc", "", 3, false, 1},
                    FindCase{"abc", "", 4, false, -1}, FindCase{"", "", 1, false, -1},
                    FindCase{"Set-Cookie", "set-cookie", 1, true, 1}));

// The plain definition: try every character start from `start`, compare bytes.
int findByCharacters(const std::string& text, const std::string& pattern, int start) {
    for (std::size_t pos = static_cast<std::size_t>(start) - 1; pos + pattern.size() <= text.size();
         pos += static_cast<unsigned char>(text[pos]) >= 0x80 ? 2 : 1) {
        if (text.compare(pos, pattern.size(), pattern) == 0) return static_cast<int>(pos) + 1;
    }
    return -1;
}

TEST(GbkTextTest, FindAgreesWithACharacterByCharacterSearch) {
    // Lead bytes and ASCII letters that also occur as second bytes, so boundaries decide most matches.
    const std::string alphabet = "aA;\xB0\xD6";
    std::mt19937 random(1234);
    const auto randomText = [&](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(24);
        const std::string pattern = randomText(3);
        if (pattern.empty() || text.empty()) continue;
        const int start = 1 + static_cast<int>(random() % text.size());
        ASSERT_EQ(find(text, pattern, start, false), findByCharacters(text, pattern, start))
            << testing::PrintToString(text) << " / " << testing::PrintToString(pattern) << " from " << start;
    }
}

TEST(GbkTextTest, LeftRightMidClampTheirBounds) {
    const std::string t = "abcdef";
    EXPECT_EQ(left(t, 2), "ab");
    EXPECT_EQ(left(t, 0), "");
    EXPECT_EQ(left(t, -1), "");
    EXPECT_EQ(left(t, 99), t);
    EXPECT_EQ(right(t, 2), "ef");
    EXPECT_EQ(right(t, -3), "");
    EXPECT_EQ(right(t, 99), t);
    EXPECT_EQ(mid(t, 2, 3), "bcd");
    EXPECT_EQ(mid(t, 5, 99), "ef");
    EXPECT_EQ(mid(t, 0, 2), "");
    EXPECT_EQ(mid(t, 7, 1), "");
    EXPECT_EQ(mid(t, 6, 1), "f");
    EXPECT_EQ(mid(t, 2, 0), "");
}

TEST(GbkTextTest, ReplaceScansWholeCharactersAndContinuesAfterEachReplacement) {
    struct Case {
        std::string text, from, to;
        bool caseSensitive;
        std::string expected;
    };
    const Case cases[] = {
        {"a" + kZhong + "b", "\xD0", "x", true, "a" + kZhong + "b"},
        {"x" + kTrailA + "A", "a", "b", false, "x" + kTrailA + "b"},
        {"aAa", "a", "b", false, "bbb"},
        {"aAa", "a", "b", true, "bAb"},
        {"aaa", "aa", "b", true, "ba"},
        {"aaa", "a", "aa", true, "aaaaaa"},
        {"set-cookie: x\r\nSET-COOKIE: y", "Set-Cookie", "Set-Cookie", false,
         "Set-Cookie: x\r\nSet-Cookie: y"},
        {"abc", "", "x", true, "abc"},
        {"", "a", "x", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(replace(c.text, c.from, c.to, c.caseSensitive), c.expected) << c.text << " / " << c.from;
    }
}

TEST(GbkTextTest, SplitKeepsInnerAndLeadingEmptyPartsButNoTrailingOne) {
    struct Case {
        std::string text, separator;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a;;b;", ";", {"a", "", "b"}},
        {"", ";", {}},
        {";a", ";", {"", "a"}},
        {"a", ";", {"a"}},
        {";", ";", {""}},
        {"h1\r\nh2\r\n\r\n", "\r\n", {"h1", "h2", ""}},
        {"a; b; a", "; ", {"a", "b", "a"}},
        // The separator byte inside 癆 is no separator.
        {kTrailA + "A" + kTrailA, "A", {kTrailA, kTrailA}},
    };
    for (const Case& c : cases) EXPECT_EQ(split(c.text, c.separator), c.expected) << c.text;
}

TEST(GbkTextTest, TrimAndRemoveSpacesKnowTheFullWidthSpace) {
    const std::string fullWidth = gbk("\u3000");
    ASSERT_EQ(fullWidth, "\xA1\xA1");
    EXPECT_EQ(trim(fullWidth + " a b " + fullWidth + " "), "a b");
    EXPECT_EQ(trim("  \t a\t "), "\t a\t");
    EXPECT_EQ(trim(fullWidth + " "), "");
    // 啊 is B0 A1: its second byte and a following full-width space are not a space pair to split.
    EXPECT_EQ(trim(gbk("啊\u3000")), gbk("啊"));
    EXPECT_EQ(removeSpaces("a b\t" + fullWidth + "c "), "ab\tc");
    EXPECT_EQ(removeSpaces(gbk("啊\u3000啊")), gbk("啊啊"));
}

TEST(GbkTextTest, EqualityIgnoresCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(equal("abc", "abc"));
    EXPECT_FALSE(equal("abc", "ABC"));
    EXPECT_TRUE(equalIgnoringCase("Location: ", "LOCATION: "));
    EXPECT_FALSE(equalIgnoringCase(kTrailA, kTrailLowerA));
    EXPECT_FALSE(equalIgnoringCase("abc", "abcd"));
}

TEST(GbkTextTest, ToTextStopsAtTheFirstZeroByte) {
    EXPECT_EQ(toText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(toText(std::string("\0", 1)), "");
    EXPECT_EQ(toText("abc"), "abc");
}

TEST(TextBetweenTest, TakesTheTextAfterTheFirstStartMarker) {
    struct Case {
        std::string text, startMarker, endMarker;
        int start;
        bool ignoreCase;
        std::string expected;
    };
    const Case cases[] = {
        {"<b>x</b>", "<b>", "</b>", 0, false, "x"},
        {"no marker here", "<b>", "</b>", 0, false, ""},
        {"<b></b>", "<b>", "</b>", 0, false, ""},
        {"<b>x", "<b>", "</b>", 0, false, ""},
        {"<b>1</b><b>2</b>", "<b>", "</b>", 0, false, "1"},
        {"<b>1</b><b>2</b>", "<b>", "</b>", 2, false, "2"},
        {"<B>1</B>", "<b>", "</b>", 0, true, "1"},
        {"<B>1</B>", "<b>", "</b>", 0, false, ""},
        {"<b>", "<b>", "", 0, false, ""},
        {"a href=\"https://uland.x/y?id=1\" b", gbk("href=#引号https://uland"), gbk("#引号"), 0, false,
         ".x/y?id=1"},
        {gbk("标题：优惠券<"), gbk("标题："), "<", 1, false, gbk("优惠券")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase), c.expected)
            << c.text;
    }
}

TEST(TextBetweenTest, PlaceholderIsTheGbkFormOfTheWord) {
    EXPECT_EQ(expandQuotePlaceholder(gbk("a#引号b#引号")), "a\"b\"");
    EXPECT_EQ(expandQuotePlaceholder("#quote"), "#quote");
}

TEST(RandomLettersTest, FollowsTheCasePatternOfItsMode) {
    for (int round = 0; round < 50; ++round) {
        const std::string alternating = randomLetters(6, 2);
        ASSERT_EQ(alternating.size(), 6u);
        for (std::size_t i = 0; i < alternating.size(); ++i) {
            const char c = alternating[i];
            if (i % 2 == 0) {
                EXPECT_TRUE(c >= 'a' && c <= 'z') << alternating;
            } else {
                EXPECT_TRUE(c >= 'A' && c <= 'Z') << alternating;
            }
        }
        for (const char c : randomLetters(8, 0)) EXPECT_TRUE(c >= 'a' && c <= 'z');
        for (const char c : randomLetters(8, 1)) EXPECT_TRUE(c >= 'A' && c <= 'Z');
    }
    EXPECT_EQ(randomLetters(0, 2), "");
    EXPECT_EQ(randomLetters(-3, 0), "");
}

TEST(RandomBetweenTest, StaysWithinItsRange) {
    for (int round = 0; round < 200; ++round) {
        const std::uint32_t letter = randomBetween('a', 'z');
        EXPECT_GE(letter, static_cast<std::uint32_t>('a'));
        EXPECT_LE(letter, static_cast<std::uint32_t>('z'));
        EXPECT_EQ(randomBetween(7, 7), 7u);
        // The step formula gives at most 0x7FFF, so a large range starts at min.
        EXPECT_LE(randomBetween(10, 0), 10u + 0x7FFF);
        EXPECT_GE(randomBetween(10, 0), 10u);
        // The full 32-bit range must not divide by zero.
        EXPECT_LE(randomBetween(0, 0xFFFFFFFFu), 0x7FFFu);
    }
}

TEST(RandomLettersTest, DrawsDifferentLetters) {
    std::string all;
    for (int round = 0; round < 20; ++round) all += randomLetters(6, 0);
    EXPECT_NE(all.find_first_not_of(all[0]), std::string::npos) << all;
}

}  // namespace
}  // namespace lc
