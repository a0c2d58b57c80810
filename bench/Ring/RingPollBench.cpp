#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Platform/Fake/FakeClock.h"
#include "Ring/FakeRingServices.h"
#include "Ring/RingController.h"
#include "support/MigrationsDone.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace Quickhalo;

namespace {

QuickhaloConfig fullRings()
{
    QuickhaloConfig config;
    for (int r = 0; r < 3; ++r) {
        RingPage ring { QUuid::createUuid(), QStringLiteral("Ring %1").arg(r), {} };
        for (std::size_t s = 0; s < RingPage::slotCount; ++s)
            ring.slices[s] = Slice { QUuid::createUuid(), QStringLiteral("Slice"), QStringLiteral("terminal"),
                Actions::Shell { QStringLiteral("true") } };
        config.rings.push_back(ring);
    }
    return config;
}

// One tick of the ring's 60 Hz pointer poll while the pointer crosses from one slot to the next,
// so that every tick changes the highlight and plays the tick sound.
void pollTickWithHighlightChange(benchmark::State& state)
{
    QTemporaryDir folder;
    Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
    Testing::migrated(preferences);
    ConfigStore store(folder.path(), preferences, &fullRings);

    FakeRingServiceSet fakes;
    FakeClock clock;
    RingController controller(store,
        { fakes.window, fakes.backdrop, fakes.sounds, fakes.volume, fakes.nowPlaying, fakes.actions, fakes.frontmost,
            fakes.pointer, clock });

    fakes.pointer.position = QPointF(800, 600);
    controller.hotkeyPressed();
    const QPointF slotOne = QPointF(800 + 85, 600 + 85);
    const QPointF slotThree = QPointF(800 + 85, 600 - 85);
    bool flip = false;
    for (auto _ : state) {
        fakes.pointer.position = flip ? slotOne : slotThree;
        flip = !flip;
        clock.advance(RingController::pollInterval);
        // Keep the fakes' records from growing without bound over millions of ticks.
        if (fakes.journal.lines.size() > 4096) {
            fakes.journal.lines.clear();
            fakes.sounds.played.clear();
        }
    }
    benchmark::DoNotOptimize(controller.highlighted());
    state.counters["highlightChanges"] = benchmark::Counter(static_cast<double>(state.iterations()));
}

}

BENCHMARK(pollTickWithHighlightChange);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
