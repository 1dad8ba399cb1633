#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/period_timer.h"

namespace {

QTimer* innerTimer(lc::PeriodTimer& timer) { return timer.findChild<QTimer*>(); }

TEST(PeriodTimer, SamePeriodKeepsTheCountNewPeriodRestartsIt) {
    lc::PeriodTimer timer;
    timer.setPeriod(60000);
    QTest::qWait(60);
    const int before = innerTimer(timer)->remainingTime();
    timer.setPeriod(60000);
    EXPECT_LE(innerTimer(timer)->remainingTime(), before);
    timer.setPeriod(30000);
    EXPECT_GT(innerTimer(timer)->remainingTime(), 29900);
    EXPECT_EQ(timer.period(), 30000);
}

TEST(PeriodTimer, ZeroOrNegativeStops) {
    lc::PeriodTimer timer;
    timer.setPeriod(20);
    timer.setPeriod(-5);
    EXPECT_EQ(timer.period(), 0);
    EXPECT_FALSE(innerTimer(timer)->isActive());
    QSignalSpy spy(&timer, &lc::PeriodTimer::elapsed);
    timer.setPeriod(10);
    EXPECT_TRUE(spy.wait(2000));
}

}  // namespace
