#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace Quickhalo {

struct NotificationContent {
    QString title;
    QString body; // plain text
    QString soundName; // a name from the freedesktop sound theme; empty for a silent notification
    QVariantMap userInfo; // what Quickhalo itself needs to recognise the notification later
    QStringList actions = {}; // key, label, key, label…: buttons, where the server shows them
};

// The desktop's notification server. Calls return at once and never wait for the server.
class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    // Starts finding out how the server shows notifications; the answer only shapes later adds.
    // Failures are logged once, never reported.
    virtual void requestAuthorization() = 0;
    // Shows `content` as a banner now. Failures are logged, never reported.
    virtual void add(const NotificationContent& content) = 0;
    // Called on the main thread when the user picks one of a notification's actions.
    using ActionHandler = std::function<void(const QVariantMap& userInfo, const QString& action)>;
    virtual void setActionHandler(ActionHandler handler) = 0;
};

}
