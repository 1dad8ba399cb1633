#include "text/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace lc {
namespace {

using namespace std::string_literals;

TEST(Utf8ToGbkTest, ConvertsAndReplacesWhatGbkCannotHold) {
    struct Case {
        std::string utf8, gbk;
    };
    const Case cases[] = {
        {"plain ascii", "plain ascii"},
        {"中文", "\xD6\xD0\xCE\xC4"},
        {"\u3000", "\xA1\xA1"},
        {"€", "\x80"},
        {"a😀b", "a?b"},
        {"😀😀", "??"},
        {"", ""},
        {"ab\0cd"s, "ab"},
        // Invalid UTF-8: one "?" per byte that starts no valid sequence, and the rest still converts.
        {"\xFF"
         "a",
         "?a"},
        {"a\xC3", "a?"},
        {"\xE4\xB8"
         "a",
         "??a"},
        {"\xC0\xAF", "??"},
        {"\xED\xA0\x80", "???"},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk) << c.utf8;
}

TEST(GbkToUtf16Test, AppendsTheTerminatingUnitUnlessDropped) {
    EXPECT_EQ(gbkToUtf16("a"), "a\0\0\0"s);
    EXPECT_EQ(gbkToUtf16("a", true), "a\0"s);
    EXPECT_EQ(gbkToUtf16("\xD6\xD0", true), "\x2D\x4E"s);
    EXPECT_EQ(gbkToUtf16(""), "");
    EXPECT_EQ(gbkToUtf16("", true), "");
    EXPECT_EQ(gbkToUtf16("a\0b"s, true), "a\0"s);
}

TEST(Utf16ToGbkTest, EncodesWholeUnitsUpToTheFirstZero) {
    struct Case {
        std::string utf16, gbk;
    };
    const Case cases[] = {
        {"\x2D\x4E\x87\x65"s, "\xD6\xD0\xCE\xC4"},
        {"a\0b"s, "a"},
        {"a\0\0\0b\0"s, "a"},
        {"\x3D\xD8\x00\xDE"s, "?"},
        {"\x3D\xD8"
         "a\0"s,
         "?a"},
        {""s, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(utf16ToGbk(c.utf16), c.gbk);
}

TEST(GbkToUtf8Test, RoundTripsChineseAndMarksInvalidBytes) {
    const std::string text = "标题：优惠券 10 元 €";
    EXPECT_EQ(gbkToUtf8(utf8ToGbk(text)), text);
    EXPECT_EQ(gbkToUtf8("\xFF"
                        "a"),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(gbkToUtf8("a\xD6"), "a\xEF\xBF\xBD");
}

TEST(CharsetToGbkTest, DecodesNamedCharsetsWithTheirWindowsMeaning) {
    struct Case {
        std::string bytes, charset, gbk;
    };
    const Case cases[] = {
        {"中文", "utf-8", "\xD6\xD0\xCE\xC4"},
        {"中文", "UTF-8", "\xD6\xD0\xCE\xC4"},
        {"\xD6\xD0", "gb2312", "\xD6\xD0"},
        {"\xD6\xD0", "GBK", "\xD6\xD0"},
        // iso-8859-1 on the web means windows-1252, where 0x80 is the euro sign.
        {"\x80", "iso-8859-1", "\x80"},
        // 日本 in Shift_JIS; GBK holds both characters.
        {"\x93\xFA\x96\x7B", "Shift_JIS", "\xC8\xD5\xB1\xBE"},
        {"\xA4\xA4\xA4\xE5", "big5", "\xD6\xD0\xCE\xC4"},
        {"\x2D\x4E\x87\x65"s, "utf-16le", "\xD6\xD0\xCE\xC4"},
        {"a\xFF"
         "b",
         "utf-8", "a?b"},
        {"", "utf-8", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(charsetToGbk(c.bytes, c.charset), c.gbk) << c.charset;
}

TEST(CharsetToGbkTest, RejectsUnknownAndUnsafeNames) {
    for (const char* name : {"no-such-charset", "", "utf-8//IGNORE", "utf-8//TRANSLIT", "utf 8"}) {
        EXPECT_EQ(charsetToGbk("abc", name), std::nullopt) << name;
    }
}

}  // namespace
}  // namespace lc
