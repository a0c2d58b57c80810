#pragma once

#include <QHash>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "Platform/FrontmostApplication.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;

namespace Quickhalo {

class ClipboardAccess;
class ClipboardStore;
class CurrentTabReader;
class LinksStore;
class WebRequest;
class WebRequests;

struct LinksViewServices {
    LinksStore& store;
    ClipboardStore& history;
    ClipboardAccess& clipboard;
    std::function<void(const QUrl&)> openUrl;
    std::function<void(const QString& text, const QString& symbol)> toast;
    // The window the ring opened over; its tab can be saved when it is a browser's.
    std::optional<TargetApplication> target = std::nullopt;
    CurrentTabReader* tabs = nullptr;
    // For the sites' icons; without it every row shows a globe.
    WebRequests* web = nullptr;
    // Where the icons come from: a service answering /s2/favicons?domain=HOST&sz=32.
    QString iconService = {};
    std::function<void()> close = {};
};

// The reading list: a search line that filters as you type (Up, Down, Return to open, Ctrl+C to
// copy the address while the line is empty), buttons to add the address on the clipboard or the
// browser's current tab, and a row per link with its site's icon.
class LinksView final : public QWidget {
    Q_OBJECT

public:
    explicit LinksView(LinksViewServices services, QWidget* parent = nullptr);
    ~LinksView() override;

    QLineEdit* search() const { return m_search; }
    QPushButton* addFromClipboardButton() const { return m_addFromClipboard; }
    QPushButton* saveTabButton() const { return m_saveTab; }
    QListView* list() const { return m_list; }
    QLabel* emptyLine() const { return m_empty; }
    QLabel* keptAsideLine() const { return m_keptAside; }
    int selection() const { return m_selection; }
    // The shown links' positions in the store, in order.
    const QList<int>& shown() const { return m_shown; }
    std::optional<QUrl> clipboardUrl() const { return m_clipboardUrl; }

    // The site icon for `url`, once loaded.
    std::optional<QPixmap> icon(const QString& url) const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Rows;
    void refresh();
    void select(int row);
    void open(int row);
    void copy(int row);
    void remove(int row);
    void refreshClipboard();
    void addFromClipboard();
    void saveCurrentTab();
    void requestIcon(const QString& host) const;

    LinksViewServices m_services;
    QLineEdit* m_search = nullptr;
    QPushButton* m_addFromClipboard = nullptr;
    QPushButton* m_saveTab = nullptr;
    QStackedWidget* m_stack = nullptr;
    QListView* m_list = nullptr;
    Rows* m_rows = nullptr;
    QLabel* m_empty = nullptr;
    QLabel* m_keptAside = nullptr;
    QList<int> m_shown;
    int m_selection = 0;
    std::optional<QUrl> m_clipboardUrl;
    mutable QHash<QString, QPixmap> m_icons; // by host; a null pixmap: none to be had
    mutable std::map<QString, std::unique_ptr<WebRequest>> m_iconRequests;
};

}
