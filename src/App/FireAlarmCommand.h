#pragma once

#include <QString>

namespace Quickhalo::FireAlarmCommand {

enum ExitCode { rung = 0, failed = 1, usage = 2 };

// `quickhalo --fire-alarm ID`, run by an alarm's systemd service: a running Quickhalo is handed
// the alarm and rings it with sound and toast; otherwise the notification is posted from here.
// Either way a one-time alarm is then off, in "alarms.json" and in systemd. Needs an application
// object, not a display.
int run(const QString& id);

}
