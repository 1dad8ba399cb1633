#include "notice/startup_notice.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include "http/http_fetch.h"
#include "text/encoding.h"

namespace lc {

namespace {

// The page comes over plain http from an unauthenticated server: never let it name a local file
// or another scheme.
bool isWebAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

}  // namespace

StartupNotice::StartupNotice(std::string baseUrl, QString runDirectory, NoticeHooks hooks, int timeoutSeconds)
    : baseUrl_(std::move(baseUrl)),
      runDirectory_(std::move(runDirectory)),
      hooks_(std::move(hooks)),
      timeoutSeconds_(timeoutSeconds) {}

QString StartupNotice::alertSoundPath(const QString& runDirectory) {
    return QDir(runDirectory).filePath(QStringLiteral("bg.mp3"));
}

std::string StartupNotice::fetch(const char* path) const {
    HttpRequest request;
    request.url = baseUrl_ + path;
    request.processEvents = hooks_.processEvents;
    request.timeout = timeoutSeconds_;
    return HttpFetch(request);
}

bool StartupNotice::check() {
    const std::string switchText = fetch(kSwitchPath);
    const std::string message = fetch(kMessagePath);
    const std::string page = fetch(kPagePath);
    if (switchText != "open") {
        writeAlertSound();
        return true;
    }
    if (hooks_.showMessage) hooks_.showMessage(QString::fromStdString(gbkToUtf8(message)));
    const QString pageUrl = QString::fromStdString(gbkToUtf8(page));
    if (hooks_.openUrl && isWebAddress(pageUrl)) hooks_.openUrl(pageUrl);
    return false;
}

void StartupNotice::writeAlertSound() const {
    QFile sound(QStringLiteral(":/lijin-claimer/bg.mp3"));
    if (!sound.open(QIODevice::ReadOnly)) return;
    QSaveFile file(alertSoundPath(runDirectory_));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(sound.readAll());
    file.commit();  // a failure leaves no sound to play, which is all it costs
}

}  // namespace lc
