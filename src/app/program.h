// The whole program put together: the window, the results table, the source monitor and the
// controller that drives them. main() builds one with the real services and WebEngine views;
// tests and the demo build one with their own.
#pragma once

#include <QString>
#include <functional>

#include "app/app_config.h"
#include "app/app_controller.h"
#include "app/desktop_services.h"
#include "app/main_window.h"
#include "monitor/results_table.h"
#include "monitor/source_monitor.h"

namespace lc {

// Views on Qt WebEngine sharing the program's persistent profile.
BrowserViewFactory webEngineViewFactory();

class Program {
public:
    // startupCheck runs before the timers start; false ends the program (none: go on).
    Program(const AppConfig& config, DesktopServices services, const BrowserViewFactory& makeView,
            const QString& runDirectory, std::function<bool()> startupCheck = {});

    // The start-up sequence, then the window shows. False when the start-up check ended the program.
    bool start() { return controller_.start(); }

    MainWindow& window() { return window_; }
    ResultsTable& results() { return results_; }
    SourceMonitor& monitor() { return monitor_; }
    AppController& controller() { return controller_; }

private:
    MainWindow window_;
    ResultsTable results_;
    SourceMonitor monitor_;
    AppController controller_;
};

}  // namespace lc
