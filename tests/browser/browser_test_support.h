// Real Qt WebEngine views over pages served from tests/fixtures on loopback.
#pragma once

#include <QCoro/QCoroTask>
#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QWidget>
#include <memory>
#include <string>

#include "browser/webengine_browser_view.h"
#include "support/fixture_server.h"

namespace lc::testing {

inline constexpr int kLoadPatienceMs = 20000;

// Loads url and waits for its load to finish; true when it loaded.
inline bool loadPage(BrowserView& view, const QUrl& url) {
    QSignalSpy finished(&view, &BrowserView::loadFinished);
    view.setAddress(url.toString());
    if (!finished.wait(kLoadPatienceMs)) return false;
    return finished.last().at(1).toInt() == 1;
}

inline std::string evaluate(BrowserView& view, const QString& script) {
    return QCoro::waitFor(view.runScript(script));
}

// A shown window on the offscreen platform, an off-the-record profile and the fixture server.
class WebFixture {
public:
    WebFixture() { window.show(); }

    std::unique_ptr<WebEngineBrowserView> makeView(
        std::chrono::milliseconds scriptBound = WebEngineBrowserView::kDefaultScriptBound) {
        auto view = std::make_unique<WebEngineBrowserView>(&profile, &window, scriptBound);
        view->setSize(800, 600);
        view->setVisible(true);
        return view;
    }

    FixtureServer server{QStringLiteral(LC_FIXTURES_DIR)};
    QWebEngineProfile profile;
    QWidget window;
};

}  // namespace lc::testing
