#include "demo/demo_feed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include "demo/pages.h"

namespace lc::demo {
namespace {

// Landing pages stay reachable for this many coupons after they leave the feed.
constexpr int kKeptCoupons = 500;

struct Goods {
    const char* title;
    const char* amount;
    const char* price;
};

constexpr Goods kGoods[] = {
    {"原木纯品抽纸 3层120抽×6包 家庭装", "5.00", "9.90"},
    {"不锈钢真空保温杯 500ml 男女学生水杯", "8.00", "19.90"},
    {"纯棉短袖T恤 男款宽松圆领 夏季新款", "10.00", "29.00"},
    {"无线蓝牙耳机 主动降噪 超长续航", "20.00", "69.00"},
    {"有机燕麦片 1kg 罐装 即食早餐", "6.00", "15.80"},
    {"儿童益智拼图 100片 木质卡通款", "4.00", "12.90"},
    {"厨房双层收纳置物架 免打孔", "7.00", "22.50"},
    {"速干运动毛巾 加大加厚 健身专用", "3.00", "8.80"},
    {"护手霜礼盒 3支装 滋润保湿", "5.00", "16.90"},
    {"LED护眼台灯 充电款 三档调光", "15.00", "39.00"},
    {"手冲咖啡滤杯套装 陶瓷 新手入门", "9.00", "28.00"},
    {"加厚珊瑚绒毛毯 150×200cm 午睡毯", "12.00", "35.00"},
};

QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

HttpResponse jsonResponse(QByteArray body) {
    return HttpResponse::ok(std::move(body), "application/json; charset=utf-8");
}

HttpResponse htmlResponse(QByteArray body, int status = 200) {
    HttpResponse response = HttpResponse::ok(std::move(body), "text/html; charset=utf-8");
    response.status = status;
    return response;
}

HttpResponse methodNotAllowed(QByteArray allowed) {
    HttpResponse response = HttpResponse::error(405);
    response.extraHeaders.append({"Allow", std::move(allowed)});
    return response;
}

}  // namespace

QString kindName(CouponKind kind) {
    switch (kind) {
        case CouponKind::Claimable:
            return QStringLiteral("claimable");
        case CouponKind::Exhausted:
            return QStringLiteral("exhausted");
        case CouponKind::LoginExpired:
            return QStringLiteral("login");
        case CouponKind::RateLimited:
            return QStringLiteral("rate-limited");
        case CouponKind::LateRendering:
            return QStringLiteral("late");
    }
    return {};
}

DemoFeed::DemoFeed(QString landingHost, QObject* parent)
    : QObject(parent),
      server_([this](const HttpRequest& request) { return handle(request); }),
      landingHost_(std::move(landingHost)),
      runTag_(QString::number(QRandomGenerator::global()->bounded(0x100000, 0x1000000), 16)) {
    connect(&publishTimer_, &QTimer::timeout, this, &DemoFeed::publishNextInCycle);
}

bool DemoFeed::listen(quint16 port) {
    return server_.listen(port);
}

QString DemoFeed::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QString DemoFeed::landingStem() const {
    return QStringLiteral("http://") + landingHost_.section(u'.', 0, 0);
}

QString DemoFeed::landingPrefix() const {
    return QStringLiteral("http://%1:%2").arg(landingHost_).arg(port());
}

QString DemoFeed::accountUrl() const {
    return QStringLiteral("http://i.localhost:%1/my_taobao.htm?spm=demo.account.0.0").arg(port());
}

void DemoFeed::setInterval(int intervalMs) {
    intervalMs_ = std::max(intervalMs, 0);
    if (intervalMs_ == 0) {
        publishTimer_.stop();
        return;
    }
    publishTimer_.start(intervalMs_);
}

DemoCoupon DemoFeed::publish(CouponKind kind) {
    const int id = nextId_++;
    const Goods& goods = kGoods[(id - 1) % std::size(kGoods)];
    // The run tag keeps the links of a restarted feed apart from links the program has already seen.
    const DemoCoupon coupon{
        .id = id,
        .kind = kind,
        .title = QString::fromUtf8(goods.title),
        .amount = QString::fromLatin1(goods.amount),
        .price = QString::fromLatin1(goods.price),
        .publishedAt = QTime::currentTime(),
        .landingUrl = QStringLiteral("%1/coupon/%2?run=%3").arg(landingPrefix()).arg(id).arg(runTag_),
    };
    coupons_.insert(id, coupon);
    while (coupons_.size() > kKeptCoupons) coupons_.erase(coupons_.begin());
    ++version_;
    emit published(coupon);
    return coupon;
}

void DemoFeed::publishNextInCycle() {
    publish(kPublishingCycle[(nextId_ - 1) % kPublishingCycle.size()]);
}

QList<DemoCoupon> DemoFeed::feed() const {
    QList<DemoCoupon> newestFirst;
    for (auto it = coupons_.cend(); it != coupons_.cbegin() && newestFirst.size() < kFeedLength;)
        newestFirst.append(*--it);
    return newestFirst;
}

HttpResponse DemoFeed::handle(const HttpRequest& request) {
    const QByteArray& path = request.path;
    const bool isRead = request.method == "GET" || request.method == "HEAD";
    if (path.startsWith("/claim/")) {
        if (request.method != "POST") return methodNotAllowed("POST");
        return recordClick(QByteArrayView(path).sliced(7));
    }
    if (!isRead) return methodNotAllowed("GET, HEAD");
    if (path == "/")
        return htmlResponse(pages::feedPage({.coupons = feed(),
                                             .clicks = clicks_,
                                             .intervalMs = intervalMs_,
                                             .published = nextId_ - 1,
                                             .version = version_}));
    if (path == "/feed.json") return jsonResponse(feedJson());
    if (path == "/clicks.json") return jsonResponse(clicksJson());
    if (path == "/my_taobao.htm") return htmlResponse(pages::accountPage());
    if (path.startsWith("/coupon/")) return landingPage(QByteArrayView(path).sliced(8));
    if (path.startsWith("/others/quenmar/")) return noticeFile(QByteArrayView(path).sliced(16));
    return HttpResponse::error(404);
}

const DemoCoupon* DemoFeed::find(QByteArrayView id) const {
    bool ok = false;
    const int number = id.toInt(&ok);
    const auto it = ok ? coupons_.constFind(number) : coupons_.constEnd();
    return it == coupons_.constEnd() ? nullptr : &*it;
}

HttpResponse DemoFeed::landingPage(QByteArrayView id) const {
    const DemoCoupon* coupon = find(id);
    if (!coupon) return htmlResponse(pages::missingCouponPage(), 404);
    return htmlResponse(pages::landingPage(*coupon));
}

HttpResponse DemoFeed::recordClick(QByteArrayView id) {
    const DemoCoupon* coupon = find(id);
    if (!coupon) return HttpResponse::error(404);
    const int count = ++clicks_[coupon->id];
    ++version_;
    emit clicked(coupon->id, count);
    return jsonResponse(json({{QStringLiteral("id"), coupon->id}, {QStringLiteral("clicks"), count}}));
}

HttpResponse DemoFeed::noticeFile(QByteArrayView name) const {
    // Anything but the exact text "open" in 1.txt lets the program start.
    if (name == "1.txt") return HttpResponse::ok("close");
    if (name == "2.txt") return HttpResponse::ok("演示源通知：程序照常运行。");
    if (name == "3.txt") return HttpResponse::ok(baseUrl().toUtf8() + '/');
    return HttpResponse::error(404);
}

QByteArray DemoFeed::feedJson() const {
    QJsonArray coupons;
    for (const DemoCoupon& coupon : feed()) {
        coupons.append(QJsonObject{
            {QStringLiteral("id"), coupon.id},
            {QStringLiteral("kind"), kindName(coupon.kind)},
            {QStringLiteral("kindLabel"), pages::kindLabel(coupon.kind)},
            {QStringLiteral("title"), coupon.title},
            {QStringLiteral("amount"), coupon.amount},
            {QStringLiteral("time"), coupon.publishedAt.toString(QStringLiteral("HH:mm:ss"))},
            {QStringLiteral("url"), coupon.landingUrl},
            {QStringLiteral("clicks"), clicks_.value(coupon.id)},
        });
    }
    return json({{QStringLiteral("version"), version_},
                 {QStringLiteral("published"), nextId_ - 1},
                 {QStringLiteral("coupons"), coupons}});
}

QByteArray DemoFeed::clicksJson() const {
    QJsonObject byCoupon;
    int total = 0;
    for (auto it = clicks_.cbegin(); it != clicks_.cend(); ++it) {
        byCoupon.insert(QString::number(it.key()), it.value());
        total += it.value();
    }
    return json({{QStringLiteral("total"), total}, {QStringLiteral("coupons"), byCoupon}});
}

}  // namespace lc::demo
