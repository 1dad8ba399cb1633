#include "app/program.h"

#include <QCoreApplication>

#include "browser/browser_profile.h"
#include "browser/webengine_browser_view.h"

namespace lc {

BrowserViewFactory webEngineViewFactory() {
    return webEngineViewFactory(sharedBrowserProfile());
}

BrowserViewFactory webEngineViewFactory(QWebEngineProfile* profile) {
    return [profile](QWidget* parent, const QString&) -> BrowserView* {
        return new WebEngineBrowserView(profile, parent);
    };
}

Program::Program(const AppConfig& config, DesktopServices services, const BrowserViewFactory& makeView,
                 const QString& runDirectory)
    : window_(makeView),
      results_(
          window_.resultsList(), window_.listMenu(), window_.copyTitleAction(), window_.copyLinkAction(),
          {.setClipboardText = [&clipboard =
                                    services.clipboard](const QString& text) { clipboard.setText(text); },
           .showMessage = [&messages = services.messages](const QString& text) { messages.show(text); }}),
      monitor_(
          window_.sourceView(), window_.claimView(),
          [this](int period) { window_.monitorTimer().setPeriod(period); }, config.landing, runDirectory),
      evaluator_(window_.claimView(), config.landing.prefix,
                 {.addResultRow =
                      [this](const std::string& title, const std::string& address,
                             const std::string& result) { results_.addResultRow(title, address, result); },
                  .playAlert = [&sound = services.sound,
                                path = StartupNotice::alertSoundPath(runDirectory)] { sound.play(path); },
                  .setMonitorPeriod = [this](int period) { window_.monitorTimer().setPeriod(period); }}),
      notice_(config.noticeBaseUrl, runDirectory,
              {.showMessage = [&messages = services.messages](const QString& text) { messages.show(text); },
               .openUrl = [&urls = services.urls](const QString& url) { urls.open(url); },
               .processEvents = [] { QCoreApplication::processEvents(); }}),
      controller_(
          window_, config, services.messages, services.urls,
          {.monitorTick = [this] { return monitor_.monitorTick(); },
           .onClaimViewLoaded = [this](QString address) { return evaluator_.onClaimViewLoaded(address); },
           .startupCheck = [this] { return notice_.check(); }}) {}

}  // namespace lc
