#include "App/Preferences.h"

#include "App/Paths.h"

namespace Quickhalo {

Preferences::Preferences(const QString& filePath, QObject* parent)
    : QObject(parent)
    , m_settings(filePath, QSettings::IniFormat)
{
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

HotkeyPreset Preferences::hotkeyPreset() const
{
    const auto raw = text(PreferenceKey::hotkeyPreset);
    return (raw ? HotkeyPresets::fromRawValue(*raw) : std::nullopt).value_or(HotkeyPresets::defaultPreset);
}

void Preferences::setHotkeyPreset(HotkeyPreset preset)
{
    store(PreferenceKey::hotkeyPreset, HotkeyPresets::rawValue(preset));
}

MouseTrigger Preferences::mouseTrigger() const
{
    const auto raw = text(PreferenceKey::mouseTrigger);
    return (raw ? MouseTriggers::fromRawValue(*raw) : std::nullopt).value_or(MouseTrigger::none);
}

void Preferences::setMouseTrigger(MouseTrigger trigger)
{
    store(PreferenceKey::mouseTrigger, MouseTriggers::rawValue(trigger));
}

RingGlassStyle Preferences::ringGlass() const
{
    const auto raw = text(PreferenceKey::ringGlass);
    return (raw ? RingGlassStyles::fromRawValue(*raw) : std::nullopt).value_or(RingGlassStyle::clear);
}

void Preferences::setRingGlass(RingGlassStyle style)
{
    store(PreferenceKey::ringGlass, RingGlassStyles::rawValue(style));
}

int Preferences::pomodoroMinutes(const QString& key, int defaultMinutes) const
{
    bool ok = false;
    const int minutes = m_settings.value(key).toString().trimmed().toInt(&ok);
    return ok && minutes > 0 ? minutes : defaultMinutes;
}

void Preferences::setInteger(const QString& key, int value)
{
    store(key, value);
}

std::optional<QString> Preferences::text(const QString& key) const
{
    const QVariant value = m_settings.value(key);
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
    const QVariant value = m_settings.value(key);
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
    const QVariant value = m_settings.value(key);
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
    m_settings.remove(key);
    m_settings.sync();
    Q_EMIT changed(key);
}

void Preferences::store(const QString& key, const QVariant& value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
    Q_EMIT changed(key);
}

}
