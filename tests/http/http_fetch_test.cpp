#include "http/http_fetch.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/recording_server.h"
#include "text/encoding.h"

namespace lc {
namespace {

using lc::test::Connection;
using lc::test::okResponse;
using lc::test::RecordingServer;
using lc::test::TlsIdentity;
using namespace std::chrono_literals;

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
const std::string kAcceptLines =
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded\r\n";
const std::string kCacheControl = "Cache-Control: no-cache\r\n";

std::string gbk(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

RecordingServer::Responder answer(std::string response) {
    return [response = std::move(response)](const std::string&) { return response; };
}

std::string hostOf(const RecordingServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

size_t occurrences(std::string_view text, std::string_view part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A request whose out-values hold markers, so a test sees which ones a fetch wrote.
HttpRequest markedRequest(std::string url) {
    HttpRequest request;
    request.url = std::move(url);
    request.cookies = "c=1";
    request.returnedCookies = "kept";
    request.returnedHeaders = "kept";
    request.location = "kept";
    request.bodyBytes = "kept";
    return request;
}

void expectOutValuesUntouched(const HttpRequest& request) {
    EXPECT_EQ(request.cookies, "c=1");
    EXPECT_EQ(request.returnedCookies, "kept");
    EXPECT_EQ(request.returnedHeaders, "kept");
    EXPECT_EQ(request.location, "kept");
    EXPECT_EQ(request.bodyBytes, "kept");
}

// --- The request on the wire -------------------------------------------------------------------

struct WireCase {
    std::string name{};
    std::string path{};
    int method = 0;
    std::string body{};
    std::string extraHeaders{};
    std::optional<std::string> cookies{};
    std::string requestLine{};
    std::string headerLines{};  // between Host and the blank line
};

class WireTest : public ::testing::TestWithParam<WireCase> {};

TEST_P(WireTest, SendsVerbObjectHeaderBlockAndBody) {
    const WireCase& wire = GetParam();
    RecordingServer server(answer(okResponse("ok")));
    HttpRequest request;
    request.url = server.url(wire.path);
    request.method = wire.method;
    request.body = wire.body;
    request.extraHeaders = wire.extraHeaders;
    request.cookies = wire.cookies;
    HttpFetch(request);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], wire.requestLine + "\r\nHost: " + hostOf(server) + "\r\n" +
                                        wire.headerLines + "\r\n" + wire.body);
}

const std::string kDefaults = kUserAgent + kAcceptLines + kCacheControl;
const std::string kBigBody(2 << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Requests, WireTest,
    ::testing::Values(
        WireCase{.name = "EmptyPathAsksForRoot",
                 .path = "",
                 .requestLine = "GET / HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "QueryKept",
                 .path = "/a/../b?x=1&y=%41",
                 .requestLine = "GET /a/../b?x=1&y=%41 HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "UnsafeBytesEscaped",
                 .path = gbk("/搜 索?q=\"券\""),
                 .requestLine = "GET /%E6%90%9C%20%E7%B4%A2?q=%22%E5%88%B8%22 HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{
            .name = "Post",
            .path = "/form",
            .method = 1,
            .body = "a=1&b=%E5",
            .requestLine = "POST /form HTTP/1.1",
            .headerLines = kUserAgent + kAcceptLines + kFormType + kCacheControl + "Content-Length: 9\r\n"},
        WireCase{.name = "PostLowerCaseContentTypeStillGetsTheDefault",
                 .path = "/form",
                 .method = 1,
                 .body = "{}",
                 .extraHeaders = "content-type: application/json",
                 .requestLine = "POST /form HTTP/1.1",
                 .headerLines = "content-type: application/json\r\n" + kUserAgent + kAcceptLines + kFormType +
                                kCacheControl + "Content-Length: 2\r\n"},
        WireCase{.name = "PostOwnContentType",
                 .path = "/form",
                 .method = 1,
                 .body = "{}",
                 .extraHeaders = "Content-Type: application/json",
                 .requestLine = "POST /form HTTP/1.1",
                 .headerLines = "Content-Type: application/json\r\n" + kDefaults + "Content-Length: 2\r\n"},
        WireCase{
            .name = "PostWithoutBody",
            .path = "/form",
            .method = 1,
            .requestLine = "POST /form HTTP/1.1",
            .headerLines = kUserAgent + kAcceptLines + kFormType + kCacheControl + "Content-Length: 0\r\n"},
        WireCase{.name = "BigPostWithoutExpect",
                 .path = "/up",
                 .method = 1,
                 .body = kBigBody,
                 .requestLine = "POST /up HTTP/1.1",
                 .headerLines = kUserAgent + kAcceptLines + kFormType + kCacheControl +
                                "Content-Length: 2097152\r\n"},
        WireCase{.name = "Head",
                 .path = "/h",
                 .method = 2,
                 .requestLine = "HEAD /h HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "PutBodyWithoutFormType",
                 .path = "/p",
                 .method = 3,
                 .body = "data",
                 .requestLine = "PUT /p HTTP/1.1",
                 .headerLines = kDefaults + "Content-Length: 4\r\n"},
        WireCase{.name = "Delete",
                 .path = "/d",
                 .method = 5,
                 .requestLine = "DELETE /d HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "MethodNineIsGet",
                 .path = "/n",
                 .method = 9,
                 .requestLine = "GET /n HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "GetWithBody",
                 .path = "/g",
                 .body = "q",
                 .requestLine = "GET /g HTTP/1.1",
                 .headerLines = kDefaults + "Content-Length: 1\r\n"},
        WireCase{.name = "UserAgentInAnyCaseReplacesTheDefault",
                 .path = "/",
                 .extraHeaders = "uSER-aGENT: Bot/1\r\nX-Trace: 7",
                 .requestLine = "GET / HTTP/1.1",
                 .headerLines = "uSER-aGENT: Bot/1\r\nX-Trace: 7\r\n" + kAcceptLines + kCacheControl},
        WireCase{.name = "CookiesLast",
                 .path = "/",
                 .cookies = "a=1; b=2",
                 .requestLine = "GET / HTTP/1.1",
                 .headerLines = kDefaults + "Cookie: a=1; b=2\r\n"},
        WireCase{.name = "EmptyCookiesNoLine",
                 .path = "/",
                 .cookies = "",
                 .requestLine = "GET / HTTP/1.1",
                 .headerLines = kDefaults},
        WireCase{.name = "OwnCookieLineWins",
                 .path = "/",
                 .extraHeaders = "cookie: z=9",
                 .cookies = "a=1",
                 .requestLine = "GET / HTTP/1.1",
                 .headerLines = "cookie: z=9\r\n" + kDefaults}),
    [](const ::testing::TestParamInfo<WireCase>& info) { return info.param.name; });

TEST(HttpFetch, ReturnsTheBodyAsGbkAndFillsTheOutValues) {
    const std::string page = "<html><meta charset=\"utf-8\"><p>优惠券</p></html>";
    RecordingServer server(answer(okResponse(page, "Set-Cookie: s=1; Path=/\r\n")));
    int eventRuns = 0;
    HttpRequest request;
    request.url = server.url("/page");
    request.cookies = "a=1";
    request.processEvents = [&] { ++eventRuns; };
    EXPECT_EQ(HttpFetch(request), gbk(page));
    EXPECT_EQ(request.statusText, "200 OK");
    EXPECT_EQ(request.bodyBytes, page);
    EXPECT_EQ(request.returnedHeaders, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(page.size()) +
                                           "\r\nSet-Cookie: s=1; Path=/\r\n\r\n");
    EXPECT_EQ(request.returnedCookies, "s=1; a=1");
    EXPECT_EQ(request.cookies, "s=1; a=1");
    EXPECT_EQ(eventRuns, 4 + 1 + 1);  // header lines, charset check, way out
}

TEST(HttpFetch, BareLineFeedsInTheHeaderBlockBecomeCrLf) {
    RecordingServer server(answer("HTTP/1.1 200 OK\nSet-Cookie: s=1\nContent-Length: 2\n\nok"));
    HttpRequest request;
    request.url = server.url("/");
    EXPECT_EQ(HttpFetch(request), "ok");
    EXPECT_EQ(request.returnedHeaders, "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\nContent-Length: 2\r\n\r\n");
    EXPECT_EQ(request.returnedCookies, "s=1");
}

// libcurl refuses a header block beyond 300 KiB, as the response never completing.
TEST(HttpFetch, AMegabyteOfResponseHeadersFailsWith712) {
    std::string cookies;
    for (int i = 0; i < 20000; ++i)
        cookies += "Set-Cookie: k" + std::to_string(i) + "=" + std::string(40, 'v') + "\r\n";
    RecordingServer server(answer(okResponse("ok", cookies)));
    HttpRequest request = markedRequest(server.url("/"));
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("712 服务器未响应!"));
    expectOutValuesUntouched(request);
}

struct CredentialCase {
    std::string user;
    std::string password;
    bool sent;
};

class CredentialTest : public ::testing::TestWithParam<CredentialCase> {};

TEST_P(CredentialTest, BasicAuthorizationOnlyWithNameAndPassword) {
    RecordingServer server(answer(okResponse("ok")));
    HttpRequest request;
    request.url = server.url("/");
    request.userName = GetParam().user;
    request.password = GetParam().password;
    HttpFetch(request);
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string head = "GET / HTTP/1.1\r\nHost: " + hostOf(server) + "\r\n";
    EXPECT_EQ(
        server.requests()[0],
        head + (GetParam().sent ? "Authorization: Basic dXNlcjpzZWNyZXQ=\r\n" : "") + kDefaults + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Credentials, CredentialTest,
                         ::testing::Values(CredentialCase{"user", "secret", true},
                                           CredentialCase{"user", "", false},
                                           CredentialCase{"", "secret", false}));

TEST(HttpFetch, AHeaderLineWithoutColonFailsWith710) {
    RecordingServer server(answer(okResponse("ok")));
    HttpRequest request = markedRequest(server.url("/"));
    request.extraHeaders = "X-Good: 1\r\nnot a header";
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("710 设置协议头失败!"));
    expectOutValuesUntouched(request);
    EXPECT_TRUE(server.requests().empty());
}

// --- TLS and proxies -----------------------------------------------------------------------

class TlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        identity_ = new TlsIdentity(TlsIdentity::selfSigned());
        caFile_ = new std::string(std::filesystem::temp_directory_path() /
                                  ("lc-http-test-ca-" + std::to_string(getpid()) + ".pem"));
        std::ofstream(*caFile_) << identity_->certificatePem;
    }
    static void TearDownTestSuite() {
        std::filesystem::remove(*caFile_);
        delete caFile_;
        delete identity_;
    }
    static TlsIdentity* identity_;
    static std::string* caFile_;
};

TlsIdentity* TlsTest::identity_ = nullptr;
std::string* TlsTest::caFile_ = nullptr;

TEST_F(TlsTest, HttpsSpeaksHttp11ToATrustedServer) {
    RecordingServer server(answer(okResponse("secure")), *identity_);
    HttpRequest request;
    request.url = server.url("/s");
    request.trustedCaFile = *caFile_;
    EXPECT_EQ(HttpFetch(request), "secure");
    EXPECT_EQ(request.statusText, "200 OK");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET /s HTTP/1.1\r\nHost: " + hostOf(server) + "\r\n" + kDefaults + "\r\n");
}

TEST_F(TlsTest, AnUntrustedCertificateFailsWith711) {
    RecordingServer server(answer(okResponse("secure")), *identity_);
    HttpRequest request = markedRequest(server.url("/s"));
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("711 发送请求失败!"));
    expectOutValuesUntouched(request);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(TlsTest, HttpGoesThroughTheProxyInAbsoluteForm) {
    RecordingServer proxy(answer(okResponse("proxied")));
    HttpRequest request;
    request.url = "http://127.0.0.1:1/x?y=1";  // reached only through the proxy
    request.proxy = hostOf(proxy);
    request.proxyUser = "pu";
    request.proxyPassword = "pp";
    EXPECT_EQ(HttpFetch(request), "proxied");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0],
              "GET http://127.0.0.1:1/x?y=1 HTTP/1.1\r\nHost: 127.0.0.1:1\r\nProxy-Authorization: Basic "
              "cHU6cHA=\r\n" +
                  kDefaults + "\r\n");
}

TEST_F(TlsTest, HttpsGoesThroughAProxyTunnel) {
    RecordingServer server(answer(okResponse("tunnelled")), *identity_);
    RecordingServer proxy([&](Connection& connection) {
        if (connection.readRequest()) connection.tunnelTo(server.port());
    });
    HttpRequest request;
    request.url = server.url("/t");
    request.proxy = hostOf(proxy);
    request.extraHeaders = "X-Origin-Only: 1";
    request.trustedCaFile = *caFile_;
    EXPECT_EQ(HttpFetch(request), "tunnelled");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0],
              "CONNECT " + hostOf(server) + " HTTP/1.1\r\nHost: " + hostOf(server) + "\r\n\r\n");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET /t HTTP/1.1\r\nHost: " + hostOf(server) + "\r\nX-Origin-Only: 1\r\n" + kDefaults + "\r\n");
}

TEST_F(TlsTest, AProxyRefusingTheTunnelIsItsResponse) {
    RecordingServer proxy(
        answer("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic "
               "realm=\"p\"\r\nContent-Length: 0\r\n\r\n"));
    HttpRequest request;
    request.url = "https://127.0.0.1:1/";
    request.proxy = hostOf(proxy);
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, "407 Proxy Authentication Required");
    EXPECT_NE(request.returnedHeaders.find("Proxy-Authenticate: Basic realm=\"p\"\r\n"), std::string::npos);
}

// --- Failures and timeouts ---------------------------------------------------------------------

class UnparsableUrlTest : public ::testing::TestWithParam<std::string> {};

TEST_P(UnparsableUrlTest, FailsWith701AndLetsEventsRunOnce) {
    int eventRuns = 0;
    HttpRequest request = markedRequest(GetParam());
    request.processEvents = [&] { ++eventRuns; };
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("701 解析URL地址失败!"));
    expectOutValuesUntouched(request);
    EXPECT_EQ(eventRuns, 1);
}

INSTANTIATE_TEST_SUITE_P(Urls, UnparsableUrlTest,
                         ::testing::Values("", "127.0.0.1/x", "ftp://127.0.0.1/", "http://", "http:///path",
                                           "http://[::1/", "http://127.0.0.1:99999/"));

std::uint16_t refusedPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

TEST(HttpFetchFailure, ARefusedConnectionFailsWith711) {
    HttpRequest request = markedRequest("http://127.0.0.1:" + std::to_string(refusedPort()) + "/");
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("711 发送请求失败!"));
    expectOutValuesUntouched(request);
}

TEST(HttpFetchFailure, AnEmptyReplyFailsWith712) {
    RecordingServer server([](Connection& connection) { connection.readRequest(); });
    HttpRequest request = markedRequest(server.url("/"));
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("712 服务器未响应!"));
    expectOutValuesUntouched(request);
}

// The bounds tell the one-second limit from the thirty-second default; they time nothing else.
constexpr auto kWellBelowDefaultTimeout = 15s;

TEST(HttpFetchTimeout, AServerThatNeverAnswersFailsWith712) {
    RecordingServer server([](Connection& connection) {
        connection.readRequest();
        connection.waitForClose();
    });
    HttpRequest request = markedRequest(server.url("/"));
    request.timeout = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, kWellBelowDefaultTimeout);
    EXPECT_EQ(request.statusText, gbk("712 服务器未响应!"));
    expectOutValuesUntouched(request);
}

TEST(HttpFetchTimeout, AServerThatNeverReadsTheBodyFailsWith711) {
    RecordingServer server([](Connection& connection) { connection.holdWithoutReading(); });
    HttpRequest request = markedRequest(server.url("/upload"));
    request.method = 1;
    request.body = std::string(64 << 20, 'b');
    request.timeout = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, kWellBelowDefaultTimeout);
    EXPECT_EQ(request.statusText, gbk("711 发送请求失败!"));
    expectOutValuesUntouched(request);
}

struct CutBodyCase {
    std::string name;
    bool stall;  // keeps the connection open instead of closing it
};

class CutBodyTest : public ::testing::TestWithParam<CutBodyCase> {};

TEST_P(CutBodyTest, KeepsTheReadFailureAndReturnsTheBodySoFar) {
    const bool stall = GetParam().stall;
    RecordingServer server([stall](Connection& connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: s=1\r\n\r\npartial");
        if (stall) connection.waitForClose();
    });
    HttpRequest request;
    request.url = server.url("/");
    request.timeout = 1;
    EXPECT_EQ(HttpFetch(request), "partial");
    EXPECT_EQ(request.statusText, gbk("713 读取数据失败!"));
    EXPECT_EQ(request.bodyBytes, "partial");
    EXPECT_EQ(request.returnedCookies, "s=1");
    EXPECT_EQ(request.returnedHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nSet-Cookie: s=1\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(Bodies, CutBodyTest,
                         ::testing::Values(CutBodyCase{"Stalled", true}, CutBodyCase{"Closed", false}),
                         [](const ::testing::TestParamInfo<CutBodyCase>& info) { return info.param.name; });

TEST(HttpFetchTimeout, ASlowTransferThatKeepsMovingCompletes) {
    const std::string response = okResponse("slow but moving");
    RecordingServer server([&](Connection& connection) {
        connection.readRequest();
        connection.sendSlowly(response, 30ms);
    });
    HttpRequest request;
    request.url = server.url("/");
    request.timeout = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpFetch(request), "slow but moving");
    ASSERT_GT(std::chrono::steady_clock::now() - start, 1s) << "the transfer must outlast the timeout";
    EXPECT_EQ(request.statusText, "200 OK");
}

// --- Redirects -----------------------------------------------------------------------------

std::string redirect(std::string_view status, std::string_view location, std::string_view extraLines = "") {
    return "HTTP/1.1 " + std::string(status) + "\r\nLocation: " + std::string(location) + "\r\n" +
           std::string(extraLines) + "Content-Length: 0\r\n\r\n";
}

// Answers requests for `from` with a redirect and every other request with "arrived".
RecordingServer::Responder redirecting(std::string from, std::string response) {
    return
        [from = "GET " + std::move(from) + " ", response = std::move(response)](const std::string& request) {
            return request.starts_with(from) ? response : okResponse("arrived");
        };
}

TEST(HttpFetchRedirect, FollowsOnTheSameHostWithEngineCookiesInTheOneCookieLine) {
    RecordingServer server([](const std::string& request) {
        if (request.starts_with("GET /start ")) {
            return redirect("302 Found", "/mid", "Set-Cookie: s=1; Path=/\r\nSet-Cookie: t=2; Path=/\r\n");
        }
        if (request.starts_with("GET /mid ")) {
            return redirect("301 Moved Permanently", "/end",
                            "Set-Cookie: s=; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n");
        }
        return okResponse("arrived");
    });
    HttpRequest request;
    request.url = server.url("/start");
    request.cookies = "a=1";
    request.extraHeaders = "X-Token: 7";
    EXPECT_EQ(HttpFetch(request), "arrived");
    EXPECT_EQ(request.statusText, "200 OK");
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1], "GET /mid HTTP/1.1\r\nHost: " + hostOf(server) + "\r\nX-Token: 7\r\n" + kDefaults +
                               "Cookie: a=1; s=1; t=2\r\n\r\n");
    EXPECT_EQ(occurrences(requests[2], "Cookie:"), 1u);
    EXPECT_NE(requests[2].find("Cookie: a=1; t=2\r\n"), std::string::npos);
}

TEST(HttpFetchRedirect, OmittedCookiesKeepTheEngineOff) {
    RecordingServer server(redirecting("/start", redirect("302 Found", "/end", "Set-Cookie: s=1\r\n")));
    HttpRequest request;
    request.url = server.url("/start");
    EXPECT_EQ(HttpFetch(request), "arrived");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].find("Cookie"), std::string::npos);
}

TEST(HttpFetchRedirect, AddedHeadersSurviveAChangeOfHostButCredentialsAndHostCookiesDoNot) {
    RecordingServer target(answer(okResponse("arrived")));
    const std::string elsewhere = "http://localhost:" + std::to_string(target.port()) + "/next";
    RecordingServer origin(redirecting("/start", redirect("302 Found", elsewhere, "Set-Cookie: s=1\r\n")));
    HttpRequest request;
    request.url = origin.url("/start");
    request.cookies = "a=1";
    request.extraHeaders = "X-Token: 7";
    request.userName = "user";
    request.password = "secret";
    EXPECT_EQ(HttpFetch(request), "arrived");
    ASSERT_EQ(origin.requests().size(), 1u);
    EXPECT_NE(origin.requests()[0].find("Authorization: Basic"), std::string::npos);
    ASSERT_EQ(target.requests().size(), 1u);
    EXPECT_EQ(target.requests()[0], "GET /next HTTP/1.1\r\nHost: localhost:" + std::to_string(target.port()) +
                                        "\r\nX-Token: 7\r\n" + kDefaults + "Cookie: a=1\r\n\r\n");
}

struct MethodCase {
    std::string status;
    std::string secondRequest;
};

class RedirectMethodTest : public ::testing::TestWithParam<MethodCase> {};

TEST_P(RedirectMethodTest, PostBecomesGetExceptOn307And308) {
    const std::string status = GetParam().status;
    RecordingServer server([status](const std::string& request) {
        return request.starts_with("POST /form ") ? redirect(status, "/done") : okResponse("done");
    });
    HttpRequest request;
    request.url = server.url("/form");
    request.method = 1;
    request.body = "a=1";
    EXPECT_EQ(HttpFetch(request), "done");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1],
              GetParam().secondRequest + "\r\nHost: " + hostOf(server) + "\r\n" + kUserAgent + kAcceptLines +
                  kFormType + kCacheControl +
                  (GetParam().secondRequest.starts_with("POST") ? "Content-Length: 3\r\n\r\na=1" : "\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Statuses, RedirectMethodTest,
                         ::testing::Values(MethodCase{"302 Found", "GET /done HTTP/1.1"},
                                           MethodCase{"303 See Other", "GET /done HTTP/1.1"},
                                           MethodCase{"307 Temporary Redirect", "POST /done HTTP/1.1"},
                                           MethodCase{"308 Permanent Redirect", "POST /done HTTP/1.1"}));

TEST(HttpFetchRedirect, ForbiddenRedirectShowsTheStatusAndLocationAsSent) {
    RecordingServer server(redirecting("/start", redirect("302 Found", "../next?x=1")));
    HttpRequest request;
    request.url = server.url("/start");
    request.noRedirect = true;
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, "302 Found");
    EXPECT_EQ(request.location, "../next?x=1");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(HttpFetchRedirect, LowerCaseLocationIsSeenAndFollowed) {
    RecordingServer server(
        redirecting("/start", "HTTP/1.1 302 Found\r\nlocation: /end\r\nContent-Length: 0\r\n\r\n"));
    HttpRequest request;
    request.url = server.url("/start");
    request.noRedirect = true;
    HttpFetch(request);
    EXPECT_EQ(request.location, "/end");
    request.noRedirect = false;
    EXPECT_EQ(HttpFetch(request), "arrived");
}

TEST(HttpFetchRedirect, MoreThanTenRedirectsFailWith712) {
    RecordingServer server(answer(redirect("302 Found", "/again")));
    HttpRequest request = markedRequest(server.url("/"));
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, gbk("712 服务器未响应!"));
    expectOutValuesUntouched(request);
    EXPECT_EQ(server.requests().size(), 11u);
}

TEST_F(TlsTest, HttpsNeverRedirectsToHttp) {
    RecordingServer plain(answer(okResponse("insecure")));
    RecordingServer secure(answer(redirect("302 Found", plain.url("/"))), *identity_);
    HttpRequest request;
    request.url = secure.url("/");
    request.trustedCaFile = *caFile_;
    EXPECT_EQ(HttpFetch(request), "");
    EXPECT_EQ(request.statusText, "302 Found");
    EXPECT_EQ(request.location, plain.url("/"));
    EXPECT_TRUE(plain.requests().empty());
}

}  // namespace
}  // namespace lc
