#include "Tools/Calculator/Calculator.h"

#include <cfloat>
#include <cmath>
#include <iterator>

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

using namespace Quickhalo;
using Calculator::Failure;

namespace {

QString repeated(const char* text, int count)
{
    return QString::fromLatin1(text).repeated(count);
}

}

TEST(Calculator, EvaluatesPrecedenceAssociativityAndSigns)
{
    struct Case {
        const char* name;
        const char16_t* input;
        double value;
    };
    const Case cases[] = {
        { "brackets first", u"(12 + 8) * 3 / 4", 15 },
        { "* above +", u"1+2*3", 7 },
        { "/ above -", u"10-4/2", 8 },
        { "% above +", u"1+7%4", 4 },
        { "^ above *", u"2*3^2", 18 },
        { "- is left-associative", u"10-4-3", 3 },
        { "/ is left-associative", u"100/10/5", 2 },
        { "* and / share a level", u"100/10*5", 50 },
        { "% and * share a level", u"17%5*3", 6 },
        { "* and % share a level", u"2*3%4", 2 },
        { "^ is right-associative", u"2^3^2", 512 },
        { "^ binds tighter than a leading minus", u"-2^2", -4 },
        { "a bracketed negative base", u"(-2)^2", 4 },
        { "a signed exponent", u"2^-1", 0.5 },
        { "signs on both sides of ^", u"-2^-2", -0.25 },
        { "double minus", u"--3", 3 },
        { "mixed signs", u"-+-3", 3 },
        { "leading plus", u"+5", 5 },
        { "binary minus then unary minus", u"3--2", 5 },
        { "unary after *", u"2*-3", -6 },
        { "minus before a bracket", u"-(2+3)*2", -10 },
        { "minus flips the sign of zero", u"-0", -0.0 },
        { "twice flips it back", u"--0", 0.0 },
        { "plus keeps it", u"+-0", -0.0 },
        { "leading point", u".5", 0.5 },
        { "trailing point", u"5.", 5 },
        { "leading zeros", u"007", 7 },
        { "trailing zeros", u"12.50", 12.5 },
        { "rounding of the sum, not the text", u"0.1+0.2", 0.1 + 0.2 },
        { "fmod keeps the dividend's sign", u"7.5 % 2", 1.5 },
        { "negative dividend", u"-7 % 3", -1 },
        { "negative divisor", u"7 % -3", 1 },
        { "both negative", u"-7.5 % -2", -1.5 },
        { "a large literal is rounded correctly", u"1000000000000000000000000000000", 1e30 },
        { "an intermediate infinity is fine while the result is finite", u"1/(10^308*10)", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString input = QString::fromUtf16(c.input);
        const Calculator::Outcome outcome = Calculator::evaluateExplained(input);
        ASSERT_TRUE(outcome.value.has_value()) << Calculator::describe(outcome.failure).toStdString();
        EXPECT_EQ(*outcome.value, c.value);
        EXPECT_EQ(std::signbit(*outcome.value), std::signbit(c.value));
        EXPECT_EQ(Calculator::evaluate(input), outcome.value);
    }
}

TEST(Calculator, LiteralsBeyondTheRangeOfADouble)
{
    const QString huge = repeated("9", 400);
    const QString tiny = QStringLiteral("0.") + repeated("0", 400) + QStringLiteral("1");

    EXPECT_EQ(Calculator::evaluateExplained(huge).failure, Failure::notFinite);
    EXPECT_FALSE(Calculator::evaluate(huge).has_value());
    EXPECT_FALSE(Calculator::evaluate(QStringLiteral("0*") + huge).has_value()) << "fails before any arithmetic";

    // Below the smallest double: rounded to zero, not refused.
    EXPECT_EQ(Calculator::evaluate(tiny), 0.0);
    EXPECT_EQ(Calculator::evaluate(QStringLiteral("5+") + tiny), 5.0);
    // A subnormal literal keeps its value.
    const std::optional<double> subnormal
        = Calculator::evaluate(QStringLiteral("0.") + repeated("0", 310) + QStringLiteral("1"));
    ASSERT_TRUE(subnormal.has_value());
    EXPECT_GT(*subnormal, 0);
    EXPECT_LT(*subnormal, DBL_MIN);
}

TEST(Calculator, WhitespaceOfEveryKindSeparatesTokens)
{
    struct Case {
        const char* name;
        const char16_t* space;
    };
    const Case cases[] = {
        { "space", u" " },
        { "tab", u"\t" },
        { "line feed", u"\n" },
        { "CR LF, one character", u"\r\n" },
        { "vertical tab and form feed", u"\v\f" },
        { "no-break space", u"\u00A0" },
        { "em space", u"\u2003" },
        { "ideographic space", u"\u3000" },
        { "line separator", u"\u2028" },
        { "paragraph separator", u"\u2029" },
        { "next line", u"\u0085" },
        { "a space carrying a combining mark", u" \u0301" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString s = QString::fromUtf16(c.space);
        // Around every token and at both ends, and between a sign and its operand.
        const QString input = s + QStringLiteral("(") + s + QStringLiteral("-") + s + QStringLiteral("1") + s
            + QStringLiteral("+") + s + QStringLiteral("2") + s + QStringLiteral(")") + s + QStringLiteral("*") + s
            + QStringLiteral("2") + s + QStringLiteral("^") + s + QStringLiteral("2") + s;
        EXPECT_EQ(Calculator::evaluate(input), 4.0);
        // Blank input is empty, not malformed.
        const Calculator::Outcome blank = Calculator::evaluateExplained(s + s);
        EXPECT_FALSE(blank.value.has_value());
        EXPECT_EQ(blank.failure, Failure::empty);
        // Whitespace ends a number.
        EXPECT_EQ(
            Calculator::evaluateExplained(QStringLiteral("1") + s + QStringLiteral("2")).failure, Failure::malformed);
    }
}

TEST(Calculator, GivesNoValueAndSaysWhy)
{
    struct Case {
        const char* name;
        const char16_t* input;
        Failure failure;
    };
    const Case cases[] = {
        { "empty", u"", Failure::empty },
        { "three spaces", u"   ", Failure::empty },
        { "mixed blanks", u"\t\r\n\u3000", Failure::empty },
        { "two points", u"1.2.3", Failure::malformed },
        { "two points in a row", u"1..2", Failure::malformed },
        { "no implicit multiplication", u"2(3)", Failure::malformed },
        { "empty brackets", u"()", Failure::malformed },
        { "unclosed bracket", u"(1+2", Failure::malformed },
        { "unopened bracket", u"1+2)", Failure::malformed },
        { "missing operand", u"1+", Failure::malformed },
        { "missing exponent", u"2^", Failure::malformed },
        { "operator without operands", u"*", Failure::malformed },
        { "doubled operator", u"2**3", Failure::malformed },
        { "lone sign", u"-", Failure::malformed },
        { "thousands separator", u"1,000", Failure::malformed },
        { "lone point", u".", Failure::malformed },
        { "point as an operand", u"1+.", Failure::malformed },
        { "exponent notation", u"1e3", Failure::malformed },
        { "hexadecimal", u"0x10", Failure::malformed },
        { "Arabic-Indic digit", u"\u0663", Failure::malformed },
        { "Arabic-Indic digit as an operand", u"1+\u0663", Failure::malformed },
        { "fullwidth digit", u"\uFF15", Failure::malformed },
        { "combining mark on a digit", u"5\u0301", Failure::malformed },
        { "combining mark on a later digit", u"12\u0301", Failure::malformed },
        { "combining mark on an operator", u"1+\u03012", Failure::malformed },
        { "zero-width space is not whitespace", u"1+\u200B2", Failure::malformed },
        { "emoji", u"1+2\U0001F600", Failure::malformed },
        { "letters", u"two", Failure::malformed },
        { "division by zero", u"1/0", Failure::divisionByZero },
        { "division by negative zero", u"1/-0", Failure::divisionByZero },
        { "division by a zero result", u"1/(2-2)", Failure::divisionByZero },
        { "zero by zero", u"0/0", Failure::divisionByZero },
        { "remainder by zero", u"5 % 0", Failure::divisionByZero },
        { "remainder by negative zero", u"5 % -0.0", Failure::divisionByZero },
        { "the first failure wins", u"(1/0", Failure::divisionByZero },
        { "zero to a negative power", u"0^-1", Failure::notFinite },
        { "root of a negative", u"(-8)^(1/3)", Failure::notFinite },
        { "power overflows", u"10^309", Failure::notFinite },
        { "product overflows", u"10^308*10", Failure::notFinite },
        { "infinity minus infinity", u"10^308*10-10^308*10", Failure::notFinite },
        { "remainder of infinity", u"(10^308*10)%2", Failure::notFinite },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString input = QString::fromUtf16(c.input);
        const Calculator::Outcome outcome = Calculator::evaluateExplained(input);
        EXPECT_FALSE(outcome.value.has_value()) << *outcome.value;
        EXPECT_EQ(outcome.failure, c.failure) << Calculator::describe(outcome.failure).toStdString();
        EXPECT_FALSE(Calculator::evaluate(input).has_value());
    }
}

TEST(Calculator, DescribesEveryFailureDifferently)
{
    const Failure failures[]
        = { Failure::empty, Failure::malformed, Failure::divisionByZero, Failure::notFinite, Failure::tooDeep };
    QStringList reasons;
    for (const Failure failure : failures)
        reasons.append(Calculator::describe(failure));
    EXPECT_EQ(reasons[2], QStringLiteral("division by zero"));
    reasons.removeDuplicates();
    EXPECT_EQ(static_cast<std::size_t>(reasons.size()), std::size(failures));
    EXPECT_FALSE(reasons.contains(QString()));
}

TEST(Calculator, NestingIsCappedInsteadOfExhaustingTheStack)
{
    const int cap = Calculator::maximumNesting;
    struct Case {
        const char* name;
        QString input;
        std::optional<double> value;
    };
    const Case cases[] = {
        { "100 brackets", repeated("(", 100) + QStringLiteral("7") + repeated(")", 100), 7 },
        { "101 minus signs", repeated("-", 101) + QStringLiteral("7"), -7 },
        { "100 exponents", repeated("1^", 100) + QStringLiteral("1"), 1 },
        { "brackets at the cap", repeated("(", cap) + QStringLiteral("7") + repeated(")", cap), 7 },
        { "signs at the cap", repeated("-", cap) + QStringLiteral("7"), 7 },
        { "exponents at the cap", repeated("1^", cap) + QStringLiteral("1"), 1 },
        { "mixed at the cap", repeated("-(", cap / 2) + QStringLiteral("7") + repeated(")", cap / 2), 7 },
        { "brackets over the cap", repeated("(", cap + 1) + QStringLiteral("7") + repeated(")", cap + 1),
            std::nullopt },
        { "signs over the cap", repeated("+", cap + 1) + QStringLiteral("7"), std::nullopt },
        { "exponents over the cap", repeated("1^", cap + 1) + QStringLiteral("1"), std::nullopt },
        { "100000 brackets", repeated("(", 100000), std::nullopt },
        { "100000 minus signs", repeated("-", 100000) + QStringLiteral("1"), std::nullopt },
        { "100000 balanced brackets", repeated("(", 100000) + QStringLiteral("1") + repeated(")", 100000),
            std::nullopt },
        { "100000 exponents", repeated("2^", 100000) + QStringLiteral("2"), std::nullopt },
        // Operands in a row are not nested.
        { "100000 additions", repeated("1+", 100000) + QStringLiteral("1"), 100001 },
        { "many brackets one after another", repeated("(1)+", 1000) + QStringLiteral("(1)"), 1001 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Calculator::Outcome outcome = Calculator::evaluateExplained(c.input);
        EXPECT_EQ(outcome.value, c.value);
        if (!c.value) {
            EXPECT_EQ(outcome.failure, Failure::tooDeep) << Calculator::describe(outcome.failure).toStdString();
        }
    }
}

TEST(Calculator, FormatsIntegersAndFractions)
{
    struct Case {
        const char* name;
        double value;
        const char* text;
    };
    const Case cases[] = {
        { "integer", 15, "15" },
        { "negative integer", -3, "-3" },
        { "zero", 0, "0" },
        { "negative zero", -0.0, "0" },
        { "10^14, integer branch", 1e14, "100000000000000" },
        { "largest integer below 10^15", 999999999999999, "999999999999999" },
        { "just below 10^15, a fraction", std::nextafter(1e15, 0.0), "999999999999999.875" },
        { "10^15, fraction branch", 1e15, "1000000000000000" },
        { "-10^15, fraction branch", -1e15, "-1000000000000000" },
        { "2^60", 0x1p60, "1152921504606846976" },
        { "large non-integer", 0x1p51 + 0.5, "2251799813685248.5" },
        { "a half", 0.5, "0.5" },
        { "negative fraction", -2.0 / 3, "-0.6666666667" },
        { "0.1 + 0.2", 0.1 + 0.2, "0.3" },
        { "1/3", 1.0 / 3, "0.3333333333" },
        { "2/3, rounded up", 2.0 / 3, "0.6666666667" },
        { "rounds up to an integer", 9.99999999999, "10" },
        { "smallest shown fraction", 1e-10, "0.0000000001" },
        { "too small to show", 1e-12, "0" },
        { "too small to show, negative", -1e-12, "0" },
        { "fraction of a large number", 123456789.123456789, "123456789.123456791" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Calculator::format(c.value).toStdString(), c.text);
    }
}

TEST(Calculator, ShowsExpressionsAsTheToolDoes)
{
    struct Case {
        const char16_t* input;
        const char* text;
    };
    const Case cases[] = {
        { u"(12 + 8) * 3 / 4", "15" },
        { u"2^-1", "0.5" },
        { u"1/3", "0.3333333333" },
        { u"2/3", "0.6666666667" },
        { u"10^15", "1000000000000000" },
        { u"10^14", "100000000000000" },
        { u"2^60", "1152921504606846976" },
        { u"-0", "0" },
        { u"0*-1", "0" },
        { u"-1/10^12", "0" },
    };
    for (const Case& c : cases) {
        const QString input = QString::fromUtf16(c.input);
        SCOPED_TRACE(input.toStdString());
        const std::optional<double> value = Calculator::evaluate(input);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(Calculator::format(*value).toStdString(), c.text);
    }
}

TEST(Calculator, FormattedLargeValuesReadBackExactly)
{
    for (const double value : { DBL_MAX, -DBL_MAX, 1e300, 0x1p60, 0x1p51 + 0.5, 1e15, 987654321.25 }) {
        SCOPED_TRACE(value);
        const QString text = Calculator::format(value);
        EXPECT_EQ(Calculator::evaluate(text), value) << text.toStdString();
    }
}
