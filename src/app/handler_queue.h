// Runs the browser-touching handlers (monitor tick, claim evaluation, heartbeat) one at a time in
// arrival order, so that their awaited script calls never interleave.
#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <deque>
#include <functional>

namespace lc {

class HandlerQueue : public QObject {
    Q_OBJECT
public:
    using Job = std::function<QCoro::Task<>()>;

    using QObject::QObject;

    // Runs job after every job enqueued before it; at once when the queue is idle.
    void enqueue(Job job);
    // As enqueue, but a monitor tick is dropped while another one is queued or running.
    void enqueueTick(Job job);

    bool isIdle() const { return !running_; }

signals:
    // The last queued job has finished.
    void drained();

private:
    struct Entry {
        Job job;
        bool isTick;
    };

    void push(Job job, bool isTick);
    QCoro::Task<> drain();

    std::deque<Entry> pending_;
    bool running_ = false;
    bool tickPending_ = false;  // a tick is queued or running
};

}  // namespace lc
