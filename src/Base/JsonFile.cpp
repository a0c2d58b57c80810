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

QString timeText(const QDateTime& moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QDateTime> time(const QJsonValue& value)
{
    if (!value.isString())
        return std::nullopt;
    const QDateTime moment = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!moment.isValid())
        return std::nullopt;
    const QDateTime utc = moment.toUTC();
    return utc.addMSecs(-utc.time().msec());
}

}
