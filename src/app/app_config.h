// The program's settings as one value, handed to the components that need them.
#pragma once

#include <QString>
#include <string>

#include "monitor/landing.h"

namespace lc {

struct AppConfig {
    QString claimHomeUrl;       // the marketplace account page shown in the claim view
    QString sourceHomeUrl;      // the coupon-feed page watched by the source view
    QString tutorialUrl;        // the usage guide opened by the tutorial button and tab
    LandingConfig landing;      // the coupon landing host
    std::string noticeBaseUrl;  // the notice server; empty skips the start-up notice

    // The values built into the program at configure time. A relative tutorial address names a
    // file in runDirectory, where the build puts the usage guide.
    static AppConfig builtIn(const QString& runDirectory);
};

}  // namespace lc
