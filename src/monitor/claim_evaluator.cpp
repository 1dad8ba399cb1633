#include "monitor/claim_evaluator.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QCoro/QCoroTimer>

#include "monitor/landing.h"
#include "text/encoding.h"
#include "text/gbk_text.h"

namespace lc {

namespace {

const QString kTitleScript = QStringLiteral("document.getElementsByClassName('short-name')[0].innerHTML");
const QString kNoMoreScript = QStringLiteral("document.getElementsByClassName('coupon-nomore').length");
const QString kLoginFormScript = QStringLiteral("document.getElementsByClassName('am-button-submit').length");
const QString kClaimButton = QStringLiteral(".fuli-bao-wrap .fuli-bao-content .use-btn");
// Landing pages render with scripts after load-finished; any of these means the content is there.
const QString kContentShownScript =
    QStringLiteral("document.querySelector('.short-name, .coupon-nomore, .am-button-submit') !== null");
constexpr std::chrono::milliseconds kContentPollInterval(25);
constexpr int kMonitorPeriodMs = 3000;

int titleLength(const std::string& title) { return static_cast<int>(title.size()); }

}  // namespace

const std::string& ClaimResultTexts::success() {
    static const std::string text = utf8ToGbk("领取成功！");
    return text;
}
const std::string& ClaimResultTexts::refreshedTooOften() {
    static const std::string text = utf8ToGbk("领取失败，原因：刷新频繁！");
    return text;
}
const std::string& ClaimResultTexts::loginExpired() {
    static const std::string text = utf8ToGbk("领取失败，原因：淘宝登录状态失效 ，请重新登录！");
    return text;
}
const std::string& ClaimResultTexts::offerExhausted() {
    static const std::string text = utf8ToGbk("领取失败，原因：淘礼金已发完！");
    return text;
}

ClaimEvaluator::ClaimEvaluator(BrowserView& claimView, std::string landingPrefix, ClaimHooks hooks,
                               std::chrono::milliseconds contentBound, QObject* parent)
    : QObject(parent),
      view_(claimView),
      landingPrefix_(std::move(landingPrefix)),
      hooks_(std::move(hooks)),
      contentBound_(contentBound) {}

QCoro::Task<> ClaimEvaluator::onClaimViewLoaded(QString address) {
    const std::string addressText = utf8ToGbk(address.toStdString());
    if (!isLandingAddress(address.toStdString(), landingPrefix_)) co_return;
    QPointer<ClaimEvaluator> self(this);

    co_await waitForContent();
    if (!self) co_return;

    const std::string result = co_await classify();
    if (!self) co_return;

    const std::string title = co_await titleProbe();
    if (!self) co_return;
    if (hooks_.addResultRow) hooks_.addResultRow(title, addressText, result);
    if (hooks_.setMonitorPeriod) hooks_.setMonitorPeriod(kMonitorPeriodMs);
}

// Each case probes the title afresh: the page may change between the probes.
QCoro::Task<std::string> ClaimEvaluator::classify() {
    std::string title = co_await titleProbe();
    if (titleLength(title) > 5) {
        const bool clicked = co_await availabilityProbe();
        if (clicked) {
            if (hooks_.playAlert) hooks_.playAlert();
            co_return ClaimResultTexts::success();
        }
    }
    title = co_await titleProbe();
    if (titleLength(title) < 5) {
        const bool loginForm = co_await loginFormProbe();
        if (!loginForm) co_return ClaimResultTexts::refreshedTooOften();
    }
    title = co_await titleProbe();
    if (titleLength(title) < 5) {
        const bool loginForm = co_await loginFormProbe();
        if (loginForm) co_return ClaimResultTexts::loginExpired();
    }
    title = co_await titleProbe();
    if (titleLength(title) > 5) co_return ClaimResultTexts::offerExhausted();
    co_return std::string();
}

QCoro::Task<> ClaimEvaluator::waitForContent() {
    QElapsedTimer clock;
    clock.start();
    QPointer<ClaimEvaluator> self(this);
    while (self && clock.elapsed() < contentBound_.count()) {
        const std::string shown = co_await view_.runScript(kContentShownScript);
        if (shown == "true") co_return;
        co_await QCoro::sleepFor(kContentPollInterval);
    }
}

QCoro::Task<std::string> ClaimEvaluator::titleProbe() {
    const std::string first = co_await view_.runScript(kTitleScript);
    if (find(utf8ToGbk(first), "TypeError", 0, false) != -1) co_return std::string();
    const std::string second = co_await view_.runScript(kTitleScript);
    co_return utf8ToGbk(second);
}

QCoro::Task<bool> ClaimEvaluator::availabilityProbe() {
    const std::string exhaustedMarks = co_await view_.runScript(kNoMoreScript);
    if (exhaustedMarks != "0") co_return false;
    co_await view_.clickElement(2, kClaimButton, 1);
    co_return true;
}

QCoro::Task<bool> ClaimEvaluator::loginFormProbe() {
    const std::string loginButtons = co_await view_.runScript(kLoginFormScript);
    co_return loginButtons != "0";
}

}  // namespace lc
