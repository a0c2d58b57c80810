#pragma once

#include <QString>

#include "Base/SharedInstance.h"
#include "System/NotificationPresentation.h"

namespace Quickhalo {

class AlertSound;
class Clock;
class NotificationCenter;
class ToastPresenter;

// Posts Quickhalo's notifications through the desktop's notification server, asking the server
// how it shows them once per run, and adds the alarm sound and a toast to alarm notifications
// shown while Quickhalo runs. It schedules nothing; the timer, pomodoro and alarms do.
class Notifier final : public NotificationPresentation, public Shared<Notifier> {
public:
    // The user-info key that marks an alarm's notification.
    static QString alarmKey() { return QStringLiteral("quickhaloAlarm"); }
    static QString alarmSymbol() { return QStringLiteral("alarm.fill"); }

    // The action of an alarm's notification that silences its sound.
    static QString stopAction() { return QStringLiteral("stop"); }

    Notifier(NotificationCenter& center, ToastPresenter& toasts, AlertSound& alarmSound, Clock& clock);
    ~Notifier() override;


    // The first call of the run asks the server; later calls do nothing. Main thread.
    void requestAuthorizationIfNeeded();
    bool hasRequestedAuthorization() const { return m_requested; }

    // A silent banner now, with nothing to recognise it by. Main thread.
    void post(const QString& title, const QString& body);

    // For a notification that goes off now and that Quickhalo shows itself (an alarm fired in
    // this process): presented as willPresent says, then shown as a banner with its own sound;
    // an alarm's banner has a "Stop" button.
    // Main thread.
    void deliver(const NotificationContent& content);

    // An alarm's notification also plays the alarm sound and shows a toast of its body, or of its
    // title when the body is empty; other notifications get nothing more.
    void willPresent(const NotificationContent& content) override;

private:
    NotificationCenter& m_center;
    ToastPresenter& m_toasts;
    AlertSound& m_alarmSound;
    Clock& m_clock;
    bool m_requested = false;
};

}
