#include "Tools/Clipboard/ClipboardView.h"

#include <tuple>

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "Ring/SymbolPainter.h"
#include "Tools/Clipboard/ClipboardListing.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/ToolList.h"

namespace Quickhalo {

namespace {

constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 5;
constexpr int rowSpacing = 2;

// One line per entry on a rounded highlight; the selection is the view's, not the list's.
class RowDelegate final : public QStyledItemDelegate {
public:
    explicit RowDelegate(const ClipboardView& view)
        : QStyledItemDelegate(const_cast<ClipboardView*>(&view))
        , m_view(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        // Rows take the viewport's width; long texts are cut, never scrolled sideways.
        return { 1, option.fontMetrics.height() + 2 * verticalPadding + rowSpacing };
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect row = option.rect.adjusted(0, 0, 0, -rowSpacing);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (index.row() == m_view.selection()) {
            QColor accent = option.palette.color(QPalette::Highlight);
            accent.setAlphaF(0.3f);
            painter->setPen(Qt::NoPen);
            painter->setBrush(accent);
            painter->drawRoundedRect(QRectF(row), 6, 6);
        }
        const QRect textArea = row.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
        const QString text = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textArea.width());
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter->restore();
    }

private:
    const ClipboardView& m_view;
};

}

ClipboardView::ClipboardView(ClipboardStore& store, ToolViewHandoff handoff, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_handoff(std::move(handoff))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    auto* top = new QHBoxLayout;
    m_search = new QLineEdit;
    m_search->setPlaceholderText(QStringLiteral("Search clipboard"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    top->addWidget(m_search, 1);
    m_clear = new QToolButton;
    m_clear->setIcon(SymbolFont::installed().icon(QStringLiteral("trash"), palette().color(QPalette::ButtonText)));
    m_clear->setToolTip(QStringLiteral("Clear history"));
    m_clear->setAccessibleName(QStringLiteral("Clear history"));
    m_clear->setAutoRaise(true);
    m_clear->setFocusPolicy(Qt::NoFocus);
    top->addWidget(m_clear);
    layout->addLayout(top);

    m_list = new QListWidget;
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    ToolList::dress(*m_list);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new RowDelegate(*this));
    std::tie(m_stack, m_empty) = ToolList::withEmptyLine(m_list);
    layout->addWidget(m_stack, 1);

    connect(m_search, &QLineEdit::textChanged, this, [this] {
        m_selection = 0;
        refresh();
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { choose(m_selection); });
    connect(m_list, &QListWidget::clicked, this, [this](const QModelIndex& index) {
        // Later: choosing rebuilds the rows, and the list is still handling the click.
        QMetaObject::invokeMethod(this, [this, row = index.row()] { choose(row); }, Qt::QueuedConnection);
    });
    connect(m_clear, &QToolButton::clicked, this, [this] { m_store.clear(); });
    connect(&m_store, &ClipboardStore::itemsChanged, this, &ClipboardView::refresh);
    setFocusProxy(m_search);
    refresh();
}

void ClipboardView::refresh()
{
    m_shown.clear();
    m_list->clear();
    const QList<ClipboardListing::Preview>& previews = m_store.previews();
    for (const int index : ClipboardListing::matching(previews, m_search->text())) {
        m_shown << m_store.items().at(index);
        auto* row = new QListWidgetItem(previews[index].row);
        row->setToolTip(previews[index].toolTip);
        m_list->addItem(row);
    }
    if (m_shown.isEmpty()) {
        m_empty->setText(m_store.items().isEmpty() ? QStringLiteral("Nothing copied yet") : QStringLiteral("No matches"));
        m_stack->setCurrentWidget(m_empty);
    } else {
        m_stack->setCurrentWidget(m_list);
    }
    select(std::min(m_selection, std::max<int>(0, static_cast<int>(m_shown.size()) - 1)));
}

void ClipboardView::select(int index)
{
    m_selection = index;
    if (QListWidgetItem* item = m_list->item(index))
        m_list->scrollToItem(item);
    m_list->viewport()->update();
}

bool ClipboardView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int count = static_cast<int>(m_shown.size());
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
            select(ClipboardListing::movedUp(m_selection, count));
            return true;
        case Qt::Key_Down:
            select(ClipboardListing::movedDown(m_selection, count));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ClipboardView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_search->setFocus();
}

void ClipboardView::choose(int index)
{
    if (index < 0 || index >= m_shown.size())
        return;
    const QString text = m_shown.at(index);
    m_store.copy(text);
    if (m_handoff.closePanel)
        m_handoff.closePanel();
    if (m_handoff.pasteOrToast)
        m_handoff.pasteOrToast(copiedToast);
}

}
