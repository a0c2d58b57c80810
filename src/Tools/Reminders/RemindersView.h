#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QStackedLayout;
class QVBoxLayout;

namespace Quickhalo {

class RemindersStore;

// The open reminders of one list: a line to add one ("call mum tomorrow 6pm"), a round button to
// tick each off, and how far off each is due, in red once it is past.
class RemindersView final : public QWidget {
    Q_OBJECT

public:
    static inline const QString placeholder = QStringLiteral("Add a reminder (e.g. call mum tomorrow 6pm)");

    // `where` names the folder the reminders are kept in, for the line at the bottom.
    RemindersView(RemindersStore& store, QString where, std::function<QDateTime()> now = &QDateTime::currentDateTime,
        QWidget* parent = nullptr);

    QLineEdit* input() const { return m_input; }
    QComboBox* listPicker() const { return m_lists; }
    // The rows shown, each "title · when" (or the "All done" line).
    QStringList rows() const;
    QLabel* problemLine() const { return m_problem; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void update();
    void rebuildRows();

    RemindersStore& m_store;
    std::function<QDateTime()> m_now;
    QStackedLayout* m_pages = nullptr;
    QLabel* m_problem = nullptr;
    QComboBox* m_lists = nullptr;
    QLineEdit* m_input = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QWidget* m_rowsArea = nullptr;
    bool m_updatingLists = false;
};

}
