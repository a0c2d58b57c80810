#include "Settings/SettingsWindow.h"

#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "Base/Preferences.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeGlobalHotkeys.h"
#include "Platform/Fake/FakeMouseButtonSource.h"

using namespace Quickhalo;

namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    // What a user's pick does: the combo box reports it as activated.
    static void pick(QComboBox& picker, int index)
    {
        picker.setCurrentIndex(index);
        Q_EMIT picker.activated(index);
    }

    Testing::TemporaryFolder folder;
    QString path = folder.filePath(QStringLiteral("prefs.conf"));
    Preferences preferences { path };
    FakeGlobalHotkeys hotkeys;
    FakeMouseButtonSource buttons;
    FakeAccessibility accessibility;
    FakeClock clock;
    HotkeyManager hotkey { preferences, hotkeys };
    MouseTriggerMonitor mouseTrigger { preferences, buttons, accessibility, clock };
};

}

TEST_F(SettingsWindowTest, PickingAShortcutStoresAndGrabsItAtOnce)
{
    HotkeyPresets::store(preferences, HotkeyPreset::controlShiftSpace);
    HotkeyManager reread(preferences, hotkeys);
    SettingsWindow window(reread, mouseTrigger, preferences);
    QComboBox& picker = window.shortcutPicker();
    ASSERT_EQ(picker.count(), 4);
    EXPECT_EQ(picker.currentText(), QStringLiteral("Ctrl+Shift+Space"));

    pick(picker, 2);
    EXPECT_EQ(reread.preset(), HotkeyPreset::shiftCommandSpace);
    EXPECT_EQ(hotkeys.registered(), HotkeyPresets::combination(HotkeyPreset::shiftCommandSpace));
    EXPECT_EQ(HotkeyPresets::stored(Preferences(path)), HotkeyPreset::shiftCommandSpace);

    reread.setPreset(HotkeyPreset::optionSpace);
    EXPECT_EQ(picker.currentText(), QStringLiteral("Alt+Space")) << "follows changes made elsewhere";
}

TEST_F(SettingsWindowTest, PickingAMouseButtonStoresItAndSetsTheTriggerUp)
{
    SettingsWindow window(hotkey, mouseTrigger, preferences);
    QComboBox& picker = window.mouseButtonPicker();
    EXPECT_EQ(picker.currentText(), QStringLiteral("Off"));

    pick(picker, 2);
    EXPECT_EQ(picker.currentText(), QStringLiteral("Side button (back)"));
    EXPECT_EQ(MouseTriggers::stored(Preferences(path)), MouseTrigger::button4);
    EXPECT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::intercepting);
    EXPECT_EQ(buttons.button(), 8);

    pick(picker, 0);
    EXPECT_EQ(mouseTrigger.mode(), MouseTriggerMonitor::Mode::off);
    EXPECT_EQ(buttons.mode(), FakeMouseButtonSource::Mode::none);
}
