#include "app/app_controller.h"

#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>

#include "app_test_support.h"
#include "support/fake_desktop_services.h"

namespace {

using lc::AppController;
using lc::testing::FakeBrowserView;
using lc::testing::fakeView;
using lc::testing::Gate;

const QString kClaimHome =
    QStringLiteral("https://account.example/my_taobao.htm?spm=1&ad_id=&am_id=&cm_id=&pm_id=2");
const QString kSourceHome = QStringLiteral("http://127.0.0.1:1/feed");
const QString kTutorial = QStringLiteral("http://127.0.0.1:1/guide.html");
const QString kLanding = QStringLiteral("https://uland.example/coupon?e=1");

lc::AppConfig testConfig() {
    return {kClaimHome, kSourceHome, kTutorial, {"https://uland", "https://uland.example"}, {}};
}

class AppControllerTest : public ::testing::Test {
protected:
    lc::MainWindow window{lc::testing::fakeViewFactory()};
    lc::testing::FakeDesktopServices desktop;
    lc::ControllerHooks hooks;
    std::unique_ptr<AppController> controller;

    FakeBrowserView& claimView() { return fakeView(window.claimView()); }
    FakeBrowserView& sourceView() { return fakeView(window.sourceView()); }

    void makeController() {
        controller =
            std::make_unique<AppController>(window, testConfig(), desktop.messages, desktop.urls, hooks);
    }

    void startProgram() {
        makeController();
        ASSERT_TRUE(controller->start());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void pickTab(int index) {
        QTabBar* bar = window.tabs().tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }

    void expectViewsAtHome(int navigationsEach) {
        for (FakeBrowserView* view : {&claimView(), &sourceView()}) {
            SCOPED_TRACE(view->objectName().toStdString());
            EXPECT_EQ(view->navigations.size(), navigationsEach);
            EXPECT_TRUE(view->isVisible());
            EXPECT_EQ(QSize(view->width(), view->height()), QSize(916, 520));
        }
        EXPECT_EQ(claimView().navigations.last(), kClaimHome);
        EXPECT_EQ(sourceView().navigations.last(), kSourceHome);
    }
};

TEST_F(AppControllerTest, StartUpSetsUpBothViewsChecksThenStartsTwoTimersAndShowsTheWindow) {
    int checks = 0;
    hooks.startupCheck = [&] {
        ++checks;
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(claimView().navigations, QStringList{kClaimHome});
        EXPECT_EQ(sourceView().navigations, QStringList{kSourceHome});
        EXPECT_EQ(window.heartbeatTimer().period(), 0);
        EXPECT_EQ(window.tabResetTimer().period(), 0);
        return true;
    };
    startProgram();
    EXPECT_EQ(checks, 1);
    expectViewsAtHome(1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.heartbeatTimer().period(), 300000);
    EXPECT_EQ(window.tabResetTimer().period(), 8888);
    EXPECT_EQ(window.monitorTimer().period(), 0);
    EXPECT_EQ(window.tabs().currentIndex(), 0);
}

TEST_F(AppControllerTest, AStartUpCheckThatEndsTheProgramLeavesTheWindowUnshownAndTheTimersStopped) {
    hooks.startupCheck = [] { return false; };
    makeController();
    EXPECT_FALSE(controller->start());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.heartbeatTimer().period(), 0);
    EXPECT_EQ(window.tabResetTimer().period(), 0);
    EXPECT_EQ(window.monitorTimer().period(), 0);
}

TEST_F(AppControllerTest, StartButtonStartsMonitoringOnlyAfterItsNoticeIsClosed) {
    startProgram();
    desktop.messages.whileOpen = [&](const QString&) {
        EXPECT_EQ(window.monitorTimer().period(), 0);
        EXPECT_FALSE(window.startButton().isHidden());
    };
    QTest::mouseClick(&window.startButton(), Qt::LeftButton);
    ASSERT_EQ(desktop.messages.shown.size(), 1);
    EXPECT_EQ(
        desktop.messages.shown[0],
        QStringLiteral(
            "必看事项\r\n\r\n\r\n1.请确定已经登录 ， 否则将无法正常运行！\r\n\r\n2.使用时请将尽量停留在["
            "淘宝登录/速券通操作预览区]的窗口界面，否则可能将无法正常领取\r\n\r\n3."
            "只要领取过的淘客令，都会显示领取成功！\r\n\r\n4."
            "出现刷新频繁请等待10分钟左右就自动恢复了\r\n\r\n\r\n使用过程中请确保网络一切正常"));
    EXPECT_TRUE(window.startButton().isHidden());
    EXPECT_EQ(window.monitorTimer().period(), 3000);
}

TEST_F(AppControllerTest, PickingAPageShowsItsView) {
    struct Case {
        int page;
        bool claimVisible;
        bool sourceVisible;
    };
    // Each pick starts from the first page with both views shown by the start-up.
    const Case cases[] = {{1, false, true}, {2, false, false}, {0, true, false}};
    startProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        if (c.page == 0) pickTab(1);
        claimView().setVisible(true);
        sourceView().setVisible(true);
        pickTab(c.page);
        EXPECT_EQ(window.tabs().currentIndex(), c.page);
        EXPECT_EQ(claimView().isVisible(), c.claimVisible);
        EXPECT_EQ(sourceView().isVisible(), c.sourceVisible);
    }
    EXPECT_TRUE(desktop.messages.shown.isEmpty());
    EXPECT_TRUE(desktop.urls.opened.isEmpty());
}

TEST_F(AppControllerTest, PickingTheTutorialPageShowsTheHintThenOpensTheGuideKeepingTheViews) {
    startProgram();
    pickTab(2);
    desktop.messages.whileOpen = [&](const QString&) { EXPECT_TRUE(desktop.urls.opened.isEmpty()); };
    pickTab(3);
    EXPECT_EQ(desktop.messages.shown, QStringList{QStringLiteral("请用浏览器打开观看")});
    EXPECT_EQ(desktop.urls.opened, QStringList{kTutorial});
    EXPECT_FALSE(claimView().isVisible());
    EXPECT_FALSE(sourceView().isVisible());

    pickTab(3);  // the current page again is no change
    EXPECT_EQ(desktop.urls.opened.size(), 1);
}

TEST_F(AppControllerTest, TabResetBringsBackTheFirstPageAndClaimViewWithoutTheTutorial) {
    startProgram();
    for (int page : {0, 1, 2, 3}) {
        SCOPED_TRACE(page);
        if (window.tabs().currentIndex() != page) pickTab(page);
        desktop.messages.shown.clear();
        desktop.urls.opened.clear();
        emit window.tabResetTimer().elapsed();
        EXPECT_EQ(window.tabs().currentIndex(), 0);
        EXPECT_TRUE(claimView().isVisible());
        EXPECT_FALSE(sourceView().isVisible());
        EXPECT_TRUE(desktop.messages.shown.isEmpty());
        EXPECT_TRUE(desktop.urls.opened.isEmpty());
    }
}

TEST_F(AppControllerTest, TabResetUnderTheTutorialHintStillOpensTheGuideOnce) {
    startProgram();
    desktop.messages.whileOpen = [&](const QString&) {
        emit window.tabResetTimer().elapsed();
        EXPECT_EQ(window.tabs().currentIndex(), 0);
    };
    pickTab(3);
    EXPECT_EQ(desktop.messages.shown.size(), 1);
    EXPECT_EQ(desktop.urls.opened, QStringList{kTutorial});
    EXPECT_EQ(window.tabs().currentIndex(), 0);
    EXPECT_TRUE(claimView().isVisible());
}

TEST_F(AppControllerTest, TutorialButtonOpensTheGuide) {
    startProgram();
    pickTab(3);
    desktop.urls.opened.clear();
    QTest::mouseClick(&window.tutorialButton(), Qt::LeftButton);
    EXPECT_EQ(desktop.urls.opened, QStringList{kTutorial});
}

TEST_F(AppControllerTest, HeartbeatWhileALandingPageLoadsSendsBothViewsHomeAndKeepsTheSlowMonitor) {
    startProgram();
    controller->startMonitoring();
    window.monitorTimer().setPeriod(10000);
    claimView().setAddress(kLanding);
    pickTab(2);  // both views hidden
    emit window.heartbeatTimer().elapsed();
    EXPECT_EQ(claimView().navigations, (QStringList{kClaimHome, kLanding, kClaimHome}));
    EXPECT_EQ(sourceView().navigations, (QStringList{kSourceHome, kSourceHome}));
    for (FakeBrowserView* view : {&claimView(), &sourceView()}) {
        EXPECT_TRUE(view->isVisible());
        EXPECT_EQ(QSize(view->width(), view->height()), QSize(916, 520));
    }
    EXPECT_EQ(window.monitorTimer().period(), 10000);
    EXPECT_EQ(window.heartbeatTimer().period(), 300000);
}

TEST_F(AppControllerTest, HeartbeatWaitsForARunningClaimEvaluation) {
    Gate page;
    QStringList evaluated;
    hooks.onClaimViewLoaded = [&](QString address) -> QCoro::Task<> {
        evaluated.append(address);
        co_await page.wait();
        EXPECT_EQ(claimView().navigations.size(), 1);
    };
    startProgram();
    claimView().finishLoading(kLanding);
    emit window.heartbeatTimer().elapsed();
    EXPECT_EQ(evaluated, QStringList{kLanding});
    EXPECT_EQ(claimView().navigations.size(), 1);
    page.open();
    expectViewsAtHome(2);
    EXPECT_TRUE(controller->handlers().isIdle());
}

TEST_F(AppControllerTest, MonitorTicksDoNotPileUp) {
    Gate page;
    int ticks = 0;
    hooks.monitorTick = [&]() -> QCoro::Task<> {
        ++ticks;
        co_await page.wait();
    };
    startProgram();
    emit window.monitorTimer().elapsed();
    emit window.monitorTimer().elapsed();
    emit window.monitorTimer().elapsed();
    EXPECT_EQ(ticks, 1);
    page.open();
    emit window.monitorTimer().elapsed();
    EXPECT_EQ(ticks, 2);
    page.open();
}

}  // namespace
