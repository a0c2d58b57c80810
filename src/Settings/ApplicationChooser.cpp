#include "Settings/ApplicationChooser.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {
constexpr int pathRole = Qt::UserRole + 1;
}

ApplicationChooser::ApplicationChooser(const InstalledApplications& applications, FilePicker pickFile, QWidget* parent)
    : QDialog(parent)
    , m_applications(applications)
    , m_pickFile(std::move(pickFile))
{
    setWindowTitle(QStringLiteral("Choose an Application"));
    resize(420, 480);

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("Search applications"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);

    m_model = new QStandardItemModel(this);
    m_filter = new QSortFilterProxyModel(this);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list = new QListView(this);
    m_list->setModel(m_filter);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setIconSize(QSize(24, 24));
    m_status = new QLabel(QStringLiteral("Looking for applications…"), this);
    m_status->setForegroundRole(QPalette::PlaceholderText);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* other = buttons->addButton(QStringLiteral("&Other file…"), QDialogButtonBox::ActionRole);
    QPushButton* choose = buttons->addButton(QStringLiteral("&Choose"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    choose->setDefault(true);
    connect(other, &QPushButton::clicked, this, &ApplicationChooser::chooseOtherFile);
    connect(choose, &QPushButton::clicked, this, &ApplicationChooser::chooseCurrent);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListView::activated, this, &ApplicationChooser::chooseCurrent);
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setFilterFixedString(text.trimmed());
        selectFirstIfNone();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    setTabOrder(m_search, m_list);
    m_search->setFocus();

    // Reading every desktop entry waits on the disk: it happens on a worker thread.
    QPointer<ApplicationChooser> self(this);
    const InstalledApplications* source = &applications;
    m_scan.setMaxThreadCount(1);
    m_scan.start([self, source] {
        std::vector<InstalledApplication> listed = source->list();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, listed = std::move(listed)] {
                if (self)
                    self->showApplications(listed);
            },
            Qt::QueuedConnection);
    });
}

ApplicationChooser::~ApplicationChooser()
{
    m_scan.waitForDone();
}

void ApplicationChooser::showApplications(const std::vector<InstalledApplication>& applications)
{
    for (const InstalledApplication& application : applications) {
        auto* item = new QStandardItem(application.name);
        item->setData(application.path, pathRole);
        item->setToolTip(application.path);
        const QString& icon = application.iconName;
        item->setIcon(icon.startsWith(u'/') ? QIcon(icon) : QIcon::fromTheme(icon));
        m_model->appendRow(item);
    }
    m_isLoaded = true;
    m_status->setText(applications.empty() ? QStringLiteral("No applications found; use “Other file…”.") : QString());
    m_status->setVisible(applications.empty());
    selectFirstIfNone();
}

int ApplicationChooser::shownCount() const
{
    return m_filter->rowCount();
}

QString ApplicationChooser::currentName() const
{
    return m_list->currentIndex().data(Qt::DisplayRole).toString();
}

void ApplicationChooser::selectFirstIfNone()
{
    if (!m_list->currentIndex().isValid() && m_filter->rowCount() > 0)
        m_list->setCurrentIndex(m_filter->index(0, 0));
}

bool ApplicationChooser::eventFilter(QObject* watched, QEvent* event)
{
    // The search field keeps the focus; the moving keys go to the list.
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(m_list, event);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            chooseCurrent();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ApplicationChooser::chooseCurrent()
{
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid())
        return;
    Q_EMIT chosen({ current.data(pathRole).toString(), current.data(Qt::DisplayRole).toString() });
    accept();
}

void ApplicationChooser::chooseOtherFile()
{
    if (!m_pickFile)
        return;
    const QString path = m_pickFile(this);
    if (path.isEmpty())
        return;
    Q_EMIT chosen({ path, titleFor(path) });
    accept();
}

QString ApplicationChooser::titleFor(const QString& path) const
{
    if (const std::optional<InstalledApplication> application = m_applications.describe(path))
        return application->name;
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    return base.isEmpty() ? info.fileName() : base;
}

ApplicationChooser::FilePicker ApplicationChooser::fileDialog()
{
    return [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Choose a Program or File"), defaultFolder());
    };
}

}
