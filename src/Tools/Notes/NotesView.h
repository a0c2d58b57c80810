#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QPlainTextEdit;

namespace Quickhalo {

class Clock;
class NotesDocument;

// The scratch pad: one plain-text editor over the panel's background, and a line under it only
// when something about the file needs saying (a save failed, a version was kept aside).
class NotesView final : public QWidget {
    Q_OBJECT

public:
    NotesView(const QString& path, Clock& clock, QWidget* parent = nullptr);
    // Saves what was typed since the last save.
    ~NotesView() override;

    QPlainTextEdit* editor() const { return m_editor; }
    QLabel* statusLine() const { return m_status; }
    NotesDocument& document() const { return *m_document; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showStatus();

    std::unique_ptr<NotesDocument> m_document;
    QPlainTextEdit* m_editor = nullptr;
    QLabel* m_status = nullptr;
    bool m_filling = false;
};

}
