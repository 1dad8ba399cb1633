// The whole program put together: the window, the results table, the source monitor, the claim
// evaluator, the start-up notice and the controller that drives them. main() builds one with the
// real services and WebEngine views; tests build one with their own.
#pragma once

#include <QString>

class QWebEngineProfile;

#include "app/app_config.h"
#include "app/app_controller.h"
#include "app/desktop_services.h"
#include "app/main_window.h"
#include "monitor/claim_evaluator.h"
#include "monitor/results_table.h"
#include "monitor/source_monitor.h"
#include "notice/startup_notice.h"

namespace lc {

// Views on Qt WebEngine sharing the program's persistent profile.
BrowserViewFactory webEngineViewFactory();
// Views on Qt WebEngine sharing profile, which must outlive them (tests and benchmarks pass an
// off-the-record one, so the user's login stays untouched).
BrowserViewFactory webEngineViewFactory(QWebEngineProfile* profile);

class Program {
public:
    // runDirectory receives the seen-link file and the alert sound.
    Program(const AppConfig& config, DesktopServices services, const BrowserViewFactory& makeView,
            const QString& runDirectory);

    // The start-up sequence, then the window shows. False when the notice server ended the program.
    bool start() { return controller_.start(); }

    MainWindow& window() { return window_; }
    ResultsTable& results() { return results_; }
    SourceMonitor& monitor() { return monitor_; }
    ClaimEvaluator& evaluator() { return evaluator_; }
    AppController& controller() { return controller_; }

private:
    MainWindow window_;
    ResultsTable results_;
    SourceMonitor monitor_;
    ClaimEvaluator evaluator_;
    StartupNotice notice_;
    AppController controller_;
};

}  // namespace lc
