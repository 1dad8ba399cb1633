#include "app/program.h"

#include "browser/browser_profile.h"
#include "browser/webengine_browser_view.h"

namespace lc {

BrowserViewFactory webEngineViewFactory() {
    return [](QWidget* parent, const QString&) -> BrowserView* {
        return new WebEngineBrowserView(sharedBrowserProfile(), parent);
    };
}

Program::Program(const AppConfig& config, DesktopServices services, const BrowserViewFactory& makeView,
                 const QString& runDirectory, std::function<bool()> startupCheck)
    : window_(makeView),
      results_(window_.resultsList(), window_.listMenu(), window_.copyTitleAction(), window_.copyLinkAction(),
               services.clipboard, services.messages),
      monitor_(
          window_.sourceView(), window_.claimView(),
          [this](int period) { window_.monitorTimer().setPeriod(period); }, config.landing, runDirectory),
      controller_(window_, config, services.messages, services.urls,
                  {.monitorTick = [this] { return monitor_.monitorTick(); },
                   .onClaimViewLoaded = {},
                   .startupCheck = std::move(startupCheck)}) {}

}  // namespace lc
