// What the settings window costs a user: opening it, showing the Rings tab, and one edit of a slot
// (saved to disk, list, form and preview redrawn) must all feel instant.
#include "Base/Preferences.h"
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
#include "Settings/RingEditor.h"
#include "Settings/RingsSettings.h"
#include "Settings/SettingsWindow.h"
#include "Tools/Clipboard/ClipboardStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace Quickhalo;

namespace {

using Stopwatch = std::chrono::steady_clock;

double millisecondsSince(Stopwatch::time_point start)
{
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

struct SilentSounds final : RingSoundPlayer {
    void play(RingSound) override { }
};

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%-44s median %7.2f ms  worst %7.2f ms\n", what, samples[samples.size() / 2], samples.back());
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir folder;
    Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
    for (const QString& key : ConfigStore::migrationFlags())
        preferences.setFlag(key, true);
    FakeGlobalHotkeys hotkeys;
    FakeMouseButtonSource buttons;
    FakeAccessibility accessibility;
    FakeClock clock;
    HotkeyManager hotkey(preferences, hotkeys);
    MouseTriggerMonitor mouseTrigger(preferences, buttons, accessibility, clock);
    FakeClipboard clipboardAccess;
    ClipboardStore clipboard(clipboardAccess, clock);
    FakeLoginItem loginItem;
    SilentSounds sounds;
    FakeInstalledApplications applications;
    const ConfigStore::DefaultFactory defaults = [] { return DefaultConfig::make(FakeDefaultApplications {}); };
    ConfigStore store(folder.path(), preferences, defaults);

    std::vector<double> opening;
    std::vector<double> ringsTab;
    std::vector<double> edits;
    std::vector<double> swaps;
    std::vector<double> undos;
    int painted = 0;
    const auto paint = [&painted](QWidget& widget) {
        if (!widget.grab().isNull())
            ++painted;
    };
    for (int round = 0; round < rounds; ++round) {
        Stopwatch::time_point start = Stopwatch::now();
        SettingsWindow window(SettingsServices {
            .general = { hotkey, mouseTrigger, preferences, clipboard, accessibility, loginItem, sounds, {} },
            .config = store,
            .makeDefaultConfig = defaults,
            .applications = applications,
            .pickFile = {},
        });
        window.show();
        paint(window); // lays out and paints now, mapped or not
        opening.push_back(millisecondsSince(start));

        start = Stopwatch::now();
        window.tabs().setCurrentWidget(&window.rings());
        paint(window);
        ringsTab.push_back(millisecondsSince(start));

        RingEditor& editor = window.ringEditor();
        editor.selectSlot(0);
        for (int edit = 0; edit < 20; ++edit) {
            start = Stopwatch::now();
            editor.setTitle(QStringLiteral("Title %1").arg(edit));
            paint(window.rings());
            edits.push_back(millisecondsSince(start));
        }
        for (int swap = 0; swap < 8; ++swap) {
            start = Stopwatch::now();
            editor.moveSlot(swap, (swap + 3) % 8);
            paint(window.rings());
            swaps.push_back(millisecondsSince(start));
        }
        while (editor.canUndo()) {
            start = Stopwatch::now();
            editor.undo();
            paint(window.rings());
            undos.push_back(millisecondsSince(start));
        }
    }
    report("open the window (General shown)", opening);
    report("show the Rings tab", ringsTab);
    report("type into a slot's title (save + redraw)", edits);
    report("swap two slots (save + redraw)", swaps);
    report("undo one edit (save + redraw)", undos);
    std::printf("(%d frames painted, %d rounds)\n", painted, rounds);
    return 0;
}
