#include "App/JsonFile.h"

#include "App/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace Quickhalo::JsonFile {

std::optional<QString> writeAtomically(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("could not create the folder %1").arg(info.absolutePath());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    // commit() flushes, syncs and renames over the old file; a crash before it leaves the old one.
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

QByteArray encode(const QJsonValue& value)
{
    // QJsonObject keeps its keys sorted, so the document comes out with sorted keys.
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented);
    return QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
}

bool save(const QJsonValue& value, const QString& path)
{
    if (const auto error = writeAtomically(path, encode(value))) {
        Log::write(QStringLiteral("failed to save %1: %2").arg(QFileInfo(path).fileName(), *error));
        return false;
    }
    return true;
}

}
