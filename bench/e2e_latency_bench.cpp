// End-to-end latency of the whole program on the demo coupon feed, with the real timer periods:
// from a coupon appearing in the feed to the claim view's navigation to its landing page, and on to
// the click the feed's server sees; plus the peak memory of the program and its browser processes.
// Runs offscreen for a few minutes and prints figures; it asserts nothing.
//
//   e2e_latency_bench [--coupons N]     (default 30, following the demo feed's publishing cycle)
//
// The feed runs on a thread of its own, so serving it never delays the program's event loop.
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "app/program.h"
#include "browser/webengine_browser_view.h"
#include "demo/demo_feed.h"
#include "support/fake_desktop_services.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using lc::demo::CouponKind;
using lc::demo::DemoCoupon;
using lc::demo::DemoFeed;

constexpr auto kRowPatience = 40s;  // a rate-limited page alone takes the 5 s content bound

// When each step of one coupon's road happened; written from the feed's thread and the UI thread.
struct Road {
    CouponKind kind = CouponKind::Claimable;
    std::optional<Clock::time_point> published, navigated, loaded, clicked;
};

class Timeline {
public:
    void mark(int couponId, std::optional<Clock::time_point> Road::*step) {
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        auto& when = roads_[couponId].*step;
        if (!when) when = now;
    }
    void setKind(int couponId, CouponKind kind) {
        std::lock_guard lock(mutex_);
        roads_[couponId].kind = kind;
    }
    std::map<int, Road> roads() const {
        std::lock_guard lock(mutex_);
        return roads_;
    }

private:
    mutable std::mutex mutex_;
    std::map<int, Road> roads_;
};

// The demo feed, made, served and destroyed on its own thread.
class FeedThread {
public:
    explicit FeedThread(Timeline& timeline) {
        thread_.start();
        context_->moveToThread(&thread_);
        QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
        runThere([&] {
            feed_ = new DemoFeed(QStringLiteral("uland.localhost"));
            listening_ = feed_->listen(0);
            QObject::connect(
                feed_, &DemoFeed::published, feed_,
                [&timeline](const DemoCoupon& coupon) { timeline.mark(coupon.id, &Road::published); },
                Qt::DirectConnection);
            QObject::connect(
                feed_, &DemoFeed::clicked, feed_,
                [&timeline](int couponId, int) { timeline.mark(couponId, &Road::clicked); },
                Qt::DirectConnection);
        });
    }
    ~FeedThread() {
        runThere([&] { delete feed_; });
        thread_.quit();
        thread_.wait();
    }

    bool listening() const { return listening_; }
    // Read once at start; they do not change.
    QString baseUrl() {
        return valueThere([&] { return feed_->baseUrl(); });
    }
    QString accountUrl() {
        return valueThere([&] { return feed_->accountUrl(); });
    }
    lc::LandingConfig landing() {
        return {valueThere([&] { return feed_->landingStem(); }).toStdString(),
                valueThere([&] { return feed_->landingPrefix(); }).toStdString()};
    }
    DemoCoupon publish(CouponKind kind) {
        return valueThere([&] { return feed_->publish(kind); });
    }

private:
    template <typename F>
    void runThere(F&& work) {
        QMetaObject::invokeMethod(context_, std::forward<F>(work), Qt::BlockingQueuedConnection);
    }
    template <typename F>
    auto valueThere(F&& work) -> std::invoke_result_t<F&> {
        std::invoke_result_t<F&> value;
        runThere([&] { value = work(); });
        return value;
    }

    QThread thread_;
    QObject* context_ = new QObject;
    DemoFeed* feed_ = nullptr;
    bool listening_ = false;
};

// Peak resident memory of this process and all its descendants (the QtWebEngineProcess tree),
// sampled from /proc on a thread of its own.
class MemorySampler {
public:
    MemorySampler() : worker_([this] { run(); }) {}
    ~MemorySampler() { stop(); }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (worker_.joinable()) worker_.join();
    }

    long peakSummedRssKb() const { return peakSummedRssKb_; }
    long peakSummedPssKb() const { return peakSummedPssKb_; }
    // Every process's own peak, summed over all processes seen (the peaks need not coincide).
    long summedHwmKb() const {
        long sum = 0;
        for (const auto& [pid, hwm] : hwmKb_) sum += hwm;
        return sum;
    }
    std::size_t processesSeen() const { return hwmKb_.size(); }
    std::size_t samples() const { return samples_; }

private:
    static constexpr auto kInterval = 100ms;

    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            lock.unlock();
            sample();
            lock.lock();
            wake_.wait_for(lock, kInterval, [this] { return stopping_; });
        }
    }

    void sample() {
        long summedRss = 0, summedPss = 0;
        for (const int pid : descendantsAndSelf()) {
            const auto [rss, hwm] = residentKb(pid);
            summedRss += rss;
            summedPss += proportionalKb(pid);
            hwmKb_[pid] = std::max(hwmKb_[pid], hwm);
        }
        peakSummedRssKb_ = std::max(peakSummedRssKb_, summedRss);
        peakSummedPssKb_ = std::max(peakSummedPssKb_, summedPss);
        ++samples_;
    }

    static std::vector<int> descendantsAndSelf() {
        std::multimap<int, int> childrenOf;
        for (const QString& entry :
             QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool numeric = false;
            const int pid = entry.toInt(&numeric);
            if (!numeric) continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string line;
            if (!std::getline(stat, line)) continue;
            // pid (comm) state ppid ...; comm may hold spaces and parentheses.
            const std::size_t afterComm = line.rfind(')');
            if (afterComm == std::string::npos) continue;
            char state = 0;
            int parent = 0;
            if (std::sscanf(line.c_str() + afterComm + 1, " %c %d", &state, &parent) == 2)
                childrenOf.emplace(parent, pid);
        }
        std::vector<int> tree{static_cast<int>(getpid())};
        for (std::size_t i = 0; i < tree.size(); ++i) {
            const auto [first, last] = childrenOf.equal_range(tree[i]);
            for (auto it = first; it != last; ++it) tree.push_back(it->second);
        }
        return tree;
    }

    // VmRSS and VmHWM in kB; zeros for a process that is gone.
    static std::pair<long, long> residentKb(int pid) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        long rss = 0, hwm = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0) rss = std::atol(line.c_str() + 6);
            if (line.rfind("VmHWM:", 0) == 0) hwm = std::atol(line.c_str() + 6);
        }
        return {rss, hwm};
    }

    // Pss: resident pages with each shared page split among the processes that map it.
    static long proportionalKb(int pid) {
        std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
        for (std::string line; std::getline(rollup, line);)
            if (line.rfind("Pss:", 0) == 0) return std::atol(line.c_str() + 4);
        return 0;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::map<int, long> hwmKb_;
    long peakSummedRssKb_ = 0;
    long peakSummedPssKb_ = 0;
    std::size_t samples_ = 0;
    std::thread worker_;  // last: starts once everything it touches exists
};

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void printFigure(const char* name, std::vector<double> values) {
    if (values.empty()) {
        std::printf("  %-42s n=0\n", name);
        return;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    const double p95 = values[static_cast<std::size_t>(std::ceil(0.95 * n)) - 1];  // nearest rank
    std::printf("  %-42s n=%2zu  median %7.0f ms  p95 %7.0f ms  min %7.0f ms  max %7.0f ms\n", name, n,
                median, p95, values.front(), values.back());
}

using Step = std::optional<Clock::time_point> Road::*;

std::vector<double> between(const std::map<int, Road>& roads, Step from, Step to) {
    std::vector<double> values;
    for (const auto& [id, road] : roads)
        if (road.*from && road.*to) values.push_back(milliseconds(*(road.*to) - *(road.*from)));
    return values;
}

int couponIdOf(const QUrl& url) {
    const QString path = url.path();
    if (!path.startsWith(QStringLiteral("/coupon/"))) return 0;
    return path.mid(8).toInt();
}

class Bench {
public:
    explicit Bench(int coupons) : coupons_(coupons), feed_(timeline_) {}

    QCoro::Task<int> run() {
        if (!feed_.listening()) {
            std::fprintf(stderr, "e2e_latency_bench: the demo feed cannot listen on 127.0.0.1\n");
            co_return 1;
        }
        const lc::AppConfig config{feed_.accountUrl(),
                                   feed_.baseUrl() + u'/',
                                   QStringLiteral("http://127.0.0.1:1/"),
                                   feed_.landing(),
                                   {}};
        lc::Program program(config, desktop_.services(), lc::webEngineViewFactory(&profile_),
                            runDirectory_.path());
        watchClaimView(program);

        lc::BrowserView& sourceView = program.window().sourceView();
        if (!program.start()) co_return 1;
        co_await qCoro(&sourceView, &lc::BrowserView::loadFinished, 30s);
        program.controller().startMonitoring();

        QAbstractItemModel* results = program.window().resultsList().model();
        auto* random = QRandomGenerator::global();
        for (int i = 0; i < coupons_; ++i) {
            // A uniform phase against the monitor's 3 s period, which restarts after every claim.
            co_await QCoro::sleepFor(std::chrono::milliseconds(random->bounded(3000)));
            const CouponKind kind = lc::demo::kPublishingCycle[i % lc::demo::kPublishingCycle.size()];
            const int rowsBefore = results->rowCount();
            const DemoCoupon coupon = feed_.publish(kind);
            timeline_.setKind(coupon.id, kind);
            while (results->rowCount() == rowsBefore) {
                if (!co_await qCoro(results, &QAbstractItemModel::rowsInserted, kRowPatience)) {
                    std::fprintf(stderr, "e2e_latency_bench: no row for coupon %d\n", coupon.id);
                    break;
                }
            }
            std::fprintf(stderr, "\rcoupon %d/%d", i + 1, coupons_);
        }
        co_await QCoro::sleepFor(1s);  // the last click's request may still be on its way
        std::fprintf(stderr, "\n");
        sampler_.stop();
        report(results->rowCount());
        co_return 0;
    }

private:
    void watchClaimView(lc::Program& program) {
        auto& claimView = static_cast<lc::WebEngineBrowserView&>(program.window().claimView());
        QObject::connect(claimView.webView()->page(), &QWebEnginePage::loadingChanged, &claimView,
                         [this](const QWebEngineLoadingInfo& info) {
                             const int id = couponIdOf(info.url());
                             if (id == 0) return;
                             timeline_.mark(id, info.status() == QWebEngineLoadingInfo::LoadStartedStatus
                                                    ? &Road::navigated
                                                    : &Road::loaded);
                         });
    }

    void report(int rows) const {
        const std::map<int, Road> roads = timeline_.roads();
        int claimable = 0;
        for (const auto& [id, road] : roads)
            claimable += road.kind == CouponKind::Claimable || road.kind == CouponKind::LateRendering;
        std::printf(
            "e2e_latency_bench: %zu coupons published (%d claimable, %d of them late-rendering), %d rows\n",
            roads.size(), claimable,
            static_cast<int>(
                std::count_if(roads.begin(), roads.end(),
                              [](const auto& r) { return r.second.kind == CouponKind::LateRendering; })),
            rows);
        std::printf("real periods: monitor 3000/10000 ms; the feed page polls /feed.json every 1000 ms\n");
        printFigure("feed update -> claim-view navigation",
                    between(roads, &Road::published, &Road::navigated));
        printFigure("navigation -> landing page loaded", between(roads, &Road::navigated, &Road::loaded));
        printFigure("navigation -> click seen by the server",
                    between(roads, &Road::navigated, &Road::clicked));
        printFigure("feed update -> click seen by the server",
                    between(roads, &Road::published, &Road::clicked));
        std::printf(
            "peak memory, this process and its browser processes (%zu processes, %zu samples every 100 "
            "ms):\n",
            sampler_.processesSeen(), sampler_.samples());
        std::printf("  peak of the summed VmRSS   %7.1f MiB\n", sampler_.peakSummedRssKb() / 1024.0);
        std::printf("  sum of every VmHWM         %7.1f MiB\n", sampler_.summedHwmKb() / 1024.0);
        std::printf("  peak of the summed Pss     %7.1f MiB  (shared pages counted once)\n",
                    sampler_.peakSummedPssKb() / 1024.0);
    }

    int coupons_;
    Timeline timeline_;
    FeedThread feed_;
    QWebEngineProfile profile_;  // off the record: the user's login stays untouched
    QTemporaryDir runDirectory_;
    lc::testing::FakeDesktopServices desktop_;
    MemorySampler sampler_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Chromium refuses its sandbox to root.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption couponsOption(QStringLiteral("coupons"), QStringLiteral("Coupons to publish."),
                                           QStringLiteral("N"), QStringLiteral("30"));
    parser.addOption(couponsOption);
    parser.addHelpOption();
    parser.process(app);
    const int coupons = std::max(parser.value(couponsOption).toInt(), 1);

    int exitCode = 1;
    {
        Bench bench(coupons);
        QCoro::connect(bench.run(), &app, [&](int code) {
            exitCode = code;
            QCoreApplication::quit();
        });
        QApplication::exec();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return exitCode;
}
