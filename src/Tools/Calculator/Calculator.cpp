#include "Tools/Calculator/Calculator.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

#include <QStringView>
#include <QTextBoundaryFinder>

namespace Quickhalo::Calculator {

namespace {

// A user-perceived character is whitespace when its first code point is: a space carrying a
// combining mark is still a space.
bool isWhitespace(QStringView character)
{
    char32_t first = character.front().unicode();
    if (character.size() > 1 && character[0].isHighSurrogate() && character[1].isLowSurrogate())
        first = QChar::surrogateToUcs4(character[0], character[1]);
    return QChar::isSpace(first);
}

bool isCharacter(QStringView character, char16_t wanted)
{
    return character.size() == 1 && character.front().unicode() == wanted;
}

bool isAsciiDigit(QStringView character)
{
    return character.size() == 1 && character.front().unicode() >= u'0' && character.front().unicode() <= u'9';
}

// `text` holds ASCII digits and at most one point, with at least one digit.
std::optional<double> toDouble(const std::string& text)
{
    double value = 0;
    const std::errc error = std::from_chars(text.data(), text.data() + text.size(), value).ec;
    if (error == std::errc())
        return value;
    if (error != std::errc::result_out_of_range)
        return std::nullopt;
    // Out of range below 1 means the literal rounds to zero, which is then its correctly rounded
    // value (strtod gives the same); at or above 1 it is beyond the largest double.
    for (const char digit : text) {
        if (digit == '.')
            return 0.0;
        if (digit != '0')
            return std::nullopt;
    }
    return std::nullopt;
}

// Recursive descent over user-perceived characters; every operation is evaluated as soon as it
// is parsed, and the first failure ends the parse.
class Parser {
public:
    explicit Parser(const QString& input);
    Outcome run();

private:
    std::optional<double> expression();
    std::optional<double> term();
    std::optional<double> unary();
    std::optional<double> power();
    std::optional<double> primary();
    std::optional<double> number();
    bool accept(char16_t token);
    void skipWhitespace();
    bool isAtEnd() const { return m_position == m_characters.size(); }
    std::nullopt_t fail(Failure failure)
    {
        m_failure = failure;
        return std::nullopt;
    }

    QString m_input;
    std::vector<QStringView> m_characters;
    std::size_t m_position = 0;
    int m_nesting = 0;
    Failure m_failure = Failure::malformed;
};

Parser::Parser(const QString& input)
    : m_input(input)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_input);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        m_characters.push_back(QStringView(m_input).sliced(start, end - start));
        start = end;
    }
}

Outcome Parser::run()
{
    skipWhitespace();
    if (isAtEnd())
        return { std::nullopt, Failure::empty };
    const std::optional<double> value = expression();
    if (!value)
        return { std::nullopt, m_failure };
    skipWhitespace();
    if (!isAtEnd())
        return { std::nullopt, Failure::malformed };
    if (!std::isfinite(*value))
        return { std::nullopt, Failure::notFinite };
    return { value, Failure::empty };
}

std::optional<double> Parser::expression()
{
    std::optional<double> value = term();
    while (value) {
        if (accept(u'+')) {
            const std::optional<double> right = term();
            if (!right)
                return right;
            *value += *right;
        } else if (accept(u'-')) {
            const std::optional<double> right = term();
            if (!right)
                return right;
            *value -= *right;
        } else {
            break;
        }
    }
    return value;
}

std::optional<double> Parser::term()
{
    std::optional<double> value = unary();
    while (value) {
        if (accept(u'*')) {
            const std::optional<double> right = unary();
            if (!right)
                return right;
            *value *= *right;
        } else if (accept(u'/')) {
            const std::optional<double> right = unary();
            if (!right)
                return right;
            if (*right == 0)
                return fail(Failure::divisionByZero);
            *value /= *right;
        } else if (accept(u'%')) {
            const std::optional<double> right = unary();
            if (!right)
                return right;
            if (*right == 0)
                return fail(Failure::divisionByZero);
            *value = std::fmod(*value, *right);
        } else {
            break;
        }
    }
    return value;
}

std::optional<double> Parser::unary()
{
    // Brackets, signs and exponents all recurse through here, so this count bounds the stack.
    if (m_nesting > maximumNesting)
        return fail(Failure::tooDeep);
    ++m_nesting;
    std::optional<double> value;
    if (accept(u'-')) {
        value = unary();
        if (value)
            value = -*value;
    } else if (accept(u'+')) {
        value = unary();
    } else {
        value = power();
    }
    --m_nesting;
    return value;
}

std::optional<double> Parser::power()
{
    const std::optional<double> base = primary();
    if (!base || !accept(u'^'))
        return base;
    const std::optional<double> exponent = unary();
    if (!exponent)
        return exponent;
    const double value = std::pow(*base, *exponent);
    if (!std::isfinite(value))
        return fail(Failure::notFinite);
    return value;
}

std::optional<double> Parser::primary()
{
    if (!accept(u'('))
        return number();
    const std::optional<double> value = expression();
    if (!value)
        return value;
    if (!accept(u')'))
        return fail(Failure::malformed);
    return value;
}

std::optional<double> Parser::number()
{
    skipWhitespace();
    std::string text;
    bool hasDigit = false;
    bool hasPoint = false;
    for (; !isAtEnd(); ++m_position) {
        const QStringView character = m_characters[m_position];
        if (isAsciiDigit(character)) {
            hasDigit = true;
        } else if (isCharacter(character, u'.') && !hasPoint) {
            hasPoint = true;
        } else {
            break;
        }
        text.push_back(static_cast<char>(character.front().unicode()));
    }
    if (!hasDigit)
        return fail(Failure::malformed);
    const std::optional<double> value = toDouble(text);
    if (!value)
        return fail(Failure::notFinite);
    return value;
}

// The skipped whitespace stays skipped when the token does not match.
bool Parser::accept(char16_t token)
{
    skipWhitespace();
    if (isAtEnd() || !isCharacter(m_characters[m_position], token))
        return false;
    ++m_position;
    return true;
}

void Parser::skipWhitespace()
{
    while (!isAtEnd() && isWhitespace(m_characters[m_position]))
        ++m_position;
}

}

Outcome evaluateExplained(const QString& input)
{
    return Parser(input).run();
}

std::optional<double> evaluate(const QString& input)
{
    return evaluateExplained(input).value;
}

QString format(double value)
{
    if (value == std::round(value) && std::abs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    // Room for a sign, the largest double's 309 digits, the point and ten decimals.
    std::array<char, 1 + std::numeric_limits<double>::max_exponent10 + 1 + 1 + 10> text {};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 10);
    auto length = static_cast<qsizetype>(written.ptr - text.data());
    while (length > 0 && text[static_cast<std::size_t>(length - 1)] == '0')
        --length;
    if (length > 0 && text[static_cast<std::size_t>(length - 1)] == '.')
        --length;
    const QString formatted = QString::fromLatin1(text.data(), length);
    return formatted == QLatin1String("-0") ? QStringLiteral("0") : formatted;
}

QString describe(Failure failure)
{
    switch (failure) {
    case Failure::empty:
        return QStringLiteral("empty expression");
    case Failure::malformed:
        return QStringLiteral("malformed expression");
    case Failure::divisionByZero:
        return QStringLiteral("division by zero");
    case Failure::notFinite:
        return QStringLiteral("result is not a finite number");
    case Failure::tooDeep:
        return QStringLiteral("nested too deeply");
    }
    Q_UNREACHABLE();
}

}
