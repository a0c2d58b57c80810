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
{ }

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
    m_center.add(content);
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
