// Watches the source view for the first coupon landing link and opens each new one in the
// claim view, recording its digest in the run's seen-link file.
#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <unordered_set>

#include "browser/browser_view.h"
#include "monitor/landing.h"

namespace lc {

class SourceMonitor : public QObject {
    Q_OBJECT
public:
    static constexpr int kClaimingPeriodMs = 10000;

    SourceMonitor(BrowserView& sourceView, BrowserView& claimView, std::function<void(int)> setMonitorPeriod,
                  LandingConfig config, QString runDirectory, QObject* parent = nullptr);

    QCoro::Task<> monitorTick();

    // Empty until the first tick names the file.
    QString seenLinkFilePath() const;

private:
    QPointer<BrowserView> sourceView_;
    QPointer<BrowserView> claimView_;
    std::function<void(int)> setMonitorPeriod_;
    LandingConfig config_;
    QString runDirectory_;
    QString seenLinkFileName_;
    // The run's digests also live here, so a link opens once per run even when the file cannot
    // be written.
    std::unordered_set<std::string> handledDigests_;
};

}  // namespace lc
