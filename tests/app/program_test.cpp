#include "app/program.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "app_test_support.h"
#include "support/fake_desktop_services.h"

namespace {

using lc::testing::fakeView;

const QString kLanding = QStringLiteral("https://uland.example/coupon?e=7");

lc::AppConfig testConfig() {
    return {QStringLiteral("https://account.example/my_taobao.htm"),
            QStringLiteral("http://127.0.0.1:1/feed"),
            QStringLiteral("http://127.0.0.1:1/guide.html"),
            {"https://uland", "https://uland.example"},
            {}};
}

TEST(Program, AMonitorTickOpensTheFeedsNewLinkInTheClaimViewAndSlowsTheMonitor) {
    QTemporaryDir runDirectory;
    lc::testing::FakeDesktopServices desktop;
    lc::Program program(testConfig(), desktop.services(), lc::testing::fakeViewFactory(),
                        runDirectory.path());
    ASSERT_TRUE(program.start());
    program.controller().startMonitoring();
    ASSERT_EQ(program.window().monitorTimer().period(), 3000);

    fakeView(program.window().sourceView())
        .answers[QStringLiteral("document.getElementsByTagName('html')[0].innerHTML;")] =
        "<a href=\"" + kLanding.toStdString() + "\">offer</a>";
    emit program.window().monitorTimer().elapsed();
    QTRY_COMPARE(program.window().monitorTimer().period(), 10000);
    EXPECT_EQ(fakeView(program.window().claimView()).navigations.last(), kLanding);
    EXPECT_TRUE(program.controller().handlers().isIdle());
}

TEST(Program, AStartUpCheckSayingStopLeavesTheWindowUnshown) {
    QTemporaryDir runDirectory;
    lc::testing::FakeDesktopServices desktop;
    lc::Program program(testConfig(), desktop.services(), lc::testing::fakeViewFactory(), runDirectory.path(),
                        [] { return false; });
    EXPECT_FALSE(program.start());
    EXPECT_FALSE(program.window().isVisible());
    EXPECT_EQ(program.window().heartbeatTimer().period(), 0);
}

}  // namespace
