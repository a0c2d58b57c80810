#include "Base/IniText.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace Quickhalo::IniText {

// QSettings only works on files, which it opens, locks and replaces itself. It is given a private
// scratch file, never the user's: reading and replacing that one is UserFile's job.
namespace {

QString scratchFile(const QTemporaryDir& folder)
{
    return folder.filePath(QStringLiteral("scratch.ini"));
}

// QSettings reads a key of slashes alone ("/=") but cannot write one back.
bool isUsableKey(const QString& key)
{
    return !QString(key).remove(QLatin1Char('/')).isEmpty();
}

}

QVariantMap parse(const QByteArray& bytes)
{
    QTemporaryDir folder;
    QFile file(scratchFile(folder));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    file.close();
    QVariantMap values;
    const QSettings settings(file.fileName(), QSettings::IniFormat);
    for (const QString& key : settings.allKeys()) {
        if (isUsableKey(key))
            values.insert(key, settings.value(key));
    }
    return values;
}

std::optional<QByteArray> serialize(const QVariantMap& values)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return std::nullopt;
    {
        QSettings settings(scratchFile(folder), QSettings::IniFormat);
        for (auto value = values.cbegin(); value != values.cend(); ++value) {
            if (isUsableKey(value.key()))
                settings.setValue(value.key(), value.value());
        }
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return std::nullopt;
    }
    QFile file(scratchFile(folder));
    // Nothing to write leaves no file at all.
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

}
