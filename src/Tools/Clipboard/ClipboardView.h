#pragma once

#include <QStringList>
#include <QWidget>

#include "Tools/ToolViewHandoff.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QToolButton;

namespace Quickhalo {

class ClipboardStore;

// Searches the clipboard history and puts the chosen entry back on the clipboard, pasting it
// where the user was. Keys stay in the search field: arrows move the selection, Return chooses.
class ClipboardView final : public QWidget {
    Q_OBJECT

public:
    static inline const QString copiedToast = QStringLiteral("Copied — press Ctrl+V to paste");

    ClipboardView(ClipboardStore& store, ToolViewHandoff handoff, QWidget* parent = nullptr);

    // The entries the rows show, after the search.
    const QStringList& shownItems() const { return m_shown; }
    int selection() const { return m_selection; }
    QLineEdit* searchField() const { return m_search; }
    QListWidget* list() const { return m_list; }
    QLabel* emptyMessage() const { return m_empty; }
    QToolButton* clearButton() const { return m_clear; }

    void choose(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void select(int index);

    ClipboardStore& m_store;
    ToolViewHandoff m_handoff;
    QLineEdit* m_search = nullptr;
    QToolButton* m_clear = nullptr;
    QStackedWidget* m_stack = nullptr;
    QListWidget* m_list = nullptr;
    QLabel* m_empty = nullptr;
    QStringList m_shown;
    int m_selection = 0;
};

}
