#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Config/DefaultConfig.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeDefaultApplications.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Platform/X11/X11ClickWatcher.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Ring/FakeBadgeSources.h"
#include "Ring/FakeRingServices.h"
#include "Ring/RingController.h"
#include "Ring/RingPanel.h"
#include "Ring/RingView.h"
#include "support/MigrationsDone.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

using namespace Quickhalo;

// Opens the real ring window again and again and prints the time from the call that presents it to
// the end of the view's first paint. Needs an X display (run it inside scripts/test-desktop).
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::printf("ring_present_bench: needs an X11 display; skipped\n");
        return 0;
    }
    QTemporaryDir folder;
    Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
    Testing::migrated(preferences);
    ConfigStore store(folder.path(), preferences, [] { return DefaultConfig::make(FakeDefaultApplications {}); });

    FakeJournal journal;
    FakeRingBackdrop backdrop(journal);
    FakeRingSounds sounds(journal);
    FakeVolumeControl volume(journal);
    FakeNowPlaying nowPlaying(journal);
    FakeActionExecutor actions(journal);
    FakeFrontmostApplication frontmost;
    FakeClock clock;
    FakeBadgeSources badgeSources;
    QtPointerLocation pointer;
    X11WindowSystemInfo windowSystem;
    X11ClickWatcher clickWatcher;
    X11ScreenLayout screens;
    RingController* controller = nullptr;
    RingPanel panel(
        [&](QWidget* parent) -> QWidget* {
            return new RingView(RingViewSources { *controller, store, volume, nowPlaying, badgeSources, preferences,
                                    [] { return false; } },
                parent);
        },
        windowSystem, clickWatcher, pointer, screens);
    RingController ring(store, { panel, backdrop, sounds, volume, nowPlaying, actions, frontmost, pointer, clock });
    controller = &ring;
    panel.setController(&ring);

    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
    std::vector<double> milliseconds;
    for (int round = 0; round < rounds + 3; ++round) {
        QElapsedTimer timer;
        QEventLoop painted;
        QTimer::singleShot(2000, &painted, &QEventLoop::quit);
        timer.start();
        ring.openPinned();
        auto* view = qobject_cast<RingView*>(panel.view());
        QObject::connect(view, &RingView::painted, &painted, &QEventLoop::quit);
        if (view->paintCount() == 0)
            painted.exec();
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (round >= 3) // the first openings also load fonts and create the native window
            milliseconds.push_back(elapsed);
        ring.close();
        QEventLoop settle;
        QTimer::singleShot(50, &settle, &QEventLoop::quit);
        settle.exec();
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("present to first paint          median %.2f ms   p95 %.2f ms   (%d openings, %s)\n",
        milliseconds[milliseconds.size() / 2], milliseconds[milliseconds.size() * 95 / 100], rounds,
        windowSystem.isCompositing() ? "compositing" : "no compositor");
    return 0;
}
