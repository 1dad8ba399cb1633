// Reads a loaded coupon landing page, presses its claim button while the coupon is available,
// classifies the outcome and records it.
#pragma once

#include <QObject>
#include <QString>
#include <QCoro/QCoroTask>
#include <chrono>
#include <functional>
#include <string>

#include "browser/browser_view.h"

namespace lc {

struct ClaimResultTexts {
    static const std::string& success();
    static const std::string& refreshedTooOften();
    static const std::string& loginExpired();
    static const std::string& offerExhausted();
};

struct ClaimHooks {
    std::function<void(const std::string& title, const std::string& address, const std::string& result)>
        addResultRow;                          // GBK texts
    std::function<void()> playAlert;           // plays the run directory's bg.mp3 once
    std::function<void(int)> setMonitorPeriod;
};

class ClaimEvaluator : public QObject {
    Q_OBJECT
public:
    ClaimEvaluator(BrowserView& claimView, std::string landingPrefix, ClaimHooks hooks,
                   std::chrono::milliseconds contentBound = std::chrono::milliseconds(5000),
                   QObject* parent = nullptr);

    QCoro::Task<> onClaimViewLoaded(QString address);

private:
    QCoro::Task<> waitForContent();
    QCoro::Task<std::string> classify();
    QCoro::Task<std::string> titleProbe();
    QCoro::Task<bool> availabilityProbe();
    QCoro::Task<bool> loginFormProbe();

    BrowserView& view_;
    std::string landingPrefix_;
    ClaimHooks hooks_;
    std::chrono::milliseconds contentBound_;
};

}  // namespace lc
