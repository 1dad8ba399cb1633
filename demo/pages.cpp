#include "demo/pages.h"

#include <QFile>
#include <initializer_list>
#include <utility>

namespace lc::demo::pages {
namespace {

using Fields = std::initializer_list<std::pair<const char*, QString>>;

QString fill(const char* name, Fields fields) {
    QFile file(QStringLiteral(":/demo/pages/") + QLatin1String(name));
    file.open(QIODevice::ReadOnly);
    QString text = QString::fromUtf8(file.readAll());
    for (const auto& [key, value] : fields)
        text.replace(QStringLiteral("{{") + QLatin1String(key) + QStringLiteral("}}"), value);
    return text;
}

QString feedItem(const DemoCoupon& coupon, int clicks) {
    const QString clickNote =
        clicks > 0 ? QStringLiteral("<span class=\"clicks\">已点领取 %1 次</span>").arg(clicks) : QString();
    return QStringLiteral(
               "\n<li class=\"item kind-%1\"><div class=\"amount\"><b>¥%2</b><span>淘礼金</span></div>"
               "<div class=\"main\"><a class=\"title\" href=\"%3\">%4</a><div class=\"meta\">"
               "<span class=\"tag\">%5</span><span class=\"time\">%6</span>%7</div></div></li>")
        .arg(kindName(coupon.kind), coupon.amount, coupon.landingUrl.toHtmlEscaped(),
             coupon.title.toHtmlEscaped(), kindLabel(coupon.kind),
             coupon.publishedAt.toString(QStringLiteral("HH:mm:ss")), clickNote);
}

QString schedule(int intervalMs) {
    if (intervalMs <= 0) return QStringLiteral("手动发布");
    return QStringLiteral("每 %1 秒发布一张").arg(intervalMs / 1000.0);
}

QString offer(const DemoCoupon& coupon) {
    const bool exhausted = coupon.kind == CouponKind::Exhausted;
    return fill(
        "offer.html",
        {{"title", coupon.title.toHtmlEscaped()},
         {"price", coupon.price},
         {"amount", coupon.amount},
         {"nomore", exhausted ? QStringLiteral("<div class=\"coupon-nomore\">来晚了，淘礼金已发完</div>\n")
                              : QString()},
         {"buttonClass", exhausted ? QStringLiteral(" is-gone") : QString()},
         {"buttonText", exhausted ? QStringLiteral("已抢光") : QStringLiteral("立即领取")},
         {"doneNote", exhausted ? QStringLiteral("淘礼金已发完") : QStringLiteral("领取成功")}});
}

QString landingContent(const DemoCoupon& coupon) {
    switch (coupon.kind) {
        case CouponKind::Claimable:
        case CouponKind::Exhausted:
            return offer(coupon);
        case CouponKind::LoginExpired:
            return fill("login.html", {});
        case CouponKind::RateLimited:
            return fill("rate-limited.html", {});
        case CouponKind::LateRendering:
            return fill("late.html", {{"offer", offer(coupon)}});
    }
    return {};
}

QString landingHeader(CouponKind kind) {
    switch (kind) {
        case CouponKind::LoginExpired:
            return QStringLiteral("淘宝网 · 登录");
        case CouponKind::RateLimited:
            return QStringLiteral("淘宝网");
        default:
            return QStringLiteral("淘礼金");
    }
}

}  // namespace

QString kindLabel(CouponKind kind) {
    switch (kind) {
        case CouponKind::Claimable:
            return QStringLiteral("可领取");
        case CouponKind::Exhausted:
            return QStringLiteral("已发完");
        case CouponKind::LoginExpired:
            return QStringLiteral("需登录");
        case CouponKind::RateLimited:
            return QStringLiteral("刷新频繁");
        case CouponKind::LateRendering:
            return QStringLiteral("延迟加载");
    }
    return {};
}

QByteArray feedPage(const FeedState& state) {
    QString items;
    for (const DemoCoupon& coupon : state.coupons) items += feedItem(coupon, state.clicks.value(coupon.id));
    if (items.isEmpty()) items = QStringLiteral("\n<li class=\"empty\">等待新的淘礼金…</li>");
    const int newest = state.coupons.isEmpty() ? 0 : state.coupons.first().id;
    return fill("feed.html", {{"schedule", schedule(state.intervalMs)},
                              {"published", QString::number(state.published)},
                              {"items", items},
                              {"version", QString::number(state.version)},
                              {"newest", QString::number(newest)}})
        .toUtf8();
}

QByteArray landingPage(const DemoCoupon& coupon) {
    return fill("landing.html", {{"pageTitle", QStringLiteral("淘礼金")},
                                 {"id", QString::number(coupon.id)},
                                 {"header", landingHeader(coupon.kind)},
                                 {"content", landingContent(coupon)}})
        .toUtf8();
}

QByteArray missingCouponPage() {
    return fill("landing.html", {{"pageTitle", QStringLiteral("淘礼金")},
                                 {"id", QStringLiteral("0")},
                                 {"header", QStringLiteral("淘礼金")},
                                 {"content", fill("missing.html", {})}})
        .toUtf8();
}

QByteArray accountPage() {
    return fill("account.html", {}).toUtf8();
}

}  // namespace lc::demo::pages
