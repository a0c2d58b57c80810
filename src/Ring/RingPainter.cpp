#include "Ring/RingPainter.h"

#include "Ring/SymbolPainter.h"
#include "Ring/VolumeArc.h"

#include <cmath>
#include <numbers>

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Quickhalo::RingPainter {

namespace {

const QPointF centre(frameSize / 2, frameSize / 2);

QColor white(double opacity)
{
    QColor colour(Qt::white);
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

QColor withAlpha(QColor colour, double opacity)
{
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

QPainterPath circle(double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath donut()
{
    QPainterPath path = circle(backgroundRadius);
    path.addEllipse(centre, centreRadius, centreRadius);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

// Qt measures arcs anticlockwise from three o'clock; compass angles go clockwise from twelve.
double qtAngle(double compass) { return 90.0 - compass; }

QRectF square(double radius, QPointF around = centre)
{
    return { around.x() - radius, around.y() - radius, 2 * radius, 2 * radius };
}

// The slot's sector of the glass band, between the centre disc and the outer edge.
QPainterPath wedge(int index)
{
    const double start = qtAngle(index * 45.0 - 22.5);
    QPainterPath path;
    path.arcMoveTo(square(backgroundRadius), start);
    path.arcTo(square(backgroundRadius), start, -45.0);
    path.arcTo(square(centreRadius), start - 45.0, 45.0);
    path.closeSubpath();
    return path;
}

void strokeArc(QPainter& painter, double fromCompass, double toCompass, double radius, const QPen& pen,
    QPointF around = centre)
{
    if (std::fabs(toCompass - fromCompass) < 1e-6)
        return;
    const QRectF box(around.x() - radius, around.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, qtAngle(fromCompass));
    path.arcTo(box, qtAngle(fromCompass), -(toCompass - fromCompass));
    painter.strokePath(path, pen);
}

QPen roundPen(const QColor& colour, double width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QLinearGradient rimGradient(double radius)
{
    QLinearGradient gradient(centre.x(), centre.y() - radius, centre.x(), centre.y() + radius);
    gradient.setColorAt(0, white(0.32));
    gradient.setColorAt(1, white(0.06));
    return gradient;
}

void drawText(QPainter& painter, const QRectF& box, const QString& text, double pixelSize, QFont::Weight weight,
    const QColor& colour, int flags = Qt::AlignCenter)
{
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setWeight(weight);
    painter.setFont(font);
    painter.setPen(colour);
    const QString elided = QFontMetricsF(font).elidedText(text, Qt::ElideRight, box.width());
    painter.drawText(box, flags, elided);
}

// Everything that only changes with the glass tint or the artwork: the band, its rim and
// dividers, the slot numbers and the centre disc. Painted once into an image and reused.
void paintStaticLayer(QPainter& painter, double tintOpacity, const QImage& artwork)
{
    const QPainterPath band = donut();
    if (!artwork.isNull()) {
        painter.save();
        painter.setClipPath(band);
        painter.drawImage(square(backgroundRadius), artwork);
        painter.restore();
    }
    // Frosted glass: a translucent grey base under the style's black tint, as one colour.
    const double baseAlpha = artwork.isNull() ? 150.0 / 255.0 : 90.0 / 255.0;
    const double alpha = baseAlpha + tintOpacity * (1.0 - baseAlpha);
    const double grey = 58.0 * baseAlpha * (1.0 - tintOpacity) / alpha;
    QColor glass;
    glass.setRgbF(static_cast<float>(grey / 255.0), static_cast<float>(grey / 255.0),
        static_cast<float>((grey + 6.0 * baseAlpha * (1.0 - tintOpacity) / alpha) / 255.0), static_cast<float>(alpha));
    painter.fillPath(band, glass);
    painter.strokePath(circle(backgroundRadius - 0.5), QPen(QBrush(rimGradient(backgroundRadius)), 1));

    painter.setPen(QPen(white(0.14), 0.5));
    for (int k = 0; k < 8; ++k) {
        const double angle = 22.5 + k * 45.0;
        painter.drawLine(framePoint(angle, centreRadius), framePoint(angle, backgroundRadius));
    }
    for (int i = 0; i < 8; ++i) {
        const QPointF position = framePoint(i * 45.0, numberRadius);
        drawText(painter, QRectF(position.x() - 8, position.y() - 7, 16, 14), QString::number(i + 1), 8,
            QFont::DemiBold, white(0.35));
    }

    // The centre disc with a soft shadow.
    for (int i = 4; i >= 1; --i)
        painter.fillPath(circle(centreRadius + i * 1.5), QColor(0, 0, 0, 14));
    const QPainterPath disc = circle(centreRadius);
    if (!artwork.isNull()) {
        painter.save();
        painter.setClipPath(disc);
        painter.drawImage(square(centreRadius), artwork);
        painter.restore();
    }
    painter.fillPath(disc, QColor(30, 30, 36, artwork.isNull() ? 215 : 170));
    painter.strokePath(circle(centreRadius - 0.5), QPen(QBrush(rimGradient(centreRadius)), 1));
}

const QImage& staticLayer(double tintOpacity, const QImage& artwork, qreal devicePixelRatio)
{
    struct Cached {
        double tint = -1;
        qint64 artworkKey = -1;
        qreal ratio = 0;
        QFont font;
        QImage image;
    };
    static Cached cached;
    const QFont font;
    if (cached.tint != tintOpacity || cached.artworkKey != artwork.cacheKey() || cached.ratio != devicePixelRatio
        || cached.font != font || cached.image.isNull()) {
        const int side = static_cast<int>(std::ceil(frameSize * devicePixelRatio));
        cached.image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        cached.image.setDevicePixelRatio(devicePixelRatio);
        cached.image.fill(Qt::transparent);
        QPainter layer(&cached.image);
        layer.setRenderHint(QPainter::Antialiasing);
        layer.setRenderHint(QPainter::TextAntialiasing);
        layer.setRenderHint(QPainter::SmoothPixmapTransform);
        paintStaticLayer(layer, tintOpacity, artwork);
        cached.tint = tintOpacity;
        cached.artworkKey = artwork.cacheKey();
        cached.ratio = devicePixelRatio;
        cached.font = font;
    }
    return cached.image;
}

void paintSelection(QPainter& painter, int index, double opacity, const QColor& accent)
{
    if (opacity <= 0)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    const QPainterPath path = wedge(index);
    // Accent-tinted glass under a radial accent glow, folded into one gradient.
    QRadialGradient glass(centre, backgroundRadius);
    glass.setColorAt(0, withAlpha(accent, 0.30 + 0.38 * 0.70));
    glass.setColorAt(1, withAlpha(accent, 0.30));
    painter.fillPath(path, glass);
    painter.strokePath(path, QPen(accent, 1.5));
    painter.restore();
}

// A short arc around the volume symbol, on its outer side, filling towards the loud side.
void paintVolumeArc(QPainter& painter, int index, const RingScene& scene, const QColor& accent)
{
    const double slotAngle = index * 45.0;
    const QPointF symbol = framePoint(slotAngle, ringRadius);
    const int loud = VolumeArc::loudSign(slotAngle);
    const double start = slotAngle - loud * 50.0;
    strokeArc(painter, start, slotAngle + loud * 50.0, volumeArcRadius, roundPen(white(0.2), 2.5), symbol);
    if (!scene.volumeMuted && scene.volumeLevel > 0)
        strokeArc(painter, start, start + loud * 100.0 * static_cast<double>(scene.volumeLevel), volumeArcRadius,
            roundPen(accent, 2.5), symbol);
}

void paintBadge(QPainter& painter, QPointF symbolCentre, const QString& text, const QColor& accent)
{
    QFont font = painter.font();
    font.setPixelSize(9);
    font.setWeight(QFont::Bold);
    const QFontMetricsF metrics(font);
    const QSizeF size(metrics.horizontalAdvance(text) + 10, metrics.height() + 3);
    // The top-trailing corner of the symbol's 52-point frame.
    const QRectF capsule(symbolCentre.x() + 26 - size.width() * 0.75, symbolCentre.y() - 26, size.width(), size.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(capsule, size.height() / 2, size.height() / 2);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(capsule, Qt::AlignCenter, text);
}

void paintSlots(QPainter& painter, const RingScene& scene, const Frame& frame)
{
    for (int i = 0; i < 8; ++i) {
        const RingScene::Slot& slot = scene.slots[static_cast<std::size_t>(i)];
        const QPointF position = framePoint(i * 45.0, ringRadius);
        if (!slot.isFilled) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(white(0.18));
            painter.drawEllipse(position, 2, 2);
            continue;
        }
        if (slot.isVolume)
            paintVolumeArc(painter, i, scene, frame.accent);

        const double size = 21.0 * (slot.isHighlighted ? 1.22 : 1.0);
        QColor colour = slot.symbolColour ? QColor::fromRgba(*slot.symbolColour)
                                          : (slot.isHighlighted ? QColor(Qt::white) : white(0.82));
        if (slot.isHighlighted) {
            // A soft accent glow behind the symbol.
            SymbolPainter::draw(painter, slot.symbol, position, size * 1.35, withAlpha(frame.accent, 0.35));
        }
        SymbolPainter::draw(painter, slot.symbol, position, size, colour,
            slot.isHighlighted ? SymbolWeight::semibold : SymbolWeight::regular);
        if (slot.badge)
            paintBadge(painter, position, *slot.badge, frame.accent);
    }

    // The static layer has every number at 0.35; the highlighted one is drawn over it.
    if (scene.highlighted) {
        const QPointF position = framePoint(*scene.highlighted * 45.0, numberRadius);
        drawText(painter, QRectF(position.x() - 8, position.y() - 7, 16, 14), QString::number(*scene.highlighted + 1), 8,
            QFont::DemiBold, white(0.85));
    }
}

void paintFlyout(QPainter& painter, const RingScene& scene, const Frame& frame)
{
    if (!scene.flyout || frame.flyoutOpacity <= 0)
        return;
    const double slotAngle = scene.flyout->sliceIndex * 45.0;
    painter.save();
    painter.setOpacity(painter.opacity() * frame.flyoutOpacity);

    QPolygonF outline;
    for (const auto& point : VolumeArc::Band { slotAngle }.outline())
        outline << QPointF(point.x, point.y);
    QPainterPath band;
    band.addPolygon(outline);
    band.closeSubpath();
    painter.fillPath(band, QColor(24, 24, 28, 200));
    painter.strokePath(band, QPen(white(0.22), 1));

    const auto at = [slotAngle](double t) { return VolumeArc::screenAngle(slotAngle, t); };
    const double quiet = at(-20);
    const double loud = at(40);
    strokeArc(painter, std::min(quiet, loud), std::max(quiet, loud), 223, roundPen(white(0.15), 4));
    const double level = scene.volumeMuted ? 0.0 : static_cast<double>(frame.flyoutShownLevel);
    strokeArc(painter, quiet, at(-20 + 60 * level), 223, roundPen(white(0.9), 4));

    painter.setPen(QPen(white(0.25), 1));
    painter.drawLine(framePoint(quiet, 190), framePoint(quiet, 232));

    const QPointF mute = framePoint(at(-30), 211);
    if (scene.flyout->inMuteZone) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.25));
        painter.drawEllipse(mute, 15, 15);
    }
    SymbolPainter::draw(painter, QStringLiteral("speaker.slash.fill"), mute, 13, Qt::white);
    SymbolPainter::draw(painter, QStringLiteral("speaker.wave.1.fill"), framePoint(at(-14), 200), 11, white(0.8));
    SymbolPainter::draw(painter, QStringLiteral("speaker.wave.2.fill"), framePoint(at(36), 200), 11, white(0.8));
    painter.restore();
}

void paintCentre(QPainter& painter, const RingScene& scene)
{
    const QRectF titleBox(centre.x() - 60, centre.y() - 24, 120, 22);
    switch (scene.centre) {
    case RingScene::Centre::volume:
        drawText(painter, titleBox, scene.centreTitle, 14, QFont::DemiBold, Qt::white);
        drawText(painter, QRectF(centre.x() - 62, centre.y() + 2, 124, 34), scene.centreDetail, 10, QFont::Normal,
            white(0.62), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap);
        break;
    case RingScene::Centre::sliceTitle:
        drawText(painter, QRectF(centre.x() - 58, centre.y() - 12, 116, 24), scene.centreTitle, 14, QFont::DemiBold,
            Qt::white);
        break;
    case RingScene::Centre::hub:
        if (scene.track) {
            drawText(painter, QRectF(centre.x() - 52, centre.y() - 50, 104, 16), scene.track->title, 12,
                QFont::DemiBold, Qt::white);
            drawText(painter, QRectF(centre.x() - 52, centre.y() - 35, 104, 14), scene.track->artist, 10,
                QFont::Normal, white(0.62));
        } else {
            drawText(painter, QRectF(centre.x() - 52, centre.y() - 44, 104, 16), QStringLiteral("Nothing playing"), 11,
                QFont::Normal, white(0.62));
        }
        break;
    }
}

}

QPointF framePoint(double compassAngle, double radius)
{
    const double radians = compassAngle * std::numbers::pi / 180.0;
    return { centre.x() + radius * std::sin(radians), centre.y() - radius * std::cos(radians) };
}

void paint(QPainter& painter, const RingScene& scene, const Frame& frame)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(frame.openingOpacity);
    painter.translate(centre);
    painter.scale(frame.openingScale, frame.openingScale);
    painter.translate(-centre);

    painter.drawImage(QRectF(0, 0, frameSize, frameSize),
        staticLayer(scene.tintOpacity, frame.artwork, painter.device()->devicePixelRatioF()));
    if (frame.fadingHighlight)
        paintSelection(painter, *frame.fadingHighlight, frame.fadingHighlightOpacity, frame.accent);
    if (scene.highlighted)
        paintSelection(painter, *scene.highlighted, frame.highlightOpacity, frame.accent);
    paintSlots(painter, scene, frame);
    paintFlyout(painter, scene, frame);
    paintCentre(painter, scene);
    painter.restore();
}

}
