#include "Config/ConfigStore.h"

#include "Base/FileTrouble.h"
#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Base/UserFile.h"
#include "Config/ConfigMigrations.h"

#include <QDateTime>
#include <QFileInfo>

#include <utility>

namespace Quickhalo {

ConfigStore::Loaded ConfigStore::load(const QString& filePath)
{
    Loaded loaded;
    // A real configuration is a few kilobytes; a runaway file or a device never fills memory.
    const UserFile::ReadResult file = UserFile::read(filePath, largestFile);
    loaded.isPresent = file.status != UserFile::ReadResult::Status::missing;
    loaded.reason = file.reason;
    if (file.status == UserFile::ReadResult::Status::tooLarge)
        loaded.outcome = Loaded::Outcome::rejected;
    if (!file.isOk())
        return loaded;

    loaded.details = ConfigCodec::decode(file.bytes);
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

ConfigStore::ConfigStore(const QString& folder, Preferences& preferences, DefaultFactory makeDefault,
    FileTrouble* trouble, QObject* parent)
    : QObject(parent)
    , m_filePath(folder + QStringLiteral("/config.json"))
    , m_preferences(preferences)
    , m_trouble(trouble ? *trouble : FileTrouble::shared())
{
    UserFile::removeLeftovers(m_filePath);
    Loaded loaded = load(m_filePath);
    if (loaded.outcome == Loaded::Outcome::used && !loaded.details.droppedEntries.empty()) {
        m_keepBeforeReplacing = true;
        Log::write(QStringLiteral("%1: %2 slot(s) could not be read and are empty; `quickhalo --check-config` tells why")
                       .arg(m_filePath)
                       .arg(loaded.details.droppedEntries.size()));
    } else if (loaded.outcome != Loaded::Outcome::used && loaded.isPresent) {
        m_keepBeforeReplacing = true;
        Log::write(QStringLiteral("%1 cannot be used, so the default rings are: %2").arg(m_filePath, loaded.reason));
        reportTrouble(QStringLiteral("read"), QStringLiteral("Quickhalo could not read your rings"),
            QStringLiteral("%1: %2. The default rings are used for now; your file is left as it is.")
                .arg(m_filePath, loaded.reason));
    }
    const QuickhaloConfig starting = loaded.outcome == Loaded::Outcome::used ? std::move(loaded.config) : makeDefault();

    using Migration = ConfigMigrations::Result (*)(QuickhaloConfig, bool);
    const std::pair<const QString&, Migration> migrations[] = {
        { PreferenceKey::windowsToolMigrated, &ConfigMigrations::addingWindowsTool },
        { PreferenceKey::muteToVolumeMigrated, &ConfigMigrations::replacingMuteWithVolume },
        { PreferenceKey::moreRingMigrated, &ConfigMigrations::addingMoreRing },
    };
    QuickhaloConfig migrated = starting;
    for (const auto& [flagKey, migrate] : migrations)
        migrated = migrate(std::move(migrated), preferences.flag(flagKey, false)).config;

    if (migrated == starting) {
        // Unchanged defaults are rebuilt at the next start instead of being written now.
        m_config = starting;
        // Defaults standing in for a file that is there but unreadable say nothing about that
        // file: should it become readable again, it still needs its migrations.
        if (!loaded.isPresent || loaded.outcome == Loaded::Outcome::used)
            markMigrated();
    } else {
        // The flags follow the saved file: set before a save that then fails, they would lose
        // the migration for good.
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

bool ConfigStore::save()
{
    if (m_keepBeforeReplacing && !keepUnreadableFile())
        return false;
    if (const auto error = UserFile::write(m_filePath, ConfigCodec::encode(m_config))) {
        m_saveError = error;
        Log::write(QStringLiteral("failed to save config: ") + *error);
        reportTrouble(QStringLiteral("save"), QStringLiteral("Quickhalo could not save your rings"),
            QStringLiteral("%1: %2. Your changes are kept until Quickhalo quits.").arg(m_filePath, *error));
        return false;
    }
    m_saveError.reset();
    // A file this version wrote needs none of the migrations for older files.
    markMigrated();
    return true;
}

bool ConfigStore::keepUnreadableFile()
{
    const QFileInfo target(UserFile::resolvedTarget(m_filePath));
    // Gone, or not a file at all (the write refuses those): nothing of the user's to keep.
    if (!target.isFile()) {
        m_keepBeforeReplacing = false;
        return true;
    }
    QString reason;
    const std::optional<QString> kept = UserFile::keepAside(m_filePath, QDateTime::currentDateTime(), &reason);
    if (!kept) {
        const QString error = QStringLiteral("could not keep a copy of the file it would replace: ") + reason;
        m_saveError = error;
        Log::write(QStringLiteral("failed to save config: ") + error);
        reportTrouble(QStringLiteral("save"), QStringLiteral("Quickhalo could not save your rings"),
            QStringLiteral("%1: %2. Your changes are kept until Quickhalo quits.").arg(m_filePath, error));
        return false;
    }
    m_keepBeforeReplacing = false;
    Log::write(QStringLiteral("kept the earlier %1 as %2").arg(m_filePath, *kept));
    reportTrouble(QStringLiteral("kept"), QStringLiteral("Quickhalo kept a copy of your rings file"),
        QStringLiteral("%1 was not read whole, so before replacing it Quickhalo kept it as %2.").arg(m_filePath, *kept));
    return true;
}

void ConfigStore::markMigrated()
{
    if (!std::exchange(m_migrationFlagsPending, false))
        return;
    for (const QString& key : migrationFlags())
        m_preferences.setFlag(key, true);
}

const QStringList& ConfigStore::migrationFlags()
{
    static const QStringList flags { PreferenceKey::windowsToolMigrated, PreferenceKey::muteToVolumeMigrated,
        PreferenceKey::moreRingMigrated };
    return flags;
}

void ConfigStore::reportTrouble(const QString& kind, const QString& title, const QString& body)
{
    m_trouble.report(m_filePath + QLatin1Char(':') + kind, title, body);
}

}
