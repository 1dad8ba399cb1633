#include "app/app_config.h"

#include <QDir>
#include <QUrl>

#include "lc/constants.h"

namespace lc {

namespace {

QString resolveInRunDirectory(const QString& address, const QString& runDirectory) {
    if (!QUrl(address).isRelative()) return address;
    return QUrl::fromLocalFile(QDir(runDirectory).filePath(address)).toString();
}

}  // namespace

AppConfig AppConfig::builtIn(const QString& runDirectory) {
    using namespace constants;
    return {QString::fromUtf8(CLAIM_HOME_URL),
            QString::fromUtf8(SOURCE_HOME_URL),
            resolveInRunDirectory(QString::fromUtf8(TUTORIAL_URL), runDirectory),
            {LANDING_STEM, LANDING_PREFIX},
            NOTICE_BASE_URL};
}

}  // namespace lc
