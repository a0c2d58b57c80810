#include "Actions/ConfigStore.h"

#include "Actions/ConfigCodec.h"
#include "Actions/DefaultConfig.h"
#include "App/Log.h"
#include "App/Preferences.h"
#include "ConfigTestData.h"
#include "Platform/Fake/FakeDefaultApplications.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace Quickhalo;

namespace {

class ConfigStoreTest : public ::testing::Test {
protected:
    QString supportFolder() const { return m_folder.filePath(QStringLiteral("share/Quickhalo")); }
    QString configPath() const { return supportFolder() + QStringLiteral("/config.json"); }

    std::unique_ptr<ConfigStore> makeStore()
    {
        return std::make_unique<ConfigStore>(supportFolder(), m_preferences, [this] {
            ++m_defaultsBuilt;
            return DefaultConfig::make(m_applications);
        });
    }

    void writeConfig(const QuickhaloConfig& config) { writeFile(ConfigCodec::encode(config)); }
    void writeFile(const QByteArray& bytes) { m_folder.write(QStringLiteral("share/Quickhalo/config.json"), bytes); }
    QByteArray fileBytes() const { return m_folder.read(QStringLiteral("share/Quickhalo/config.json")); }
    bool fileExists() const { return QFileInfo::exists(configPath()); }

    QuickhaloConfig fileConfig() const
    {
        const auto decoded = ConfigCodec::decode(fileBytes());
        EXPECT_TRUE(decoded.config.has_value()) << decoded.error.toStdString();
        return decoded.config.value_or(QuickhaloConfig {});
    }

    void setAllFlags(bool value)
    {
        for (const QString& key : { PreferenceKey::windowsToolMigrated, PreferenceKey::muteToVolumeMigrated,
                 PreferenceKey::moreRingMigrated })
            m_preferences.setFlag(key, value);
    }

    Testing::TemporaryFolder m_folder;
    Preferences m_preferences { m_folder.filePath(QStringLiteral("config/Quickhalo.conf")) };
    FakeDefaultApplications m_applications;
    int m_defaultsBuilt = 0;
};

RingPage ring(const QString& name, std::vector<std::optional<Slice>> slices)
{
    return RingPage { QUuid::createUuid(), name, RingPage::normalised(slices) };
}

}

TEST_F(ConfigStoreTest, FirstStartUsesDefaultsWritesNothingAndSetsTheFlags)
{
    const auto store = makeStore();
    ASSERT_EQ(store->config().rings.size(), 3u);
    EXPECT_EQ(store->config().rings[2].name, QStringLiteral("More"));
    EXPECT_FALSE(fileExists());
    EXPECT_FALSE(QFileInfo::exists(supportFolder())) << "the folder is only made when something is saved";
    for (const QString& key : { PreferenceKey::windowsToolMigrated, PreferenceKey::muteToVolumeMigrated,
             PreferenceKey::moreRingMigrated })
        EXPECT_TRUE(m_preferences.flag(key, false)) << key.toStdString();

    // Until something is saved, each start builds the defaults afresh.
    const auto second = makeStore();
    EXPECT_NE(second->config().rings[0].id, store->config().rings[0].id);
    EXPECT_FALSE(fileExists());
}

TEST_F(ConfigStoreTest, AValidFileIsUsedAsItIsAndNotRewritten)
{
    setAllFlags(true);
    const QuickhaloConfig saved = Testing::everyKindConfig();
    writeConfig(saved);
    const QByteArray before = fileBytes() + "\n"; // a byte the store would not write
    writeFile(before);

    const auto store = makeStore();
    EXPECT_EQ(store->config(), saved);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(m_defaultsBuilt, 0);
}

TEST_F(ConfigStoreTest, UnusableFilesFallBackToDefaultsAndAreLeftAlone)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "corrupt", "{\"rings\": [" },
        { "empty", "" },
        { "no rings", "{\"rings\": []}" },
        { "ring without a name", R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","slices":[]}]})" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.bytes);
        m_defaultsBuilt = 0;
        const auto store = makeStore();
        EXPECT_EQ(store->config().rings.size(), 3u);
        EXPECT_EQ(m_defaultsBuilt, 1);
        EXPECT_EQ(fileBytes(), c.bytes);
    }
}

TEST_F(ConfigStoreTest, MuteRingIsMigratedOnceAndSaved)
{
    const Slice mute = Slice::forTool(BuiltinTool::mute);
    writeConfig(QuickhaloConfig { { ring(QStringLiteral("Mine"), { std::nullopt, mute }) } });

    const auto store = makeStore();
    const QuickhaloConfig& config = store->config();
    ASSERT_EQ(config.rings.size(), 2u);
    const auto& volume = config.rings[0].slices[1];
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->id, mute.id);
    EXPECT_EQ(volume->kind, ActionKind(Actions::Builtin { BuiltinTool::volume }));
    EXPECT_EQ(volume->title, QStringLiteral("Volume"));
    EXPECT_EQ(config.rings[1].name, QStringLiteral("More"));
    EXPECT_EQ(fileConfig(), config);

    // The flags are now set: a user who removes "More" again keeps it removed.
    QuickhaloConfig edited = config;
    edited.rings.pop_back();
    store->setConfig(edited);
    EXPECT_EQ(makeStore()->config(), edited);
}

TEST_F(ConfigStoreTest, MigrationOutcomesOnStart)
{
    std::vector<std::optional<Slice>> full;
    for (int i = 0; i < 8; ++i)
        full.emplace_back(Slice { QUuid::createUuid(), QString::number(i), QStringLiteral("s"), Actions::Shell { QStringLiteral("true") } });
    const Slice oldTimer { QUuid::createUuid(), QStringLiteral("Timer"), QStringLiteral("timer"), Actions::Builtin { BuiltinTool::timer } };

    struct Case {
        const char* name;
        QuickhaloConfig saved;
        bool moreRingFlag;
        std::size_t expectedRings;
        bool expectRewrite;
    } cases[] = {
        { "second ring full and a More tool present: nothing changes",
            { { ring(QStringLiteral("A"), { Slice::forTool(BuiltinTool::units) }), ring(QStringLiteral("B"), full) } },
            false, 2, false },
        { "units present: no More ring, but Timer is renamed",
            { { ring(QStringLiteral("A"), { oldTimer, Slice::forTool(BuiltinTool::units), Slice::forTool(BuiltinTool::windows) }) } },
            false, 1, true },
        { "More already migrated: no ring is added",
            { { ring(QStringLiteral("A"), { Slice::forTool(BuiltinTool::windows) }) } }, true, 1, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setAllFlags(false);
        m_preferences.setFlag(PreferenceKey::moreRingMigrated, c.moreRingFlag);
        writeConfig(c.saved);
        const QByteArray before = fileBytes();

        const auto store = makeStore();
        EXPECT_EQ(store->config().rings.size(), c.expectedRings);
        EXPECT_EQ(fileBytes() != before, c.expectRewrite);
        if (c.expectRewrite) {
            EXPECT_EQ(store->config().rings[0].slices[0]->title, QStringLiteral("Clock"));
            EXPECT_EQ(fileConfig(), store->config());
        }
    }
}

TEST_F(ConfigStoreTest, EveryAssignmentNotifiesThenSaves)
{
    setAllFlags(true);
    const auto store = makeStore();
    int notified = 0;
    QObject::connect(store.get(), &ConfigStore::configChanged, [&] {
        // Observers run before the save: at the first assignment there is no file yet.
        if (++notified == 1) {
            EXPECT_FALSE(fileExists());
        }
    });

    const QuickhaloConfig first = Testing::everyKindConfig();
    store->setConfig(first);
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(QFileInfo(supportFolder()).isDir()) << "the missing folder is created at the first save";
    EXPECT_EQ(fileConfig(), first);

    store->setConfig(first); // the same value again still notifies and saves
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(makeStore()->config(), first);
}

TEST_F(ConfigStoreTest, BadSlotsAreWrittenBackEmptyAtTheNextSave)
{
    setAllFlags(true);
    writeFile(Testing::ringWithEntry(R"({"id":"11111111-2222-4333-8444-555555555555","title":"t","symbol":"s","kind":{"builtin":{"_0":"espresso"}}})"));
    const auto store = makeStore();
    EXPECT_FALSE(store->config().rings[0].slices[0].has_value());
    EXPECT_TRUE(fileBytes().contains("espresso")) << "reading alone never rewrites";

    store->setConfig(store->config());
    EXPECT_FALSE(fileBytes().contains("espresso"));
    EXPECT_EQ(fileConfig().rings[0].slices[1]->title, QStringLiteral("Clipboard"));
}

TEST_F(ConfigStoreTest, AFailedSaveIsLoggedAndTheValueKept)
{
    setAllFlags(true);
    // A file where the support folder should be makes every save fail.
    m_folder.write(QStringLiteral("share/Quickhalo"), "in the way");
    const auto store = makeStore();

    Log::Capture log;
    const QuickhaloConfig wanted = Testing::everyKindConfig();
    store->setConfig(wanted);
    EXPECT_EQ(store->config(), wanted);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("Quickhalo: failed to save config: "))) << log.lines()[0].toStdString();
}
