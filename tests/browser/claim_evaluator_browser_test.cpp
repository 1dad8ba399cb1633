// The claim evaluator on real landing pages in a real Qt WebEngine view.
#include <gtest/gtest.h>

#include "browser/browser_test_support.h"
#include "monitor/claim_evaluator.h"
#include "text/encoding.h"

namespace {

using lc::ClaimResultTexts;
using namespace lc::testing;
using namespace std::chrono_literals;

struct Row {
    std::string title, address, result;
};

struct Claim {
    std::vector<Row> rows;
    std::vector<int> periods;
    int playbacks = 0;
    std::string clicks;  // as the page counted them
};

// Loads the page, lets the evaluator run on its load-finished address, and reads the page's click count.
Claim claimOn(WebFixture& web, const QString& page, std::chrono::milliseconds contentBound = 5s) {
    Claim claim;
    auto view = web.makeView();
    lc::ClaimHooks hooks{[&](const std::string& t, const std::string& a, const std::string& r) {
                             claim.rows.push_back({t, a, r});
                         },
                         [&] { ++claim.playbacks; }, [&](int period) { claim.periods.push_back(period); }};
    lc::ClaimEvaluator evaluator(*view, web.server.origin().toStdString(), hooks, contentBound);

    QSignalSpy finished(view.get(), &lc::BrowserView::loadFinished);
    view->setAddress(web.server.url(QStringLiteral("/claim/") + page).toString());
    EXPECT_TRUE(finished.wait(kLoadPatienceMs));
    QCoro::waitFor(evaluator.onClaimViewLoaded(finished.last().at(0).toString()));
    claim.clicks = evaluate(*view, QStringLiteral("document.body.dataset.clicks || '0'"));
    return claim;
}

const std::string kLongTitle = "Apple iPhone 16 Pro 256GB " + lc::utf8ToGbk("官方正品");

struct PageCase {
    const char* page;
    std::string title;
    std::string result;
    bool claimed;
};

class ClaimOnRealPages : public ::testing::TestWithParam<PageCase> {};

TEST_P(ClaimOnRealPages, RecordsTheOutcomeAndClicksOnlyWhenClaimable) {
    const PageCase& c = GetParam();
    WebFixture web;
    const Claim claim = claimOn(web, QString::fromLatin1(c.page));

    ASSERT_EQ(claim.rows.size(), 1u);
    EXPECT_EQ(claim.rows[0].title, c.title);
    EXPECT_EQ(claim.rows[0].address, web.server.url(QStringLiteral("/claim/") + QLatin1String(c.page)).toString().toStdString());
    EXPECT_EQ(claim.rows[0].result, c.result);
    EXPECT_EQ(claim.clicks, c.claimed ? "1" : "0");
    EXPECT_EQ(claim.playbacks, c.claimed ? 1 : 0);
    EXPECT_EQ(claim.periods, std::vector<int>{3000});
}

INSTANTIATE_TEST_SUITE_P(
    Landing, ClaimOnRealPages,
    ::testing::Values(PageCase{"claimable.html", kLongTitle, ClaimResultTexts::success(), true},
                      PageCase{"exhausted.html", kLongTitle, ClaimResultTexts::offerExhausted(), false},
                      PageCase{"login.html", "", ClaimResultTexts::loginExpired(), false},
                      PageCase{"rate-limited.html", "", ClaimResultTexts::refreshedTooOften(), false},
                      PageCase{"five-bytes.html", "abcde", "", false},
                      PageCase{"late.html", kLongTitle, ClaimResultTexts::success(), true},
                      PageCase{"outside-gbk.html", lc::utf8ToGbk("新鲜水果? ?? 礼盒"), ClaimResultTexts::success(), true}),
    [](const auto& info) {
        std::string name = info.param.page;
        name = name.substr(0, name.find('.'));
        std::erase(name, '-');
        return name;
    });

TEST(ClaimOnRealPages, ProbingAtLoadFinishedWouldMissLateContent) {
    // Without waiting for the content the late page reads as empty: the fault the wait mends.
    WebFixture web;
    const Claim claim = claimOn(web, QStringLiteral("late.html"), 0ms);
    ASSERT_EQ(claim.rows.size(), 1u);
    EXPECT_EQ(claim.rows[0].result, ClaimResultTexts::refreshedTooOften());
    EXPECT_EQ(claim.clicks, "0");
}

}  // namespace
