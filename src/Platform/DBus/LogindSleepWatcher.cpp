#include "Platform/DBus/LogindSleepWatcher.h"

namespace Quickhalo {

LogindSleepWatcher::LogindSleepWatcher(QDBusConnection bus, const QString& service, QObject* parent)
    : QObject(parent)
{
    // Only a subscription: nothing is called, so nothing waits for logind.
    if (bus.isConnected())
        bus.connect(service, QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
            QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
}

void LogindSleepWatcher::prepareForSleep(bool sleeping)
{
    if (!sleeping && onWake)
        onWake();
}

}
