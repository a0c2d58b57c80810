// What each keystroke in the links panel's search line costs with 10,000 saved links: the
// filter alone, and the filter with the rows the panel then shows.
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Links/LinksStore.h"
#include "Tools/Links/LinksView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QUuid>

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
    std::printf("%-44s median %7.3f ms  p95 %7.3f ms  worst %7.3f ms  (%zu keystrokes)\n", name, samples[samples.size() / 2],
        samples[samples.size() * 95 / 100], samples.back(), samples.size());
}

QList<LinkItem> someLinks(int count)
{
    static const char* const words[] = { "Release notes", "How to", "Recipe", "Weather", "Kernel", "Café", "Guide",
        "Review", "Podcast", "Map" };
    QList<LinkItem> links;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        const QString word = QString::fromUtf8(words[i % 10]);
        links.append({ QUuid::createUuid(), QStringLiteral("%1 number %2 of the reading list").arg(word).arg(i),
            QStringLiteral("https://site%1.example.com/articles/%2/%3").arg(i % 97).arg(i).arg(word.toLower()),
            now.addSecs(-i) });
    }
    return links;
}

}

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("links.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(LinksStore::encode(someLinks(10000))) < 0)
        return 1;
    file.close();
    LinksStore store(path);
    if (store.links().size() != 10000)
        return 1;

    // Typed a key at a time, then taken back, as someone searching does.
    const QString typed = QStringLiteral("kernel number 4");
    std::vector<double> filter;
    for (int round = 0; round < 20; ++round) {
        for (qsizetype length = 1; length <= typed.size(); ++length) {
            const Stopwatch::time_point start = Stopwatch::now();
            const QList<int> rows = store.matching(typed.left(length));
            filter.push_back(millisecondsSince(start));
            if (rows.size() > store.links().size())
                return 1;
        }
    }
    report("links search, filter only", filter);

    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore history(clipboard, clock);
    LinksView view({ store, history, clipboard, [](const QUrl&) {}, [](const QString&, const QString&) {} });
    view.resize(380, 420);
    view.show();
    std::vector<double> panel;
    for (int round = 0; round < 5; ++round) {
        for (const QChar character : typed) {
            const Stopwatch::time_point start = Stopwatch::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QCoreApplication::sendEvent(view.search(), &press);
            // Painted now, as the next frame would.
            view.list()->viewport()->grab();
            panel.push_back(millisecondsSince(start));
        }
        view.search()->clear();
    }
    report("links search, panel keystroke with repaint", panel);
    return 0;
}
