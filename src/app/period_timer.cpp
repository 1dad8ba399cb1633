#include "app/period_timer.h"

namespace lc {

PeriodTimer::PeriodTimer(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &PeriodTimer::elapsed);
}

void PeriodTimer::setPeriod(int milliseconds) {
    const int period = milliseconds > 0 ? milliseconds : 0;
    if (period == period_) return;
    period_ = period;
    if (period == 0)
        timer_->stop();
    else
        timer_->start(period);
}

}  // namespace lc
