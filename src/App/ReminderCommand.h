#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace Quickhalo::ReminderCommand {

enum ExitCode { parsed = 0, usage = 2 };

struct Outcome {
    int exitCode = parsed;
    QString out; // the JSON object
    QString err; // why there is none
};

// `quickhalo --parse-reminder [--now ISO-8601] TEXT...`: the reminder a typed line makes, read in
// the process's time zone. `now` is used when the words give no --now.
Outcome run(const QStringList& words, const QDateTime& now);

}
