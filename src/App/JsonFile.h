#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace Quickhalo::JsonFile {

// Replaces the file at `path` with `bytes` atomically (temporary file, flush, rename), creating
// missing parent folders first. Returns the error's description, or nothing on success.
std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes);

// Pretty-printed JSON with keys sorted at every level.
QByteArray encode(const QJsonValue& value);

// The one writer the tool stores use. On failure it logs "failed to save <file name>: <reason>"
// and returns false; callers keep their in-memory state either way.
bool save(const QJsonValue& value, const QString& path);

}
