#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantList>

#include "Platform/NotificationCenter.h"

class QDBusPendingCallWatcher;

namespace Quickhalo {

// The freedesktop notification server (org.freedesktop.Notifications) on a bus, called only
// asynchronously. Such a server needs no permission: "authorisation" asks for its capabilities,
// and notifications added before the answer wait for it. Without a server they are dropped with
// one log line, and the next add asks again. Use from one thread.
class DBusNotificationCenter final : public QObject, public NotificationCenter {
    Q_OBJECT

public:
    explicit DBusNotificationCenter(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~DBusNotificationCenter() override;

    void requestAuthorization() override;
    void add(const NotificationContent& content) override;
    void setActionHandler(ActionHandler handler) override { m_onAction = std::move(handler); }

    // The Notify call's arguments for `content` on a server with `capabilities`: the body is
    // escaped where the server reads markup, so that it shows as written; actions go only to a
    // server that shows them.
    static QVariantList notifyArguments(const NotificationContent& content, const QStringList& capabilities);

    // For a process that posts one notification and exits: asks the server and posts, waiting
    // for each answer (at most a few seconds). Never on a thread with a window.
    static bool postNow(QDBusConnection bus, const NotificationContent& content, QString* error);

    // True once the server has told its capabilities.
    bool knowsServer() const { return m_state == State::known; }

private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    enum class State { unasked, asking, known };

    void capabilitiesArrived(QDBusPendingCallWatcher* watcher);
    void send(const NotificationContent& content);

    QDBusConnection m_bus;
    State m_state = State::unasked;
    QStringList m_capabilities;
    QList<NotificationContent> m_waiting;
    bool m_reportedMissingServer = false;
    ActionHandler m_onAction;
    bool m_listening = false;
    // The shown notifications that have actions, by the server's id.
    QHash<uint, QVariantMap> m_withActions;
};

}
