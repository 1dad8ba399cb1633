#include "monitor/landing.h"

#include <QString>
#include <QUrl>

namespace lc {

namespace {

int defaultPort(const QString& scheme) {
    if (scheme == QLatin1String("https")) return 443;
    if (scheme == QLatin1String("http")) return 80;
    return -1;
}

QUrl parsed(std::string_view text) {
    return QUrl(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::TolerantMode);
}

}  // namespace

bool isLandingAddress(std::string_view address, std::string_view prefix) {
    const QUrl landing = parsed(prefix);
    const QUrl url = parsed(address);
    if (!landing.isValid() || !url.isValid() || landing.host(QUrl::FullyEncoded).isEmpty()) return false;
    // The browser and QUrl may split an authority with user information differently
    // ("https://a.example\@b.example"), so any such address is refused.
    if (url.authority().contains(QLatin1Char('@'))) return false;
    return url.scheme() == landing.scheme() &&
           url.host(QUrl::FullyEncoded) == landing.host(QUrl::FullyEncoded) &&
           url.port(defaultPort(url.scheme())) == landing.port(defaultPort(landing.scheme()));
}

}  // namespace lc
