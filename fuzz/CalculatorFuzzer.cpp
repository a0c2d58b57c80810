#include "Tools/Calculator/Calculator.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QString>

namespace {
// What format promises: an optional minus, digits, and at most ten decimals without trailing
// zeros; never "-0".
bool isPlainDecimal(const QString& text)
{
    const QStringView digits = text.startsWith(QLatin1Char('-')) ? QStringView(text).sliced(1) : QStringView(text);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const QStringView whole = point == -1 ? digits : digits.first(point);
    const QStringView fraction = point == -1 ? QStringView() : digits.sliced(point + 1);
    const auto allDigits = [](QStringView part) {
        for (const QChar character : part) {
            if (character < QLatin1Char('0') || character > QLatin1Char('9'))
                return false;
        }
        return true;
    };
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(fraction) || fraction.size() > 10)
        return false;
    if (point != -1 && (fraction.isEmpty() || fraction.endsWith(QLatin1Char('0'))))
        return false;
    return text != QLatin1String("-0");
}
}

// Any bytes: a value is finite and carries no failure, blank input is empty, and a shown result
// is a plain decimal that reads back as a value shown the same way.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quickhalo;
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Calculator::Outcome outcome = Calculator::evaluateExplained(input);
    if (Calculator::evaluate(input) != outcome.value)
        std::abort();
    if (!outcome.value) {
        if (input.trimmed().isEmpty() && outcome.failure != Calculator::Failure::empty)
            std::abort();
        if (Calculator::describe(outcome.failure).isEmpty())
            std::abort();
        return 0;
    }
    if (!std::isfinite(*outcome.value) || outcome.failure != Calculator::Failure::empty)
        std::abort();
    const QString shown = Calculator::format(*outcome.value);
    if (!isPlainDecimal(shown))
        std::abort();
    const std::optional<double> again = Calculator::evaluate(shown);
    if (!again || Calculator::format(*again) != shown)
        std::abort();
    return 0;
}
