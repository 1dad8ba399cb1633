// The demo site's HTML, filled in from the templates in pages/.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "demo/demo_feed.h"

namespace lc::demo::pages {

struct FeedState {
    QList<DemoCoupon> coupons;  // newest first
    QHash<int, int> clicks;     // coupon id -> presses of its claim button
    int intervalMs = 0;
    int published = 0;
    int version = 0;
};

// Chinese label of a kind, shown on the feed page.
QString kindLabel(CouponKind kind);

QByteArray feedPage(const FeedState& state);
QByteArray landingPage(const DemoCoupon& coupon);
QByteArray missingCouponPage();
QByteArray accountPage();

}  // namespace lc::demo::pages
