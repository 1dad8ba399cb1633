// A timer that carries a period: writing the same period changes nothing, a new period
// restarts the count, and 0 or less stops it.
#pragma once

#include <QObject>
#include <QTimer>

namespace lc {

class PeriodTimer : public QObject {
    Q_OBJECT
public:
    explicit PeriodTimer(QObject* parent = nullptr);

    int period() const { return period_; }
    void setPeriod(int milliseconds);

signals:
    void elapsed();

private:
    QTimer* timer_;
    int period_ = 0;
};

}  // namespace lc
