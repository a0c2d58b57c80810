// What opening the clipboard history and moving through it costs when an entry is huge: any
// program can copy 10 MB of text, and the panel must still open and follow the arrows at once.
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Clipboard/ClipboardView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QKeyEvent>

using namespace Quickhalo;

namespace {

using Stopwatch = std::chrono::steady_clock;

double millisecondsSince(Stopwatch::time_point start)
{
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

struct Figures {
    double median;
    double worst;
};

int s_framesPainted = 0;

void benchmark(const QPixmap& painted)
{
    if (!painted.isNull())
        ++s_framesPainted;
}

Figures summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return { samples[samples.size() / 2], samples.back() };
}

// Opens the panel over `store` and presses Down then Up across the whole list, painting after each.
void measure(const char* name, ClipboardStore& store, int rounds)
{
    std::vector<double> opening;
    std::vector<double> arrows;
    for (int round = 0; round < rounds; ++round) {
        const Stopwatch::time_point start = Stopwatch::now();
        ClipboardView view(store, {});
        view.resize(360, 420);
        view.show();
        // grab() lays out and paints now, whether or not the window manager has mapped it yet.
        benchmark(view.grab());
        opening.push_back(millisecondsSince(start));

        for (const Qt::Key key : { Qt::Key_Down, Qt::Key_Up }) {
            for (int step = 0; step < ClipboardStore::capacity; ++step) {
                const Stopwatch::time_point pressed = Stopwatch::now();
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QCoreApplication::sendEvent(view.searchField(), &press);
                benchmark(view.list()->viewport()->grab());
                arrows.push_back(millisecondsSince(pressed));
            }
        }
    }
    const Figures open = summarise(opening);
    const Figures arrow = summarise(arrows);
    std::printf("%-34s open median %8.2f ms  worst %8.2f ms   arrow key median %7.3f ms  worst %7.3f ms\n", name,
        open.median, open.worst, arrow.median, arrow.worst);
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FakeClipboard clipboard;
    FakeClock clock;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const qsizetype tenMegabytes = 10 * 1000 * 1000;

    const auto history = [&](const QString& huge) {
        auto store = std::make_unique<ClipboardStore>(clipboard, clock);
        for (int i = 0; i < ClipboardStore::capacity - 1; ++i)
            store->record(QStringLiteral("An ordinary copy, number %1").arg(i));
        const Stopwatch::time_point start = Stopwatch::now();
        store->record(huge);
        std::printf("recording the %lld-character entry: %.2f ms\n", huge.size(), millisecondsSince(start));
        return store;
    };
    const QString line = QStringLiteral("A line of a log file that someone copied whole, 64 characters.\n");
    measure("49 short entries + 10 MB, one line", *history(QString(tenMegabytes, QLatin1Char('x'))), rounds);
    measure("49 short entries + 10 MB of lines", *history(line.repeated(tenMegabytes / line.size())), rounds);
    std::printf("(%d frames painted)\n", s_framesPainted);
    return 0;
}
