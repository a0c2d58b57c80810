#pragma once

#include "Settings/ApplicationChooser.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace Quickhalo {

class InstalledApplications;
class Preferences;
class RingEditor;
class RingPreview;
class SliceEditor;
class SlotList;

// The Rings tab: pick a ring, name it, add and remove rings, and edit its eight slots in the
// list, the form and the live preview. Ctrl+Z and Ctrl+Shift+Z undo and redo the edits made
// since the window opened.
class RingsSettings final : public QWidget {
    Q_OBJECT

public:
    RingsSettings(RingEditor& editor, Preferences& preferences, const InstalledApplications& applications,
        ApplicationChooser::FilePicker pickFile, QWidget* parent = nullptr);

    QComboBox& ringPicker() const { return *m_ringPicker; }
    QLineEdit& nameField() const { return *m_name; }
    QToolButton& addRingButton() const { return *m_addRing; }
    QToolButton& removeRingButton() const { return *m_removeRing; }
    SlotList& slotList() const { return *m_slots; }
    RingPreview& preview() const { return *m_preview; }
    SliceEditor& sliceEditor() const { return *m_sliceEditor; }
    QLabel& noSlotText() const { return *m_noSlot; }
    QPushButton& resetButton() const { return *m_reset; }
    QLabel& saveError() const { return *m_saveError; }
    // The open confirmation, while "Reset to defaults…" asks.
    QMessageBox* resetConfirmation() const;
    // The open application chooser, while "Choose…" asks.
    ApplicationChooser* applicationChooser() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void confirmReset();
    void chooseApplication();

    RingEditor& m_editor;
    Preferences& m_preferences;
    const InstalledApplications& m_applications;
    ApplicationChooser::FilePicker m_pickFile;
    QComboBox* m_ringPicker = nullptr;
    QLineEdit* m_name = nullptr;
    QToolButton* m_addRing = nullptr;
    QToolButton* m_removeRing = nullptr;
    SlotList* m_slots = nullptr;
    QStackedWidget* m_editorPages = nullptr;
    QLabel* m_noSlot = nullptr;
    SliceEditor* m_sliceEditor = nullptr;
    RingPreview* m_preview = nullptr;
    QPushButton* m_reset = nullptr;
    QLabel* m_saveError = nullptr;
    // Both delete themselves when closed.
    QPointer<QMessageBox> m_confirmReset;
    QPointer<ApplicationChooser> m_chooser;
};

}
