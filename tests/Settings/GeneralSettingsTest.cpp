#include "SettingsFixture.h"

#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Ring/RingGlassStyle.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

class GeneralSettingsTest : public SettingsFixture {
protected:
    // The preferences as a new reader of the file finds them.
    Preferences reread() const { return Preferences(preferencesPath); }
};

}

TEST_F(GeneralSettingsTest, PickingAShortcutStoresAndGrabsItAtOnce)
{
    HotkeyPresets::store(preferences, HotkeyPreset::controlShiftSpace);
    hotkey.setPreset(HotkeyPreset::controlShiftSpace);
    open();
    QComboBox& picker = general().shortcutPicker();
    ASSERT_EQ(picker.count(), 4);
    EXPECT_EQ(picker.currentText(), QStringLiteral("Ctrl+Shift+Space"));

    pick(picker, QStringLiteral("Shift+Super+Space"));
    EXPECT_EQ(hotkey.preset(), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(hotkeys.registered(), HotkeyPresets::combination(HotkeyPreset::shiftCommandSpace));
    EXPECT_EQ(HotkeyPresets::stored(reread()), HotkeyPreset::shiftCommandSpace);

    hotkey.setPreset(HotkeyPreset::optionSpace);
    EXPECT_EQ(picker.currentText(), QStringLiteral("Alt+Space")) << "follows changes made elsewhere";
}

TEST_F(GeneralSettingsTest, PickingAMouseButtonStoresItAndSetsTheTriggerUp)
{
    open();
    QComboBox& picker = general().mouseButtonPicker();
    EXPECT_EQ(picker.currentText(), QStringLiteral("Off"));

    pick(picker, QStringLiteral("Side button (back)"));
    EXPECT_EQ(MouseTriggers::stored(reread()), MouseTrigger::button4);
    EXPECT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::intercepting);
    EXPECT_EQ(buttons.button(), 8);

    pick(picker, QStringLiteral("Off"));
    EXPECT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::off);
    EXPECT_EQ(buttons.mode(), FakeMouseButtonSource::Mode::none);
}

TEST_F(GeneralSettingsTest, EachToggleIsStoredAtOnce)
{
    struct Toggle {
        const char* key;
        QCheckBox& (GeneralSettings::*control)() const;
    };
    const Toggle toggles[] = {
        { "autoPaste", &GeneralSettings::autoPasteToggle },
        { "ringSounds", &GeneralSettings::soundsToggle },
        { "ringBackdrop", &GeneralSettings::backdropToggle },
    };
    open();
    for (const Toggle& toggle : toggles) {
        SCOPED_TRACE(toggle.key);
        const QString key = QString::fromLatin1(toggle.key);
        QCheckBox& box = (general().*toggle.control)();
        EXPECT_TRUE(box.isChecked()) << "on by default";
        box.click();
        EXPECT_FALSE(reread().flag(key, true));
        box.click();
        EXPECT_TRUE(reread().flag(key, false));
    }
}

TEST_F(GeneralSettingsTest, StoredValuesShowWhenTheTabIsMade)
{
    preferences.setFlag(PreferenceKey::autoPaste, false);
    preferences.setFlag(PreferenceKey::ringSounds, false);
    RingGlassStyles::store(preferences, RingGlassStyle::dark);
    MouseTriggers::store(preferences, MouseTrigger::middle);
    loginItem.enabled = true;
    open();
    EXPECT_FALSE(general().autoPasteToggle().isChecked());
    EXPECT_FALSE(general().soundsToggle().isChecked());
    EXPECT_TRUE(general().backdropToggle().isChecked());
    EXPECT_EQ(general().glassPicker().checkedId(), static_cast<int>(RingGlassStyle::dark));
    EXPECT_EQ(general().mouseButtonPicker().currentText(), QStringLiteral("Middle button"));
    EXPECT_TRUE(general().launchAtLoginToggle().isChecked());
}

TEST_F(GeneralSettingsTest, GlassStylesAreLabelledAndStored)
{
    open();
    QButtonGroup& glass = general().glassPicker();
    ASSERT_EQ(glass.buttons().size(), 3);
    EXPECT_EQ(glass.checkedId(), static_cast<int>(RingGlassStyle::clear));
    const std::pair<RingGlassStyle, const char*> styles[] = {
        { RingGlassStyle::light, "Light" }, { RingGlassStyle::dark, "Dark" }, { RingGlassStyle::clear, "Clear" } };
    for (const auto& [style, label] : styles) {
        QAbstractButton* button = glass.button(static_cast<int>(style));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->text(), QString::fromLatin1(label));
        button->click();
        EXPECT_EQ(reread().text(PreferenceKey::ringGlass), RingGlassStyles::rawValue(style));
    }
}

TEST_F(GeneralSettingsTest, SwitchingSoundsOnPlaysOneTickAndOffPlaysNothing)
{
    preferences.setFlag(PreferenceKey::ringSounds, false);
    open();
    general().soundsToggle().click();
    EXPECT_EQ(sounds.played, std::vector<RingSound> { RingSound::tick });
    general().soundsToggle().click();
    EXPECT_EQ(sounds.played.size(), 1u);
}

TEST_F(GeneralSettingsTest, LaunchAtLoginShowsAFailureAndTheRealState)
{
    open();
    QCheckBox& toggle = general().launchAtLoginToggle();
    EXPECT_FALSE(toggle.isChecked());
    toggle.click();
    EXPECT_TRUE(loginItem.enabled);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_TRUE(general().loginError().isHidden());

    toggle.click();
    EXPECT_FALSE(loginItem.enabled);

    loginItem.failure = QStringLiteral("Could not write /x/autostart/quickhalo.desktop: Read-only file system");
    toggle.click();
    EXPECT_FALSE(toggle.isChecked()) << "back to the real state";
    EXPECT_FALSE(general().loginError().isHidden());
    EXPECT_EQ(general().loginError().text(), *loginItem.failure);

    loginItem.failure.reset();
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_TRUE(general().loginError().isHidden()) << "a success clears the error";
}

TEST_F(GeneralSettingsTest, ThePermissionRowFollowsAGrantWithinASecondWhileShown)
{
    accessibility.trusted = false;
    MouseTriggers::store(preferences, MouseTrigger::button4);
    mouseTrigger.reconfigure();
    ASSERT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::watching);
    open();
    ASSERT_TRUE(general().isVisible());
    EXPECT_EQ(general().accessibilityStatus().text(), QStringLiteral("Not granted"));
    EXPECT_TRUE(general().isPollingPermission());

    accessibility.trusted = true;
    QTest::qWait(GeneralSettings::permissionPollMilliseconds + 200);
    EXPECT_EQ(general().accessibilityStatus().text(), QStringLiteral("Granted"));
    EXPECT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::intercepting) << "the trigger follows the permission";

    showRingsTab();
    EXPECT_FALSE(general().isPollingPermission()) << "polls only while the tab is shown";
}

TEST_F(GeneralSettingsTest, GrantAccessAsksThenExplains)
{
    accessibility.trusted = false;
    open();
    general().grantAccessButton().click();
    EXPECT_EQ(accessibility.promptCount, 1);
    EXPECT_EQ(helpShown, 1);
}

TEST_F(GeneralSettingsTest, ClearingTheClipboardHistoryOnlyWhenThereIsOne)
{
    open();
    QPushButton& clear = general().clearClipboardButton();
    EXPECT_FALSE(clear.isEnabled());
    clipboard.record(QStringLiteral("one"));
    clipboard.record(QStringLiteral("two"));
    EXPECT_TRUE(clear.isEnabled());
    clear.click();
    EXPECT_TRUE(clipboard.items().isEmpty());
    EXPECT_FALSE(clear.isEnabled());
}
