#pragma once

#include "Actions/ConfigCodec.h"
#include "Actions/Models.h"
#include "App/SharedInstance.h"

#include <QObject>
#include <QString>

#include <functional>

namespace Quickhalo {

class Preferences;

// Owns the live ring configuration: reads config.json at creation (defaults when it is missing
// or unusable), runs the one-time migrations, and writes the file at every assignment. It never
// shows anything; a failed save is one log line and the in-memory value stays.
class ConfigStore : public QObject {
    Q_OBJECT

public:
    using DefaultFactory = std::function<QuickhaloConfig()>;

    ConfigStore(const QString& folder, Preferences& preferences, DefaultFactory makeDefault, QObject* parent = nullptr);

    static ConfigStore& shared();
    static void setSharedFactory(SharedInstance<ConfigStore>::Factory factory);
    // Ends the shared instance before the services it uses go away.
    static void releaseShared();

    const QuickhaloConfig& config() const { return m_config; }
    // Replaces the configuration, tells observers, then saves.
    void setConfig(QuickhaloConfig config);

    QString filePath() const { return m_filePath; }

    // How a configuration file would be taken: used as it is, rejected in favour of the
    // defaults, or not readable at all (missing, a folder, no permission).
    struct Loaded {
        enum class Outcome { used, rejected, unreadable };
        Outcome outcome = Outcome::unreadable;
        QuickhaloConfig config; // only for `used`
        ConfigCodec::DecodeResult details;
        QString reason; // why it was rejected or unreadable
    };
    static Loaded load(const QString& filePath);

Q_SIGNALS:
    void configChanged();

private:
    void save();

    QString m_filePath;
    QuickhaloConfig m_config;
};

}
