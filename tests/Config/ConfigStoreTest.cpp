#include "Config/ConfigStore.h"

#include "Base/FileTrouble.h"
#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Config/ConfigCodec.h"
#include "Config/DefaultConfig.h"
#include "ConfigTestData.h"
#include "Platform/Fake/FakeDefaultApplications.h"
#include "support/FifosAndDevices.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>


using namespace Quickhalo;

namespace {

class ConfigStoreTest : public ::testing::Test {
protected:
    QString supportFolder() const { return m_folder.filePath(QStringLiteral("share/Quickhalo")); }
    QString configPath() const { return supportFolder() + QStringLiteral("/config.json"); }

    std::unique_ptr<ConfigStore> makeStore()
    {
        return std::make_unique<ConfigStore>(
            supportFolder(), m_preferences,
            [this] {
                ++m_defaultsBuilt;
                return DefaultConfig::make(m_applications);
            },
            &m_trouble);
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

    bool flagsSet() const
    {
        const Preferences reread(m_folder.filePath(QStringLiteral("config/Quickhalo.conf")));
        return reread.flag(PreferenceKey::windowsToolMigrated, false) && reread.flag(PreferenceKey::muteToVolumeMigrated, false)
            && reread.flag(PreferenceKey::moreRingMigrated, false);
    }

    QStringList keptCopies() const
    {
        return QDir(supportFolder()).entryList({ QStringLiteral("config.json.kept-*") }, QDir::Files);
    }

    Testing::TemporaryFolder m_folder;
    Preferences m_preferences { m_folder.filePath(QStringLiteral("config/Quickhalo.conf")) };
    FakeDefaultApplications m_applications;
    int m_defaultsBuilt = 0;
    FileTrouble m_trouble;
    QStringList m_shown; // what the user was told, title and body
    void SetUp() override
    {
        m_trouble.setPresenter([this](const QString& title, const QString& body) { m_shown << title + QLatin1Char('\n') + body; });
    }
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

TEST_F(ConfigStoreTest, AFileItCouldNotUseWholeIsKeptAsideOnceBeforeItIsReplaced)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        bool toldAtStart;
    } cases[] = {
        { "rejected", "{\"rings\": [", true },
        { "a slot dropped", Testing::ringWithEntry(R"({"id":"11111111-2222-4333-8444-555555555555","kind":{"builtin":{"_0":"espresso"}}})"), false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(supportFolder()).removeRecursively();
        m_shown.clear();
        FileTrouble trouble;
        trouble.setPresenter([this](const QString& title, const QString& body) { m_shown << title + QLatin1Char('\n') + body; });
        setAllFlags(true);
        writeFile(c.bytes);
        const auto store = std::make_unique<ConfigStore>(
            supportFolder(), m_preferences, [this] { return DefaultConfig::make(m_applications); }, &trouble);
        EXPECT_EQ(fileBytes(), c.bytes) << "reading alone changes nothing";
        EXPECT_EQ(m_shown.size(), c.toldAtStart ? 1 : 0);
        if (c.toldAtStart) {
            EXPECT_TRUE(m_shown.value(0).contains(configPath())) << m_shown.value(0).toStdString();
        }

        const QuickhaloConfig wanted = Testing::everyKindConfig();
        store->setConfig(wanted);
        ASSERT_EQ(keptCopies().size(), 1);
        EXPECT_EQ(m_folder.read(QStringLiteral("share/Quickhalo/") + keptCopies()[0]), c.bytes);
        EXPECT_EQ(fileConfig(), wanted);
        EXPECT_TRUE(m_shown.last().contains(keptCopies()[0])) << "the user is told where the copy is";

        store->setConfig(DefaultConfig::make(m_applications));
        EXPECT_EQ(keptCopies().size(), 1) << "what this store wrote itself is not kept again";
    }
}

TEST_F(ConfigStoreTest, AFifoOrADeviceInPlaceOfTheFileIsNeitherWaitedForNorReplaced)
{
    setAllFlags(true);
    for (const Testing::SpecialFileCase& c : Testing::specialFileCases) {
        SCOPED_TRACE(c.name);
        if (c.type == S_IFCHR && !Testing::canMakeDevices())
            continue;
        QDir(supportFolder()).removeRecursively();
        QDir().mkpath(supportFolder());
        const QString real = Testing::placeNode(configPath(), supportFolder() + QStringLiteral("/node"), c.type, c.behindALink);
        FileTrouble trouble;
        QElapsedTimer timer;
        timer.start();
        const auto store = std::make_unique<ConfigStore>(
            supportFolder(), m_preferences, [this] { return DefaultConfig::make(m_applications); }, &trouble);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(store->config().rings.size(), 3u) << "the default rings";
        EXPECT_TRUE(trouble.reportedKeys().contains(configPath() + QStringLiteral(":read")));

        Log::Capture log;
        const QuickhaloConfig wanted = Testing::everyKindConfig();
        store->setConfig(wanted);
        EXPECT_EQ(store->config(), wanted) << "the change holds for this run";
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("Quickhalo: failed to save config: it is a"))) << log.lines()[0].toStdString();
        EXPECT_TRUE(trouble.reportedKeys().contains(configPath() + QStringLiteral(":save")));
        EXPECT_EQ(Testing::fileTypeAt(real), c.type) << "still what it was";
        EXPECT_TRUE(keptCopies().isEmpty());
    }
}

// A full disk at the start that migrates: the flags may only say "done" once the file is. The
// limit leaves room for the preferences, not for the migrated rings.
TEST_F(ConfigStoreTest, MigrationFlagsAreSetOnlyOnceTheMigratedFileIsSaved)
{
    const QString folder = m_folder.filePath(QStringLiteral("limited"));
    const Slice mute = Slice::forTool(BuiltinTool::mute);
    const QByteArray saved = ConfigCodec::encode(QuickhaloConfig { { ring(QStringLiteral("Mine"), { mute }) } });
    m_folder.write(QStringLiteral("limited/config.json"), saved);

    QProcess child;
    child.start(QStringLiteral(USER_FILE_CHILD), { QStringLiteral("start-limited"), QStringLiteral("512"), folder });
    ASSERT_TRUE(child.waitForFinished(30000));
    const QByteArray errors = child.readAllStandardError();
    EXPECT_EQ(child.exitCode(), 0) << errors.constData();
    EXPECT_TRUE(errors.contains("Quickhalo: failed to save config: File too large")) << errors.constData();
    EXPECT_EQ(m_folder.read(QStringLiteral("limited/config.json")), saved);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList { QStringLiteral("config.json") })
        << "no flags written, no temporary file left";

    // The next start, with room on the disk, still migrates.
    Preferences preferences(folder + QStringLiteral("/prefs.conf"));
    const ConfigStore store(folder, preferences, [] { return QuickhaloConfig {}; }, &m_trouble);
    ASSERT_EQ(store.config().rings.size(), 2u);
    EXPECT_EQ(store.config().rings[0].slices[0]->kind, ActionKind(Actions::Builtin { BuiltinTool::volume }));
    EXPECT_TRUE(preferences.flag(PreferenceKey::moreRingMigrated, false));
}

TEST_F(ConfigStoreTest, DefaultsStandingInForAnUnreadableFileLeaveTheFlagsAlone)
{
    writeFile("{\"rings\": [");
    makeStore();
    EXPECT_FALSE(m_preferences.flag(PreferenceKey::muteToVolumeMigrated, false))
        << "the file may become readable again and still need its migrations";
    makeStore()->setConfig(Testing::everyKindConfig());
    EXPECT_TRUE(flagsSet()) << "what this version saved needs no migration";
}
