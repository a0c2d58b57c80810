#pragma once

#include "Base/UserFile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace Quickhalo {

namespace PreferenceKey {
inline const QString hotkeyPreset = QStringLiteral("hotkeyPreset");
inline const QString mouseTrigger = QStringLiteral("mouseTrigger");
inline const QString autoPaste = QStringLiteral("autoPaste");
inline const QString ringSounds = QStringLiteral("ringSounds");
inline const QString ringBackdrop = QStringLiteral("ringBackdrop");
inline const QString ringGlass = QStringLiteral("ringGlass");
inline const QString didPromptAccessibility = QStringLiteral("didPromptAccessibility");
inline const QString windowsToolMigrated = QStringLiteral("windowsToolMigrated");
inline const QString muteToVolumeMigrated = QStringLiteral("muteToVolumeMigrated");
inline const QString moreRingMigrated = QStringLiteral("moreRingMigrated");
inline const QString pomoFocus = QStringLiteral("pomoFocus");
inline const QString pomoBreak = QStringLiteral("pomoBreak");
inline const QString pomoLongBreak = QStringLiteral("pomoLongBreak");
inline const QString remindersList = QStringLiteral("remindersList");
inline const QString unitsRecent = QStringLiteral("unitsRecent");
// The exchange-rate services' base addresses, for a mirror or a test server.
inline const QString ratesPrimaryURL = QStringLiteral("ratesPrimaryURL");
inline const QString ratesFallbackURL = QStringLiteral("ratesFallbackURL");
}

class FileTrouble;

// The user's preferences, one INI file (~/.config/Quickhalo/Quickhalo.conf). Every getter
// answers the documented default when the key is absent, unreadable or of the wrong type;
// every setter announces the key and writes through at once when the file's text changes. A file
// that would not come back the same (comments, repeated keys, stray bytes) is kept aside before
// it is first replaced; what another program wrote meanwhile is read again before writing.
class Preferences : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 largestFile = 1024 * 1024;

    explicit Preferences(const QString& filePath, FileTrouble* trouble = nullptr, QObject* parent = nullptr);

    static Preferences& shared();
    static QString defaultFilePath();

    bool autoPaste() const { return flag(PreferenceKey::autoPaste, true); }
    bool ringSounds() const { return flag(PreferenceKey::ringSounds, true); }
    bool ringBackdrop() const { return flag(PreferenceKey::ringBackdrop, true); }
    bool didPromptAccessibility() const { return flag(PreferenceKey::didPromptAccessibility, false); }

    // Pomodoro durations in minutes: a stored value above zero, else the default.
    int pomodoroMinutes(const QString& key, int defaultMinutes) const;
    void setInteger(const QString& key, int value);

    std::optional<QString> text(const QString& key) const;
    void setText(const QString& key, const QString& value);
    QStringList textList(const QString& key) const;
    void setTextList(const QString& key, const QStringList& values);

    // Booleans, including the one-time migration flags (absent means false for those).
    bool flag(const QString& key, bool defaultValue) const;
    void setFlag(const QString& key, bool value);

    void remove(const QString& key);

Q_SIGNALS:
    void changed(const QString& key);

private:
    // Nothing removes the key.
    void store(const QString& key, const std::optional<QVariant>& value);
    void load();
    bool write(const QByteArray& bytes);
    void reportTrouble(const QString& kind, const QString& title, const QString& body);

    QString m_filePath;
    FileTrouble& m_trouble;
    QVariantMap m_values;
    // The text of the values the file holds, as far as this process knows; nothing when unknown.
    std::optional<QByteArray> m_fileText;
    std::optional<UserFile::Identity> m_seen;
    bool m_keepBeforeReplacing = false;
};

}
