// How long the units panel takes from nothing to painted, with five recent queries as buttons,
// and what one typed character costs in the live view (parse, convert, relabel, repaint).
#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeWebRequests.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Units/UnitsView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>

using namespace Quickhalo;

namespace {

using Stopwatch = std::chrono::steady_clock;

double millisecondsSince(Stopwatch::time_point start)
{
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

void report(const char* name, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    std::printf("%-28s median %7.3f ms  worst %7.3f ms  (%zu samples)\n", name, samples[samples.size() / 2],
        samples.back(), samples.size());
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const QTemporaryDir folder;
    const Log::Capture quiet;
    FakeClipboard clipboard;
    FakeClock clock;
    FakeWebRequests web;
    ClipboardStore history(clipboard, clock);
    Preferences preferences(folder.filePath(QStringLiteral("Quickhalo.conf")));
    preferences.setTextList(PreferenceKey::unitsRecent,
        { QStringLiteral("5 km in miles"), QStringLiteral("72 f to c"), QStringLiteral("10 usd to gbp"),
            QStringLiteral("2 cups to ml"), QStringLiteral("1 gib to mib") });
    CurrencyService currencies(web, clock, folder.filePath(QStringLiteral("rates.json")), {});

    std::vector<double> opening;
    std::vector<double> keystrokes;
    const QString phrase = QStringLiteral("12.5 kilometres in miles");
    for (int round = 0; round < rounds; ++round) {
        const Stopwatch::time_point start = Stopwatch::now();
        UnitsView view(history, preferences, currencies, {});
        view.resize(420, 230);
        view.show();
        // grab() lays out and paints now, whether or not a window manager has mapped it yet.
        const QPixmap painted = view.grab();
        opening.push_back(millisecondsSince(start));
        if (painted.isNull())
            return 1;
        for (qsizetype length = 1; length <= phrase.size(); ++length) {
            const Stopwatch::time_point typed = Stopwatch::now();
            view.input()->setText(phrase.left(length));
            const QPixmap line = view.resultLine()->grab();
            keystrokes.push_back(millisecondsSince(typed));
            if (line.isNull())
                return 1;
        }
    }
    report("open and paint", opening);
    report("one keystroke, repainted", keystrokes);
    return 0;
}
