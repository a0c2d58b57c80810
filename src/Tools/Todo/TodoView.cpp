#include "Tools/Todo/TodoView.h"

#include "Ring/SymbolPainter.h"
#include "Tools/Todo/TodoStore.h"
#include "Tools/ToolList.h"
#include "Tools/ToolText.h"

#include <tuple>

#include <QAbstractListModel>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

constexpr int DoneRole = Qt::UserRole + 1;
constexpr int symbolSize = 18;
constexpr int padding = 6;

// The store's items as rows; a drag moves them through the store, which saves at once.
class TodoListModel final : public QAbstractListModel {
public:
    TodoListModel(TodoStore& store, QObject* parent)
        : QAbstractListModel(parent)
        , m_store(store)
    {
        connect(&m_store, &TodoStore::itemsChanged, this, [this] {
            if (!m_moving) {
                beginResetModel();
                endResetModel();
            }
        });
    }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_store.items().size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_store.items().size())
            return {};
        const TodoItem& item = m_store.items().at(index.row());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return item.text;
        case DoneRole:
            return item.done;
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        // Rows take drops between them, not on them.
        if (!index.isValid())
            return Qt::ItemIsDropEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    }

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count, const QModelIndex& destinationParent,
        int destinationChild) override
    {
        if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || sourceRow < 0
            || sourceRow + count > rowCount({}) || destinationChild < 0 || destinationChild > rowCount({}))
            return false;
        if (!beginMoveRows(sourceParent, sourceRow, sourceRow + count - 1, destinationParent, destinationChild))
            return false;
        QList<int> rows;
        for (int i = 0; i < count; ++i)
            rows << sourceRow + i;
        m_moving = true;
        m_store.move(rows, destinationChild);
        m_moving = false;
        endMoveRows();
        return true;
    }

private:
    TodoStore& m_store;
    bool m_moving = false;
};

// A round tick, the text (struck through once done) and, under the pointer, a cross to delete.
class TodoRowDelegate final : public QStyledItemDelegate {
public:
    TodoRowDelegate(TodoStore& store, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_store(store)
    {
    }

    static QRect tickArea(const QRect& row)
    {
        return { row.left() + padding, row.center().y() - symbolSize / 2, symbolSize, symbolSize };
    }
    static QRect crossArea(const QRect& row)
    {
        return { row.right() - padding - symbolSize, row.center().y() - symbolSize / 2, symbolSize, symbolSize };
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return { 1, std::max(option.fontMetrics.height(), symbolSize) + 2 * padding };
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool done = index.data(DoneRole).toBool();
        const bool hovering = option.state.testFlag(QStyle::State_MouseOver);
        const QRect row = option.rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (option.state.testFlag(QStyle::State_HasFocus) || option.state.testFlag(QStyle::State_Selected)) {
            QColor accent = option.palette.color(QPalette::Highlight);
            accent.setAlphaF(0.2f);
            painter->setPen(Qt::NoPen);
            painter->setBrush(accent);
            painter->drawRoundedRect(QRectF(row).adjusted(0, 1, 0, -1), 6, 6);
        }
        const QColor secondary = option.palette.color(QPalette::PlaceholderText);
        const QColor tickColour = done ? option.palette.color(QPalette::Highlight) : secondary;
        SymbolPainter::draw(*painter, done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
            QRectF(tickArea(row)).center(), symbolSize, tickColour);
        QRect textArea = row.adjusted(padding * 2 + symbolSize, 0, -padding, 0);
        if (hovering)
            textArea.setRight(crossArea(row).left() - padding);
        QFont font = option.font;
        font.setStrikeOut(done);
        painter->setFont(font);
        painter->setPen(done ? secondary : option.palette.color(QPalette::Text));
        const QString text = QFontMetrics(font).elidedText(index.data().toString(), Qt::ElideRight, textArea.width());
        painter->drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        if (hovering)
            SymbolPainter::draw(*painter, QStringLiteral("xmark"), QRectF(crossArea(row)).center(), symbolSize - 4, secondary);
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option, const QModelIndex& index) override
    {
        if (event->type() != QEvent::MouseButtonRelease || index.row() >= m_store.items().size())
            return false;
        const auto& click = static_cast<const QMouseEvent&>(*event);
        if (click.button() != Qt::LeftButton)
            return false;
        const QUuid id = m_store.items().at(index.row()).id;
        const QPoint at = click.position().toPoint();
        if (tickArea(option.rect).adjusted(-padding, -padding, padding, padding).contains(at)) {
            m_store.toggle(id);
            return true;
        }
        if (crossArea(option.rect).adjusted(-padding, -padding, padding, padding).contains(at)) {
            m_store.remove(id);
            return true;
        }
        return false;
    }

private:
    TodoStore& m_store;
};

}

TodoView::TodoView(TodoStore& store, std::function<QDateTime()> now, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_now(std::move(now))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    m_input = new QLineEdit;
    m_input->setPlaceholderText(QStringLiteral("Add a to-do"));
    m_input->installEventFilter(this);
    layout->addWidget(m_input);

    if (m_store.startedFromUnreadableFile()) {
        m_keptAside = ToolText::keptAside(TodoStore::fileName);
        layout->addWidget(m_keptAside);
    }

    m_list = new QListView;
    m_list->setModel(new TodoListModel(m_store, m_list));
    m_list->setItemDelegate(new TodoRowDelegate(m_store, m_list));
    ToolList::dress(*m_list, true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setDefaultDropAction(Qt::MoveAction);
    m_list->setDropIndicatorShown(true);
    m_list->installEventFilter(this);
    std::tie(m_stack, m_empty) = ToolList::withEmptyLine(m_list, QStringLiteral("Nothing to do"));
    layout->addWidget(m_stack, 1);

    auto* footer = new QHBoxLayout;
    m_left = ToolText::caption(QString());
    footer->addWidget(m_left);
    footer->addStretch();
    m_clearDone = new QPushButton(QStringLiteral("Clear done"));
    m_clearDone->setFont(m_left->font());
    m_clearDone->setFlat(true);
    footer->addWidget(m_clearDone);
    layout->addLayout(footer);

    connect(m_input, &QLineEdit::returnPressed, this, [this] {
        m_store.add(m_input->text());
        m_input->clear();
    });
    connect(m_clearDone, &QPushButton::clicked, this, [this] { m_store.clearDone(); });
    connect(&m_store, &TodoStore::itemsChanged, this, &TodoView::refresh);
    setFocusProxy(m_input);
    refresh();
}

void TodoView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_store.purgeOldDone(m_now());
    m_input->setFocus();
}

void TodoView::refresh()
{
    const QList<TodoItem>& items = m_store.items();
    m_stack->setCurrentWidget(items.isEmpty() ? static_cast<QWidget*>(m_empty) : m_list);
    m_left->setText(QStringLiteral("%1 left").arg(m_store.openCount()));
    m_clearDone->setEnabled(std::any_of(items.cbegin(), items.cend(), [](const TodoItem& item) { return item.done; }));
    if (items.isEmpty() && m_list->hasFocus())
        m_input->setFocus();
}

bool TodoView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == m_input && key.key() == Qt::Key_Down && !m_store.items().isEmpty()) {
        m_list->setFocus();
        m_list->setCurrentIndex(m_list->model()->index(0, 0));
        return true;
    }
    if (watched == m_list)
        return handleListKey(key);
    return QWidget::eventFilter(watched, event);
}

bool TodoView::handleListKey(const QKeyEvent& key)
{
    const int row = m_list->currentIndex().row();
    const QList<TodoItem>& items = m_store.items();
    if (row < 0 || row >= items.size())
        return false;
    const bool alt = key.modifiers().testFlag(Qt::AltModifier);
    switch (key.key()) {
    case Qt::Key_Space:
        m_store.toggle(items.at(row).id);
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        m_store.remove(items.at(row).id);
        break;
    case Qt::Key_Up:
        if (alt && row > 0)
            m_list->model()->moveRows({}, row, 1, {}, row - 1);
        else if (!alt && row == 0)
            m_input->setFocus();
        else
            return false;
        return true;
    case Qt::Key_Down:
        if (!alt)
            return false;
        if (row + 1 < items.size())
            m_list->model()->moveRows({}, row, 1, {}, row + 2);
        return true;
    default:
        return false;
    }
    // A tick or a removal resets the rows; the keyboard stays where it was.
    if (!m_store.items().isEmpty()) {
        const int keep = std::min(row, static_cast<int>(m_store.items().size()) - 1);
        m_list->setCurrentIndex(m_list->model()->index(keep, 0));
    }
    return true;
}

}
