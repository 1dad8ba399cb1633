#include "app/handler_queue.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "app_test_support.h"

namespace {

using lc::testing::Gate;

class HandlerQueueTest : public ::testing::Test {
protected:
    lc::HandlerQueue queue;
    QStringList log;

    lc::HandlerQueue::Job job(const QString& name, Gate* gate = nullptr) {
        return [this, name, gate]() { return run(name, gate); };
    }

    QCoro::Task<> run(QString name, Gate* gate) {
        log.append(name + QStringLiteral(" starts"));
        if (gate) co_await gate->wait();
        log.append(name + QStringLiteral(" ends"));
    }
};

TEST_F(HandlerQueueTest, JobsRunOneAtATimeInArrivalOrder) {
    Gate first, second;
    queue.enqueue(job(QStringLiteral("claim"), &first));
    queue.enqueue(job(QStringLiteral("heartbeat"), &second));
    queue.enqueue(job(QStringLiteral("claim2")));
    EXPECT_EQ(log, QStringList{QStringLiteral("claim starts")});
    EXPECT_FALSE(queue.isIdle());

    first.open();
    second.open();
    EXPECT_EQ(log, (QStringList{QStringLiteral("claim starts"), QStringLiteral("claim ends"),
                                QStringLiteral("heartbeat starts"), QStringLiteral("heartbeat ends"),
                                QStringLiteral("claim2 starts"), QStringLiteral("claim2 ends")}));
    EXPECT_TRUE(queue.isIdle());
}

TEST_F(HandlerQueueTest, AnIdleQueueRunsAJobAtOnce) {
    queue.enqueue(job(QStringLiteral("heartbeat")));
    queue.enqueueTick(job(QStringLiteral("tick")));
    EXPECT_EQ(log, (QStringList{QStringLiteral("heartbeat starts"), QStringLiteral("heartbeat ends"),
                                QStringLiteral("tick starts"), QStringLiteral("tick ends")}));
    EXPECT_TRUE(queue.isIdle());
}

TEST_F(HandlerQueueTest, ATickIsDroppedWhileAnotherTickRuns) {
    Gate tick;
    queue.enqueueTick(job(QStringLiteral("tick1"), &tick));
    queue.enqueueTick(job(QStringLiteral("tick2")));
    queue.enqueue(job(QStringLiteral("claim")));
    queue.enqueueTick(job(QStringLiteral("tick3")));
    tick.open();
    queue.enqueueTick(job(QStringLiteral("tick4")));
    EXPECT_EQ(log, (QStringList{QStringLiteral("tick1 starts"), QStringLiteral("tick1 ends"),
                                QStringLiteral("claim starts"), QStringLiteral("claim ends"),
                                QStringLiteral("tick4 starts"), QStringLiteral("tick4 ends")}));
}

TEST_F(HandlerQueueTest, ATickIsDroppedWhileAnotherTickIsQueued) {
    Gate claim;
    queue.enqueue(job(QStringLiteral("claim"), &claim));
    queue.enqueueTick(job(QStringLiteral("tick1")));
    queue.enqueueTick(job(QStringLiteral("tick2")));
    queue.enqueue(job(QStringLiteral("heartbeat")));
    claim.open();
    EXPECT_EQ(log, (QStringList{QStringLiteral("claim starts"), QStringLiteral("claim ends"),
                                QStringLiteral("tick1 starts"), QStringLiteral("tick1 ends"),
                                QStringLiteral("heartbeat starts"), QStringLiteral("heartbeat ends")}));
}

TEST_F(HandlerQueueTest, AJobEnqueuedByARunningJobWaitsForIt) {
    Gate gate;
    queue.enqueue([this, &gate]() -> QCoro::Task<> {
        queue.enqueue(job(QStringLiteral("inner")));
        return run(QStringLiteral("outer"), &gate);
    });
    gate.open();
    EXPECT_EQ(log, (QStringList{QStringLiteral("outer starts"), QStringLiteral("outer ends"),
                                QStringLiteral("inner starts"), QStringLiteral("inner ends")}));
}

}  // namespace
