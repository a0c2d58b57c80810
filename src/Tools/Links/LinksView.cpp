#include "Tools/Links/LinksView.h"

#include "Platform/Clipboard.h"
#include "Platform/WebRequests.h"
#include "Ring/SymbolPainter.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Links/CurrentTabReader.h"
#include "Tools/Links/LinksStore.h"
#include "Tools/ToolList.h"
#include "Tools/ToolText.h"

#include <tuple>

#include <QAbstractListModel>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

constexpr int iconSize = 18;
constexpr int buttonSize = 16;
constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 5;
constexpr int rowSpacing = 2;
constexpr qint64 largestIcon = 64 * 1024;

QString hostOf(const QString& url)
{
    const QString host = QUrl(url).host();
    return host.isEmpty() ? url : host;
}

}

// The shown links, as rows of the list; the view owns what is shown and what is selected.
class LinksView::Rows final : public QAbstractListModel {
public:
    explicit Rows(const LinksView& view)
        : QAbstractListModel(const_cast<LinksView*>(&view))
        , m_view(view)
    {
    }

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_view.m_shown.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const LinkItem* link = linkAt(index.row());
        if (!link)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return link->title;
        if (role == Qt::ToolTipRole)
            return link->url;
        return {};
    }

    const LinkItem* linkAt(int row) const
    {
        if (row < 0 || row >= m_view.m_shown.size())
            return nullptr;
        const int at = m_view.m_shown[row];
        const QList<LinkItem>& links = m_view.m_services.store.links();
        return at >= 0 && at < links.size() ? &links[at] : nullptr;
    }

private:
    const LinksView& m_view;
};

namespace {

// The site's icon, its title over its host, and under the pointer a copy and a delete button.
class LinkRowDelegate final : public QStyledItemDelegate {
public:
    LinkRowDelegate(LinksView& view, std::function<const LinkItem*(int)> linkAt, std::function<void(int, int)> act)
        : QStyledItemDelegate(&view)
        , m_view(view)
        , m_linkAt(std::move(linkAt))
        , m_act(std::move(act))
    {
    }

    enum Action { open, copy, remove };

    static QRect removeArea(const QRect& row)
    {
        return { row.right() - horizontalPadding - buttonSize, row.center().y() - buttonSize / 2, buttonSize, buttonSize };
    }
    static QRect copyArea(const QRect& row)
    {
        return removeArea(row).translated(-(buttonSize + 8), 0);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        QFont caption = option.font;
        caption.setPointSizeF(caption.pointSizeF() * 0.85);
        return { 1, option.fontMetrics.height() + QFontMetrics(caption).height() + 2 * verticalPadding + rowSpacing };
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const LinkItem* link = m_linkAt(index.row());
        if (!link)
            return;
        const QRect row = option.rect.adjusted(0, 0, 0, -rowSpacing);
        const bool hovering = option.state.testFlag(QStyle::State_MouseOver);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (index.row() == m_view.selection()) {
            QColor accent = option.palette.color(QPalette::Highlight);
            accent.setAlphaF(0.3f);
            painter->setPen(Qt::NoPen);
            painter->setBrush(accent);
            painter->drawRoundedRect(QRectF(row), 6, 6);
        }
        const QColor secondary = option.palette.color(QPalette::PlaceholderText);
        const QRect iconArea(row.left() + horizontalPadding, row.center().y() - iconSize / 2, iconSize, iconSize);
        if (const std::optional<QPixmap> icon = m_view.icon(link->url))
            painter->drawPixmap(iconArea, *icon);
        else
            SymbolPainter::draw(*painter, QStringLiteral("globe"), QRectF(iconArea).center(), iconSize, secondary);

        QRect text = row.adjusted(horizontalPadding * 2 + iconSize, verticalPadding, -horizontalPadding, -verticalPadding);
        if (hovering)
            text.setRight(copyArea(row).left() - 8);
        QFont caption = option.font;
        caption.setPointSizeF(caption.pointSizeF() * 0.85);
        const int titleHeight = option.fontMetrics.height();
        painter->setPen(option.palette.color(QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(QRect(text.left(), text.top(), text.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(link->title, Qt::ElideRight, text.width()));
        painter->setFont(caption);
        painter->setPen(secondary);
        painter->drawText(QRect(text.left(), text.top() + titleHeight, text.width(), text.height() - titleHeight),
            Qt::AlignLeft | Qt::AlignVCenter, QFontMetrics(caption).elidedText(hostOf(link->url), Qt::ElideMiddle, text.width()));
        if (hovering) {
            SymbolPainter::draw(*painter, QStringLiteral("doc.on.doc"), QRectF(copyArea(row)).center(), buttonSize, secondary);
            SymbolPainter::draw(*painter, QStringLiteral("xmark"), QRectF(removeArea(row)).center(), buttonSize, secondary);
        }
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option, const QModelIndex& index) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        const auto& click = static_cast<const QMouseEvent&>(*event);
        if (click.button() != Qt::LeftButton)
            return false;
        const QRect row = option.rect.adjusted(0, 0, 0, -rowSpacing);
        const QPoint at = click.position().toPoint();
        const int margin = 3;
        if (removeArea(row).adjusted(-margin, -margin, margin, margin).contains(at))
            m_act(index.row(), remove);
        else if (copyArea(row).adjusted(-margin, -margin, margin, margin).contains(at))
            m_act(index.row(), copy);
        else
            m_act(index.row(), open);
        return true;
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index) override
    {
        const QRect row = option.rect.adjusted(0, 0, 0, -rowSpacing);
        if (removeArea(row).contains(event->pos()))
            view->setToolTip(QStringLiteral("Delete"));
        else if (copyArea(row).contains(event->pos()))
            view->setToolTip(QStringLiteral("Copy URL"));
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    LinksView& m_view;
    std::function<const LinkItem*(int)> m_linkAt;
    std::function<void(int, int)> m_act;
};

}

LinksView::LinksView(LinksViewServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    m_search = new QLineEdit;
    m_search->setPlaceholderText(QStringLiteral("Search links"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    layout->addWidget(m_search);

    auto* buttons = new QHBoxLayout;
    QFont captionFont = font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    m_addFromClipboard = new QPushButton(QStringLiteral("Add from clipboard"));
    m_addFromClipboard->setFont(captionFont);
    m_addFromClipboard->setEnabled(false);
    buttons->addWidget(m_addFromClipboard);
    if (m_services.tabs && CurrentTabReader::browserOf(m_services.target)) {
        m_saveTab = new QPushButton(QStringLiteral("Save current tab"));
        m_saveTab->setFont(captionFont);
        buttons->addWidget(m_saveTab);
        connect(m_saveTab, &QPushButton::clicked, this, &LinksView::saveCurrentTab);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    if (m_services.store.startedFromUnreadableFile()) {
        m_keptAside = ToolText::keptAside(LinksStore::fileName);
        layout->addWidget(m_keptAside);
    }

    m_rows = new Rows(*this);
    m_list = new QListView;
    m_list->setModel(m_rows);
    m_list->setItemDelegate(new LinkRowDelegate(
        *this, [this](int row) { return m_rows->linkAt(row); },
        [this](int row, int action) {
            // Later: each of these may rebuild the rows while the list is still handling the click.
            QMetaObject::invokeMethod(this, [this, row, action] {
                if (action == LinkRowDelegate::copy)
                    copy(row);
                else if (action == LinkRowDelegate::remove)
                    remove(row);
                else
                    open(row);
            }, Qt::QueuedConnection);
        }));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setUniformItemSizes(true);
    ToolList::dress(*m_list, true);
    std::tie(m_stack, m_empty) = ToolList::withEmptyLine(m_list);
    layout->addWidget(m_stack, 1);

    connect(m_search, &QLineEdit::textChanged, this, [this] {
        m_selection = 0;
        refresh();
    });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { open(m_selection); });
    connect(m_addFromClipboard, &QPushButton::clicked, this, &LinksView::addFromClipboard);
    connect(&m_services.store, &LinksStore::linksChanged, this, &LinksView::refresh);
    setFocusProxy(m_search);
    refresh();
}

LinksView::~LinksView() = default;

void LinksView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_search->setFocus();
    refreshClipboard();
}

void LinksView::refresh()
{
    m_shown = m_services.store.matching(m_search->text());
    m_rows->reset();
    if (m_shown.isEmpty()) {
        m_empty->setText(
            m_services.store.links().isEmpty() ? QStringLiteral("No saved links yet") : QStringLiteral("No matches"));
        m_stack->setCurrentWidget(m_empty);
    } else {
        m_stack->setCurrentWidget(m_list);
    }
    select(std::min(m_selection, std::max<int>(0, static_cast<int>(m_shown.size()) - 1)));
}

void LinksView::select(int row)
{
    m_selection = row;
    if (row >= 0 && row < m_shown.size())
        m_list->scrollTo(m_rows->index(row, 0));
    m_list->viewport()->update();
}

bool LinksView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_search || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const int count = static_cast<int>(m_shown.size());
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (count > 0)
            select(std::min(count - 1, std::max(0, m_selection + (key.key() == Qt::Key_Up ? -1 : 1))));
        return true;
    case Qt::Key_C:
        if (key.modifiers().testFlag(Qt::ControlModifier) && m_search->text().isEmpty() && m_selection < count) {
            copy(m_selection);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void LinksView::open(int row)
{
    const LinkItem* link = m_rows->linkAt(row);
    if (!link)
        return;
    const QUrl url(link->url);
    if (!url.isValid())
        return;
    m_services.openUrl(url);
    if (m_services.close)
        m_services.close();
}

void LinksView::copy(int row)
{
    if (const LinkItem* link = m_rows->linkAt(row)) {
        m_services.history.copy(link->url);
        m_services.toast(QStringLiteral("Copied link"), QStringLiteral("checkmark.circle.fill"));
    }
}

void LinksView::remove(int row)
{
    if (const LinkItem* link = m_rows->linkAt(row))
        m_services.store.remove(link->id);
}

void LinksView::refreshClipboard()
{
    m_services.clipboard.readText(this, [this](std::optional<QString> text) {
        m_clipboardUrl = text ? LinksStore::webUrl(*text) : std::nullopt;
        m_addFromClipboard->setEnabled(m_clipboardUrl.has_value());
    });
}

void LinksView::addFromClipboard()
{
    if (m_clipboardUrl)
        m_services.store.addAndFetchTitle(m_clipboardUrl->toString(QUrl::FullyEncoded));
}

void LinksView::saveCurrentTab()
{
    if (!m_services.tabs || !m_services.target || m_services.tabs->isReading())
        return;
    m_saveTab->setEnabled(false);
    m_saveTab->setText(QStringLiteral("Reading the tab\u2026"));
    // The panel may close while the browser is asked; the link is saved all the same.
    m_services.tabs->read(*m_services.target, [this, guard = QPointer<LinksView>(this), &store = m_services.store,
                                                  toast = m_services.toast](std::optional<BrowserTab> tab) {
        if (tab && store.add(tab->url, tab->title))
            toast(QStringLiteral("Link saved"), QStringLiteral("link"));
        else
            toast(QStringLiteral("Couldn't read the current tab"), QStringLiteral("exclamationmark.triangle.fill"));
        if (!guard)
            return;
        m_saveTab->setEnabled(true);
        m_saveTab->setText(QStringLiteral("Save current tab"));
        // The browser was brought forward to read it; the panel comes back.
        window()->raise();
        window()->activateWindow();
    });
}

std::optional<QPixmap> LinksView::icon(const QString& url) const
{
    const QString host = hostOf(url);
    const auto found = m_icons.constFind(host);
    if (found == m_icons.constEnd()) {
        requestIcon(host);
        return std::nullopt;
    }
    return found->isNull() ? std::nullopt : std::optional(*found);
}

void LinksView::requestIcon(const QString& host) const
{
    if (!m_services.web || m_services.iconService.isEmpty() || m_iconRequests.count(host))
        return;
    QUrl address(m_services.iconService + QStringLiteral("/s2/favicons"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("domain"), host);
    query.addQueryItem(QStringLiteral("sz"), QStringLiteral("32"));
    address.setQuery(query);
    m_iconRequests[host] = m_services.web->get(address, largestIcon, [this, host](const WebRequests::Response& response) {
        QPixmap icon;
        if (response.failure.isEmpty() && response.status == 200)
            icon.loadFromData(response.body);
        m_icons.insert(host, icon); // a null one: the globe stays
        QMetaObject::invokeMethod(const_cast<LinksView*>(this), [this, host] {
            m_iconRequests.erase(host);
            m_list->viewport()->update();
        }, Qt::QueuedConnection);
    });
}

}
