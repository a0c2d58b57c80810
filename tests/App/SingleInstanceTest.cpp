#include "App/SingleInstance.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QStringList>

using namespace Quickhalo;

namespace {

// Each instance gets its own bus connection, as two processes would.
QDBusConnection connection(const QString& name)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

}

TEST(SingleInstance, TheSecondFindsTheFirstAndOpensItsRingOrSettings)
{
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run inside scripts/test-desktop";
    int opened = 0;
    int settings = 0;
    QStringList fired;
    {
        SingleInstance first(connection(QStringLiteral("first")));
        first.onOpenRing = [&opened] { ++opened; };
        first.onOpenSettings = [&settings] { ++settings; };
        first.onFireAlarm = [&fired](const QString& id) { fired << id; };
        ASSERT_EQ(first.claim(), SingleInstance::Claim::first);

        SingleInstance second(connection(QStringLiteral("second")));
        EXPECT_EQ(second.claim(), SingleInstance::Claim::another);

        QString error;
        EXPECT_TRUE(SingleInstance::ask(connection(QStringLiteral("second")), SingleInstance::Request::openRing, &error))
            << error.toStdString();
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(settings, 0);
        EXPECT_TRUE(
            SingleInstance::ask(connection(QStringLiteral("second")), SingleInstance::Request::openSettings, &error))
            << error.toStdString();
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(settings, 1);
        EXPECT_TRUE(SingleInstance::askToFireAlarm(connection(QStringLiteral("second")), QStringLiteral("A-1"), &error))
            << error.toStdString();
        EXPECT_EQ(fired, QStringList { QStringLiteral("A-1") }) << "the alarm's id reaches the first";
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("first"));

    // The name goes with its owner; nobody answers until a new first instance claims it.
    QString error;
    EXPECT_FALSE(SingleInstance::ask(connection(QStringLiteral("second")), SingleInstance::Request::openRing, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(SingleInstance::askToFireAlarm(connection(QStringLiteral("second")), QStringLiteral("A-1"), &error))
        << "a fired alarm nobody takes is the caller's to ring";
    EXPECT_FALSE(error.isEmpty());
    SingleInstance third(connection(QStringLiteral("third")));
    EXPECT_EQ(third.claim(), SingleInstance::Claim::first);
    EXPECT_EQ(opened, 1);
}

TEST(SingleInstance, WithoutABusNothingIsClaimed)
{
    const QDBusConnection broken
        = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("broken"));
    SingleInstance instance(broken);
    EXPECT_EQ(instance.claim(), SingleInstance::Claim::noBus);
    QString error;
    EXPECT_FALSE(SingleInstance::ask(broken, SingleInstance::Request::openSettings, &error));
    EXPECT_FALSE(error.isEmpty());
}
