#include "Platform/Qt/QtClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

using namespace Quickhalo;

namespace {
void spin(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
}

TEST(QtClock, RepeatsUntilTheHandleIsDropped)
{
    QtClock clock;
    int ticks = 0;
    auto timer = clock.startRepeating(0.01, [&] { ++ticks; });
    spin(200);
    EXPECT_GE(ticks, 5);
    timer.reset();
    const int atStop = ticks;
    spin(100);
    EXPECT_EQ(ticks, atStop);
}

TEST(QtClock, LaterRunsAfterTheCurrentWorkInOrder)
{
    QtClock clock;
    QStringList order;
    clock.later([&] { order << QStringLiteral("first"); });
    clock.later([&] { order << QStringLiteral("second"); });
    order << QStringLiteral("now");
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (QStringList { QStringLiteral("now"), QStringLiteral("first"), QStringLiteral("second") }));
}

TEST(QtClock, NowIsMonotonicSeconds)
{
    QtClock clock;
    const double start = clock.now();
    spin(50);
    const double elapsed = clock.now() - start;
    EXPECT_GT(elapsed, 0.04);
    EXPECT_LT(elapsed, 5.0);
}
