#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "browser_test_support.h"
#include "monitor/source_monitor.h"
#include "support/fake_browser_view.h"

namespace lc::testing {
namespace {

const QString kMarkupScript = QStringLiteral("document.getElementsByTagName('html')[0].innerHTML;");

// The real source view on fixture pages; the landing host is the fixture server itself.
class SourceMonitorOnPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runDir.isValid());
        ASSERT_TRUE(web.server.isListening());
    }

    void tick() { QCoro::waitFor(monitor->monitorTick()); }
    QString landing(const QString& query) const {
        return web.server.url(QStringLiteral("/monitor/landing.html") + query).toString();
    }
    bool seenLinkFileExists() const { return QFileInfo::exists(monitor->seenLinkFilePath()); }

    QTemporaryDir runDir;
    WebFixture web;
    std::unique_ptr<WebEngineBrowserView> source = web.makeView(std::chrono::seconds(3));
    FakeBrowserView claim;
    QList<int> periods;
    std::unique_ptr<SourceMonitor> monitor = std::make_unique<SourceMonitor>(
        *source, claim, [this](int period) { periods.append(period); },
        LandingConfig{"http://127.0.0.1", web.server.origin().toStdString()}, runDir.path());
};

TEST_F(SourceMonitorOnPagesTest, LiveFeedOpensEachNewFirstLinkOnce) {
    ASSERT_TRUE(loadPage(*source, web.server.url(QStringLiteral("/monitor/live_feed.html"))));
    tick();
    tick();
    EXPECT_EQ(claim.navigations, QStringList{landing(QStringLiteral("?id=1"))});

    QCoro::waitFor(source->clickElement(2, QStringLiteral("#publish"), 1));
    tick();
    tick();
    // Two offers published between ticks: only the newest, first in the list, counts.
    QCoro::waitFor(source->clickElement(2, QStringLiteral("#publish"), 1));
    QCoro::waitFor(source->clickElement(2, QStringLiteral("#publish"), 1));
    tick();
    EXPECT_EQ(claim.navigations,
              (QStringList{landing(QStringLiteral("?id=1")), landing(QStringLiteral("?id=2")),
                           landing(QStringLiteral("?id=4"))}));
    EXPECT_EQ(periods, (QList<int>{10000, 10000, 10000}));
}

TEST_F(SourceMonitorOnPagesTest, AmpersandInTheLinkReachesTheLandingHostDecoded) {
    WebEngineBrowserView realClaim(&web.profile, &web.window);
    monitor = std::make_unique<SourceMonitor>(
        *source, realClaim, [this](int period) { periods.append(period); },
        LandingConfig{"http://127.0.0.1", web.server.origin().toStdString()}, runDir.path());
    ASSERT_TRUE(loadPage(*source, web.server.url(QStringLiteral("/monitor/amp_link.html"))));
    ASSERT_NE(evaluate(*source, kMarkupScript).find("id=7&amp;src=feed"), std::string::npos);

    QSignalSpy landed(&realClaim, &BrowserView::loadFinished);
    tick();
    ASSERT_TRUE(landed.wait(kLoadPatienceMs));
    EXPECT_EQ(landed.last().at(0).toString(), landing(QStringLiteral("?id=7&src=feed")));
    EXPECT_TRUE(web.server.requests().contains(QStringLiteral("/monitor/landing.html?id=7&src=feed")));
}

TEST_F(SourceMonitorOnPagesTest, ForeignHostWithTheLandingAddressInItsQueryIsIgnored) {
    ASSERT_TRUE(loadPage(*source, web.server.url(QStringLiteral("/monitor/foreign_host.html"))));
    ASSERT_NE(evaluate(*source, kMarkupScript).find(web.server.origin().toStdString()), std::string::npos);
    tick();
    EXPECT_TRUE(claim.navigations.isEmpty());
    EXPECT_TRUE(periods.isEmpty());
    EXPECT_FALSE(seenLinkFileExists());
}

TEST_F(SourceMonitorOnPagesTest, PageStillLoadingGivesNothingUntilItHasLoaded) {
    web.server.setDelay(QStringLiteral("/monitor/live_feed.html"), std::chrono::milliseconds(1500));
    QSignalSpy loaded(source.get(), &BrowserView::loadFinished);
    source->setAddress(web.server.url(QStringLiteral("/monitor/live_feed.html")).toString());
    tick();
    EXPECT_TRUE(claim.navigations.isEmpty());
    EXPECT_TRUE(periods.isEmpty());

    ASSERT_TRUE(loaded.wait(kLoadPatienceMs));
    tick();
    EXPECT_EQ(claim.navigations, QStringList{landing(QStringLiteral("?id=1"))});
}

TEST_F(SourceMonitorOnPagesTest, ScriptThatThrowsEndsTheTickWithoutEffect) {
    ASSERT_TRUE(loadPage(*source, web.server.url(QStringLiteral("/monitor/throws.html"))));
    std::string answer;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            answer = evaluate(*source, kMarkupScript);
            return answer.rfind("TypeError", 0) == 0;
        },
        5000))
        << answer;
    tick();
    EXPECT_TRUE(claim.navigations.isEmpty());
    EXPECT_TRUE(periods.isEmpty());
    EXPECT_FALSE(seenLinkFileExists());
}

}  // namespace
}  // namespace lc::testing
