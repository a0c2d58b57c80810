#pragma once

#include <optional>

#include <QString>

// The calculator tool's evaluator: one line of arithmetic (+ - * / % ^, brackets, unary signs)
// over doubles, and the display form of a result. It reads user-perceived characters, so a digit
// with a combining mark is not a digit. It knows nothing of the panel that shows it.
namespace Quickhalo::Calculator {

// Brackets, signs and exponents nested deeper than this give no value rather than exhausting the
// stack; a line anyone types stays far below it.
inline constexpr int maximumNesting = 256;

enum class Failure { empty, malformed, divisionByZero, notFinite, tooDeep };

struct Outcome {
    std::optional<double> value;
    Failure failure = Failure::empty; // meaningful only without a value
};

// The value of `input`, or why there is none: blank input, a malformed expression, a zero divisor,
// an infinite or not-a-number result (a literal too large for a double counts as one), or nesting
// beyond `maximumNesting`. A value is always finite.
Outcome evaluateExplained(const QString& input);
std::optional<double> evaluate(const QString& input);

// Integers below 10^15 in magnitude as integers, anything else with at most ten decimals, trailing
// zeros dropped; never "-0".
QString format(double value);

// A short English reason, such as "division by zero".
QString describe(Failure failure);

}
