#include "Base/Preferences.h"

#include "Base/FileTrouble.h"
#include "Base/IniText.h"
#include "Base/Log.h"
#include "Base/Paths.h"

#include <QDateTime>
#include <QFileInfo>

namespace Quickhalo {

Preferences::Preferences(const QString& filePath, FileTrouble* trouble, QObject* parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_trouble(trouble ? *trouble : FileTrouble::shared())
{
    UserFile::removeLeftovers(m_filePath);
    load();
}

void Preferences::load()
{
    const UserFile::ReadResult file = UserFile::read(m_filePath, largestFile);
    m_seen = UserFile::identify(m_filePath);
    m_values.clear();
    switch (file.status) {
    case UserFile::ReadResult::Status::ok:
        m_values = IniText::parse(file.bytes);
        m_fileText = IniText::serialize(m_values);
        m_keepBeforeReplacing = m_fileText != file.bytes;
        return;
    case UserFile::ReadResult::Status::missing:
        m_fileText = QByteArray();
        m_keepBeforeReplacing = false;
        return;
    case UserFile::ReadResult::Status::notRegular:
    case UserFile::ReadResult::Status::tooLarge:
    case UserFile::ReadResult::Status::failed:
        break;
    }
    m_fileText.reset();
    m_keepBeforeReplacing = true;
    Log::write(QStringLiteral("cannot read the preferences %1, so the defaults are used: %2").arg(m_filePath, file.reason));
    reportTrouble(QStringLiteral("read"), QStringLiteral("Quickhalo could not read its preferences"),
        QStringLiteral("%1: %2. The default preferences are used for now.").arg(m_filePath, file.reason));
}

QString Preferences::defaultFilePath()
{
    return Paths::configDirectory() + QStringLiteral("/Quickhalo.conf");
}

Preferences& Preferences::shared()
{
    static Preferences instance(defaultFilePath());
    return instance;
}

int Preferences::pomodoroMinutes(const QString& key, int defaultMinutes) const
{
    bool ok = false;
    const int minutes = m_values.value(key).toString().trimmed().toInt(&ok);
    return ok && minutes > 0 ? minutes : defaultMinutes;
}

void Preferences::setInteger(const QString& key, int value)
{
    store(key, value);
}

std::optional<QString> Preferences::text(const QString& key) const
{
    const QVariant value = m_values.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

void Preferences::setText(const QString& key, const QString& value)
{
    store(key, value);
}

QStringList Preferences::textList(const QString& key) const
{
    const QVariant value = m_values.value(key);
    // The INI format reads a one-element list back as a plain string.
    if (value.typeId() == QMetaType::QString)
        return { value.toString() };
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    return {};
}

void Preferences::setTextList(const QString& key, const QStringList& values)
{
    store(key, values);
}

bool Preferences::flag(const QString& key, bool defaultValue) const
{
    const QVariant value = m_values.value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // INI stores everything as text; anything but "true"/"false" is not a Boolean.
    const QString textValue = value.toString().trimmed().toLower();
    if (textValue == QLatin1String("true"))
        return true;
    if (textValue == QLatin1String("false"))
        return false;
    return defaultValue;
}

void Preferences::setFlag(const QString& key, bool value)
{
    store(key, value);
}

void Preferences::remove(const QString& key)
{
    store(key, std::nullopt);
}

void Preferences::store(const QString& key, const std::optional<QVariant>& value)
{
    // Another program (or the user's editor) wrote the file since: build on what it wrote.
    if (UserFile::identify(m_filePath) != m_seen)
        load();
    if (value)
        m_values.insert(key, *value);
    else
        m_values.remove(key);
    const std::optional<QByteArray> text = IniText::serialize(m_values);
    if (!text)
        Log::write(QStringLiteral("failed to save preferences: no scratch folder to write the text in"));
    else if (text != m_fileText)
        write(*text);
    Q_EMIT changed(key);
}

bool Preferences::write(const QByteArray& bytes)
{
    const QString title = QStringLiteral("Quickhalo could not save its preferences");
    if (m_keepBeforeReplacing && QFileInfo(UserFile::resolvedTarget(m_filePath)).isFile()) {
        QString reason;
        const std::optional<QString> kept = UserFile::keepAside(m_filePath, QDateTime::currentDateTime(), &reason);
        if (!kept) {
            Log::write(QStringLiteral("failed to save preferences: could not keep a copy of %1 first: %2").arg(m_filePath, reason));
            reportTrouble(QStringLiteral("save"), title,
                QStringLiteral("%1: could not keep a copy of it first (%2). Changes are kept until Quickhalo quits.")
                    .arg(m_filePath, reason));
            return false;
        }
        Log::write(QStringLiteral("kept the earlier %1 as %2").arg(m_filePath, *kept));
        reportTrouble(QStringLiteral("kept"), QStringLiteral("Quickhalo kept a copy of your preferences"),
            QStringLiteral("%1 had lines Quickhalo does not write back (comments, repeated keys or unreadable text), "
                           "so before replacing it Quickhalo kept it as %2.")
                .arg(m_filePath, *kept));
    }
    m_keepBeforeReplacing = false;
    if (const auto error = UserFile::write(m_filePath, bytes)) {
        Log::write(QStringLiteral("failed to save preferences %1: %2").arg(m_filePath, *error));
        reportTrouble(QStringLiteral("save"), title,
            QStringLiteral("%1: %2. Changes are kept until Quickhalo quits.").arg(m_filePath, *error));
        return false;
    }
    m_seen = UserFile::identify(m_filePath);
    m_fileText = bytes;
    return true;
}

void Preferences::reportTrouble(const QString& kind, const QString& title, const QString& body)
{
    m_trouble.report(m_filePath + QLatin1Char(':') + kind, title, body);
}

}
