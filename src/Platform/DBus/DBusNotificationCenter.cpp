#include "Platform/DBus/DBusNotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <optional>

#include "Base/Log.h"

namespace Quickhalo {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
constexpr int serverDefaultTimeout = -1;

QDBusMessage call(const QString& method)
{
    return QDBusMessage::createMethodCall(service, path, interface, method);
}
}

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{ }

DBusNotificationCenter::~DBusNotificationCenter() = default;

void DBusNotificationCenter::requestAuthorization()
{
    if (m_state != State::unasked)
        return;
    m_state = State::asking;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DBusNotificationCenter::capabilitiesArrived);
}

void DBusNotificationCenter::capabilitiesArrived(QDBusPendingCallWatcher* watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QStringList> reply = *watcher;
    const QList<NotificationContent> waiting = std::exchange(m_waiting, {});
    if (reply.isError()) {
        m_state = State::unasked;
        if (!std::exchange(m_reportedMissingServer, true))
            Log::write(QStringLiteral("no notification server answers on the session bus (") + reply.error().message()
                + QStringLiteral("); notifications are not shown"));
        return;
    }
    m_state = State::known;
    m_capabilities = reply.value();
    for (const NotificationContent& content : waiting)
        send(content);
}

void DBusNotificationCenter::add(const NotificationContent& content)
{
    if (m_state == State::known) {
        send(content);
        return;
    }
    m_waiting.append(content);
    requestAuthorization();
}

QVariantList DBusNotificationCenter::notifyArguments(
    const NotificationContent& content, const QStringList& capabilities)
{
    QVariantMap hints;
    if (content.soundName.isEmpty())
        hints.insert(QStringLiteral("suppress-sound"), true);
    else
        hints.insert(QStringLiteral("sound-name"), content.soundName);
    const QString body
        = capabilities.contains(QStringLiteral("body-markup")) ? content.body.toHtmlEscaped() : content.body;
    const QStringList actions = capabilities.contains(QStringLiteral("actions")) ? content.actions : QStringList();
    return { QStringLiteral("Quickhalo"), QVariant::fromValue(0u), QStringLiteral("quickhalo"), content.title, body, actions,
        hints, serverDefaultTimeout };
}

void DBusNotificationCenter::actionInvoked(uint id, const QString& action)
{
    const auto shown = m_withActions.constFind(id);
    if (shown == m_withActions.cend())
        return;
    const QVariantMap userInfo = *shown;
    if (m_onAction)
        m_onAction(userInfo, action);
}

void DBusNotificationCenter::notificationClosed(uint id, uint)
{
    m_withActions.remove(id);
}

bool DBusNotificationCenter::postNow(QDBusConnection bus, const NotificationContent& content, QString* error)
{
    constexpr int timeoutMilliseconds = 5000;
    const QDBusMessage capabilities = bus.call(call(QStringLiteral("GetCapabilities")), QDBus::Block, timeoutMilliseconds);
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify.setArguments(notifyArguments(content,
        capabilities.type() == QDBusMessage::ReplyMessage && !capabilities.arguments().isEmpty()
            ? capabilities.arguments().constFirst().toStringList()
            : QStringList()));
    const QDBusMessage reply = bus.call(notify, QDBus::Block, timeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    if (error)
        *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return false;
}

void DBusNotificationCenter::send(const NotificationContent& content)
{
    QDBusMessage message = call(QStringLiteral("Notify"));
    message.setArguments(notifyArguments(content, m_capabilities));
    const bool hasActions = !content.actions.isEmpty() && m_capabilities.contains(QStringLiteral("actions"));
    if (hasActions && !m_listening) {
        m_listening = true;
        m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
        m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
    }
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, userInfo = hasActions ? std::optional(content.userInfo) : std::nullopt](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            const QDBusPendingReply<uint> reply = *finished;
            if (reply.isError()) {
                Log::write(QStringLiteral("could not show a notification: ") + reply.error().message());
                return;
            }
            if (userInfo)
                m_withActions.insert(reply.value(), *userInfo);
        });
}

}
