#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace Quickhalo {

// Tells when the machine has woken from suspend, from logind's PrepareForSleep signal on the system
// bus. Main-loop timers do not count the time asleep, so whatever waits for a wall-clock time looks
// again then. Without logind it never calls.
class LogindSleepWatcher final : public QObject {
    Q_OBJECT

public:
    explicit LogindSleepWatcher(QDBusConnection bus = QDBusConnection::systemBus(),
        const QString& service = QStringLiteral("org.freedesktop.login1"), QObject* parent = nullptr);

    // Main thread, once per wake-up.
    std::function<void()> onWake;

private Q_SLOTS:
    void prepareForSleep(bool sleeping);
};

}
