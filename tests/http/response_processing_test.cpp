#include "http/response_processing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"

namespace lc {
namespace {

std::string gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

struct StatusCase {
    std::string headers;
    std::string statusText;
};

class StatusTextTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusTextTest, IsTheFirstLineFromItsTenthByte) {
    HttpRequest request;
    request.statusText = "stale";
    processResponse(GetParam().headers, "", request);
    EXPECT_EQ(request.statusText, GetParam().statusText);
}

INSTANTIATE_TEST_SUITE_P(
    StatusLines, StatusTextTest,
    ::testing::Values(StatusCase{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "200 OK"},
                      StatusCase{"HTTP/1.0 404 Not Found\r\n\r\n", "404 Not Found"},
                      StatusCase{"HTTP/1.1 204\r\n\r\n", "204"},
                      StatusCase{"HTTP/1.1 2", ""},                      // shorter than ten bytes
                      StatusCase{"HTTP/1.1 200 OK", ""},                 // no line end at all
                      StatusCase{"HTTP/1.1\r\nX: 1\r\n\r\n", "\nX: 1"},  // the next line end counts
                      StatusCase{"", ""}));

TEST(ResponseCookies, SetCookieLinesInAnyCaseGiveTheirItemsInHeaderOrder) {
    HttpRequest request;
    processResponse(
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/; HttpOnly\r\nset-cookie: b=2\r\nSET-COOKIE:c=3;\r\n\r\n",
        "", request);
    EXPECT_EQ(request.returnedCookies, "a=1; b=2; c=3");
    EXPECT_EQ(
        request.returnedHeaders,
        "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/; HttpOnly\r\nSet-Cookie: b=2\r\nSet-Cookie:c=3;\r\n\r\n");
}

TEST(ResponseCookies, NoSetCookieLeavesReturnedCookiesEmpty) {
    HttpRequest request;
    request.cookies.emplace("a=1");
    request.autoMerge = false;
    processResponse("HTTP/1.1 200 OK\r\n\r\n", "", request);
    EXPECT_EQ(request.returnedCookies, "");
    EXPECT_EQ(request.cookies, "a=1");
}

TEST(ResponseCookies, AreMergedIntoSuppliedCookiesUnlessAutoMergeIsOff) {
    const std::string headers = "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\n\r\n";
    HttpRequest merged;
    merged.cookies.emplace("a=1; b=2");
    processResponse(headers, "", merged);
    EXPECT_EQ(merged.returnedCookies, "b=3; a=1");
    EXPECT_EQ(merged.cookies, "b=3; a=1");

    HttpRequest unmerged;
    unmerged.cookies.emplace("a=1; b=2");
    unmerged.autoMerge = false;
    processResponse(headers, "", unmerged);
    EXPECT_EQ(unmerged.returnedCookies, "b=3");
    EXPECT_EQ(unmerged.cookies, "a=1; b=2");

    HttpRequest omitted;
    processResponse(headers, "", omitted);
    EXPECT_EQ(omitted.returnedCookies, "b=3");
    EXPECT_FALSE(omitted.cookies.has_value());
}

TEST(ResponseCookies, SuppliedEmptyCookiesStillMerge) {
    HttpRequest request;
    request.cookies.emplace("");
    processResponse("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: gone=deleted\r\n\r\n", "", request);
    EXPECT_EQ(request.returnedCookies, "a=1");
    EXPECT_EQ(request.cookies, "a=1");
}

TEST(ResponseLocation, AnyCaseSetsLocationAndTheLastLineWins) {
    HttpRequest request;
    request.location = "untouched";
    processResponse("HTTP/1.1 302 Found\r\nlocation: /first\r\nLOCATION: http://h/second?x=1\r\n\r\n", "",
                    request);
    EXPECT_EQ(request.location, "http://h/second?x=1");

    HttpRequest none;
    none.location = "untouched";
    processResponse("HTTP/1.1 200 OK\r\nContent-Location: /x\r\n\r\n", "", none);
    EXPECT_EQ(none.location, "untouched");
}

struct MergeCase {
    std::string cookies;
    std::string newCookies;
    std::string merged;
};

class MergeCookiesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, MergesNewItemsFirstAndStoresTheResult) {
    std::string cookies = GetParam().cookies;
    std::string newCookies = GetParam().newCookies;
    EXPECT_EQ(mergeCookies(cookies, newCookies), GetParam().merged);
    EXPECT_EQ(cookies, GetParam().merged);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeCookiesTest,
                         ::testing::Values(MergeCase{"a=1; b=2", "b=3", "b=3; a=1"},
                                           MergeCase{"a=1; b=2", "b=deleted",
                                                     "a=1"},                  // deletes the old item too
                                           MergeCase{"a=1; a=2", "", "a=1"},  // first old item of a name
                                           MergeCase{"", "c=1; c=1", "c=1"},  // repeated items once
                                           MergeCase{"a = 1 ;b=2", "x=9", "x=9; a=1; b=2"},  // spaces removed
                                           MergeCase{"flag; a=1", "flag", "flag; a=1"},  // items without "="
                                           MergeCase{"", "", ""}));

TEST(MergeCookies, LeavesNewCookiesWithoutSpaces) {
    std::string cookies = "a=1";
    std::string newCookies = "b = 2; c=3";
    mergeCookies(cookies, newCookies);
    EXPECT_EQ(newCookies, "b=2;c=3");
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
    EXPECT_EQ(cookieName(" a =1=2"), "a");
    EXPECT_EQ(cookieName(" flag "), "flag");
    EXPECT_EQ(cookieName("=v"), "");
}

TEST(DedupeJoined, KeepsTheFirstOfEachPart) {
    EXPECT_EQ(dedupeJoined("x|y|x|z|y", "|"), "x|y|z");
    EXPECT_EQ(dedupeJoined("a=1; a=1", "; "), "a=1");
    EXPECT_EQ(dedupeJoined("", "; "), "");
}

struct CharsetCase {
    std::string name;
    std::string body;
    std::string result;
};

class CharsetTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetTest, ReDecodesTheBodyFromItsDeclaredCharset) {
    HttpRequest request;
    EXPECT_EQ(processResponse("HTTP/1.1 200 OK\r\n\r\n", GetParam().body, request), GetParam().result);
    EXPECT_EQ(request.bodyBytes, GetParam().body);
}

const std::string kUtf8Page = "<html><meta charset=\"utf-8\">优惠券</html>";
const std::string kGbkPage = gbk("<meta http-equiv=Content-Type content=\"text/html; charset=gbk\">优惠券");
const std::string kPadding(1024, ' ');

INSTANTIATE_TEST_SUITE_P(
    Pages, CharsetTest,
    ::testing::Values(
        CharsetCase{"Utf8", kUtf8Page, gbk(kUtf8Page)},
        CharsetCase{"Utf8UpperCaseMeta", "<META CHARSET=UTF-8>券", gbk("<META CHARSET=UTF-8>券")},
        CharsetCase{"GbkAsRead", kGbkPage, kGbkPage},
        CharsetCase{"Gb2312AsRead", gbk("<meta charset=gb2312>券"), gbk("<meta charset=gb2312>券")},
        CharsetCase{"UpperCaseGbkIsDecodedAsGbk", gbk("<meta charset=GBK>券"), gbk("<meta charset=GBK>券")},
        CharsetCase{"UnknownNameAsRead", "<meta charset=x-no-such-set>\xE5\x88\xB8",
                    "<meta charset=x-no-such-set>\xE5\x88\xB8"},
        CharsetCase{"NoMetaAsRead", "<p>\xE5\x88\xB8</p>", "<p>\xE5\x88\xB8</p>"},
        CharsetCase{"MetaBeyond1024BytesIgnored", kPadding + "<meta charset=utf-8>\xE5\x88\xB8",
                    kPadding + "<meta charset=utf-8>\xE5\x88\xB8"}),
    [](const ::testing::TestParamInfo<CharsetCase>& info) { return info.param.name; });

TEST(ResponseBody, ResultStopsAtAZeroByteWhileBodyBytesKeepsAll) {
    HttpRequest request;
    const std::string body("ab\0cd", 5);
    EXPECT_EQ(processResponse("HTTP/1.1 200 OK\r\n\r\n", body, request), "ab");
    EXPECT_EQ(request.bodyBytes, body);
}

TEST(ResponseBody, InvalidUtf8UnderAUtf8MetaKeepsTheValidText) {
    HttpRequest request;
    const std::string body = "<meta charset=utf-8>\xFF\xFE ok \xC3 \xE5\x88\xB8";
    const std::string result = processResponse("HTTP/1.1 200 OK\r\n\r\n", body, request);
    EXPECT_EQ(result.substr(0, 20), "<meta charset=utf-8>");
    EXPECT_NE(result.find(" ok "), std::string::npos);
    EXPECT_NE(result.find(gbk("券")), std::string::npos);
}

TEST(ResponseHeaders, AMegabyteOfHeadersIsReadLineByLine) {
    std::string headers = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 20000; ++i)
        headers += "Set-Cookie: k" + std::to_string(i) + "=" + std::string(40, 'v') + "\r\n";
    headers += "\r\n";
    ASSERT_GT(headers.size(), 1'000'000u);
    HttpRequest request;
    processResponse(headers, "", request);
    EXPECT_EQ(request.statusText, "200 OK");
    EXPECT_TRUE(request.returnedCookies.starts_with("k0=" + std::string(40, 'v') + "; k1="));
    EXPECT_TRUE(request.returnedCookies.ends_with("; k19999=" + std::string(40, 'v')));
}

TEST(ResponseHeaders, ZeroByteEndsTheHeaderText) {
    HttpRequest request;
    processResponse(std::string("HTTP/1.1 200 OK\r\nX: a\0b\r\n\r\n", 26), "", request);
    EXPECT_EQ(request.returnedHeaders, "HTTP/1.1 200 OK\r\nX: a");
}

TEST(ResponseEvents, RunAfterEachHeaderLineAndAfterTheCharsetCheck) {
    int runs = 0;
    HttpRequest request;
    request.processEvents = [&] { ++runs; };
    processResponse("HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n", "<p>x</p>", request);
    // Four lines (the blank line before the final CR LF among them), then the charset check.
    EXPECT_EQ(runs, 4 + 1);
}

}  // namespace
}  // namespace lc
