#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quickhalo::JsonFile {

// Pretty-printed JSON with keys sorted at every level.
QByteArray encode(const QJsonValue& value);

// The one writer the tool stores use. On failure it logs "failed to save <file name>: <reason>"
// and returns false; callers keep their in-memory state either way.
bool save(const QJsonValue& value, const QString& path);

// A moment as the stores write it: UTC, whole seconds, "2025-03-01T09:30:00Z".
QString timeText(const QDateTime& moment);
// Any ISO 8601 date-time string, in UTC with its fraction of a second dropped, as the next save
// would keep it; nothing for anything else.
std::optional<QDateTime> time(const QJsonValue& value);

}
