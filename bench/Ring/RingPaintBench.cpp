#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Platform/Fake/FakeClock.h"
#include "Ring/FakeBadgeSources.h"
#include "Ring/FakeRingServices.h"
#include "Ring/RingController.h"
#include "Ring/RingPainter.h"
#include "Ring/RingScene.h"
#include "support/MigrationsDone.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

using namespace Quickhalo;

namespace {

QuickhaloConfig rings()
{
    RingPage tools { QUuid::createUuid(), QStringLiteral("Tools"), {} };
    const BuiltinTool order[] = { BuiltinTool::clipboard, BuiltinTool::screenshot, BuiltinTool::notes,
        BuiltinTool::calculator, BuiltinTool::timer, BuiltinTool::colorPicker, BuiltinTool::volume,
        BuiltinTool::sleepDisplay };
    for (std::size_t i = 0; i < RingPage::slotCount; ++i)
        tools.slices[i] = Slice::forTool(order[i]);
    return QuickhaloConfig { { tools } };
}

struct Figures {
    double median;
    double p95;
};

Figures measure(const RingScene& scene, const RingPainter::Frame& frame, int frames)
{
    QImage target(560, 560, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> milliseconds;
    milliseconds.reserve(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        target.fill(Qt::transparent);
        const auto start = std::chrono::steady_clock::now();
        {
            QPainter painter(&target);
            RingPainter::paint(painter, scene, frame);
        }
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    return { milliseconds[milliseconds.size() / 2], milliseconds[milliseconds.size() * 95 / 100] };
}

}

// Paints whole ring frames in software (QImage, no GPU) and prints the median and 95th percentile.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    Preferences preferences(folder.filePath(QStringLiteral("prefs.conf")));
    Testing::migrated(preferences);
    ConfigStore store(folder.path(), preferences, &rings);

    FakeRingServiceSet fakes;
    FakeClock clock;
    FakeBadgeSources badgeSources;
    const SliceBadgeProvider badges(badgeSources);
    RingController controller(store,
        { fakes.window, fakes.backdrop, fakes.sounds, fakes.volume, fakes.nowPlaying, fakes.actions, fakes.frontmost,
            fakes.pointer, clock });

    fakes.pointer.position = QPointF(900, 500);
    controller.openPinned();
    const int frames = argc > 1 ? std::max(20, std::atoi(argv[1])) : 300;
    const RingPainter::Frame frame;
    auto report = [&](const char* name) {
        const RingScene scene = makeRingScene({ controller, fakes.volume, fakes.nowPlaying, badges, RingGlassStyle::clear });
        measure(scene, frame, 10); // warm the glyph and path caches
        const Figures figures = measure(scene, frame, frames);
        std::printf("%-28s median %.3f ms   p95 %.3f ms   (%d frames, 560x560, software)\n", name, figures.median,
            figures.p95, frames);
    };

    report("hub, nothing highlighted");
    fakes.pointer.position = QPointF(900 + 85, 500 - 85);
    clock.advance(1.0 / 60.0);
    report("slot highlighted");
    fakes.pointer.position = QPointF(900 - 170, 500 - 5);
    clock.advance(0.3);
    report("volume flyout open");
    return 0;
}
