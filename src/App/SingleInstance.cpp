#include "App/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "Base/Log.h"

namespace Quickhalo {

namespace {
constexpr int requestTimeoutMilliseconds = 5000;
}

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

SingleInstance::~SingleInstance()
{
    if (m_isRegistered) {
        m_bus.unregisterObject(objectPath);
        m_bus.unregisterService(serviceName);
    }
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!m_bus.isConnected())
        return Claim::noBus;
    // The object goes first so that no request can arrive at a name without it.
    if (!m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots)) {
        Log::write(QStringLiteral("cannot serve requests on the session bus: %1").arg(m_bus.lastError().message()));
        return Claim::noBus;
    }
    QDBusConnectionInterface* names = m_bus.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = names
        ? names->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
              QDBusConnectionInterface::DontAllowReplacement)
        : QDBusReply<QDBusConnectionInterface::RegisterServiceReply>();
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_isRegistered = true;
        return Claim::first;
    }
    m_bus.unregisterObject(objectPath);
    if (reply.isValid())
        return Claim::another;
    Log::write(QStringLiteral("cannot take the name %1 on the session bus: %2").arg(serviceName, reply.error().message()));
    return Claim::noBus;
}

bool SingleInstance::ask(QDBusConnection bus, Request request, QString* error)
{
    return call(bus, request == Request::openRing ? QStringLiteral("OpenRing") : QStringLiteral("OpenSettings"), {}, error);
}

bool SingleInstance::askToFireAlarm(QDBusConnection bus, const QString& id, QString* error)
{
    return call(bus, QStringLiteral("FireAlarm"), { id }, error);
}

bool SingleInstance::call(QDBusConnection& bus, const QString& method, const QVariantList& arguments, QString* error)
{
    if (!bus.isConnected()) {
        if (error)
            *error = QStringLiteral("no session bus");
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::BlockWithGui, requestTimeoutMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    if (error)
        *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return false;
}

void SingleInstance::OpenRing()
{
    if (onOpenRing)
        onOpenRing();
}

void SingleInstance::OpenSettings()
{
    if (onOpenSettings)
        onOpenSettings();
}

void SingleInstance::FireAlarm(const QString& id)
{
    if (onFireAlarm)
        onFireAlarm(id);
}

}
