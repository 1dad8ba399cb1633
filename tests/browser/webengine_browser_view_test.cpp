#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>

#include "browser/browser_profile.h"
#include "browser_test_support.h"

namespace lc::testing {
namespace {

const QString kScriptPage = QStringLiteral("/browser/script_page.html");

class WebEngineBrowserViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(web.server.isListening());
        ASSERT_TRUE(loadPage(*view, web.server.url(kScriptPage)));
    }

    std::string clicksAfter(const QString& selector, int index) {
        evaluate(*view, QStringLiteral("document.body.dataset.clicks = ''"));
        QCoro::waitFor(view->clickElement(2, selector, index));
        return evaluate(*view, QStringLiteral("document.body.dataset.clicks"));
    }

    WebFixture web;
    std::unique_ptr<WebEngineBrowserView> view = web.makeView();
};

TEST_F(WebEngineBrowserViewTest, ScriptAnswersWithTheStringFormOfItsValue) {
    struct Case {
        const char* script;
        std::string answer;
    };
    const Case cases[] = {
        {"6 * 7", "42"},
        {"6 * 7;", "42"},
        {"  6 * 7 ;  \n", "42"},
        {"document.title // the page's title", "script page"},
        {"document.getElementById('marker').textContent", "淘礼金 marker"},
        {"document.getElementsByClassName('pick').length", "3"},
        {"'a' + 'b'", "ab"},
        {"undefined", "undefined"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(evaluate(*view, QString::fromUtf8(c.script)), c.answer);
    }
}

TEST_F(WebEngineBrowserViewTest, ThrownErrorAnswersWithItsStringForm) {
    const std::string missing = evaluate(*view, QStringLiteral("document.getElementById('missing').value;"));
    EXPECT_EQ(missing.rfind("TypeError", 0), 0u) << missing;
    EXPECT_EQ(evaluate(*view, QStringLiteral("(() => { throw new RangeError('out'); })()")),
              "RangeError: out");
}

TEST_F(WebEngineBrowserViewTest, ScriptsSeeThePageDomButNotItsGlobals) {
    EXPECT_EQ(evaluate(*view, QStringLiteral("typeof pageSecret")), "undefined");
    EXPECT_EQ(evaluate(*view, QStringLiteral("typeof record")), "undefined");
    EXPECT_EQ(evaluate(*view, QStringLiteral("document.querySelector('.pick').textContent")), "a");
}

TEST_F(WebEngineBrowserViewTest, ClickElementClicksTheIndexedMatchInDocumentOrder) {
    struct Case {
        const char* selector;
        int index;
        std::string clicked;
    };
    const Case cases[] = {
        {"button.pick", 2, "b"},  {"button.pick", 3, "c"},     {"button.pick", 1, "a"},
        {"button.pick", 0, "a"},  {"button.pick", -4, "a"},    {"button.pick", 4, ""},
        {"button.absent", 1, ""}, {"[[not a selector", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.selector << " #" << c.index);
        EXPECT_EQ(clicksAfter(QString::fromUtf8(c.selector), c.index), c.clicked);
    }
}

TEST_F(WebEngineBrowserViewTest, OnlyModeTwoClicks) {
    EXPECT_EQ(clicksAfter(QStringLiteral("button.pick"), 1), "a");
    evaluate(*view, QStringLiteral("document.body.dataset.clicks = ''"));
    QCoro::waitFor(view->clickElement(1, QStringLiteral("button.pick"), 1));
    EXPECT_EQ(evaluate(*view, QStringLiteral("document.body.dataset.clicks")), "");
}

TEST_F(WebEngineBrowserViewTest, LoadFinishedCarriesAddressAndResult) {
    QSignalSpy finished(view.get(), &BrowserView::loadFinished);
    const QUrl page = web.server.url(QStringLiteral("/browser/script_page.html?again=1"));
    view->setAddress(page.toString());
    ASSERT_TRUE(finished.wait(kLoadPatienceMs));
    EXPECT_EQ(finished.last().at(0).toString(), page.toString());
    EXPECT_EQ(finished.last().at(1).toInt(), 1);
    EXPECT_EQ(view->address(), page.toString());

    // Nothing listens on port 1 of loopback: the load fails and says why.
    view->setAddress(QStringLiteral("http://127.0.0.1:1/"));
    ASSERT_TRUE(finished.wait(kLoadPatienceMs));
    EXPECT_EQ(finished.last().at(1).toInt(), 0);
    EXPECT_FALSE(finished.last().at(2).toString().isEmpty());
}

TEST(WebEngineBrowserViewBounds, ScriptWithoutAnswerInTimeYieldsEmptyAndLaterScriptsStillAnswer) {
    WebFixture web;
    auto view = web.makeView(std::chrono::milliseconds(300));
    ASSERT_TRUE(loadPage(*view, web.server.url(kScriptPage)));

    const QString busy =
        QStringLiteral("(() => { const end = Date.now() + 1500; while (Date.now() < end); return 1; })()");
    EXPECT_EQ(evaluate(*view, busy), "");
    QTest::qWait(1600);  // the page is busy until then; its late answer must go nowhere
    EXPECT_EQ(evaluate(*view, QStringLiteral("2 + 2")), "4");
}

// A script awaited with a bound far beyond the test's patience: only the guards can end it.
class PendingScript {
public:
    PendingScript(BrowserView& view, const QString& script) { run(view, script); }
    bool finishes() {
        return QTest::qWaitFor([this] { return finished_; }, 10000);
    }
    std::string answer() const { return answer_; }

private:
    QCoro::Task<> run(BrowserView& view, QString script) {
        answer_ = co_await view.runScript(std::move(script));
        finished_ = true;
    }
    bool finished_ = false;
    std::string answer_ = "unanswered";
};

const QString kNeverAnswers = QStringLiteral("(() => { for (;;); })()");

TEST(WebEngineBrowserViewGuards, DestroyingTheViewEndsItsPendingScripts) {
    WebFixture web;
    auto view = web.makeView(std::chrono::minutes(10));
    ASSERT_TRUE(loadPage(*view, web.server.url(kScriptPage)));
    PendingScript pending(*view, kNeverAnswers);
    QTest::qWait(100);
    view.reset();
    EXPECT_TRUE(pending.finishes());
    EXPECT_EQ(pending.answer(), "");
}

TEST(WebEngineBrowserViewGuards, DeadRenderProcessEndsPendingScriptsAndThePageComesBack) {
    WebFixture web;
    auto view = web.makeView(std::chrono::minutes(10));
    ASSERT_TRUE(loadPage(*view, web.server.url(kScriptPage)));
    PendingScript pending(*view, kNeverAnswers);
    QTest::qWait(100);

    QSignalSpy reloaded(view.get(), &BrowserView::loadFinished);
    const qint64 renderer = view->webView()->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);
    ::kill(static_cast<pid_t>(renderer), SIGKILL);

    EXPECT_TRUE(pending.finishes());
    EXPECT_EQ(pending.answer(), "");
    ASSERT_TRUE(reloaded.wait(kLoadPatienceMs));
    EXPECT_EQ(evaluate(*view, QStringLiteral("document.getElementById('marker').textContent")),
              "淘礼金 marker");
}

TEST(BrowserProfile, SessionCookiesSurviveARestartOfTheProfile) {
    QTemporaryDir storage;
    ASSERT_TRUE(storage.isValid());
    FixtureServer server{QStringLiteral(LC_FIXTURES_DIR)};
    QWidget window;
    const QString name = QStringLiteral("lc-profile-test");

    auto visitWith = [&](const QString& script) {
        QWebEngineProfile* profile = createPersistentProfile(name, storage.path(), nullptr);
        std::string answer;
        {
            WebEngineBrowserView view(profile, &window);
            EXPECT_TRUE(loadPage(view, server.url(kScriptPage)));
            answer = evaluate(view, script);
        }
        QTest::qWait(200);
        delete profile;
        QTest::qWait(500);
        return answer;
    };

    visitWith(QStringLiteral("document.cookie = 'login=kept'"));
    EXPECT_EQ(visitWith(QStringLiteral("document.cookie")), "login=kept");
}

}  // namespace
}  // namespace lc::testing
