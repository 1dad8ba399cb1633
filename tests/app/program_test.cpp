#include "app/program.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app_test_support.h"
#include "support/fake_desktop_services.h"
#include "support/recording_server.h"

namespace {

using lc::testing::FakeBrowserView;
using lc::testing::fakeView;

const std::string kLanding = "https://uland.example/coupon?e=7";

lc::AppConfig configWithNoticeServer(std::string noticeBaseUrl) {
    return {QStringLiteral("https://account.example/my_taobao.htm"),
            QStringLiteral("http://127.0.0.1:1/feed"),
            QStringLiteral("http://127.0.0.1:1/guide.html"),
            {"https://uland", "https://uland.example"},
            std::move(noticeBaseUrl)};
}

// The claim view answers as a rendered landing page with a long title and this many exhausted marks.
void answerAsLandingPage(FakeBrowserView& claim, const std::string& exhaustedMarks) {
    claim.answers[QStringLiteral(
        "document.querySelector('.short-name, .coupon-nomore, .am-button-submit') !== null")] = "true";
    claim.answers[QStringLiteral("document.getElementsByClassName('short-name')[0].innerHTML")] =
        "纯棉短袖T恤";
    claim.answers[QStringLiteral("document.getElementsByClassName('coupon-nomore').length")] = exhaustedMarks;
}

class ProgramTest : public ::testing::Test {
protected:
    QTemporaryDir runDirectory;
    lc::testing::FakeDesktopServices desktop;

    std::unique_ptr<lc::Program> makeProgram(std::string noticeBaseUrl = {}) {
        return std::make_unique<lc::Program>(configWithNoticeServer(std::move(noticeBaseUrl)),
                                             desktop.services(), lc::testing::fakeViewFactory(),
                                             runDirectory.path());
    }
    QString alertSound() const { return runDirectory.filePath(QStringLiteral("bg.mp3")); }
};

TEST_F(ProgramTest, ACouponGoesFromTheFeedToAClaimAndARow) {
    auto program = makeProgram();
    lc::MainWindow& window = program->window();
    FakeBrowserView& source = fakeView(window.sourceView());
    FakeBrowserView& claim = fakeView(window.claimView());
    ASSERT_TRUE(program->start());
    program->controller().startMonitoring();

    source.answers[QStringLiteral("document.getElementsByTagName('html')[0].innerHTML;")] =
        "<a href=\"" + kLanding + "\">offer</a>";
    emit window.monitorTimer().elapsed();
    QTRY_COMPARE(window.monitorTimer().period(), 10000);
    EXPECT_EQ(claim.navigations.last(), QString::fromStdString(kLanding));

    answerAsLandingPage(claim, "0");
    claim.finishLoading(QString::fromStdString(kLanding));
    QTRY_COMPARE(window.resultsList().topLevelItemCount(), 1);
    const QTreeWidgetItem* row = window.resultsList().topLevelItem(0);
    EXPECT_EQ(row->text(1), QStringLiteral("纯棉短袖T恤"));
    EXPECT_EQ(row->text(2), QString::fromStdString(kLanding));
    EXPECT_EQ(row->text(3), QStringLiteral("领取成功！"));
    EXPECT_EQ(claim.clicks.size(), 1);
    EXPECT_EQ(desktop.sound.played, QStringList{alertSound()});
    EXPECT_EQ(window.monitorTimer().period(), 3000);
    EXPECT_TRUE(program->controller().handlers().isIdle());
}

TEST_F(ProgramTest, ALandingPageOpenedByHandBeforeTheStartButtonIsClaimedAndStartsTheMonitor) {
    auto program = makeProgram();
    lc::MainWindow& window = program->window();
    FakeBrowserView& claim = fakeView(window.claimView());
    ASSERT_TRUE(program->start());
    ASSERT_EQ(window.monitorTimer().period(), 0);

    answerAsLandingPage(claim, "1");
    claim.finishLoading(QString::fromStdString(kLanding));

    QTRY_COMPARE(window.resultsList().topLevelItemCount(), 1);
    EXPECT_EQ(window.resultsList().topLevelItem(0)->text(3), QStringLiteral("领取失败，原因：淘礼金已发完！"));
    EXPECT_EQ(window.monitorTimer().period(), 3000);
    EXPECT_TRUE(window.startButton().isVisible());
}

TEST_F(ProgramTest, WithoutANoticeServerTheProgramStartsAndWritesTheAlertSound) {
    auto program = makeProgram();
    ASSERT_TRUE(program->start());
    EXPECT_TRUE(program->window().isVisible());
    EXPECT_GT(QFile(alertSound()).size(), 0);
    EXPECT_EQ(program->window().heartbeatTimer().period(), 300000);
}

TEST_F(ProgramTest, ANoticeServerSayingOpenEndsTheProgramBeforeTheWindowShows) {
    lc::test::RecordingServer server([](const std::string& request) {
        const std::pair<const char*, const char*> files[] = {
            {"GET /others/quenmar/1.txt ", "open"},
            {"GET /others/quenmar/2.txt ", "bye"},
            {"GET /others/quenmar/3.txt ", "http://127.0.0.1:1/news"}};
        for (const auto& [start, body] : files)
            if (request.rfind(start, 0) == 0) return lc::test::okResponse(body);
        return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    auto program = makeProgram(server.url(""));
    EXPECT_FALSE(program->start());
    EXPECT_EQ(desktop.messages.shown, QStringList{QStringLiteral("bye")});
    EXPECT_EQ(desktop.urls.opened, QStringList{QStringLiteral("http://127.0.0.1:1/news")});
    EXPECT_FALSE(program->window().isVisible());
    EXPECT_EQ(program->window().heartbeatTimer().period(), 0);
    EXPECT_EQ(program->window().tabResetTimer().period(), 0);
    EXPECT_FALSE(QFile::exists(alertSound()));
}

}  // namespace
