#include "Ring/SymbolPainter.h"

#include <QFont>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPen>
#include <QRawFont>
#include <QTextLayout>
#include <QTransform>

#include "Base/Log.h"
#include "Ring/SymbolTable.h"

namespace Quickhalo {

namespace {

// Large enough that outlines keep their detail when scaled to the em square.
constexpr int referencePixelSize = 512;

// Thin enough to read as a heavier weight rather than a halo at ring sizes.
constexpr qreal semiboldOutline = 0.035;

QPainterPath unitFallbackPath()
{
    QPainterPathStroker stroker;
    stroker.setWidth(0.08);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);

    QPainterPath ring;
    ring.addEllipse(QPointF(0, 0), 0.4, 0.4);

    const QRectF hookCircle(-0.13, -0.21, 0.26, 0.26);
    QPainterPath mark;
    mark.arcMoveTo(hookCircle, 150);
    mark.arcTo(hookCircle, 150, -240);
    mark.lineTo(0, 0.12);

    QPainterPath dot;
    dot.addEllipse(QPointF(0, 0.24), 0.05, 0.05);

    return stroker.createStroke(ring).united(stroker.createStroke(mark)).united(dot);
}

void fillOutline(QPainter& painter, const QPainterPath& unitOutline, QPointF centre, qreal pixelSize,
    const QColor& colour, SymbolWeight weight)
{
    QTransform toDevice;
    toDevice.translate(centre.x(), centre.y());
    toDevice.scale(pixelSize, pixelSize);
    const QPainterPath outline = toDevice.map(unitOutline);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outline, colour);
    if (weight == SymbolWeight::semibold)
        painter.strokePath(
            outline, QPen(colour, pixelSize * semiboldOutline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.restore();
}

}

QString SymbolFont::installedFontFile()
{
    return QStringLiteral("/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
}

QString SymbolFont::installedFamily()
{
    return QStringLiteral("Material Icons");
}

const SymbolFont& SymbolFont::installed()
{
    static const SymbolFont font(installedFontFile(), installedFamily());
    return font;
}

SymbolFont::SymbolFont(const QString& fontFile, const QString& family)
    : m_family(family)
{
    if (!QFontDatabase::families().contains(family)) {
        const int id = QFontDatabase::addApplicationFont(fontFile);
        if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).contains(family))
            QFontDatabase::removeApplicationFont(id);
    }
    // A font that cannot shape the fallback is not the icon font we expect, whatever its name.
    m_hasFont
        = QFontDatabase::families().contains(family) && outlineFor(SymbolTable::fallbackMaterialName()) != nullptr;
    if (!m_hasFont) {
        Log::write(QStringLiteral("icon font \"") + family + QStringLiteral("\" not found (looked for ") + fontFile
            + QStringLiteral(
                "; Debian package fonts-material-design-icons-iconfont); symbols are drawn as question marks"));
    }
}

std::optional<QPainterPath> SymbolFont::shape(const QString& ligature) const
{
    QFont font(m_family);
    font.setPixelSize(referencePixelSize);
    // Without this a missing ligature would be drawn letter by letter in some other font.
    font.setStyleStrategy(QFont::NoFontMerging);

    QTextLayout layout(ligature, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();

    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1)
        return std::nullopt;
    const QGlyphRun& run = runs.constFirst();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QRawFont rawFont = run.rawFont();
    if (glyphs.size() != 1 || glyphs.constFirst() == 0 || rawFont.familyName() != m_family)
        return std::nullopt;

    // The designers centred each icon in the em square, so centring that square keeps their
    // optical balance (a play triangle sits slightly right of its ink centre).
    const quint32 glyph = glyphs.constFirst();
    QPointF advance;
    rawFont.advancesForGlyphIndexes(&glyph, &advance, 1);
    const QPointF emCentre(advance.x() / 2, (rawFont.descent() - rawFont.ascent()) / 2);
    QTransform toUnit;
    toUnit.scale(1.0 / referencePixelSize, 1.0 / referencePixelSize);
    toUnit.translate(-emCentre.x(), -emCentre.y());
    return toUnit.map(rawFont.pathForGlyph(glyph));
}

const QPainterPath* SymbolFont::outlineFor(const QString& ligature) const
{
    auto found = m_outlines.constFind(ligature);
    if (found == m_outlines.constEnd())
        found = m_outlines.insert(ligature, shape(ligature));
    return found->has_value() ? &found->value() : nullptr;
}

void SymbolFont::draw(QPainter& painter, const QString& symbol, QPointF centre, qreal pixelSize, const QColor& colour,
    SymbolWeight weight) const
{
    const QPainterPath* outline = nullptr;
    if (m_hasFont) {
        // An older font may lack a ligature the table names.
        outline = outlineFor(SymbolTable::materialNameOrFallback(symbol));
        if (!outline)
            outline = outlineFor(SymbolTable::fallbackMaterialName());
    }
    if (outline) {
        fillOutline(painter, *outline, centre, pixelSize, colour, weight);
        return;
    }
    static const QPainterPath fallback = unitFallbackPath();
    fillOutline(painter, fallback, centre, pixelSize, colour, weight);
}

QPixmap SymbolFont::pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio) const
{
    const int deviceSize = qRound(size * devicePixelRatio);
    QPixmap result(deviceSize, deviceSize);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    draw(painter, symbol, QPointF(size / 2.0, size / 2.0), size, colour);
    return result;
}

QIcon SymbolFont::icon(const QString& symbol, const QColor& colour) const
{
    QIcon result;
    for (const int size : { 16, 22, 24, 32, 48, 64 })
        result.addPixmap(pixmap(symbol, size, colour));
    return result;
}

namespace SymbolPainter {

void draw(QPainter& painter, const QString& symbol, QPointF centre, qreal pixelSize, const QColor& colour,
    SymbolWeight weight)
{
    SymbolFont::installed().draw(painter, symbol, centre, pixelSize, colour, weight);
}

QPixmap pixmap(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio)
{
    return SymbolFont::installed().pixmap(symbol, size, colour, devicePixelRatio);
}

QIcon icon(const QString& symbol, const QColor& colour)
{
    return SymbolFont::installed().icon(symbol, colour);
}

}

}
