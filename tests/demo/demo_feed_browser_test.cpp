// The demo pages in a real Chromium view, read with the program's own scripts from an isolated world.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "demo/demo_feed.h"
#include "demo/landing_link.h"

namespace lc::demo {
namespace {

using testing::firstLandingLink;

const QString kTitleScript = QStringLiteral("document.getElementsByClassName('short-name')[0].innerHTML");
const QString kNoMoreScript = QStringLiteral("document.getElementsByClassName('coupon-nomore').length");
const QString kLoginScript = QStringLiteral("document.getElementsByClassName('am-button-submit').length");
const QString kClaimSelector = QStringLiteral(".fuli-bao-wrap .fuli-bao-content .use-btn");
const QString kMarkupScript = QStringLiteral("document.getElementsByTagName('html')[0].innerHTML");

class DemoFeedBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(feed.listen(0));
        view.resize(916, 520);
        view.show();
    }

    bool load(const QString& url) {
        QSignalSpy finished(&view, &QWebEngineView::loadFinished);
        view.load(QUrl(url));
        return finished.wait(20000) && finished.first().first().toBool();
    }

    // The expression's value as text, or the text of the error it throws, like the program's scripts.
    QString evaluate(const QString& expression) {
        const QString script =
            QStringLiteral("(function () { try { return String(%1); } catch (e) { return String(e); } })()")
                .arg(expression);
        std::optional<QString> result;
        view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                   [&](const QVariant& value) { result = value.toString(); });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 10000)) return QStringLiteral("<no answer>");
        return *result;
    }

    DemoFeed feed{QStringLiteral("127.0.0.1")};
    QWebEngineView view;
};

TEST_F(DemoFeedBrowserTest, TheProgramsProbesTellTheLandingKindsApart) {
    const struct {
        CouponKind kind;
        bool titled;
        const char* noMore;
        const char* loginButtons;
    } cases[] = {
        {CouponKind::Claimable, true, "0", "0"},
        {CouponKind::Exhausted, true, "1", "0"},
        {CouponKind::LoginExpired, false, "0", "1"},
        {CouponKind::RateLimited, false, "0", "0"},
    };
    for (const auto& expected : cases) {
        SCOPED_TRACE(kindName(expected.kind).toStdString());
        const DemoCoupon coupon = feed.publish(expected.kind);
        ASSERT_TRUE(load(coupon.landingUrl));
        const QString title = evaluate(kTitleScript);
        if (expected.titled) {
            EXPECT_EQ(title, coupon.title);
        } else {
            EXPECT_TRUE(title.contains(QStringLiteral("TypeError"))) << title.toStdString();
        }
        EXPECT_EQ(evaluate(kNoMoreScript), QLatin1String(expected.noMore));
        EXPECT_EQ(evaluate(kLoginScript), QLatin1String(expected.loginButtons));
    }
}

TEST_F(DemoFeedBrowserTest, ClickingTheClaimButtonReachesTheServerOnce) {
    const DemoCoupon coupon = feed.publish(CouponKind::Claimable);
    ASSERT_TRUE(load(coupon.landingUrl));
    QSignalSpy clicked(&feed, &DemoFeed::clicked);

    evaluate(QStringLiteral("document.querySelectorAll('%1')[0].click()").arg(kClaimSelector));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !clicked.isEmpty(); }, 10000));
    EXPECT_EQ(clicked.first().first().toInt(), coupon.id);
    EXPECT_EQ(feed.clickCount(coupon.id), 1);
    const QString note = QStringLiteral(
        "document.querySelector('.claim-note').hidden ? '' : "
        "document.querySelector('.claim-note').textContent");
    EXPECT_TRUE(QTest::qWaitFor([&] { return evaluate(note) == QStringLiteral("领取成功"); }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(clicked.size(), 1);
}

TEST_F(DemoFeedBrowserTest, TheLateRenderingPageShowsItsOfferOnlyAfterTheDelay) {
    const DemoCoupon coupon = feed.publish(CouponKind::LateRendering);
    ASSERT_TRUE(load(coupon.landingUrl));

    EXPECT_EQ(evaluate(QStringLiteral("document.getElementsByClassName('short-name').length")),
              QStringLiteral("0"));
    EXPECT_EQ(evaluate(kLoginScript), QStringLiteral("0"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return evaluate(QStringLiteral("document.getElementsByClassName('short-name').length")) == u"1";
        },
        10000));
    EXPECT_EQ(evaluate(kTitleScript), coupon.title);
    EXPECT_EQ(evaluate(kNoMoreScript), QStringLiteral("0"));
    EXPECT_EQ(evaluate(QStringLiteral("document.querySelectorAll('%1').length").arg(kClaimSelector)),
              QStringLiteral("1"));
    EXPECT_GE(evaluate(QStringLiteral("document.body.dataset.renderedAt")).toInt(), 1500);
}

TEST_F(DemoFeedBrowserTest, TheFeedPageShowsANewCouponFirstWithoutReloading) {
    feed.publish(CouponKind::Claimable);
    ASSERT_TRUE(load(feed.baseUrl() + u'/'));
    QSignalSpy reloaded(&view, &QWebEngineView::loadStarted);

    const DemoCoupon newest = feed.publish(CouponKind::Exhausted);

    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return firstLandingLink(evaluate(kMarkupScript), feed.landingStem()) == newest.landingUrl; },
        10000));
    EXPECT_EQ(reloaded.size(), 0);
}

}  // namespace
}  // namespace lc::demo
