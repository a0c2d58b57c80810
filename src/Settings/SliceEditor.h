#pragma once

#include "Config/Models.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace Quickhalo {

class RingEditor;

// The form for the selected slot: its type and that type's fields, title and icon, or the
// "Add action" button for an empty slot. Every change goes straight to the editor.
class SliceEditor final : public QWidget {
    Q_OBJECT

public:
    explicit SliceEditor(RingEditor& editor, QWidget* parent = nullptr);

    // Shows slot `slot` (0..7) holding `slice`.
    void showSlice(int slot, const std::optional<Slice>& slice);

    QLabel& heading() const { return *m_heading; }
    QPushButton& addActionButton() const { return *m_addAction; }
    QComboBox& typePicker() const { return *m_type; }
    QComboBox& toolPicker() const { return *m_tool; }
    QComboBox& positionPicker() const { return *m_position; }
    QLineEdit& payloadField() const { return *m_payload; }
    QPushButton& chooseButton() const { return *m_choose; }
    QLineEdit& titleField() const { return *m_title; }
    QLineEdit& symbolField() const { return *m_symbol; }
    QLabel& symbolPreview() const { return *m_symbolPreview; }
    QPushButton& clearButton() const { return *m_clear; }
    // The label of the payload row ("App path", "URL"...), or empty when the type has none.
    QString payloadLabel() const;
    bool isShowingForm() const;

Q_SIGNALS:
    void chooseApplicationRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Symbols are drawn in the palette's text colour: again when the palette changes.
    void drawIcons();
    void showSymbolPreview(const QString& symbol);
    static void setTextKeepingCursor(QLineEdit& field, const QString& text);

    RingEditor& m_editor;
    QLabel* m_heading = nullptr;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_emptyPage = nullptr;
    QWidget* m_formPage = nullptr;
    QFormLayout* m_form = nullptr;
    QPushButton* m_addAction = nullptr;
    QComboBox* m_type = nullptr;
    QComboBox* m_tool = nullptr;
    QComboBox* m_position = nullptr;
    QLabel* m_payloadLabel = nullptr;
    QWidget* m_payloadRow = nullptr;
    QLineEdit* m_payload = nullptr;
    QPushButton* m_choose = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_symbol = nullptr;
    QLabel* m_symbolPreview = nullptr;
    QPushButton* m_clear = nullptr;
    QString m_shownSymbol;
};

}
