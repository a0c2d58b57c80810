#include "Platform/DBus/LogindSleepWatcher.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>

using namespace Quickhalo;

TEST(LogindSleepWatcher, CallsOnceOnWakingAndNotOnGoingToSleepNorForOtherSenders)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run inside scripts/test-desktop";
    // Standing in for logind: its name and its signal, on a bus connection of its own.
    QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
    const QString name = QStringLiteral("org.freedesktop.login1.Test");
    ASSERT_TRUE(logind.registerService(name));
    QDBusConnection stranger = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stranger"));

    LogindSleepWatcher watcher(QDBusConnection::sessionBus(), name);
    int wakes = 0;
    watcher.onWake = [&wakes] { ++wakes; };
    QTest::qWait(100); // the subscription reaches the bus

    const auto send = [](QDBusConnection& from, bool sleeping) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        EXPECT_TRUE(from.send(signal));
    };
    send(logind, true);
    send(stranger, false);
    send(logind, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wakes > 0; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(wakes, 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
}
