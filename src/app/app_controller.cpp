#include "app/app_controller.h"

namespace lc {

namespace {

const QString kStartNotice = QStringLiteral(
    "必看事项\r\n\r\n\r\n"
    "1.请确定已经登录 ， 否则将无法正常运行！\r\n\r\n"
    "2.使用时请将尽量停留在[淘宝登录/速券通操作预览区]的窗口界面，否则可能将无法正常领取\r\n\r\n"
    "3.只要领取过的淘客令，都会显示领取成功！\r\n\r\n"
    "4.出现刷新频繁请等待10分钟左右就自动恢复了\r\n\r\n\r\n"
    "使用过程中请确保网络一切正常");

QCoro::Task<> runNow(std::function<void()> handler) {
    handler();
    co_return;
}

}  // namespace

AppController::AppController(MainWindow& window, AppConfig config, MessageBox& messages, UrlOpener& urls,
                             ControllerHooks hooks, QObject* parent)
    : QObject(parent),
      window_(window),
      config_(std::move(config)),
      messages_(messages),
      urls_(urls),
      hooks_(std::move(hooks)) {
    connect(&window_.startButton(), &QPushButton::clicked, this, &AppController::startMonitoring);
    connect(&window_.tutorialButton(), &QPushButton::clicked, this, &AppController::openTutorial);
    connect(&window_.tabs(), &QTabWidget::currentChanged, this, &AppController::onTabChanged);
    connect(&window_.tabResetTimer(), &PeriodTimer::elapsed, this, &AppController::resetTab);
    // The handlers that touch the browser views run one at a time.
    connect(&window_.heartbeatTimer(), &PeriodTimer::elapsed, this,
            [this] { handlers_.enqueue([this] { return runNow([this] { heartbeat(); }); }); });
    connect(&window_.monitorTimer(), &PeriodTimer::elapsed, this, [this] {
        if (hooks_.monitorTick) handlers_.enqueueTick(hooks_.monitorTick);
    });
    connect(&window_.claimView(), &BrowserView::loadFinished, this, [this](const QString& address) {
        if (hooks_.onClaimViewLoaded)
            handlers_.enqueue([this, address] { return hooks_.onClaimViewLoaded(address); });
    });
}

bool AppController::start() {
    if (!runStartupSequence()) return false;
    window_.show();
    return true;
}

bool AppController::runStartupSequence() {
    setUpViews();
    if (hooks_.startupCheck && !hooks_.startupCheck()) return false;
    window_.heartbeatTimer().setPeriod(kHeartbeatPeriod);
    window_.tabResetTimer().setPeriod(kTabResetPeriod);
    return true;
}

void AppController::setUpViews() {
    setUpView(window_.claimView(), config_.claimHomeUrl);
    setUpView(window_.sourceView(), config_.sourceHomeUrl);
}

void AppController::setUpView(BrowserView& view, const QString& homeUrl) {
    view.setSize(kViewSize.width(), kViewSize.height());
    view.setVisible(true);
    view.setAddress(homeUrl);
}

void AppController::startMonitoring() {
    messages_.show(kStartNotice);
    window_.startButton().hide();
    window_.monitorTimer().setPeriod(kMonitorPeriod);
}

void AppController::openTutorial() {
    urls_.open(config_.tutorialUrl);
}

void AppController::heartbeat() {
    setUpViews();
}

void AppController::resetTab() {
    // The reset's own page change is not a user's pick: it switches the views once, below.
    resettingTab_ = true;
    window_.tabs().setCurrentIndex(0);
    resettingTab_ = false;
    switchView();
}

void AppController::onTabChanged() {
    if (!resettingTab_) switchView();
}

void AppController::switchView() {
    QTabWidget& tabs = window_.tabs();
    const QString caption = tabs.tabText(tabs.currentIndex());
    BrowserView& claimView = window_.claimView();
    BrowserView& sourceView = window_.sourceView();
    if (caption == QStringLiteral("淘宝登录/速券通操作预览区")) {
        sourceView.setVisible(false);
        claimView.setVisible(true);
    } else if (caption == QStringLiteral("监控源")) {
        sourceView.setVisible(true);
        claimView.setVisible(false);
    } else if (caption == QStringLiteral("领取结果")) {
        sourceView.setVisible(false);
        claimView.setVisible(false);
    } else if (caption == QStringLiteral("视频教程")) {
        messages_.show(QStringLiteral("请用浏览器打开观看"));
        urls_.open(config_.tutorialUrl);
    }
}

}  // namespace lc
