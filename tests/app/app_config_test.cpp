#include "app/app_config.h"

#include <gtest/gtest.h>

namespace {

TEST(AppConfig, TheDefaultTutorialIsTheGuideBesideTheProgram) {
    const lc::AppConfig config = lc::AppConfig::builtIn(QStringLiteral("/opt/lijin-claimer/bin"));
    EXPECT_EQ(config.tutorialUrl, QStringLiteral("file:///opt/lijin-claimer/bin/guide.html"));
}

}  // namespace
