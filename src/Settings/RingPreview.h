#pragma once

#include "Config/Models.h"
#include "Ring/RingGlassStyle.h"

#include <QWidget>

#include <optional>

namespace Quickhalo {

// The ring being edited as the ring itself draws it. Clicking a slot selects it; dragging one
// onto another asks for the two to change places.
class RingPreview final : public QWidget {
    Q_OBJECT

public:
    explicit RingPreview(QWidget* parent = nullptr);

    void showRing(const RingPage& ring, std::optional<int> selected, RingGlassStyle glass);
    // Where slot `slot`'s symbol is drawn, in this widget's coordinates.
    QPointF slotCentre(int slot) const;
    std::optional<int> dropTarget() const { return m_dropSlot; }
    int paintCount() const { return m_paintCount; }

    QSize sizeHint() const override { return { 240, 240 }; }
    QSize minimumSizeHint() const override { return { 180, 180 }; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

Q_SIGNALS:
    void slotChosen(int slot);
    void moveRequested(int from, int to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double scale() const;
    std::optional<int> slotAt(QPointF position) const;

    RingPage m_ring;
    std::optional<int> m_selected;
    RingGlassStyle m_glass = RingGlassStyle::clear;
    std::optional<int> m_pressedSlot;
    QPointF m_pressPosition;
    bool m_isDragging = false;
    std::optional<int> m_dropSlot;
    int m_paintCount = 0;
};

}
