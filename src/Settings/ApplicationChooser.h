#pragma once

#include "Platform/InstalledApplications.h"

#include <QDialog>
#include <QThreadPool>

#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;
class QStandardItemModel;

namespace Quickhalo {

// Picks an application from the desktop's menus, searchable by name, or any file through
// "Other file…". Type to filter, arrows to move, Return to choose.
class ApplicationChooser final : public QDialog {
    Q_OBJECT

public:
    struct Choice {
        QString path;
        QString title;
    };
    // Asks for any file; empty when cancelled.
    using FilePicker = std::function<QString(QWidget* parent)>;

    ApplicationChooser(const InstalledApplications& applications, FilePicker pickFile, QWidget* parent = nullptr);
    // Waits for a scan still running: it reads `applications`, which may go next.
    ~ApplicationChooser() override;

    // The title a chosen file gives its slice: a desktop entry's Name, else the file's name
    // without its extension.
    QString titleFor(const QString& path) const;
    static QString defaultFolder() { return QStringLiteral("/usr/share/applications"); }
    static FilePicker fileDialog();

    bool isLoaded() const { return m_isLoaded; }
    int shownCount() const;
    QString currentName() const;
    QLineEdit& searchField() const { return *m_search; }

Q_SIGNALS:
    void chosen(const Quickhalo::ApplicationChooser::Choice& choice);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showApplications(const std::vector<InstalledApplication>& applications);
    void chooseCurrent();
    void chooseOtherFile();
    void selectFirstIfNone();

    const InstalledApplications& m_applications;
    FilePicker m_pickFile;
    QLineEdit* m_search = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_status = nullptr;
    QStandardItemModel* m_model = nullptr;
    QSortFilterProxyModel* m_filter = nullptr;
    bool m_isLoaded = false;
    QThreadPool m_scan;
};

}
