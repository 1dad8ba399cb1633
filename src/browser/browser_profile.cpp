#include "browser/browser_profile.h"

#include <QCoreApplication>
#include <QWebEngineProfile>

namespace lc {

QWebEngineProfile* createPersistentProfile(const QString& storageName, const QString& storagePath,
                                           QObject* parent) {
    auto* profile = new QWebEngineProfile(storageName, parent);
    if (!storagePath.isEmpty()) {
        profile->setPersistentStoragePath(storagePath);
        profile->setCachePath(storagePath + QStringLiteral("/cache"));
    }
    // The marketplace keeps its login in session cookies; forcing them to disk keeps the login.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    return profile;
}

QWebEngineProfile* sharedBrowserProfile() {
    static QWebEngineProfile* const profile =
        createPersistentProfile(QString::fromLatin1(kBrowserProfileName), {}, QCoreApplication::instance());
    return profile;
}

}  // namespace lc
