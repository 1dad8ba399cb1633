// A coupon-feed site to try the program offline: a live feed page, landing pages of every kind the
// program tells apart, a demo account page and the notice files, all on 127.0.0.1.
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>
#include <array>

#include "demo/http_server.h"

namespace lc::demo {

enum class CouponKind {
    Claimable,      // title and claim button
    Exhausted,      // title, claim button and an element of class coupon-nomore
    LoginExpired,   // login form with .am-button-submit, no title
    RateLimited,    // neither title nor login form
    LateRendering,  // the claimable content, inserted by a script 1.5 s after load
};

// Short English name, as in feed.json and the feed page's item classes.
QString kindName(CouponKind kind);

// Automatic publishing walks this order and starts again: seven of ten coupons can be claimed.
inline constexpr std::array<CouponKind, 10> kPublishingCycle = {
    CouponKind::Claimable,     CouponKind::Claimable, CouponKind::Exhausted,    CouponKind::Claimable,
    CouponKind::LateRendering, CouponKind::Claimable, CouponKind::LoginExpired, CouponKind::Claimable,
    CouponKind::RateLimited,   CouponKind::Claimable,
};

struct DemoCoupon {
    int id = 0;
    CouponKind kind = CouponKind::Claimable;
    QString title;
    QString amount;  // gift money in yuan, "5.00"
    QString price;   // price after the gift money, "19.90"
    QTime publishedAt;
    QString landingUrl;
};

class DemoFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int kFeedLength = 20;

    // landingHost is the host of the landing links; it has to resolve to 127.0.0.1.
    explicit DemoFeed(QString landingHost = QStringLiteral("uland.localhost"), QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    quint16 port() const { return server_.port(); }
    QString errorString() const { return server_.errorString(); }

    // http://127.0.0.1:PORT, the feed page (with "/") and the notice files.
    QString baseUrl() const;
    // "http://" and the first label of the landing host.
    QString landingStem() const;
    // "http://", the landing host and ":PORT".
    QString landingPrefix() const;
    // The demo account page, on a host apart from the landing host.
    QString accountUrl() const;

    // Publishes a coupon every intervalMs in the order of kPublishingCycle; 0 or less stops.
    void setInterval(int intervalMs);
    DemoCoupon publish(CouponKind kind);

    // Newest first, at most kFeedLength.
    QList<DemoCoupon> feed() const;
    // Presses of the claim button of one coupon's landing page.
    int clickCount(int couponId) const { return clicks_.value(couponId); }

signals:
    void published(const lc::demo::DemoCoupon& coupon);
    void clicked(int couponId, int count);

private:
    HttpResponse handle(const HttpRequest& request);
    HttpResponse landingPage(QByteArrayView id) const;
    HttpResponse recordClick(QByteArrayView id);
    HttpResponse noticeFile(QByteArrayView name) const;
    QByteArray feedJson() const;
    QByteArray clicksJson() const;
    void publishNextInCycle();
    const DemoCoupon* find(QByteArrayView id) const;

    HttpServer server_;
    QString landingHost_;
    QString runTag_;
    QTimer publishTimer_;
    int intervalMs_ = 0;
    int nextId_ = 1;
    int version_ = 0;  // grows with every change the feed page shows
    QMap<int, DemoCoupon> coupons_;
    QHash<int, int> clicks_;
};

}  // namespace lc::demo
