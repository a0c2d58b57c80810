// What one keystroke costs in the calculator, the units tool and the clipboard history's search:
// all redo their work from scratch on every change of the line.
#include "Tools/Calculator/Calculator.h"
#include "Tools/Clipboard/ClipboardListing.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Units/Units.h"

#include <benchmark/benchmark.h>

using namespace Quickhalo;

namespace {

void calculatorLine(benchmark::State& state, const QString& line)
{
    for (auto _ : state) {
        // The view evaluates twice per change: for the text and for its colour.
        benchmark::DoNotOptimize(Calculator::evaluate(line));
        const std::optional<double> value = Calculator::evaluate(line);
        benchmark::DoNotOptimize(value ? Calculator::format(*value) : QString());
    }
}
BENCHMARK_CAPTURE(calculatorLine, typical, QStringLiteral("(12 + 8) * 3 / 4"));
BENCHMARK_CAPTURE(calculatorLine, long_line,
    QStringLiteral("((1.5 + 2.25) * 3 - 4 / 5) ^ 2 % 7 + (8 - 9 * (10 + 11)) / 12.125 - -13 ^ 0.5 * 14 + 15 % 4 + "
                   "(16 + 17 * 18 - 19 / 20) * (21 - 22) + 23.75 ^ 1.5 - 24 + 25 * (26 - 27 + (28 * 29)) / 30"));
BENCHMARK_CAPTURE(calculatorLine, deepest_nesting,
    QString(Calculator::maximumNesting - 1, QLatin1Char('(')) + QStringLiteral("1")
        + QString(Calculator::maximumNesting - 1, QLatin1Char(')')));

// The units view's update: parse, convert, format; for currencies, up to the codes it would ask
// the rate service for.
void unitsLine(benchmark::State& state, const QString& line)
{
    for (auto _ : state) {
        const std::optional<UnitsQuery> query = UnitsParser::parse(line);
        if (!query)
            continue;
        if (const std::optional<Units::Conversion> converted = Units::convert(*query)) {
            benchmark::DoNotOptimize(Units::format(converted->value) + u' ' + converted->unitLabel);
            continue;
        }
        benchmark::DoNotOptimize(Units::currencyCode(query->from));
        benchmark::DoNotOptimize(Units::currencyCode(query->to));
    }
}
BENCHMARK_CAPTURE(unitsLine, physical, QStringLiteral("5 km in miles"));
BENCHMARK_CAPTURE(unitsLine, temperature, QStringLiteral("72 f to c"));
BENCHMARK_CAPTURE(unitsLine, arithmetic, QStringLiteral("(12 + 8) km in mi"));
BENCHMARK_CAPTURE(unitsLine, currency, QStringLiteral("$10 to gbp"));
BENCHMARK_CAPTURE(unitsLine, no_separator, QStringLiteral("5 kilometres and then some more words"));
BENCHMARK_CAPTURE(unitsLine, long_line, QStringLiteral("1,000,000.5 ") + QString(2000, u'x') + QStringLiteral(" to m"));

// A full history of long texts searched for a word that is in none of them: every entry is scanned
// as far as its preview reaches.
void clipboardSearch(benchmark::State& state)
{
    QList<ClipboardListing::Preview> previews;
    for (int i = 0; i < ClipboardStore::capacity; ++i)
        previews << ClipboardListing::preview(
            QStringLiteral("Entry %1: ").arg(i) + QString(static_cast<qsizetype>(state.range(0)), QLatin1Char('x')));
    const QString query = QStringLiteral("Quickhalo");
    for (auto _ : state) {
        const QList<int> hits = ClipboardListing::matching(previews, query);
        benchmark::DoNotOptimize(hits.size());
    }
}
BENCHMARK(clipboardSearch)->Arg(100)->Arg(10 * 1000)->Arg(1000 * 1000);

}

BENCHMARK_MAIN();
