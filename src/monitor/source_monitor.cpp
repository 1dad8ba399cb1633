#include "monitor/source_monitor.h"

#include <QDir>

#include "monitor/new_link.h"
#include "monitor/seen_link_file.h"
#include "text/encoding.h"
#include "text/gbk_text.h"

namespace lc {

namespace {

const QString kMarkupScript = QStringLiteral("document.getElementsByTagName('html')[0].innerHTML;");

}  // namespace

SourceMonitor::SourceMonitor(BrowserView& sourceView, BrowserView& claimView,
                             std::function<void(int)> setMonitorPeriod, LandingConfig config,
                             QString runDirectory, QObject* parent)
    : QObject(parent),
      sourceView_(&sourceView),
      claimView_(&claimView),
      setMonitorPeriod_(std::move(setMonitorPeriod)),
      config_(std::move(config)),
      runDirectory_(std::move(runDirectory)) {}

QString SourceMonitor::seenLinkFilePath() const {
    return seenLinkFileName_.isEmpty() ? QString() : QDir(runDirectory_).filePath(seenLinkFileName_);
}

QCoro::Task<> SourceMonitor::monitorTick() {
    if (seenLinkFileName_.isEmpty())
        seenLinkFileName_ = QString::fromLatin1(randomLetters(6, 2)) + QStringLiteral(".txt");
    if (!sourceView_) co_return;

    QPointer<SourceMonitor> self(this);
    const std::string markup = co_await sourceView_->runScript(kMarkupScript);
    if (!self || !claimView_) co_return;

    const SeenLinkFile seenLinks(seenLinkFilePath());
    const auto found = findNewLink(markup, seenLinks.read(), handledDigests_, config_);
    if (!found) co_return;
    handledDigests_.insert(found->digest);
    seenLinks.append(found->digest);
    setMonitorPeriod_(kClaimingPeriodMs);
    claimView_->setAddress(QString::fromStdString(gbkToUtf8(found->link)));
}

}  // namespace lc
