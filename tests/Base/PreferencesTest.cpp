#include "Base/Preferences.h"

#include "Base/FileTrouble.h"
#include "Config/ConfigStore.h"
#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Ring/RingGlassStyle.h"
#include "support/FifosAndDevices.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>


#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>

using namespace Quickhalo;

namespace {
class PreferencesTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("Quickhalo/Quickhalo.conf")); }
    void writeIni(const QByteArray& text) { m_folder.write(QStringLiteral("Quickhalo/Quickhalo.conf"), text); }
    QByteArray ini() const { return m_folder.read(QStringLiteral("Quickhalo/Quickhalo.conf")); }
    QStringList keptCopies() const
    {
        return QDir(m_folder.filePath(QStringLiteral("Quickhalo"))).entryList({ QStringLiteral("Quickhalo.conf.kept-*") }, QDir::Files);
    }
    Testing::TemporaryFolder m_folder;
};
}

TEST_F(PreferencesTest, AbsentKeysGiveTheirDefaults)
{
    const Preferences preferences(path());
    EXPECT_EQ(HotkeyPresets::stored(preferences), HotkeyPreset::controlOptionSpace);
    EXPECT_EQ(MouseTriggers::stored(preferences), MouseTrigger::none);
    EXPECT_EQ(RingGlassStyles::stored(preferences), RingGlassStyle::clear);
    EXPECT_TRUE(preferences.autoPaste());
    EXPECT_TRUE(preferences.ringSounds());
    EXPECT_TRUE(preferences.ringBackdrop());
    EXPECT_FALSE(preferences.didPromptAccessibility());
    EXPECT_FALSE(preferences.flag(PreferenceKey::moreRingMigrated, false));
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoFocus, 25), 25);
    EXPECT_FALSE(preferences.text(PreferenceKey::remindersList).has_value());
    EXPECT_TRUE(preferences.textList(PreferenceKey::unitsRecent).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path())) << "reading writes nothing";
}

TEST_F(PreferencesTest, UnreadableOrMistypedValuesGiveDefaults)
{
    writeIni("[General]\n"
             "hotkeyPreset=hyperSpace\n"
             "mouseTrigger=ControlOptionSpace\n"
             "ringGlass=Dark\n"
             "autoPaste=maybe\n"
             "ringSounds=false\n"
             "ringBackdrop=0\n"
             "pomoFocus=0\n"
             "pomoBreak=-3\n"
             "pomoLongBreak=50\n"
             "garbage line without equals\n"
             "\x01\x02\xff=\xfe\n");
    const Preferences preferences(path());
    EXPECT_EQ(HotkeyPresets::stored(preferences), HotkeyPreset::controlOptionSpace);
    EXPECT_EQ(MouseTriggers::stored(preferences), MouseTrigger::none);
    EXPECT_EQ(RingGlassStyles::stored(preferences), RingGlassStyle::clear);
    EXPECT_TRUE(preferences.autoPaste());
    EXPECT_FALSE(preferences.ringSounds());
    EXPECT_TRUE(preferences.ringBackdrop()) << "only true and false are Booleans";
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoFocus, 25), 25);
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoBreak, 5), 5);
    EXPECT_EQ(preferences.pomodoroMinutes(PreferenceKey::pomoLongBreak, 15), 50);
}

TEST_F(PreferencesTest, ValuesPersistAndAnnounceTheirKey)
{
    {
        Preferences preferences(path());
        QSignalSpy changed(&preferences, &Preferences::changed);
        HotkeyPresets::store(preferences, HotkeyPreset::shiftCommandSpace);
        MouseTriggers::store(preferences, MouseTrigger::button5);
        RingGlassStyles::store(preferences, RingGlassStyle::dark);
        preferences.setFlag(PreferenceKey::autoPaste, false);
        preferences.setText(PreferenceKey::remindersList, QStringLiteral("Work, home; \"misc\""));
        preferences.setTextList(PreferenceKey::unitsRecent, { QStringLiteral("5 km in mi") });
        preferences.setInteger(PreferenceKey::pomoFocus, 45);
        ASSERT_EQ(changed.count(), 7);
        EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("hotkeyPreset"));
        EXPECT_EQ(changed.at(6).at(0).toString(), QStringLiteral("pomoFocus"));
    }
    const QByteArray ini = m_folder.read(QStringLiteral("Quickhalo/Quickhalo.conf"));
    EXPECT_TRUE(ini.contains("hotkeyPreset=shiftCommandSpace")) << ini.constData();

    const Preferences reopened(path());
    EXPECT_EQ(HotkeyPresets::stored(reopened), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(MouseTriggers::stored(reopened), MouseTrigger::button5);
    EXPECT_EQ(RingGlassStyles::stored(reopened), RingGlassStyle::dark);
    EXPECT_FALSE(reopened.autoPaste());
    EXPECT_EQ(reopened.text(PreferenceKey::remindersList), QStringLiteral("Work, home; \"misc\""));
    EXPECT_EQ(reopened.textList(PreferenceKey::unitsRecent), QStringList { QStringLiteral("5 km in mi") });
    EXPECT_EQ(reopened.pomodoroMinutes(PreferenceKey::pomoFocus, 25), 45);
}

TEST(PresetTables, RawTextsRoundTripAndShowLinuxNames)
{
    for (const HotkeyPreset preset : HotkeyPresets::all())
        EXPECT_EQ(HotkeyPresets::fromRawValue(HotkeyPresets::rawValue(preset)), preset);
    EXPECT_EQ(HotkeyPresets::title(HotkeyPreset::shiftCommandSpace), QStringLiteral("Shift+Super+Space"));
    EXPECT_EQ(MouseTriggers::x11Button(MouseTrigger::button4), 8);
    EXPECT_FALSE(MouseTriggers::x11Button(MouseTrigger::none).has_value());
    for (const MouseTrigger trigger : MouseTriggers::all())
        EXPECT_EQ(MouseTriggers::fromRawValue(MouseTriggers::rawValue(trigger)), trigger);
}

TEST_F(PreferencesTest, AFileThatWouldNotComeBackTheSameIsKeptAsideBeforeItIsFirstReplaced)
{
    const QByteArray migrated = "moreRingMigrated=true\nmuteToVolumeMigrated=true\nwindowsToolMigrated=true\n";
    struct Case {
        const char* name;
        QByteArray text;
    } cases[] = {
        { "comments", "; set by hand\n[General]\nautoPaste=false\n# more\n" + migrated },
        { "a repeated key", "[General]\nautoPaste=true\nautoPaste=false\n" + migrated },
        { "bytes that are not UTF-8", "[General]\nautoPaste=false\nremindersList=caf\xe9\n" + migrated },
        { "spaces around =", "[General]\nautoPaste = false\n" + migrated },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_folder.filePath(QStringLiteral("Quickhalo"))).removeRecursively();
        writeIni(c.text);
        FileTrouble trouble;
        {
            Preferences preferences(path(), &trouble);
            EXPECT_FALSE(preferences.autoPaste());
            // A start that sets no new value: the migration flags are all set already.
            const ConfigStore store(m_folder.filePath(QStringLiteral("data")), preferences, [] { return QuickhaloConfig {}; }, &trouble);
            preferences.setFlag(PreferenceKey::autoPaste, false);
            EXPECT_EQ(ini(), c.text) << "nothing changed, nothing written";
            EXPECT_TRUE(keptCopies().isEmpty());
            EXPECT_TRUE(trouble.reportedKeys().isEmpty());

            RingGlassStyles::store(preferences, RingGlassStyle::dark);
        }
        ASSERT_EQ(keptCopies().size(), 1);
        EXPECT_EQ(m_folder.read(QStringLiteral("Quickhalo/") + keptCopies()[0]), c.text);
        EXPECT_TRUE(trouble.reportedKeys().contains(path() + QStringLiteral(":kept")));
        const Preferences reread(path());
        EXPECT_EQ(RingGlassStyles::stored(reread), RingGlassStyle::dark);
        EXPECT_FALSE(reread.autoPaste()) << "the other values carry over";
        EXPECT_TRUE(reread.flag(PreferenceKey::moreRingMigrated, false));
    }
}

TEST_F(PreferencesTest, AFileInItsOwnFormIsNeitherRewrittenNorKept)
{
    {
        Preferences preferences(path());
        preferences.setFlag(PreferenceKey::autoPaste, false);
        preferences.setTextList(PreferenceKey::unitsRecent, { QStringLiteral("5 km in mi"), QStringLiteral("3, 4") });
        preferences.setText(PreferenceKey::remindersList, QStringLiteral("Work; \"home\""));
        preferences.setInteger(PreferenceKey::pomoFocus, 45);
    }
    const QByteArray written = ini();
    const auto before = UserFile::identify(path());
    Preferences preferences(path());
    preferences.setFlag(PreferenceKey::autoPaste, false);
    preferences.setTextList(PreferenceKey::unitsRecent, { QStringLiteral("5 km in mi"), QStringLiteral("3, 4") });
    preferences.setInteger(PreferenceKey::pomoFocus, 45);
    EXPECT_EQ(ini(), written);
    EXPECT_TRUE(UserFile::identify(path()) == before) << "not even rewritten with the same bytes";
    preferences.setInteger(PreferenceKey::pomoFocus, 50);
    EXPECT_TRUE(keptCopies().isEmpty());
    EXPECT_TRUE(ini().contains("pomoFocus=50"));
}

TEST_F(PreferencesTest, WhatAnotherProgramWroteMeanwhileIsKept)
{
    Preferences preferences(path());
    preferences.setFlag(PreferenceKey::didPromptAccessibility, true);
    // The user turns pasting off by hand while Quickhalo runs, as the README suggests.
    writeIni(ini() + "autoPaste=false\n");
    RingGlassStyles::store(preferences, RingGlassStyle::light);
    const Preferences reread(path());
    EXPECT_FALSE(reread.autoPaste());
    EXPECT_TRUE(reread.didPromptAccessibility());
    EXPECT_EQ(RingGlassStyles::stored(reread), RingGlassStyle::light);
    EXPECT_FALSE(preferences.autoPaste()) << "and this process sees it too";
}

TEST_F(PreferencesTest, AFifoOrADeviceInPlaceOfTheFileGivesDefaultsAndIsNeverReplaced)
{
    QDir().mkpath(m_folder.filePath(QStringLiteral("Quickhalo")));
    for (const Testing::SpecialFileCase& c : Testing::specialFileCases) {
        SCOPED_TRACE(c.name);
        if (c.type == S_IFCHR && !Testing::canMakeDevices())
            continue;
        const QString real = Testing::placeNode(path(), m_folder.filePath(QStringLiteral("node")), c.type, c.behindALink);
        FileTrouble trouble;
        QElapsedTimer timer;
        timer.start();
        Preferences preferences(path(), &trouble);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_TRUE(preferences.autoPaste());
        EXPECT_TRUE(trouble.reportedKeys().contains(path() + QStringLiteral(":read")));

        preferences.setFlag(PreferenceKey::autoPaste, false);
        EXPECT_FALSE(preferences.autoPaste()) << "held for this run";
        EXPECT_TRUE(trouble.reportedKeys().contains(path() + QStringLiteral(":save")));
        EXPECT_EQ(Testing::fileTypeAt(real), c.type) << "still what it was";
        EXPECT_TRUE(keptCopies().isEmpty());
    }
}

TEST_F(PreferencesTest, HostileFilesGiveDefaults)
{
    const QByteArray cases[] = {
        QByteArray(100000, '['),
        QByteArray("[General]\nautoPaste=\"unterminated\n"),
        QByteArray("\0\0\0autoPaste=false\0", 19),
        QByteArray("[General]\nautoPaste=") + QByteArray(500000, 'x'),
        QByteArray("[General]\nhotkeyPreset=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1cQ)\n"),
        QByteArray("[General]\nmouseTrigger=@ByteArray(\\xff\\xfe)\nringGlass=a, b, c\n"),
        QByteArray(Preferences::largestFile + 1, 'a'),
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.left(40).toStdString());
        writeIni(bytes);
        FileTrouble trouble;
        Preferences preferences(path(), &trouble);
        EXPECT_EQ(HotkeyPresets::stored(preferences), HotkeyPreset::controlOptionSpace);
        EXPECT_EQ(MouseTriggers::stored(preferences), MouseTrigger::none);
        EXPECT_EQ(RingGlassStyles::stored(preferences), RingGlassStyle::clear);
        EXPECT_EQ(ini(), bytes) << "reading changes nothing";
    }
}
