// Time from a landing page's load-finished to the claim click, on a local page in a real
// Qt WebEngine view (offscreen). Prints the median and the 95th percentile; asserts nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QWidget>
#include <QCoro/QCoroTask>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "browser/webengine_browser_view.h"
#include "monitor/claim_evaluator.h"
#include "support/fixture_server.h"

namespace {

constexpr int kRuns = 50;

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * (values.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    lc::testing::FixtureServer server(QStringLiteral(LC_FIXTURES_DIR));
    QWebEngineProfile profile;
    QWidget window;
    window.show();
    lc::WebEngineBrowserView view(&profile, &window);
    view.setSize(916, 520);
    view.setVisible(true);

    QElapsedTimer sinceLoad;
    std::vector<double> toClickMs;
    lc::ClaimHooks hooks{{}, [&] { toClickMs.push_back(sinceLoad.nsecsElapsed() / 1e6); }, {}};
    lc::ClaimEvaluator evaluator(view, server.origin().toStdString(), hooks);

    for (int run = 0; run < kRuns; ++run) {
        QSignalSpy finished(&view, &lc::BrowserView::loadFinished);
        view.setAddress(server.url(QStringLiteral("/claim/claimable.html?run=%1").arg(run)).toString());
        if (!finished.wait(20000)) {
            std::fprintf(stderr, "page %d did not load\n", run);
            return 1;
        }
        sinceLoad.start();
        QCoro::waitFor(evaluator.onClaimViewLoaded(finished.last().at(0).toString()));
    }
    if (toClickMs.size() != kRuns) {
        std::fprintf(stderr, "only %zu of %d pages were claimed\n", toClickMs.size(), kRuns);
        return 1;
    }
    std::printf("load-finished to claim click over %d local pages: median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                kRuns, percentile(toClickMs, 0.5), percentile(toClickMs, 0.95), percentile(toClickMs, 1.0));
    return 0;
}
