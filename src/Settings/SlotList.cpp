#include "Settings/SlotList.h"

#include "Ring/SymbolPainter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace Quickhalo {

namespace {

constexpr int filledRole = Qt::UserRole + 1;
constexpr int symbolRole = Qt::UserRole + 2;
constexpr int rowHeight = 28;

// Number, symbol and title in the columns a ring's slot list has on every desktop.
class SlotDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        background.icon = QIcon();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        QColor secondary = text;
        secondary.setAlphaF(0.6f);
        QColor tertiary = text;
        tertiary.setAlphaF(0.4f);

        QRect area = option.rect.adjusted(6, 0, -6, 0);
        painter->save();
        painter->setPen(secondary);
        painter->drawText(QRect(area.left(), area.top(), 14, area.height()), Qt::AlignVCenter | Qt::AlignLeft,
            QString::number(index.row() + 1));
        area.setLeft(area.left() + 20);
        if (index.data(filledRole).toBool()) {
            const QPixmap symbol = SymbolPainter::pixmap(index.data(symbolRole).toString(), 18, text,
                widget ? widget->devicePixelRatioF() : 1.0);
            painter->drawPixmap(QPoint(area.left() + 2, area.center().y() - 9), symbol);
            area.setLeft(area.left() + 28);
            painter->setPen(text);
        } else {
            painter->setPen(tertiary);
        }
        painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
            option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, area.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), rowHeight));
        return size;
    }
};

}

SlotList::SlotList(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new SlotDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(false);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (std::size_t i = 0; i < RingPage::slotCount; ++i)
        addItem(new QListWidgetItem);
    setFixedHeight(static_cast<int>(RingPage::slotCount) * rowHeight + 2 * frameWidth() + 2);
    setToolTip(QStringLiteral("Drag a slot onto another, or press Alt+Up or Alt+Down, to swap them."));
    // Keyboard moves and clicks both select through the current row.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !signalsBlocked())
            Q_EMIT slotChosen(row);
    });
}

void SlotList::showSlots(const RingPage::Slots& slots, std::optional<int> selected)
{
    const QSignalBlocker blocker(this);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        QListWidgetItem* row = item(static_cast<int>(i));
        const std::optional<Slice>& slice = slots[i];
        row->setData(filledRole, slice.has_value());
        row->setData(symbolRole, slice ? slice->symbol : QString());
        row->setText(slice ? slice->title : QStringLiteral("Empty"));
        row->setData(Qt::AccessibleTextRole,
            QStringLiteral("Slot %1: %2").arg(i + 1).arg(slice ? slice->title : QStringLiteral("Empty")));
    }
    if (selected) {
        setCurrentRow(*selected);
    } else {
        clearSelection();
        setCurrentRow(-1);
    }
    viewport()->update();
}

void SlotList::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const int row = indexAt(event->position().toPoint()).row();
    m_pressedRow = row >= 0 ? std::optional<int>(row) : std::nullopt;
    m_pressPosition = event->position().toPoint();
    m_isDragging = false;
    if (m_pressedRow)
        Q_EMIT slotChosen(*m_pressedRow);
}

void SlotList::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressedRow || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint position = event->position().toPoint();
    if (!m_isDragging && (position - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    m_isDragging = true;
    const int row = indexAt(position).row();
    m_dropRow = row >= 0 && row != *m_pressedRow ? std::optional<int>(row) : std::nullopt;
    viewport()->update();
}

void SlotList::mouseReleaseEvent(QMouseEvent* event)
{
    const std::optional<int> from = std::exchange(m_pressedRow, std::nullopt);
    const std::optional<int> to = std::exchange(m_dropRow, std::nullopt);
    const bool wasDragging = std::exchange(m_isDragging, false);
    QListWidget::mouseReleaseEvent(event);
    viewport()->update();
    if (wasDragging && from && to)
        Q_EMIT moveRequested(*from, *to);
}

void SlotList::keyPressEvent(QKeyEvent* event)
{
    const int row = currentRow();
    if (event->modifiers() == Qt::AltModifier && row >= 0
        && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        const int to = event->key() == Qt::Key_Up ? row - 1 : row + 1;
        if (to >= 0 && to < count())
            Q_EMIT moveRequested(row, to);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void SlotList::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (!m_dropRow)
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(visualItemRect(item(*m_dropRow)).adjusted(1, 1, -1, -1), 4, 4);
}

}
