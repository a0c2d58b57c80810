#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace Quickhalo::EnumTable {

// Tables of closed vocabularies: one row per case, in case order, each row with a `value`
// and the stored `rawValue`. Lookups by raw text are exact and case-sensitive.

template<typename Row, std::size_t N, typename Enum>
const Row& row(const std::array<Row, N>& table, Enum value)
{
    return table[static_cast<std::size_t>(value)];
}

template<typename Row, std::size_t N>
auto fromRawValue(const std::array<Row, N>& table, QStringView raw) -> std::optional<decltype(Row::value)>
{
    for (const Row& candidate : table) {
        if (raw == QLatin1String(candidate.rawValue))
            return candidate.value;
    }
    return std::nullopt;
}

template<typename Row, std::size_t N>
auto allValues(const std::array<Row, N>& table)
{
    std::array<decltype(Row::value), N> values {};
    for (std::size_t i = 0; i < N; ++i)
        values[i] = table[i].value;
    return values;
}

}
