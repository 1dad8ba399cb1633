#include <gtest/gtest.h>

#include <QCoro/QCoroTask>

#include "monitor/claim_evaluator.h"
#include "support/fake_browser_view.h"
#include "text/encoding.h"

namespace {

using lc::ClaimResultTexts;
using lc::testing::FakeBrowserView;

const QString kTitle = QStringLiteral("document.getElementsByClassName('short-name')[0].innerHTML");
const QString kNoMore = QStringLiteral("document.getElementsByClassName('coupon-nomore').length");
const QString kLogin = QStringLiteral("document.getElementsByClassName('am-button-submit').length");
const QString kClaimClick = QStringLiteral("2|.fuli-bao-wrap .fuli-bao-content .use-btn|1");
const QString kLanding = QStringLiteral("https://uland.taobao.com/coupon/edetail?e=abc&pid=1");
const std::string kTypeError = "TypeError: Cannot read properties of undefined (reading 'innerHTML')";

struct Row {
    std::string title, address, result;
};

struct Outcome {
    std::vector<Row> rows;
    std::vector<int> periods;
    int playbacks = 0;
};

Outcome evaluate(FakeBrowserView& view, const QString& address) {
    Outcome outcome;
    lc::ClaimHooks hooks{
        [&](const std::string& t, const std::string& a, const std::string& r) { outcome.rows.push_back({t, a, r}); },
        [&] { ++outcome.playbacks; },
        [&](int period) { outcome.periods.push_back(period); }};
    lc::ClaimEvaluator evaluator(view, "https://uland.taobao.com", hooks, std::chrono::milliseconds(50));
    QCoro::waitFor(evaluator.onClaimViewLoaded(address));
    return outcome;
}

struct PageCase {
    const char* name;
    std::string title;   // UTF-8 answer of the title script
    std::string noMore;  // coupon-nomore count
    std::string login;   // am-button-submit count
    std::string expectedTitle;  // GBK
    std::string expectedResult;
    bool clicked;
};

class ClaimPages : public ::testing::TestWithParam<PageCase> {};

TEST_P(ClaimPages, ClassifiesRecordsAndRestoresThePeriod) {
    const PageCase& c = GetParam();
    FakeBrowserView view;
    view.answers[kTitle] = c.title;
    view.answers[kNoMore] = c.noMore;
    view.answers[kLogin] = c.login;

    const Outcome outcome = evaluate(view, kLanding);

    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0].title, c.expectedTitle);
    EXPECT_EQ(outcome.rows[0].address, kLanding.toStdString());
    EXPECT_EQ(outcome.rows[0].result, c.expectedResult);
    EXPECT_EQ(view.clicks, c.clicked ? QStringList{kClaimClick} : QStringList{});
    EXPECT_EQ(outcome.playbacks, c.clicked ? 1 : 0);
    EXPECT_EQ(outcome.periods, std::vector<int>{3000});
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ClaimPages,
    ::testing::Values(
        PageCase{"Claimable", "Apple iPhone 16", "0", "0", "Apple iPhone 16", ClaimResultTexts::success(), true},
        PageCase{"ThreeChineseCharactersAreSixBytes", "苹果机", "0", "0", lc::utf8ToGbk("苹果机"),
                 ClaimResultTexts::success(), true},
        PageCase{"Exhausted", "Apple iPhone 16", "1", "0", "Apple iPhone 16", ClaimResultTexts::offerExhausted(),
                 false},
        PageCase{"LoginPage", kTypeError, "0", "1", "", ClaimResultTexts::loginExpired(), false},
        PageCase{"RateLimited", kTypeError, "0", "0", "", ClaimResultTexts::refreshedTooOften(), false},
        PageCase{"FiveByteTitleMatchesNothing", "abcde", "0", "0", "abcde", "", false},
        PageCase{"ShortTitleWithoutLoginForm", "abc", "0", "0", "abc", ClaimResultTexts::refreshedTooOften(),
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClaimEvaluator, IgnoresAddressesOutsideTheLandingHost) {
    for (const QString address :
         {QStringLiteral("https://i.taobao.com/my_taobao.htm"), QStringLiteral("https://uland.example.net/?u=https://uland.taobao.com"),
          QStringLiteral("http://uland.taobao.com/coupon")}) {
        FakeBrowserView view;
        view.answers[kTitle] = "Apple iPhone 16";
        view.answers[kNoMore] = "0";
        const Outcome outcome = evaluate(view, address);
        EXPECT_TRUE(outcome.rows.empty()) << address.toStdString();
        EXPECT_TRUE(outcome.periods.empty()) << address.toStdString();
        EXPECT_TRUE(view.scripts.isEmpty()) << address.toStdString();
    }
}

TEST(ClaimEvaluator, EveryCaseProbesTheTitleAfresh) {
    // Exhausted: case 1 probes title + availability, cases 2 to 4 one title each, then the row's title.
    FakeBrowserView view;
    view.answers[kTitle] = "Apple iPhone 16";
    view.answers[kNoMore] = "2";
    evaluate(view, kLanding);
    EXPECT_EQ(view.scripts.count(kTitle), 2 * 5);
    EXPECT_EQ(view.scripts.count(kNoMore), 1);
}

}  // namespace
