#include "Actions/ConfigStore.h"

#include "Actions/ConfigMigrations.h"
#include "App/JsonFile.h"
#include "App/Log.h"
#include "App/Preferences.h"

#include <QFile>
#include <QFileInfo>

namespace Quickhalo {

namespace {
SharedInstance<ConfigStore>& sharedStore()
{
    static SharedInstance<ConfigStore> instance;
    return instance;
}
}

ConfigStore& ConfigStore::shared()
{
    return sharedStore().get();
}

void ConfigStore::setSharedFactory(SharedInstance<ConfigStore>::Factory factory)
{
    sharedStore().setFactory(std::move(factory));
}

void ConfigStore::releaseShared()
{
    sharedStore().reset();
}

ConfigStore::Loaded ConfigStore::load(const QString& filePath)
{
    Loaded loaded;
    const QFileInfo info(filePath);
    if (!info.exists()) {
        loaded.reason = QStringLiteral("no such file");
        return loaded;
    }
    if (info.isDir()) {
        loaded.reason = QStringLiteral("it is a folder");
        return loaded;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.reason = file.errorString();
        return loaded;
    }
    // A real configuration is a few kilobytes; refuse to pull a runaway file into memory.
    constexpr qint64 largestFile = 64 * 1024 * 1024;
    if (file.size() > largestFile) {
        loaded.outcome = Loaded::Outcome::rejected;
        loaded.reason = QStringLiteral("it is larger than 64 MiB");
        return loaded;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        loaded.reason = file.errorString();
        return loaded;
    }

    loaded.details = ConfigCodec::decode(bytes);
    if (!loaded.details.config) {
        loaded.outcome = Loaded::Outcome::rejected;
        loaded.reason = loaded.details.error;
    } else if (loaded.details.config->rings.empty()) {
        loaded.outcome = Loaded::Outcome::rejected;
        loaded.reason = QStringLiteral("it has no rings");
    } else {
        loaded.outcome = Loaded::Outcome::used;
        loaded.config = *loaded.details.config;
    }
    return loaded;
}

ConfigStore::ConfigStore(const QString& folder, Preferences& preferences, DefaultFactory makeDefault, QObject* parent)
    : QObject(parent)
    , m_filePath(folder + QStringLiteral("/config.json"))
{
    Loaded loaded = load(m_filePath);
    const QuickhaloConfig starting = loaded.outcome == Loaded::Outcome::used ? std::move(loaded.config) : makeDefault();

    using Migration = ConfigMigrations::Result (*)(QuickhaloConfig, bool);
    const std::pair<const QString&, Migration> migrations[] = {
        { PreferenceKey::windowsToolMigrated, &ConfigMigrations::addingWindowsTool },
        { PreferenceKey::muteToVolumeMigrated, &ConfigMigrations::replacingMuteWithVolume },
        { PreferenceKey::moreRingMigrated, &ConfigMigrations::addingMoreRing },
    };
    QuickhaloConfig migrated = starting;
    for (const auto& [flagKey, migrate] : migrations) {
        auto result = migrate(std::move(migrated), preferences.flag(flagKey, false));
        migrated = std::move(result.config);
        preferences.setFlag(flagKey, result.migrated);
    }

    if (migrated == starting) {
        // Unchanged defaults are rebuilt at the next start instead of being written now.
        m_config = starting;
    } else {
        m_config = std::move(migrated);
        save();
    }
}

void ConfigStore::setConfig(QuickhaloConfig config)
{
    m_config = std::move(config);
    Q_EMIT configChanged();
    save();
}

void ConfigStore::save()
{
    if (const auto error = JsonFile::writeAtomically(m_filePath, ConfigCodec::encode(m_config)))
        Log::write(QStringLiteral("failed to save config: ") + *error);
}

}
