#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

namespace Quickhalo::JsonFile {

// Pretty-printed JSON with keys sorted at every level.
QByteArray encode(const QJsonValue& value);

// The one writer the tool stores use. On failure it logs "failed to save <file name>: <reason>"
// and returns false; callers keep their in-memory state either way.
bool save(const QJsonValue& value, const QString& path);

}
