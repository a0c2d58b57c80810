#include "Base/JsonFile.h"

#include "Base/Log.h"
#include "Base/UserFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Quickhalo::JsonFile {

QByteArray encode(const QJsonValue& value)
{
    // QJsonObject keeps its keys sorted, so the document comes out with sorted keys.
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented);
    return QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
}

bool save(const QJsonValue& value, const QString& path)
{
    if (const auto error = UserFile::write(path, encode(value))) {
        Log::write(QStringLiteral("failed to save %1: %2").arg(QFileInfo(path).fileName(), *error));
        return false;
    }
    return true;
}

}
