#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace Quickhalo::SymbolTable {

// Slices, toasts and buttons name their icons in Apple's SF Symbols vocabulary, because that is
// what configurations store. On Linux each name is drawn as a ligature of the "Material Icons"
// font (Debian package fonts-material-design-icons-iconfont); this table is the one place that
// pairs the two vocabularies.

// The ligature for a stored symbol name; none for a name the table does not know. Exact and
// case-sensitive, as the stored names are.
std::optional<QString> materialName(const QString& symbol);

// The ligature drawn for unknown names: a question mark in a circle.
QString fallbackMaterialName();

// materialName, or the fallback for unknown names.
QString materialNameOrFallback(const QString& symbol);

bool isKnown(const QString& symbol);

// Every symbol name the table knows, in table order.
QStringList knownSymbols();

}
