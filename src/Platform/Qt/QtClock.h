#pragma once

#include "Platform/Clock.h"

#include <QElapsedTimer>

namespace Quickhalo {

// The real clock: a monotonic elapsed timer and precise QTimers on the main event loop.
class QtClock final : public Clock {
public:
    QtClock();

    double now() const override;
    std::unique_ptr<RepeatingTimer> startRepeating(double interval, std::function<void()> tick) override;
    void later(std::function<void()> task) override;

private:
    QElapsedTimer m_elapsed;
};

}
