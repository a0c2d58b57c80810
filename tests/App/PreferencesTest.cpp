#include "App/Preferences.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace Quickhalo;

namespace {
class PreferencesTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.filePath(QStringLiteral("Quickhalo/Quickhalo.conf")); }
    void writeIni(const QByteArray& text) { m_folder.write(QStringLiteral("Quickhalo/Quickhalo.conf"), text); }
    Testing::TemporaryFolder m_folder;
};
}

TEST_F(PreferencesTest, AbsentKeysGiveTheirDefaults)
{
    const Preferences preferences(path());
    EXPECT_EQ(preferences.hotkeyPreset(), HotkeyPreset::controlOptionSpace);
    EXPECT_EQ(preferences.mouseTrigger(), MouseTrigger::none);
    EXPECT_EQ(preferences.ringGlass(), RingGlassStyle::clear);
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
    EXPECT_EQ(preferences.hotkeyPreset(), HotkeyPreset::controlOptionSpace);
    EXPECT_EQ(preferences.mouseTrigger(), MouseTrigger::none);
    EXPECT_EQ(preferences.ringGlass(), RingGlassStyle::clear);
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
        preferences.setHotkeyPreset(HotkeyPreset::shiftCommandSpace);
        preferences.setMouseTrigger(MouseTrigger::button5);
        preferences.setRingGlass(RingGlassStyle::dark);
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
    EXPECT_EQ(reopened.hotkeyPreset(), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(reopened.mouseTrigger(), MouseTrigger::button5);
    EXPECT_EQ(reopened.ringGlass(), RingGlassStyle::dark);
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
