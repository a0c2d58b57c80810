#include "Hotkey/HotkeyManager.h"

#include "Hotkey/HotkeyPreset.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Platform/Fake/FakeGlobalHotkeys.h"

using namespace Quickhalo;

namespace {

class HotkeyManagerTest : public ::testing::Test {
protected:
    QString preferencesPath() const { return m_folder.filePath(QStringLiteral("Quickhalo.conf")); }

    // The manager as start-up leaves it: handler installed, key registered, events recorded.
    std::unique_ptr<HotkeyManager> startedManager()
    {
        auto manager = std::make_unique<HotkeyManager>(m_preferences, m_hotkeys);
        manager->onPress = [this] { m_events += QLatin1Char('P'); };
        manager->onRelease = [this] { m_events += QLatin1Char('R'); };
        manager->installHandler();
        manager->registerKey();
        return manager;
    }

    // Plays a script of platform events ('p' press, 'r' release), then lets the queue run.
    void play(const QString& script)
    {
        for (const QChar event : script) {
            if (event == QLatin1Char('p'))
                m_hotkeys.simulatePress();
            else
                m_hotkeys.simulateRelease();
        }
        QCoreApplication::processEvents();
    }

    Testing::TemporaryFolder m_folder;
    Preferences m_preferences { preferencesPath() };
    FakeGlobalHotkeys m_hotkeys;
    QString m_events;
};

TEST_F(HotkeyManagerTest, PairsPressesAndReleases)
{
    struct Case {
        const char* platform;
        const char* reported;
    };
    const Case cases[] = {
        { "pr", "PR" },
        { "pppppr", "PR" }, // auto-repeat while held
        { "r", "" }, // a release without a press
        { "prr", "PR" },
        { "rprpr", "PRPR" },
        { "pprpprr", "PRPR" },
    };
    for (const Case& c : cases) {
        auto manager = startedManager();
        m_events.clear();
        play(QLatin1String(c.platform));
        EXPECT_EQ(m_events, QLatin1String(c.reported)) << "platform events " << c.platform;
        EXPECT_FALSE(manager->isDown()) << "platform events " << c.platform;
    }
}

TEST_F(HotkeyManagerTest, CallbacksRunAfterThePlatformDispatchReturns)
{
    auto manager = startedManager();
    m_hotkeys.simulatePress();
    EXPECT_EQ(m_events, QString()) << "called from inside the platform's dispatch";
    m_hotkeys.simulateRelease();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_events, QStringLiteral("PR"));
}

TEST_F(HotkeyManagerTest, NothingIsReportedWithoutCallbacksOrAfterDestruction)
{
    {
        HotkeyManager manager(m_preferences, m_hotkeys);
        manager.installHandler();
        manager.registerKey();
        play(QStringLiteral("p"));
        EXPECT_TRUE(manager.isDown()) << "the state follows the events also without callbacks";
    }
    EXPECT_FALSE(m_hotkeys.isRegistered()) << "destruction unregisters";
    m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace));
    play(QStringLiteral("pr")); // would crash on a handler left behind
    EXPECT_EQ(m_events, QString());
}

TEST_F(HotkeyManagerTest, InstallsTheHandlerOnce)
{
    HotkeyManager manager(m_preferences, m_hotkeys);
    manager.installHandler();
    manager.installHandler();
    EXPECT_EQ(m_hotkeys.handlerInstallCount, 1);
    EXPECT_TRUE(m_hotkeys.registrations.empty()) << "creating and installing register nothing";
}

TEST_F(HotkeyManagerTest, StartsWithTheStoredPresetOrTheDefault)
{
    struct Case {
        const char* stored; // nullptr: absent
        HotkeyPreset expected;
    };
    const Case cases[] = {
        { nullptr, HotkeyPreset::controlOptionSpace },
        { "altSpace", HotkeyPreset::controlOptionSpace },
        { "optionSpace", HotkeyPreset::optionSpace },
        { "shiftCommandSpace", HotkeyPreset::shiftCommandSpace },
        { "controlShiftSpace", HotkeyPreset::controlShiftSpace },
    };
    for (const Case& c : cases) {
        if (c.stored)
            m_preferences.setText(PreferenceKey::hotkeyPreset, QLatin1String(c.stored));
        else
            m_preferences.remove(PreferenceKey::hotkeyPreset);
        m_hotkeys.registrations.clear();
        auto manager = startedManager();
        EXPECT_EQ(manager->preset(), c.expected) << (c.stored ? c.stored : "absent");
        EXPECT_EQ(m_hotkeys.registrations, std::vector<QKeyCombination> { HotkeyPresets::combination(c.expected) })
            << (c.stored ? c.stored : "absent");
    }
}

TEST_F(HotkeyManagerTest, ChangingThePresetPersistsPublishesAndReregisters)
{
    auto manager = startedManager();
    QSignalSpy published(manager.get(), &HotkeyManager::presetChanged);
    // The order: persisted before it is published, published before it is registered.
    bool wasStoredWhenPublished = false;
    QObject::connect(manager.get(), &HotkeyManager::presetChanged, [&] {
        wasStoredWhenPublished = HotkeyPresets::stored(m_preferences) == HotkeyPreset::shiftCommandSpace
            && m_hotkeys.registered() == HotkeyPresets::combination(HotkeyPreset::controlOptionSpace);
    });
    play(QStringLiteral("pp"));
    ASSERT_TRUE(manager->isDown());

    manager->setPreset(HotkeyPreset::shiftCommandSpace);

    EXPECT_TRUE(wasStoredWhenPublished);
    ASSERT_EQ(published.count(), 1);
    EXPECT_EQ(published.at(0).at(0).value<HotkeyPreset>(), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(manager->preset(), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(Preferences(preferencesPath()).text(PreferenceKey::hotkeyPreset), QStringLiteral("shiftCommandSpace"));
    EXPECT_EQ(m_hotkeys.unregisterCount, 1) << "the old combination is given up first";
    EXPECT_EQ(m_hotkeys.registered(), HotkeyPresets::combination(HotkeyPreset::shiftCommandSpace));
    EXPECT_FALSE(manager->isDown()) << "re-registering forgets the held key";

    // The release of the old hold reports nothing; the next hold is reported whole.
    play(QStringLiteral("rpr"));
    EXPECT_EQ(m_events, QStringLiteral("PPR"));
}

TEST_F(HotkeyManagerTest, LogsARefusedRegistrationWithTheShownText)
{
    struct Case {
        HotkeyPreset preset;
        int status;
        const char* line;
    };
    const Case cases[] = {
        { HotkeyPreset::optionSpace, 10, "Quickhalo: RegisterEventHotKey failed (10); Alt+Space may be taken" },
        { HotkeyPreset::controlOptionSpace, 10,
            "Quickhalo: RegisterEventHotKey failed (10); Ctrl+Alt+Space may be taken" },
        { HotkeyPreset::shiftCommandSpace, -1,
            "Quickhalo: RegisterEventHotKey failed (-1); Shift+Super+Space may be taken" },
        { HotkeyPreset::controlShiftSpace, 10,
            "Quickhalo: RegisterEventHotKey failed (10); Ctrl+Shift+Space may be taken" },
    };
    for (const Case& c : cases) {
        HotkeyPresets::store(m_preferences, c.preset);
        m_hotkeys.failingStatus = c.status;
        const Log::Capture log;
        auto manager = startedManager();
        EXPECT_EQ(log.lines(), QStringList { QLatin1String(c.line) });
        EXPECT_FALSE(manager->isRegistered());
        play(QStringLiteral("pr"));
        EXPECT_EQ(m_events, QString()) << "nothing is reported without a registration";
    }
}

TEST_F(HotkeyManagerTest, ASuccessfulRegistrationLogsNothingAndAnotherPresetTriesAgain)
{
    m_hotkeys.failingStatus = 10;
    const Log::Capture log;
    auto manager = startedManager();
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_EQ(m_hotkeys.unregisterCount, 0);

    m_hotkeys.failingStatus.reset();
    manager->setPreset(HotkeyPreset::controlShiftSpace);
    EXPECT_EQ(log.lines().size(), 1) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_hotkeys.unregisterCount, 0) << "a refused registration leaves nothing to unregister";
    EXPECT_TRUE(manager->isRegistered());
    play(QStringLiteral("pr"));
    EXPECT_EQ(m_events, QStringLiteral("PR"));
}

}

TEST(HotkeyPresets, EachIsSpaceWithItsModifiers)
{
    struct Case {
        HotkeyPreset preset;
        Qt::KeyboardModifiers modifiers;
    } const cases[] = {
        { HotkeyPreset::optionSpace, Qt::AltModifier },
        { HotkeyPreset::controlOptionSpace, Qt::ControlModifier | Qt::AltModifier },
        { HotkeyPreset::shiftCommandSpace, Qt::ShiftModifier | Qt::MetaModifier },
        { HotkeyPreset::controlShiftSpace, Qt::ControlModifier | Qt::ShiftModifier },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(HotkeyPresets::rawValue(c.preset).toStdString());
        const QKeyCombination combination = HotkeyPresets::combination(c.preset);
        EXPECT_EQ(combination.key(), Qt::Key_Space);
        EXPECT_EQ(combination.keyboardModifiers(), c.modifiers);
    }
}
