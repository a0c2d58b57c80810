#pragma once

#include <optional>

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QPainterPath>
#include <QPixmap>
#include <QPointF>
#include <QString>

class QPainter;

namespace Quickhalo {

enum class SymbolWeight { regular, semibold };

// Draws symbols named in the stored vocabulary (see SymbolTable) with the Material Icons font.
// Without the font every symbol is drawn as a plain vector question mark, so a missing package
// costs icons but never a crash. Use from the GUI thread only.
class SymbolFont {
public:
    static QString installedFontFile();
    static QString installedFamily();

    // The installed font, loaded on first use (after the QGuiApplication exists).
    static const SymbolFont& installed();

    // Loads `fontFile` unless `family` is already known to the font database; logs one line
    // when neither gives a usable font.
    SymbolFont(const QString& fontFile, const QString& family);

    bool hasFont() const { return m_hasFont; }

    // Centres the symbol's em square of `pixelSize` pixels on `centre`. Unknown names draw the
    // fallback question mark. Semibold is emulated with a thin outline, the font having one weight.
    void draw(QPainter& painter, const QString& symbol, QPointF centre, qreal pixelSize, const QColor& colour,
        SymbolWeight weight = SymbolWeight::regular) const;

    // A square transparent pixmap of `size` logical pixels holding the symbol.
    QPixmap pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio = 1.0) const;

    // The symbol at the sizes toolkits ask for in buttons, menus and trays.
    QIcon icon(const QString& symbol, const QColor& colour) const;

private:
    // Outlines are kept for a 1-pixel em square centred on the origin and scaled when drawn.
    const QPainterPath* outlineFor(const QString& ligature) const;
    std::optional<QPainterPath> shape(const QString& ligature) const;

    QString m_family;
    bool m_hasFont = false;
    mutable QHash<QString, std::optional<QPainterPath>> m_outlines; // by ligature
};

// The same, with the installed font.
namespace SymbolPainter {
void draw(QPainter& painter, const QString& symbol, QPointF centre, qreal pixelSize, const QColor& colour,
    SymbolWeight weight = SymbolWeight::regular);
QPixmap pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio = 1.0);
QIcon icon(const QString& symbol, const QColor& colour);
}

}
