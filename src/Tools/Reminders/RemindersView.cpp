#include "Tools/Reminders/RemindersView.h"

#include "Tools/Reminders/RelativeDate.h"
#include "Tools/Reminders/RemindersStore.h"
#include "Tools/ToolText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QStackedLayout>
#include <QToolButton>

namespace Quickhalo {

namespace {
const char* const rowTextKey = "reminderRow";
}

RemindersView::RemindersView(RemindersStore& store, QString where, std::function<QDateTime()> now, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_now(std::move(now))
{
    auto* outer = new QVBoxLayout(this);
    m_pages = new QStackedLayout;
    outer->addLayout(m_pages, 1);

    // Asking: the disk may be slow to answer.
    auto* asking = new QWidget;
    auto* askingLayout = new QVBoxLayout(asking);
    auto* busy = new QProgressBar;
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    askingLayout->addStretch();
    askingLayout->addWidget(busy);
    askingLayout->addStretch();
    m_pages->addWidget(asking);

    auto* denied = new QWidget;
    auto* deniedLayout = new QVBoxLayout(denied);
    m_problem = new QLabel;
    m_problem->setWordWrap(true);
    m_problem->setAlignment(Qt::AlignCenter);
    m_problem->setTextFormat(Qt::PlainText);
    deniedLayout->addStretch();
    deniedLayout->addWidget(m_problem);
    deniedLayout->addStretch();
    m_pages->addWidget(denied);

    auto* granted = new QWidget;
    auto* grantedLayout = new QVBoxLayout(granted);
    grantedLayout->setContentsMargins(0, 0, 0, 0);
    auto* listRow = new QHBoxLayout;
    auto* listLabel = new QLabel(QStringLiteral("List"));
    m_lists = new QComboBox;
    listLabel->setBuddy(m_lists);
    listRow->addWidget(listLabel);
    listRow->addWidget(m_lists, 1);
    grantedLayout->addLayout(listRow);
    m_input = new QLineEdit;
    m_input->setPlaceholderText(placeholder);
    grantedLayout->addWidget(m_input);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_rowsArea = new QWidget;
    m_rows = new QVBoxLayout(m_rowsArea);
    m_rows->setContentsMargins(0, 4, 0, 4);
    scroll->setWidget(m_rowsArea);
    grantedLayout->addWidget(scroll, 1);
    m_pages->addWidget(granted);

    QLabel* kept = ToolText::caption(QStringLiteral("Kept in %1, where vdirsyncer can sync them with any CalDAV server.").arg(where));
    kept->setWordWrap(true);
    outer->addWidget(kept);

    connect(m_input, &QLineEdit::returnPressed, this, [this] {
        m_store.add(m_input->text());
        m_input->clear();
    });
    connect(m_lists, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updatingLists && index >= 0)
            m_store.selectList(m_lists->itemData(index).toString());
    });
    connect(&m_store, &RemindersStore::changed, this, &RemindersView::update);
    update();
}

void RemindersView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_store.requestAccess();
    m_input->setFocus();
}

void RemindersView::update()
{
    switch (m_store.access()) {
    case RemindersStore::Access::unknown:
        m_pages->setCurrentIndex(0);
        return;
    case RemindersStore::Access::denied:
        m_problem->setText(QStringLiteral("Quickhalo cannot use your reminders: %1.").arg(m_store.accessProblem()));
        m_pages->setCurrentIndex(1);
        return;
    case RemindersStore::Access::granted:
        break;
    }
    const bool hadFocus = m_input->hasFocus();
    m_pages->setCurrentIndex(2);
    m_updatingLists = true;
    m_lists->clear();
    for (const ReminderList& list : m_store.lists()) {
        m_lists->addItem(list.title, list.id);
        if (list.id == m_store.selectedListId())
            m_lists->setCurrentIndex(m_lists->count() - 1);
    }
    m_updatingLists = false;
    rebuildRows();
    if (hadFocus)
        m_input->setFocus();
}

void RemindersView::rebuildRows()
{
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QDateTime now = m_now();
    if (m_store.reminders().isEmpty()) {
        auto* done = new QLabel(QStringLiteral("All done"));
        done->setAlignment(Qt::AlignCenter);
        done->setProperty(rowTextKey, done->text());
        m_rows->addWidget(done);
    }
    for (const ReminderItem& reminder : m_store.reminders()) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(2, 2, 2, 2);
        auto* tick = new QToolButton;
        tick->setText(QStringLiteral("\u25CB"));
        tick->setAutoRaise(true);
        tick->setToolTip(QStringLiteral("Mark as done"));
        tick->setAccessibleName(QStringLiteral("Mark \u201C%1\u201D as done").arg(reminder.summary));
        connect(tick, &QToolButton::clicked, this, [this, reminder] { m_store.complete(reminder); });
        layout->addWidget(tick, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        const QString title = reminder.summary.isEmpty() ? QStringLiteral("Untitled") : reminder.summary;
        auto* titleLabel = new QLabel(title);
        titleLabel->setTextFormat(Qt::PlainText);
        titleLabel->setWordWrap(true);
        texts->addWidget(titleLabel);
        QString rowText = title;
        if (reminder.due) {
            const QString when = reminder.dueIsDate && reminder.due->date() == now.date()
                ? QStringLiteral("today")
                : RelativeDate::describe(*reminder.due, now);
            QLabel* whenLabel = ToolText::caption(when);
            if (*reminder.due < now && !(reminder.dueIsDate && reminder.due->date() == now.date())) {
                QPalette overdue = whenLabel->palette();
                overdue.setColor(QPalette::WindowText, QColor(0xd7, 0x3a, 0x49));
                whenLabel->setPalette(overdue);
                whenLabel->setProperty("overdue", true);
            }
            texts->addWidget(whenLabel);
            rowText += QStringLiteral(" · ") + when;
        }
        layout->addLayout(texts, 1);
        row->setProperty(rowTextKey, rowText);
        m_rows->addWidget(row);
    }
    m_rows->addStretch();
}

QStringList RemindersView::rows() const
{
    QStringList result;
    for (int i = 0; i < m_rows->count(); ++i) {
        if (const QWidget* widget = m_rows->itemAt(i)->widget())
            result << widget->property(rowTextKey).toString();
    }
    return result;
}

}
