#pragma once

#include "Base/Preferences.h"
#include "Config/ConfigCodec.h"
#include "Config/ConfigStore.h"
#include "Config/DefaultConfig.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeDefaultApplications.h"
#include "Platform/Fake/FakeGlobalHotkeys.h"
#include "Platform/Fake/FakeInstalledApplications.h"
#include "Platform/Fake/FakeLoginItem.h"
#include "Platform/Fake/FakeMouseButtonSource.h"
#include "Ring/RingServices.h"
#include "Settings/GeneralSettings.h"
#include "Settings/RingEditor.h"
#include "Settings/RingsSettings.h"
#include "Settings/SettingsWindow.h"
#include "Settings/SliceEditor.h"
#include "Settings/SlotList.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "support/MigrationsDone.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <vector>

namespace Quickhalo::Testing {

struct RecordingSoundPlayer final : RingSoundPlayer {
    std::vector<RingSound> played;
    void play(RingSound sound) override { played.push_back(sound); }
};

// A whole settings window over a real configuration store and preferences file in a temporary
// folder, with fakes for the desktop around it.
class SettingsFixture : public ::testing::Test {
protected:
    ~SettingsFixture() override
    {
        window.reset();
        store.reset();
    }

    // Opens the window over whatever config.json the test left in the folder.
    void open()
    {
        store = std::make_unique<ConfigStore>(folder.path(), migrated(preferences), defaults);
        window = std::make_unique<SettingsWindow>(SettingsServices {
            .general = { hotkey, mouseTrigger, preferences, clipboard, accessibility, *login, sounds,
                [this](QWidget*) { ++helpShown; } },
            .config = *store,
            .makeDefaultConfig = defaults,
            .applications = applications,
            .pickFile = [this](QWidget*) { return pickedFile; },
        });
        window->show();
    }

    void showRingsTab() { window->tabs().setCurrentWidget(&window->rings()); }
    RingsSettings& rings() const { return window->rings(); }
    SliceEditor& slice() const { return rings().sliceEditor(); }
    GeneralSettings& general() const { return window->general(); }

    // What a user's pick does: the combo box reports it as activated.
    static void pick(QComboBox& picker, const QString& text)
    {
        const int index = picker.findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        picker.setCurrentIndex(index);
        Q_EMIT picker.activated(index);
    }

    static void typeInto(QLineEdit& field, const QString& text)
    {
        field.setFocus();
        field.selectAll();
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClicks(&field, text);
    }

    // The rings as saved, read back from the file itself.
    QuickhaloConfig onDisk() const
    {
        const ConfigCodec::DecodeResult decoded = ConfigCodec::decode(folder.read(QStringLiteral("config.json")));
        EXPECT_TRUE(decoded.config) << decoded.error.toStdString();
        EXPECT_TRUE(decoded.droppedEntries.empty()) << "the file is written whole";
        return decoded.config.value_or(QuickhaloConfig {});
    }

    RingPage::Slots diskSlots(std::size_t ring = 0) const
    {
        const QuickhaloConfig saved = onDisk();
        return ring < saved.rings.size() ? saved.rings[ring].slices : RingPage::Slots {};
    }

    // Fills a slot of the first ring through the editor's own buttons.
    void fillSlot(int slot)
    {
        rings().slotList().setCurrentRow(slot);
        if (!slice().isShowingForm())
            slice().addActionButton().click();
    }

    TemporaryFolder folder;
    QString preferencesPath = folder.filePath(QStringLiteral("prefs.conf"));
    Preferences preferences { preferencesPath };
    FakeGlobalHotkeys hotkeys;
    FakeMouseButtonSource buttons;
    FakeAccessibility accessibility;
    FakeClock clock;
    HotkeyManager hotkey { preferences, hotkeys };
    MouseTriggerMonitor mouseTrigger { preferences, buttons, accessibility, clock };
    FakeClipboard clipboardAccess;
    ClipboardStore clipboard { clipboardAccess, clock };
    FakeLoginItem loginItem;
    LoginItem* login = &loginItem; // what the window uses
    RecordingSoundPlayer sounds;
    FakeInstalledApplications applications { {
        { QStringLiteral("/usr/share/applications/firefox-esr.desktop"), QStringLiteral("Firefox ESR"),
            QStringLiteral("firefox-esr") },
        { QStringLiteral("/usr/share/applications/org.gnome.Nautilus.desktop"), QStringLiteral("Files"),
            QStringLiteral("org.gnome.Nautilus") },
        { QStringLiteral("/usr/share/applications/xterm.desktop"), QStringLiteral("XTerm"), QStringLiteral("xterm") },
    } };
    ConfigStore::DefaultFactory defaults = [] { return DefaultConfig::make(FakeDefaultApplications {}); };
    int helpShown = 0;
    QString pickedFile;
    std::unique_ptr<ConfigStore> store;
    std::unique_ptr<SettingsWindow> window;
};

}
