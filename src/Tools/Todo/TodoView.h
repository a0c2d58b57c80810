#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;

namespace Quickhalo {

class TodoStore;

// The to-do list: a line to add an item, rows to tick, delete and drag into order, and how many
// are left. From the keyboard: Down leaves the line for the rows, Space ticks, Delete removes and
// Alt+Up / Alt+Down move the current row.
class TodoView final : public QWidget {
    Q_OBJECT

public:
    explicit TodoView(TodoStore& store, std::function<QDateTime()> now = &QDateTime::currentDateTime,
        QWidget* parent = nullptr);

    QLineEdit* input() const { return m_input; }
    QListView* list() const { return m_list; }
    QLabel* footer() const { return m_left; }
    QPushButton* clearDoneButton() const { return m_clearDone; }
    // Nothing unless the list's file could not be read.
    QLabel* keptAsideLine() const { return m_keptAside; }
    // The line shown instead of the rows while there are none.
    QLabel* emptyLine() const { return m_empty; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    bool handleListKey(const QKeyEvent& key);

    TodoStore& m_store;
    std::function<QDateTime()> m_now;
    QLineEdit* m_input = nullptr;
    QStackedWidget* m_stack = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_empty = nullptr;
    QLabel* m_left = nullptr;
    QPushButton* m_clearDone = nullptr;
    QLabel* m_keptAside = nullptr;
};

}
