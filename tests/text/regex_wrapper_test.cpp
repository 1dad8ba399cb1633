#include "text/regex_wrapper.h"

#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"

namespace lc {
namespace {

std::string gbk(const char* utf8) {
    return utf8ToGbk(utf8);
}

constexpr const char* kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

TEST(RegexWrapperTest, CharsetPatternReadsTheDeclaredName) {
    struct Case {
        std::string subject, charset;
    };
    const Case cases[] = {
        {"<html><head><title>x</title></head><body>no meta</body></html>", ""},
        {R"(<head><meta charset="utf-8"></head>)", "utf-8"},
        {R"(<META http-equiv="Content-Type" content="text/html; charset=gb2312" />)", "gb2312"},
        {R"(<meta http-equiv=Content-Type content="text/html;charset=Shift_JIS">)", "Shift_JIS"},
        {"", ""},
    };
    for (const Case& c : cases) {
        RegexWrapper regex;
        EXPECT_TRUE(regex.create(kCharsetPattern, c.subject)) << c.subject;
        EXPECT_EQ(regex.groupText(1, 1), c.charset) << c.subject;
    }
}

TEST(RegexWrapperTest, IgnoresCaseByDefaultAndFollowsCaseSensitive) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create("charset", "CHARSET Charset charset"));
    EXPECT_EQ(regex.matchCount(), 3);
    EXPECT_EQ(regex.matchText(1), "CHARSET");
    ASSERT_TRUE(regex.create("charset", "CHARSET Charset charset", true));
    EXPECT_EQ(regex.matchCount(), 1);
    EXPECT_EQ(regex.matchText(1), "charset");
}

TEST(RegexWrapperTest, GlobalFindsEveryMatchOtherwiseOnlyTheFirst) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create(R"(a\d)", "a1 a2 a3"));
    EXPECT_EQ(regex.matchCount(), 3);
    EXPECT_EQ(regex.matchText(3), "a3");
    ASSERT_TRUE(regex.create(R"(a\d)", "a1 a2 a3", false, true, false));
    EXPECT_EQ(regex.matchCount(), 1);
    EXPECT_EQ(regex.matchText(2), "");
}

TEST(RegexWrapperTest, EmptyMatchesAdvanceOneCharacter) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create("x*", gbk("a中b")));
    EXPECT_EQ(regex.matchCount(), 4);
}

TEST(RegexWrapperTest, MultiLineAndDotFollowTheScriptingDialect) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create("^b$", "a\nb\nc"));
    EXPECT_EQ(regex.matchCount(), 1);
    ASSERT_TRUE(regex.create("^b$", "a\nb\nc", false, false));
    EXPECT_EQ(regex.matchCount(), 0);
    ASSERT_TRUE(regex.create("a.b", "a\nb"));
    EXPECT_EQ(regex.matchCount(), 0);
    ASSERT_TRUE(regex.create("a$", "a\n", false, false));
    EXPECT_EQ(regex.matchCount(), 0);
    ASSERT_TRUE(regex.create(R"(\u4E2D)", gbk("中")));
    EXPECT_EQ(regex.matchCount(), 1);
}

TEST(RegexWrapperTest, GroupsAreOneBasedAndEmptyBeyondTheMatches) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create(R"((\w+)=(\w+)(;)?)", "a=1; b=2"));
    EXPECT_EQ(regex.matchCount(), 2);
    EXPECT_EQ(regex.groupCount(), 3);
    EXPECT_EQ(regex.groupText(1, 1), "a");
    EXPECT_EQ(regex.groupText(1, 3), ";");
    EXPECT_EQ(regex.groupText(2, 1), "b");
    EXPECT_EQ(regex.groupText(2, 2), "2");
    EXPECT_EQ(regex.groupText(2, 3), "");
    for (const auto& [match, group] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 4}, {-1, -1}}) {
        int position = 7;
        EXPECT_EQ(regex.groupText(match, group, &position), "") << match << "," << group;
        EXPECT_EQ(position, -1);
    }
    ASSERT_TRUE(regex.create(R"((\w+)=(\w+))", "nothing here"));
    EXPECT_EQ(regex.groupCount(), 0);
}

TEST(RegexWrapperTest, WorksOnGbkTextThroughItsUtf16Form) {
    RegexWrapper regex;
    const std::string subject = gbk("<title>标题：优惠券</title>");
    ASSERT_TRUE(regex.create(gbk("标题：(.+?)<"), subject));
    EXPECT_EQ(regex.groupText(1, 1), gbk("优惠券"));
}

TEST(RegexWrapperTest, PositionIsTheZeroBasedByteOffsetFoundFromTheMatchIndex) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create(gbk("中(文)"), gbk("ab中文cd中文")));
    int position = 0;
    EXPECT_EQ(regex.matchText(1, &position), gbk("中文"));
    EXPECT_EQ(position, 2);
    EXPECT_EQ(regex.matchText(2, &position), gbk("中文"));
    EXPECT_EQ(position, 8);
    EXPECT_EQ(regex.groupText(2, 1, &position), gbk("文"));
    EXPECT_EQ(position, 10);
}

TEST(RegexWrapperTest, QuoteEscapeTurnsThePlaceholderIntoAQuote) {
    const std::string pattern = gbk(R"(href=#引号(\w+)#引号)");
    RegexWrapper regex;
    ASSERT_TRUE(regex.create(pattern, R"(<a href="abc">)", false, true, true, true));
    EXPECT_EQ(regex.pattern(), R"re(href="(\w+)")re");
    EXPECT_EQ(regex.groupText(1, 1), "abc");
    ASSERT_TRUE(regex.create(pattern, R"(<a href="abc">)"));
    EXPECT_EQ(regex.pattern(), pattern);
    EXPECT_EQ(regex.matchCount(), 0);
}

TEST(RegexWrapperTest, ReplaceUsesDollarGroupReferences) {
    struct Case {
        const char* pattern;
        const char* replacement;
        bool global;
        const char* expected;
    };
    const Case cases[] = {
        {R"((\w+)@(\w+))", "$2 at $1", true, "b at a, d at c"},
        {R"((\w+)@(\w+))", "$2 at $1", false, "b at a, c@d"},
        {R"((\w+)@(\w+))", "[$&]", true, "[a@b], [c@d]"},
        {R"((\w+)@(\w+))", "$$1 $9 $x $", true, "$1 $9 $x $, $1 $9 $x $"},
        {R"((\w+)@(\w+)(!)?)", "$1$3", true, "a, c"},
        {"zzz", "y", true, "a@b, c@d"},
    };
    for (const Case& c : cases) {
        RegexWrapper regex;
        ASSERT_TRUE(regex.create(c.pattern, "a@b, c@d", false, true, c.global));
        EXPECT_EQ(regex.replace(c.replacement), c.expected) << c.replacement;
    }
}

TEST(RegexWrapperTest, ReplaceKeepsChineseText) {
    RegexWrapper regex;
    ASSERT_TRUE(regex.create(gbk("(优惠)券"), gbk("一张优惠券")));
    EXPECT_EQ(regex.replace(gbk("[$1]")), gbk("一张[优惠]"));
}

TEST(RegexWrapperTest, InvalidPatternGivesEmptyResults) {
    RegexWrapper regex;
    EXPECT_FALSE(regex.create("(unclosed", "unclosed"));
    EXPECT_EQ(regex.pattern(), "(unclosed");
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.matchText(1), "");
    EXPECT_EQ(regex.groupCount(), 0);
    EXPECT_EQ(regex.replace("x"), "");
}

TEST(RegexWrapperTest, UnusedObjectAnswersEmpty) {
    const RegexWrapper regex;
    EXPECT_EQ(regex.pattern(), "");
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.groupText(1, 1), "");
    EXPECT_EQ(regex.replace("x"), "");
}

TEST(RegexWrapperTest, HostileBacktrackingStopsAtTheMatchLimit) {
    const std::string subject = std::string(5000, 'a') + "!";
    for (const char* pattern : {"(a+)+$", "(a|aa)+$", "(.*a){20}$"}) {
        RegexWrapper regex;
        EXPECT_FALSE(regex.create(pattern, subject, false, false)) << pattern;
        EXPECT_EQ(regex.matchCount(), 0);
        EXPECT_EQ(regex.groupText(1, 1), "");
        EXPECT_EQ(regex.replace("x"), "");
    }
}

TEST(RegexWrapperTest, OversizedMatchCollectionFailsInsteadOfExhaustingMemory) {
    // An empty match with 31 groups at each of 140 000 positions: over 4 million stored spans.
    const std::string subject(140'000, 'a');
    std::string groups;
    for (int i = 0; i < 31; ++i) groups += "()";
    RegexWrapper regex;
    EXPECT_FALSE(regex.create(groups, subject));
    EXPECT_EQ(regex.matchCount(), 0);
    ASSERT_TRUE(regex.create("()", subject));
    EXPECT_EQ(regex.matchCount(), 140'001);
}

TEST(RegexWrapperTest, CopySharesTheMatchesAndKeepsItsOwnSubject) {
    RegexWrapper original;
    ASSERT_TRUE(original.create(R"(\d)", "a1b2"));
    RegexWrapper copy(original);
    ASSERT_TRUE(original.create("x", "xyz"));
    EXPECT_EQ(copy.matchCount(), 2);
    EXPECT_EQ(copy.matchText(2), "2");
    EXPECT_EQ(copy.replace("#"), "a#b#");
    EXPECT_EQ(original.replace("#"), "#yz");
    copy = original;
    EXPECT_EQ(copy.matchText(1), "x");
}

}  // namespace
}  // namespace lc
