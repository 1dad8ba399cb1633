// The demo feed over a real loopback socket: feed, landing pages, clicks, notice files, bad requests.
#include "demo/demo_feed.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>

#include "demo/landing_link.h"

namespace lc::demo {
namespace {

using testing::firstLandingLink;

struct Reply {
    int status = 0;
    QByteArray body;
};

// Sends raw bytes and reads until the server closes the connection.
Reply exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000)) return {};
    socket.write(request);
    QByteArray received;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 10000))
        return {};
    received += socket.readAll();
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    const QList<QByteArray> statusLine = received.left(received.indexOf("\r\n")).split(' ');
    if (headEnd < 0 || statusLine.size() < 2 || statusLine[0] != "HTTP/1.1") return {};
    return {statusLine[1].toInt(), received.mid(headEnd + 4)};
}

Reply get(quint16 port, const QByteArray& target) {
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

QByteArray pathOf(const QString& url) {
    return QUrl(url).path(QUrl::FullyEncoded).toUtf8();
}

// Class names in the markup outside <template> elements (inert until a script inserts them), or
// with insideTemplates, those inside them only.
QSet<QString> classNames(const QString& markup, bool insideTemplates) {
    static const QRegularExpression templates(QStringLiteral("<template[^>]*>(.*?)</template>"),
                                              QRegularExpression::DotMatchesEverythingOption);
    QString scope;
    if (insideTemplates) {
        for (const auto& match : templates.globalMatch(markup)) scope += match.captured(1);
    } else {
        scope = QString(markup).remove(templates);
    }
    static const QRegularExpression classAttribute(QStringLiteral("class=\"([^\"]*)\""));
    QSet<QString> names;
    for (const auto& match : classAttribute.globalMatch(scope))
        for (const QString& name : match.captured(1).split(u' ', Qt::SkipEmptyParts)) names.insert(name);
    return names;
}

class DemoFeedTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(feed.listen(0)) << feed.errorString().toStdString(); }

    QJsonObject feedJson() { return QJsonDocument::fromJson(get(feed.port(), "/feed.json").body).object(); }

    DemoFeed feed{QStringLiteral("127.0.0.1")};
};

// The values of demo/demo-config.cmake, with the demo port replaced by the given one.
QHash<QString, QString> demoConfiguration(quint16 port) {
    QFile file(QStringLiteral(LC_DEMO_CONFIG));
    if (!file.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression setting(QStringLiteral("^set\\((\\w+) \"([^\"]*)\""),
                                            QRegularExpression::MultilineOption);
    QHash<QString, QString> values;
    for (const auto& match : setting.globalMatch(QString::fromUtf8(file.readAll())))
        values.insert(match.captured(1),
                      match.captured(2).replace(QStringLiteral(":18080"), u':' + QString::number(port)));
    return values;
}

bool onHostOf(const QString& url, const QString& prefix) {
    const QUrl a(url), b(prefix);
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

TEST(DemoConfiguration, MatchesTheServerAndKeepsTheAccountPageOffTheLandingHost) {
    DemoFeed feed;
    ASSERT_TRUE(feed.listen(0));
    const QHash<QString, QString> config = demoConfiguration(feed.port());
    ASSERT_EQ(config.size(), 5);
    EXPECT_EQ(config.value(QStringLiteral("SOURCE_HOME_URL")), feed.baseUrl() + u'/');
    EXPECT_EQ(config.value(QStringLiteral("NOTICE_BASE_URL")), feed.baseUrl());
    EXPECT_EQ(config.value(QStringLiteral("LANDING_STEM")), feed.landingStem());
    EXPECT_EQ(config.value(QStringLiteral("LANDING_PREFIX")), feed.landingPrefix());
    EXPECT_EQ(config.value(QStringLiteral("CLAIM_HOME_URL")), feed.accountUrl());

    const DemoCoupon coupon = feed.publish(CouponKind::Claimable);
    EXPECT_TRUE(coupon.landingUrl.startsWith(feed.landingStem()));
    EXPECT_TRUE(onHostOf(coupon.landingUrl, feed.landingPrefix())) << coupon.landingUrl.toStdString();
    EXPECT_FALSE(onHostOf(feed.accountUrl(), feed.landingPrefix()));
    EXPECT_FALSE(feed.accountUrl().contains(feed.landingPrefix()));
    EXPECT_FALSE(onHostOf(feed.baseUrl() + u'/', feed.landingPrefix()));

    DemoFeed numeric(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(numeric.landingStem(), QStringLiteral("http://127"));
}

TEST_F(DemoFeedTest, TheAccountPageIsServed) {
    const Reply account = get(
        feed.port(), QUrl(feed.accountUrl()).toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).toUtf8());
    EXPECT_EQ(account.status, 200);
    EXPECT_TRUE(account.body.contains("我的淘宝"));
}

TEST_F(DemoFeedTest, ANewCouponComesFirstInTheJsonAndOnThePage) {
    const DemoCoupon older = feed.publish(CouponKind::Claimable);
    const DemoCoupon newer = feed.publish(CouponKind::Exhausted);

    const QJsonArray coupons = feedJson().value(u"coupons").toArray();
    ASSERT_EQ(coupons.size(), 2);
    EXPECT_EQ(coupons[0][u"id"].toInt(), newer.id);
    EXPECT_EQ(coupons[0][u"url"].toString(), newer.landingUrl);
    EXPECT_EQ(coupons[0][u"kind"].toString(), QStringLiteral("exhausted"));
    EXPECT_EQ(coupons[0][u"title"].toString(), newer.title);
    EXPECT_EQ(coupons[1][u"id"].toInt(), older.id);

    const Reply page = get(feed.port(), "/");
    ASSERT_EQ(page.status, 200);
    const QString markup = QString::fromUtf8(page.body);
    EXPECT_TRUE(markup.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_EQ(firstLandingLink(markup, feed.landingStem()), newer.landingUrl);
    EXPECT_TRUE(markup.contains(newer.title));
}

TEST_F(DemoFeedTest, TheFeedKeepsTheNewestTwentyAndOlderLandingPagesStayReachable) {
    for (int i = 0; i < 25; ++i) feed.publish(CouponKind::Claimable);

    const QJsonArray coupons = feedJson().value(u"coupons").toArray();
    ASSERT_EQ(coupons.size(), DemoFeed::kFeedLength);
    EXPECT_EQ(coupons.first()[u"id"].toInt(), 25);
    EXPECT_EQ(coupons.last()[u"id"].toInt(), 6);
    EXPECT_EQ(get(feed.port(), "/coupon/1").status, 200);
    EXPECT_EQ(get(feed.port(), "/coupon/26").status, 404);
}

TEST_F(DemoFeedTest, AutomaticPublishingFollowsTheCycleAndStopsAtZero) {
    QSignalSpy published(&feed, &DemoFeed::published);
    feed.setInterval(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return published.size() >= int(kPublishingCycle.size()); }, 5000));
    feed.setInterval(0);
    const qsizetype stoppedAt = published.size();

    for (size_t i = 0; i < kPublishingCycle.size(); ++i)
        EXPECT_EQ(published[i][0].value<DemoCoupon>().kind, kPublishingCycle[i]) << "coupon " << i + 1;
    QTest::qWait(100);
    EXPECT_EQ(published.size(), stoppedAt);
}

struct LandingMarkup {
    CouponKind kind;
    bool title;
    bool exhausted;
    bool loginForm;
    bool claimButton;
};

TEST_F(DemoFeedTest, EachLandingKindCarriesTheClassesTheProgramProbes) {
    const LandingMarkup cases[] = {
        {CouponKind::Claimable, true, false, false, true},
        {CouponKind::Exhausted, true, true, false, true},
        {CouponKind::LoginExpired, false, false, true, false},
        {CouponKind::RateLimited, false, false, false, false},
        {CouponKind::LateRendering, false, false, false, false},  // until its script runs
    };
    for (const LandingMarkup& expected : cases) {
        SCOPED_TRACE(kindName(expected.kind).toStdString());
        const DemoCoupon coupon = feed.publish(expected.kind);
        const Reply page = get(feed.port(), pathOf(coupon.landingUrl));
        ASSERT_EQ(page.status, 200);
        const QString markup = QString::fromUtf8(page.body);
        const QSet<QString> classes = classNames(markup, false);

        EXPECT_EQ(classes.contains(QStringLiteral("short-name")), expected.title);
        EXPECT_EQ(classes.contains(QStringLiteral("coupon-nomore")), expected.exhausted);
        EXPECT_EQ(classes.contains(QStringLiteral("am-button-submit")), expected.loginForm);
        EXPECT_EQ(classes.contains(QStringLiteral("use-btn")), expected.claimButton);
        if (expected.title) {
            EXPECT_TRUE(markup.contains(QStringLiteral("class=\"short-name\">") + coupon.title));
        }
        if (expected.claimButton) {
            const qsizetype wrap = markup.indexOf(QStringLiteral("class=\"fuli-bao-wrap\""));
            const qsizetype content = markup.indexOf(QStringLiteral("class=\"fuli-bao-content\""));
            const qsizetype button =
                markup.indexOf(QRegularExpression(QStringLiteral("class=\"[^\"]*\\buse-btn\\b")));
            EXPECT_TRUE(wrap >= 0 && wrap < content && content < button);
        }
    }

    const DemoCoupon late = feed.publish(CouponKind::LateRendering);
    const QSet<QString> inserted =
        classNames(QString::fromUtf8(get(feed.port(), pathOf(late.landingUrl)).body), true);
    EXPECT_TRUE(inserted.contains(QStringLiteral("short-name")));
    EXPECT_TRUE(inserted.contains(QStringLiteral("use-btn")));
    EXPECT_FALSE(inserted.contains(QStringLiteral("coupon-nomore")));
}

TEST_F(DemoFeedTest, ClaimRequestsAreCountedPerCoupon) {
    const DemoCoupon first = feed.publish(CouponKind::Claimable);
    const DemoCoupon second = feed.publish(CouponKind::Exhausted);
    QSignalSpy clicked(&feed, &DemoFeed::clicked);
    const QByteArray claimFirst =
        "POST /claim/" + QByteArray::number(first.id) + " HTTP/1.1\r\nContent-Length: 0\r\n\r\n";

    EXPECT_EQ(exchange(feed.port(), claimFirst).status, 200);
    EXPECT_EQ(exchange(feed.port(), claimFirst).status, 200);
    EXPECT_EQ(exchange(feed.port(), "POST /claim/" + QByteArray::number(second.id) +
                                        " HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}")
                  .status,
              200);
    EXPECT_EQ(get(feed.port(), "/claim/" + QByteArray::number(first.id)).status, 405);
    EXPECT_EQ(exchange(feed.port(), "POST /claim/999 HTTP/1.1\r\n\r\n").status, 404);

    EXPECT_EQ(feed.clickCount(first.id), 2);
    EXPECT_EQ(feed.clickCount(second.id), 1);
    EXPECT_EQ(clicked.size(), 3);
    const QJsonObject clicks = QJsonDocument::fromJson(get(feed.port(), "/clicks.json").body).object();
    EXPECT_EQ(clicks[u"total"].toInt(), 3);
    EXPECT_EQ(clicks[u"coupons"][QString::number(first.id)].toInt(), 2);
    EXPECT_EQ(feedJson()[u"coupons"].toArray().last()[u"clicks"].toInt(), 2);
}

TEST_F(DemoFeedTest, NoticeFilesLetTheProgramStart) {
    const Reply switchFile = get(feed.port(), "/others/quenmar/1.txt");
    EXPECT_EQ(switchFile.status, 200);
    EXPECT_EQ(switchFile.body, QByteArray("close"));
    const Reply message = get(feed.port(), "/others/quenmar/2.txt");
    EXPECT_EQ(message.status, 200);
    EXPECT_FALSE(message.body.isEmpty());
    EXPECT_EQ(get(feed.port(), "/others/quenmar/3.txt").body, (feed.baseUrl() + u'/').toUtf8());
}

TEST_F(DemoFeedTest, BadRequestsAreRefusedAndTheServerGoesOn) {
    QByteArray binary(5000, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = char((i * 7919) % 256);
    const struct {
        const char* what;
        QByteArray request;
        int status;
    } cases[] = {
        {"binary garbage", binary, 400},
        {"oversized request line", "GET /" + QByteArray(20000, 'a') + " HTTP/1.1\r\n\r\n", 400},
        {"oversized head", "GET / HTTP/1.1\r\nX: " + QByteArray(40000, 'b') + "\r\n\r\n", 400},
        {"no version", "GET /\r\n\r\n", 400},
        {"unknown version", "GET / HTTP/9.9\r\n\r\n", 400},
        {"target without slash", "GET feed.json HTTP/1.1\r\n\r\n", 400},
        {"header without colon", "GET / HTTP/1.1\r\nHost 127.0.0.1\r\n\r\n", 400},
        {"bad content length", "POST /claim/1 HTTP/1.1\r\nContent-Length: -3\r\n\r\n", 400},
        {"huge content length", "POST /claim/1 HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", 413},
        {"chunked body", "POST /claim/1 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
        {"unknown method", "BREW / HTTP/1.1\r\n\r\n", 405},
        {"unknown path", "GET /nothing HTTP/1.1\r\n\r\n", 404},
    };
    for (const auto& c : cases) EXPECT_EQ(exchange(feed.port(), c.request).status, c.status) << c.what;

    EXPECT_EQ(get(feed.port(), "/feed.json").status, 200);
    const Reply head = exchange(feed.port(), "HEAD / HTTP/1.1\n\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.isEmpty());
}

}  // namespace
}  // namespace lc::demo
