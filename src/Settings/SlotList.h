#pragma once

#include "Config/Models.h"

#include <QListWidget>

#include <optional>

namespace Quickhalo {

// The eight slots of a ring, one row each: number, symbol and title, or "Empty". A row dragged
// onto another, or moved with Alt+Up and Alt+Down, asks for the two slots to change places.
class SlotList final : public QListWidget {
    Q_OBJECT

public:
    explicit SlotList(QWidget* parent = nullptr);

    void showSlots(const RingPage::Slots& slots, std::optional<int> selected);
    std::optional<int> dropTarget() const { return m_dropRow; }

Q_SIGNALS:
    void slotChosen(int slot);
    void moveRequested(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<int> m_pressedRow;
    QPoint m_pressPosition;
    bool m_isDragging = false;
    std::optional<int> m_dropRow;
};

}
