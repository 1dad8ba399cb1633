// The browser profile the claim view and the source view share. It is stored on disk, cookies
// included, so the marketplace login survives a restart.
#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

namespace lc {

inline constexpr char kBrowserProfileName[] = "lijin-claimer";

// The program's profile, made on first use as a child of the application; views must be
// destroyed before the application object is.
QWebEngineProfile* sharedBrowserProfile();

// A disk-based profile that keeps every cookie, session cookies too. An empty storagePath keeps
// Qt's default place for the name.
QWebEngineProfile* createPersistentProfile(const QString& storageName, const QString& storagePath,
                                           QObject* parent);

}  // namespace lc
