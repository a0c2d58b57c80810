#include "Ring/SymbolTable.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "Config/Models.h"

using namespace Quickhalo;

namespace {

struct Group {
    const char* name;
    std::initializer_list<const char*> symbols;
};

// Names the program itself draws, by where they appear.
const Group usedNames[] = {
    { "launch ring", { "folder", "safari", "terminal", "arrow.down.circle", "waveform.path.ecg", "globe" } },
    { "volume", { "speaker.slash.fill", "speaker.wave.1.fill", "speaker.wave.2.fill", "speaker.wave.3.fill" } },
    { "hub",
        { "backward.end.fill", "play.fill", "pause.fill", "forward.end.fill", "chevron.left", "chevron.right",
            "arrow.counterclockwise" } },
    { "voice memo", { "stop.circle.fill", "mic.slash.fill" } },
    { "tray and settings", { "circle.circle", "gearshape", "circle.grid.3x3", "questionmark.square.dashed" } },
    { "toasts and tool views",
        { "checkmark.circle.fill", "exclamationmark.triangle.fill", "alarm.fill", "timer", "doc.on.doc", "trash",
            "circle", "xmark", "plus", "minus" } },
    { "common names a user might type",
        { "star", "star.fill", "heart", "bolt", "gear", "house", "trash", "envelope", "calendar", "bell",
            "magnifyingglass", "person", "lock", "music.note", "photo", "doc", "paperplane", "cart", "bookmark", "flag",
            "cloud", "sun.max", "play", "pause", "square.and.arrow.up", "xmark", "plus", "minus", "keyboard", "display",
            "wifi", "battery.100", "printer", "scissors", "pencil", "paintbrush", "hammer", "wrench", "map", "location",
            "phone", "message", "video", "camera", "film", "gamecontroller", "book", "newspaper", "tray", "archivebox",
            "folder.fill", "app", "command", "power", "arrow.clockwise", "timer", "stopwatch", "alarm", "hourglass",
            "list.bullet", "checkmark", "checkmark.circle", "info.circle", "questionmark.circle",
            "exclamationmark.circle" } },
};

// Symbols seen side by side, which the user must be able to tell apart.
const Group sideBySide[] = {
    { "launch ring",
        { "folder", "safari", "terminal", "arrow.down.circle", "waveform.path.ecg", "globe", "macwindow" } },
    { "volume levels", { "speaker.slash.fill", "speaker.wave.1.fill", "speaker.wave.2.fill" } },
    { "hub",
        { "backward.end.fill", "play.fill", "forward.end.fill", "chevron.left", "chevron.right",
            "arrow.counterclockwise" } },
    { "play and pause", { "play.fill", "pause.fill" } },
    { "recording", { "mic.fill", "stop.circle.fill" } },
    { "toasts", { "checkmark.circle.fill", "exclamationmark.triangle.fill" } },
};

QStringList ligaturesOf(const QStringList& symbols)
{
    QStringList ligatures;
    for (const QString& symbol : symbols)
        ligatures.append(SymbolTable::materialNameOrFallback(symbol));
    return ligatures;
}

}

TEST(SymbolTable, KnowsEveryNameTheProgramDraws)
{
    for (const Group& group : usedNames) {
        SCOPED_TRACE(group.name);
        for (const char* symbol : group.symbols) {
            SCOPED_TRACE(symbol);
            EXPECT_TRUE(SymbolTable::isKnown(QLatin1String(symbol)));
            EXPECT_TRUE(SymbolTable::materialName(QLatin1String(symbol)).has_value());
        }
    }
    // Whatever a tool or snap target is given to copy into new slices.
    for (const BuiltinTool tool : BuiltinTools::all())
        EXPECT_TRUE(SymbolTable::isKnown(BuiltinTools::symbol(tool))) << BuiltinTools::symbol(tool).toStdString();
    for (const WindowPosition position : WindowPositions::all())
        EXPECT_TRUE(SymbolTable::isKnown(WindowPositions::symbol(position)))
            << WindowPositions::symbol(position).toStdString();
}

TEST(SymbolTable, UnknownNamesGetTheFallback)
{
    const QString fallback = SymbolTable::fallbackMaterialName();
    ASSERT_FALSE(fallback.isEmpty());
    // Lookups are exact: no trimming, no case folding, and ligature names are not symbol names.
    for (const char* symbol :
        { "", "not.a.symbol", "Clock", " clock", "clock ", "doc.on.clipboard.", "content_paste" }) {
        SCOPED_TRACE(symbol);
        EXPECT_FALSE(SymbolTable::isKnown(QLatin1String(symbol)));
        EXPECT_FALSE(SymbolTable::materialName(QLatin1String(symbol)).has_value());
        EXPECT_EQ(SymbolTable::materialNameOrFallback(QLatin1String(symbol)), fallback);
    }
    EXPECT_EQ(SymbolTable::materialNameOrFallback(QStringLiteral("clock")),
        SymbolTable::materialName(QStringLiteral("clock")));
    EXPECT_NE(SymbolTable::materialNameOrFallback(QStringLiteral("clock")), fallback);
}

TEST(SymbolTable, EveryKnownNameIsListedOnceWithAWellFormedLigature)
{
    const QStringList known = SymbolTable::knownSymbols();
    ASSERT_FALSE(known.isEmpty());
    // A repeated row would silently replace the earlier one.
    EXPECT_EQ(QSet<QString>(known.begin(), known.end()).size(), known.size());

    // Ligatures are lower-case words joined by underscores; anything else cannot be one.
    const QRegularExpression ligature(QStringLiteral("^[a-z0-9]+(_[a-z0-9]+)*$"));
    const QRegularExpression symbolName(QStringLiteral("^[a-z0-9]+(\\.[a-z0-9]+)*$"));
    for (const QString& symbol : known) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_TRUE(symbolName.match(symbol).hasMatch());
        EXPECT_TRUE(SymbolTable::isKnown(symbol));
        const auto material = SymbolTable::materialName(symbol);
        ASSERT_TRUE(material.has_value());
        EXPECT_TRUE(ligature.match(*material).hasMatch()) << material->toStdString();
    }
    EXPECT_TRUE(ligature.match(SymbolTable::fallbackMaterialName()).hasMatch());
}

TEST(SymbolTable, SymbolsSeenTogetherLookDifferent)
{
    QStringList tools;
    for (const BuiltinTool tool : BuiltinTools::all())
        tools.append(BuiltinTools::symbol(tool));
    QStringList positions;
    for (const WindowPosition position : WindowPositions::all())
        positions.append(WindowPositions::symbol(position));

    std::vector<std::pair<std::string, QStringList>> groups { { "tools", tools }, { "window positions", positions } };
    for (const Group& group : sideBySide) {
        QStringList symbols;
        for (const char* symbol : group.symbols)
            symbols.append(QLatin1String(symbol));
        groups.emplace_back(group.name, symbols);
    }

    for (const auto& [name, symbols] : groups) {
        SCOPED_TRACE(name);
        const QStringList ligatures = ligaturesOf(symbols);
        EXPECT_EQ(QSet<QString>(ligatures.begin(), ligatures.end()).size(), symbols.size())
            << ligatures.join(u' ').toStdString();
        EXPECT_FALSE(ligatures.contains(SymbolTable::fallbackMaterialName()));
    }
}
