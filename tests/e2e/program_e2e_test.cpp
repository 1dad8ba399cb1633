// The whole program on real Chromium views against the demo coupon feed on loopback: the window,
// the controller, the monitor, the claim evaluator and the results list as main() puts them
// together, with fake desktop services and an off-the-record browser profile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

#include "app/program.h"
#include "browser/webengine_browser_view.h"
#include "demo/demo_feed.h"
#include "demo/landing_link.h"
#include "support/fake_desktop_services.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using lc::demo::CouponKind;
using lc::demo::DemoCoupon;

constexpr int kPatienceMs = 20000;
const QString kMarkupScript = QStringLiteral("document.getElementsByTagName('html')[0].innerHTML");
const QString kSuccess = QStringLiteral("领取成功！");
const QString kExhausted = QStringLiteral("领取失败，原因：淘礼金已发完！");
const QString kLoginExpired = QStringLiteral("领取失败，原因：淘宝登录状态失效 ，请重新登录！");

struct Row {
    QString id, title, address, result;
};

class ProgramEndToEnd : public ::testing::Test {
protected:
    // Destroying the shown window closes the last window; the application must not quit over it,
    // or every later wait in this process would return at once.
    static void SetUpTestSuite() { QApplication::setQuitOnLastWindowClosed(false); }
    static void TearDownTestSuite() { QApplication::setQuitOnLastWindowClosed(true); }

    void SetUp() override {
        ASSERT_TRUE(feed.listen(0)) << feed.errorString().toStdString();
        program = std::make_unique<lc::Program>(config(), desktop.services(),
                                                lc::webEngineViewFactory(&profile), runDirectory.path());
        QObject::connect(claimPage(), &QWebEnginePage::loadingChanged,
                         [this](const QWebEngineLoadingInfo& info) {
                             if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                                 claimNavigations.append(info.url());
                         });
        QSignalSpy claimLoaded(&window().claimView(), &lc::BrowserView::loadFinished);
        QSignalSpy sourceLoaded(&window().sourceView(), &lc::BrowserView::loadFinished);
        ASSERT_TRUE(program->start());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !claimLoaded.isEmpty() && !sourceLoaded.isEmpty(); }, kPatienceMs));
        ASSERT_EQ(window().claimView().address(), feed.accountUrl());
    }

    lc::AppConfig config() const {
        // No notice server: the notice check would block on a server in this very thread.
        return {feed.accountUrl(),
                feed.baseUrl() + u'/',
                QStringLiteral("http://127.0.0.1:1/guide.html"),
                {feed.landingStem().toStdString(), feed.landingPrefix().toStdString()},
                {}};
    }

    lc::MainWindow& window() { return program->window(); }
    QWebEnginePage* claimPage() {
        return static_cast<lc::WebEngineBrowserView&>(window().claimView()).webView()->page();
    }
    lc::PeriodTimer& timer(const QString& name) {
        auto* found = window().findChild<lc::PeriodTimer*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return *found;
    }
    lc::PeriodTimer& monitorTimer() { return timer(QStringLiteral("淘礼金监控_时钟1")); }

    int rowCount() { return window().resultsList().topLevelItemCount(); }
    Row row(int index) {
        const QTreeWidgetItem* item = window().resultsList().topLevelItem(index);
        return {item->text(0), item->text(1), item->text(2), item->text(3)};
    }
    int navigationsTo(const QString& url) const { return claimNavigations.count(QUrl(url)); }

    // The feed page refreshes itself about once a second; the monitor reads whatever it shows.
    bool sourceShowsFirst(const DemoCoupon& coupon) {
        return QTest::qWaitFor(
            [&] {
                const std::string markup = QCoro::waitFor(window().sourceView().runScript(kMarkupScript));
                return lc::demo::testing::firstLandingLink(QString::fromStdString(markup),
                                                           feed.landingStem()) == coupon.landingUrl;
            },
            kPatienceMs);
    }

    // One monitor period elapses, and everything it set off has run.
    bool tickAndSettle() {
        emit monitorTimer().elapsed();
        return QTest::qWaitFor([&] { return program->controller().handlers().isIdle(); }, kPatienceMs);
    }

    // Publishes a coupon, lets one monitor period elapse once the feed page shows it, and waits
    // for the claim to be recorded.
    DemoCoupon claimNext(CouponKind kind) {
        const DemoCoupon coupon = feed.publish(kind);
        const int rowsBefore = rowCount();
        EXPECT_TRUE(sourceShowsFirst(coupon)) << "the feed page never showed coupon " << coupon.id;
        emit monitorTimer().elapsed();
        EXPECT_TRUE(QTest::qWaitFor([&] { return rowCount() > rowsBefore; }, kPatienceMs))
            << "no row for coupon " << coupon.id;
        return coupon;
    }

    lc::demo::DemoFeed feed{QStringLiteral("uland.localhost")};
    QWebEngineProfile profile;  // off the record
    QTemporaryDir runDirectory;
    lc::testing::FakeDesktopServices desktop;
    std::unique_ptr<lc::Program> program;
    QList<QUrl> claimNavigations;
};

TEST_F(ProgramEndToEnd, CouponsGoFromTheFeedThroughTheClaimViewIntoTheResultsList) {
    window().startButton().click();
    EXPECT_EQ(desktop.messages.shown.size(), 1);
    EXPECT_TRUE(desktop.messages.shown.value(0).startsWith(QStringLiteral("必看事项")));
    EXPECT_TRUE(window().startButton().isHidden());
    EXPECT_EQ(monitorTimer().period(), 3000);

    // A claimable coupon: one navigation, one click reaching the server, the success row, the alert.
    const DemoCoupon claimable = claimNext(CouponKind::Claimable);
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(row(0).id, QStringLiteral("1"));
    EXPECT_EQ(row(0).title, claimable.title);
    EXPECT_EQ(row(0).address, claimable.landingUrl);
    EXPECT_EQ(row(0).result, kSuccess);
    EXPECT_TRUE(QTest::qWaitFor([&] { return feed.clickCount(claimable.id) == 1; }, kPatienceMs));
    EXPECT_EQ(desktop.sound.played, QStringList{runDirectory.filePath(QStringLiteral("bg.mp3"))});
    EXPECT_EQ(navigationsTo(claimable.landingUrl), 1);
    EXPECT_EQ(monitorTimer().period(), 3000);

    // An exhausted coupon: recorded, never clicked, no alert.
    const DemoCoupon exhausted = claimNext(CouponKind::Exhausted);
    ASSERT_EQ(rowCount(), 2);
    EXPECT_EQ(row(1).id, QStringLiteral("2"));
    EXPECT_EQ(row(1).title, exhausted.title);
    EXPECT_EQ(row(1).result, kExhausted);
    EXPECT_EQ(desktop.sound.played.size(), 1);

    // A login page instead of the offer: no title.
    const DemoCoupon login = claimNext(CouponKind::LoginExpired);
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(row(2).title, QStringLiteral("null"));
    EXPECT_EQ(row(2).address, login.landingUrl);
    EXPECT_EQ(row(2).result, kLoginExpired);
    EXPECT_EQ(monitorTimer().period(), 3000);

    // The same coupon still first in the feed on later periods: no second navigation, no row.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(tickAndSettle());
    EXPECT_EQ(navigationsTo(login.landingUrl), 1);
    EXPECT_EQ(rowCount(), 3);
    EXPECT_EQ(monitorTimer().period(), 3000);

    EXPECT_EQ(feed.clickCount(exhausted.id), 0);
    EXPECT_EQ(feed.clickCount(login.id), 0);
    EXPECT_EQ(feed.clickCount(claimable.id), 1);
    EXPECT_EQ(claimNavigations.size(), 4) << "the account page and three landing pages";

    QFile seen(program->monitor().seenLinkFilePath());
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\A(\\r\\n[0-9a-f]{32}){3}\\z"))
                    .match(QString::fromLatin1(seen.readAll()))
                    .hasMatch());
}

TEST_F(ProgramEndToEnd, AHeartbeatDuringAClaimWaitsForItsRowThenSendsTheViewsHome) {
    program->controller().startMonitoring();
    QString claimAddressAtRow;
    QObject::connect(window().resultsList().model(), &QAbstractItemModel::rowsInserted,
                     [&] { claimAddressAtRow = window().claimView().address(); });

    QSignalSpy claimLoaded(&window().claimView(), &lc::BrowserView::loadFinished);
    const auto lastLoaded = [&] {
        return claimLoaded.isEmpty() ? QString() : claimLoaded.last().at(0).toString();
    };

    // A page whose offer appears 1.5 s after load: the evaluator is still waiting when the beat comes.
    const DemoCoupon late = feed.publish(CouponKind::LateRendering);
    ASSERT_TRUE(sourceShowsFirst(late));
    emit monitorTimer().elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastLoaded() == late.landingUrl; }, kPatienceMs));
    EXPECT_EQ(monitorTimer().period(), 10000);
    ASSERT_EQ(rowCount(), 0);
    emit timer(QStringLiteral("beat_时钟1")).elapsed();

    ASSERT_TRUE(QTest::qWaitFor([&] { return rowCount() == 1; }, kPatienceMs));
    EXPECT_EQ(claimAddressAtRow, late.landingUrl) << "the heartbeat replaced the page under the claim";
    EXPECT_EQ(row(0).title, late.title);
    EXPECT_EQ(row(0).result, kSuccess);
    EXPECT_TRUE(QTest::qWaitFor([&] { return feed.clickCount(late.id) == 1; }, kPatienceMs));
    EXPECT_EQ(desktop.sound.played.size(), 1);

    // Then both views go home, and the monitor is back at its waiting period.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return lastLoaded() == feed.accountUrl() &&
                   window().sourceView().address() == feed.baseUrl() + u'/';
        },
        kPatienceMs));
    EXPECT_EQ(monitorTimer().period(), 3000);

    // The reloaded feed still shows the claimed coupon first: nothing happens on the next period.
    ASSERT_TRUE(sourceShowsFirst(late));
    ASSERT_TRUE(tickAndSettle());
    EXPECT_EQ(navigationsTo(late.landingUrl), 1);
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(monitorTimer().period(), 3000);
    EXPECT_EQ(feed.clickCount(late.id), 1);
}

}  // namespace
