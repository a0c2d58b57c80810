#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace Quickhalo {

// One Quickhalo per session: the first process owns a name on the session bus, and later ones
// reach it there. That is also how a desktop shortcut can open the ring where global grabs are
// impossible: bind `quickhalo --open-ring`.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.northfield.Quickhalo")

public:
    static inline const QString serviceName = QStringLiteral("com.northfield.Quickhalo");
    static inline const QString objectPath = QStringLiteral("/com/northfield/Quickhalo");

    enum class Claim { first, another, noBus };

    explicit SingleInstance(QDBusConnection bus, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the name unless another process holds it. With `first`, requests are served.
    Claim claim();

    enum class Request { openRing, openSettings };

    // Called on the main thread for each request.
    std::function<void()> onOpenRing;
    std::function<void()> onOpenSettings;
    // An alarm's systemd timer went off: `id` as the alarm store writes it.
    std::function<void(const QString& id)> onFireAlarm;

    // Asks the process that holds the name to do `request`. Keeps serving this thread's events
    // while it waits, so it also works inside one process.
    static bool ask(QDBusConnection bus, Request request, QString* error);
    static bool askToFireAlarm(QDBusConnection bus, const QString& id, QString* error);

public Q_SLOTS:
    // The bus methods.
    Q_SCRIPTABLE void OpenRing();
    Q_SCRIPTABLE void OpenSettings();
    Q_SCRIPTABLE void FireAlarm(const QString& id);

private:
    static bool call(QDBusConnection& bus, const QString& method, const QVariantList& arguments, QString* error);

    QDBusConnection m_bus;
    bool m_isRegistered = false;
};

}
