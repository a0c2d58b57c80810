#include "System/Notifier.h"

#include "Base/ToastPresenter.h"
#include "Platform/AlertSound.h"
#include "Platform/Clock.h"
#include "Platform/NotificationCenter.h"

namespace Quickhalo {

Notifier::Notifier(NotificationCenter& center, ToastPresenter& toasts, AlertSound& alarmSound, Clock& clock)
    : m_center(center)
    , m_toasts(toasts)
    , m_alarmSound(alarmSound)
    , m_clock(clock)
{
    m_center.setActionHandler([&sound = m_alarmSound](const QVariantMap& userInfo, const QString& action) {
        if (action == stopAction() && userInfo.contains(alarmKey()))
            sound.stop();
    });
}

Notifier::~Notifier()
{
    m_center.setActionHandler({});
}

void Notifier::requestAuthorizationIfNeeded()
{
    if (m_requested)
        return;
    m_requested = true;
    m_center.requestAuthorization();
}

void Notifier::post(const QString& title, const QString& body)
{
    requestAuthorizationIfNeeded();
    m_center.add(NotificationContent { title, body, {}, {} });
}

void Notifier::deliver(const NotificationContent& content)
{
    requestAuthorizationIfNeeded();
    willPresent(content);
    if (!content.userInfo.contains(alarmKey())) {
        m_center.add(content);
        return;
    }
    NotificationContent alarm = content;
    alarm.actions = QStringList { stopAction(), QStringLiteral("Stop") };
    m_center.add(alarm);
}

void Notifier::willPresent(const NotificationContent& content)
{
    if (!content.userInfo.contains(alarmKey()))
        return;
    const QString text = content.body.isEmpty() ? content.title : content.body;
    // Any thread may call; the sound output and the toast belong to the main thread.
    // The services, not this notifier, are captured: they outlive it, the queued task may not.
    m_clock.later([&sound = m_alarmSound, &toasts = m_toasts, text] {
        sound.play();
        toasts.show(text, alarmSymbol());
    });
}

}
