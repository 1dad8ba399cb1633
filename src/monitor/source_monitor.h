// Watches the source view for the first coupon landing link and opens each new one in the
// claim view, recording its digest in the run's seen-link file.
#pragma once

#include <QObject>
#include <QString>
#include <QCoro/QCoroTask>
#include <functional>
#include <string>

#include "browser/browser_view.h"

namespace lc {

struct LandingConfig {
    std::string stem;    // "https://" and the first label of the landing host
    std::string prefix;  // "https://" and the full landing host
};

class SourceMonitor : public QObject {
    Q_OBJECT
public:
    SourceMonitor(BrowserView& sourceView, BrowserView& claimView, std::function<void(int)> setMonitorPeriod,
                  LandingConfig config, QString runDirectory, QObject* parent = nullptr);

    QCoro::Task<> monitorTick();

    // Empty until the first tick names the file.
    QString seenLinkFilePath() const;
};

}  // namespace lc
