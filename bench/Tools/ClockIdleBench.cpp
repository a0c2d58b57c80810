// What a running countdown and stopwatch cost with the clock panel closed: CPU time of the process
// and main-loop wake-ups (timer events) over a stretch of wall time, against the same loop idle.
// QUICKHALO_BENCH_SECONDS sets the stretch (default 20).
#include "Platform/Qt/QtClock.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"

#include <cstdio>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

using namespace Quickhalo;

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class WakeCounter final : public QObject {
public:
    int timerEvents = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++timerEvents;
        return QObject::eventFilter(watched, event);
    }
};

struct Figures {
    double cpuPercent = 0;
    double wakeUpsPerSecond = 0;
};

Figures measure(int seconds, WakeCounter& counter)
{
    counter.timerEvents = 0;
    QElapsedTimer wall;
    const double cpuBefore = cpuSeconds();
    wall.start();
    QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), [] { QCoreApplication::exit(); });
    QCoreApplication::exec();
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    // The stretch's own end is one timer event.
    return { 100.0 * (cpuSeconds() - cpuBefore) / elapsed, (counter.timerEvents - 1) / elapsed };
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = qEnvironmentVariableIsSet("QUICKHALO_BENCH_SECONDS")
        ? std::max(1, qEnvironmentVariableIntValue("QUICKHALO_BENCH_SECONDS"))
        : 20;
    WakeCounter counter;
    app.installEventFilter(&counter);
    QtClock clock;

    const Figures idle = measure(seconds, counter);

    TimerTool timer(clock, {});
    StopwatchTool stopwatch;
    int changes = 0;
    QObject::connect(&timer, &TimerTool::remainingChanged, [&changes] { ++changes; });
    timer.start(30);
    stopwatch.start();
    const Figures running = measure(seconds, counter);

    std::printf("clock tools, panel closed, %d s each:\n", seconds);
    std::printf("  idle main loop             CPU %6.3f %%  %5.2f wake-ups/s\n", idle.cpuPercent, idle.wakeUpsPerSecond);
    std::printf("  countdown + stopwatch      CPU %6.3f %%  %5.2f wake-ups/s  (%d shown changes)\n", running.cpuPercent,
        running.wakeUpsPerSecond, changes);
    std::printf("  goal: CPU <= 0.2 %%, wake-ups no more often than the shown second changes (1/s)\n");
    return 0;
}
