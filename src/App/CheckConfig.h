#pragma once

#include "Config/ConfigStore.h"

#include <QString>
#include <QTextStream>

namespace Quickhalo::CheckConfig {

enum ExitCode { usable = 0, rejected = 1, unreadable = 2 };

// `quickhalo --check-config [FILE]`: prints the configuration as Quickhalo would use it (sorted,
// eight slots a ring) to `out`, and one line per dropped slot, or the reason the file is rejected
// or unreadable, to `err`.
int run(const QString& filePath, const ConfigStore::DefaultFactory& makeDefault, QTextStream& out, QTextStream& err);

}
