#include "app/handler_queue.h"

#include <QPointer>

namespace lc {

void HandlerQueue::enqueue(Job job) {
    push(std::move(job), false);
}

void HandlerQueue::enqueueTick(Job job) {
    if (tickPending_) return;
    tickPending_ = true;
    push(std::move(job), true);
}

void HandlerQueue::push(Job job, bool isTick) {
    pending_.push_back({std::move(job), isTick});
    if (!running_) drain();
}

QCoro::Task<> HandlerQueue::drain() {
    running_ = true;
    QPointer<HandlerQueue> self(this);
    while (!pending_.empty()) {
        Entry entry = std::move(pending_.front());
        pending_.pop_front();
        co_await entry.job();
        // Jobs may outlive the queue at shutdown; nothing of it may be touched then.
        if (!self) co_return;
        if (entry.isTick) tickPending_ = false;
    }
    running_ = false;
    emit drained();
}

}  // namespace lc
