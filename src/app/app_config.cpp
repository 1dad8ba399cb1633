#include "app/app_config.h"

#include "lc/constants.h"

namespace lc {

AppConfig AppConfig::builtIn() {
    using namespace constants;
    return {QString::fromUtf8(CLAIM_HOME_URL),
            QString::fromUtf8(SOURCE_HOME_URL),
            QString::fromUtf8(TUTORIAL_URL),
            {LANDING_STEM, LANDING_PREFIX},
            NOTICE_BASE_URL};
}

}  // namespace lc
