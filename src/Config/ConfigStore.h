#pragma once

#include "Base/SharedInstance.h"
#include "Config/ConfigCodec.h"
#include "Config/Models.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace Quickhalo {

class FileTrouble;
class Preferences;

// Owns the live ring configuration: reads config.json at creation (defaults when it is missing
// or unusable), runs the one-time migrations, and writes the file at every assignment. A file it
// could not use is kept aside before it is first replaced; trouble is logged and reported once.
// A failed save keeps the in-memory value.
class ConfigStore : public QObject, public Shared<ConfigStore> {
    Q_OBJECT

public:
    using DefaultFactory = std::function<QuickhaloConfig()>;

    ConfigStore(const QString& folder, Preferences& preferences, DefaultFactory makeDefault,
        FileTrouble* trouble = nullptr, QObject* parent = nullptr);


    const QuickhaloConfig& config() const { return m_config; }
    // Replaces the configuration, tells observers, then saves.
    void setConfig(QuickhaloConfig config);

    QString filePath() const { return m_filePath; }
    // Why the last save failed; nothing once one succeeds. The value in memory stays either way.
    const std::optional<QString>& saveError() const { return m_saveError; }

    // How a configuration file would be taken: used as it is, rejected in favour of the
    // defaults, or not readable at all (missing, a folder, no permission).
    struct Loaded {
        enum class Outcome { used, rejected, unreadable };
        Outcome outcome = Outcome::unreadable;
        bool isPresent = false; // something is there, even if it could not be read
        QuickhaloConfig config; // only for `used`
        ConfigCodec::DecodeResult details;
        QString reason; // why it was rejected or unreadable
    };
    static Loaded load(const QString& filePath);
    static constexpr qint64 largestFile = 64 * 1024 * 1024;
    // The preference flags that record each one-time migration as done.
    static const QStringList& migrationFlags();

Q_SIGNALS:
    void configChanged();

private:
    bool save();
    bool keepUnreadableFile();
    void markMigrated();
    void reportTrouble(const QString& kind, const QString& title, const QString& body);

    QString m_filePath;
    Preferences& m_preferences;
    FileTrouble& m_trouble;
    QuickhaloConfig m_config;
    // The file on disk holds what this store could not read whole; it is kept before replacing.
    bool m_keepBeforeReplacing = false;
    bool m_migrationFlagsPending = true;
    std::optional<QString> m_saveError;
};

}
