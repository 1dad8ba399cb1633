// The program's driver: the start-up sequence, the start button, the heartbeat, the tab reset and
// the switching of the visible browser view.
#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <functional>

#include "app/app_config.h"
#include "app/desktop_services.h"
#include "app/handler_queue.h"
#include "app/main_window.h"

namespace lc {

// What the controller drives but does not own. Missing hooks do nothing; a missing start-up check
// lets the program go on.
struct ControllerHooks {
    // The monitor timer elapsed (SourceMonitor::monitorTick).
    std::function<QCoro::Task<>()> monitorTick;
    // The claim view finished loading address (the claim evaluator).
    std::function<QCoro::Task<>(QString address)> onClaimViewLoaded;
    // Runs between the view setups and the timers; false ends the program before the window shows.
    std::function<bool()> startupCheck;
};

class AppController : public QObject {
    Q_OBJECT
public:
    static constexpr QSize kViewSize{916, 520};
    static constexpr int kHeartbeatPeriod = 300000;
    static constexpr int kTabResetPeriod = 8888;
    static constexpr int kMonitorPeriod = 3000;

    AppController(MainWindow& window, AppConfig config, MessageBox& messages, UrlOpener& urls,
                  ControllerHooks hooks = {}, QObject* parent = nullptr);

    // Runs the start-up sequence, then shows the window. False when the start-up check ended the
    // program: the window was never shown and no timer runs.
    bool start();

    // 按钮1: the notice, then monitoring at 3000 ms.
    void startMonitoring();
    // 按钮2.
    void openTutorial();
    // beat_时钟1: both views back to their home pages.
    void heartbeat();
    // 用户行为重置1: back to the first page.
    void resetTab();
    // Shows the browser view that belongs to the current page.
    void switchView();

    HandlerQueue& handlers() { return handlers_; }

private:
    bool runStartupSequence();
    void setUpViews();
    void setUpView(BrowserView& view, const QString& homeUrl);
    void onTabChanged();

    MainWindow& window_;
    AppConfig config_;
    MessageBox& messages_;
    UrlOpener& urls_;
    ControllerHooks hooks_;
    HandlerQueue handlers_;
    bool resettingTab_ = false;
};

}  // namespace lc
