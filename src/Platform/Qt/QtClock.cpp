#include "Platform/Qt/QtClock.h"

#include <cmath>

#include <QCoreApplication>
#include <QTimer>

namespace Quickhalo {

namespace {
class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(double interval, std::function<void()> tick)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(static_cast<int>(std::lround(interval * 1000.0)));
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
        m_timer.start();
    }

private:
    QTimer m_timer;
};
}

QtClock::QtClock()
{
    m_elapsed.start();
}

double QtClock::now() const
{
    return static_cast<double>(m_elapsed.nsecsElapsed()) / 1e9;
}

std::unique_ptr<RepeatingTimer> QtClock::startRepeating(double interval, std::function<void()> tick)
{
    return std::make_unique<QtRepeatingTimer>(interval, std::move(tick));
}

void QtClock::later(std::function<void()> task)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

}
