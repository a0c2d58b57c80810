#include "Settings/RingPreview.h"

#include "Ring/RingGeometry.h"
#include "Ring/RingPainter.h"
#include "Ring/RingScene.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace Quickhalo {

namespace {

// The part of the ring's frame the preview shows: the glass and a little room around it.
constexpr double shownRadius = RingPainter::backgroundRadius + 6;
constexpr double frameCentre = RingPainter::frameSize / 2;

}

RingPreview::RingPreview(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMouseTracking(false);
    setAccessibleName(QStringLiteral("Ring preview"));
    setToolTip(QStringLiteral("Click a slot to edit it; drag it onto another to swap them."));
}

void RingPreview::showRing(const RingPage& ring, std::optional<int> selected, RingGlassStyle glass)
{
    if (ring == m_ring && selected == m_selected && glass == m_glass)
        return;
    m_ring = ring;
    m_selected = selected;
    m_glass = glass;
    update();
}

double RingPreview::scale() const
{
    return std::min(width(), height()) / (2 * shownRadius);
}

QPointF RingPreview::slotCentre(int slot) const
{
    const QPointF inFrame = RingPainter::framePoint(slot * 45.0, RingPainter::ringRadius);
    const double s = scale();
    return QPointF(width() / 2.0, height() / 2.0) + (inFrame - QPointF(frameCentre, frameCentre)) * s;
}

std::optional<int> RingPreview::slotAt(QPointF position) const
{
    const double s = scale();
    if (s <= 0)
        return std::nullopt;
    const double dx = (position.x() - width() / 2.0) / s;
    const double dy = (height() / 2.0 - position.y()) / s; // y up, as the ring's geometry has it
    if (std::hypot(dx, dy) > RingPainter::backgroundRadius)
        return std::nullopt;
    return RingGeometry::sliceIndex(dx, dy, RingGeometry::sliceCount, RingPainter::centreRadius);
}

void RingPreview::paintEvent(QPaintEvent*)
{
    ++m_paintCount;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = scale();
    const QPointF centre(width() / 2.0, height() / 2.0);

    // The glass is made to be seen over a desktop; a dark disc stands in for it in either palette.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(38, 40, 46));
    painter.drawEllipse(centre, shownRadius * s, shownRadius * s);

    RingScene scene;
    for (std::size_t i = 0; i < RingPage::slotCount; ++i) {
        const std::optional<Slice>& slice = m_ring.slices[i];
        RingScene::Slot& slot = scene.slots[i];
        slot.isFilled = slice.has_value();
        slot.symbol = slice ? slice->symbol : QString();
    }
    const std::optional<int> highlighted = m_dropSlot ? m_dropSlot : m_selected;
    if (highlighted) {
        scene.highlighted = highlighted;
        scene.slots[static_cast<std::size_t>(*highlighted)].isHighlighted = true;
    }
    scene.tintOpacity = glassTintOpacity(m_glass, false);
    scene.centre = RingScene::Centre::sliceTitle;
    const std::optional<Slice>& shown = m_selected ? m_ring.slices[static_cast<std::size_t>(*m_selected)] : std::nullopt;
    scene.centreTitle = shown ? shown->title : m_ring.name;

    RingPainter::Frame frame;
    frame.accent = palette().color(QPalette::Highlight);
    painter.translate(centre);
    painter.scale(s, s);
    painter.translate(-frameCentre, -frameCentre);
    RingPainter::paint(painter, scene, frame);
}

void RingPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedSlot = slotAt(event->position());
    m_pressPosition = event->position();
    m_isDragging = false;
    if (m_pressedSlot)
        Q_EMIT slotChosen(*m_pressedSlot);
}

void RingPreview::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressedSlot || !m_ring.slices[static_cast<std::size_t>(*m_pressedSlot)] || !(event->buttons() & Qt::LeftButton))
        return;
    if (!m_isDragging && (event->position() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    m_isDragging = true;
    setCursor(Qt::ClosedHandCursor);
    const std::optional<int> over = slotAt(event->position());
    const std::optional<int> target = over && over != m_pressedSlot ? over : std::nullopt;
    if (target != m_dropSlot) {
        m_dropSlot = target;
        update();
    }
}

void RingPreview::mouseReleaseEvent(QMouseEvent*)
{
    const std::optional<int> from = std::exchange(m_pressedSlot, std::nullopt);
    const std::optional<int> to = std::exchange(m_dropSlot, std::nullopt);
    const bool wasDragging = std::exchange(m_isDragging, false);
    unsetCursor();
    update();
    if (wasDragging && from && to)
        Q_EMIT moveRequested(*from, *to);
}

}
