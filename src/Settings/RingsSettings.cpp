#include "Settings/RingsSettings.h"

#include "Base/Preferences.h"
#include "Ring/RingGlassStyle.h"
#include "Ring/SymbolPainter.h"
#include "Settings/RingEditor.h"
#include "Settings/RingPreview.h"
#include "Settings/SliceEditor.h"
#include "Settings/SlotList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

bool isUndoOrRedo(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo)
        || key.keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

}

RingsSettings::RingsSettings(RingEditor& editor, Preferences& preferences, const InstalledApplications& applications,
    ApplicationChooser::FilePicker pickFile, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_preferences(preferences)
    , m_applications(applications)
    , m_pickFile(std::move(pickFile))
{
    m_ringPicker = new QComboBox(this);
    m_ringPicker->setAccessibleName(QStringLiteral("Ring"));
    m_ringPicker->setMinimumContentsLength(10);
    connect(m_ringPicker, &QComboBox::activated, &m_editor, &RingEditor::selectRing);
    auto* ringLabel = new QLabel(QStringLiteral("Ri&ng"), this);
    ringLabel->setBuddy(m_ringPicker);

    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(QStringLiteral("Ring name"));
    m_name->setAccessibleName(QStringLiteral("Ring name"));
    connect(m_name, &QLineEdit::textEdited, &m_editor, &RingEditor::renameRing);
    connect(m_name, &QLineEdit::editingFinished, &m_editor, &RingEditor::endTyping);

    m_addRing = new QToolButton(this);
    m_addRing->setToolTip(QStringLiteral("Add ring"));
    m_addRing->setAccessibleName(QStringLiteral("Add ring"));
    connect(m_addRing, &QToolButton::clicked, &m_editor, &RingEditor::addRing);
    m_removeRing = new QToolButton(this);
    m_removeRing->setToolTip(QStringLiteral("Remove ring"));
    m_removeRing->setAccessibleName(QStringLiteral("Remove ring"));
    connect(m_removeRing, &QToolButton::clicked, &m_editor, &RingEditor::removeRing);
    for (QToolButton* button : { m_addRing, m_removeRing })
        button->setFocusPolicy(Qt::StrongFocus);

    auto* ringRow = new QHBoxLayout;
    ringRow->addWidget(ringLabel);
    ringRow->addWidget(m_ringPicker);
    ringRow->addWidget(m_name, 1);
    ringRow->addWidget(m_addRing);
    ringRow->addWidget(m_removeRing);

    m_slots = new SlotList(this);
    m_slots->setFixedWidth(230);
    m_slots->setAccessibleName(QStringLiteral("Slots"));
    connect(m_slots, &SlotList::slotChosen, this, [this](int slot) { m_editor.selectSlot(slot); });
    connect(m_slots, &SlotList::moveRequested, &m_editor, &RingEditor::moveSlot);
    auto* slotsLabel = new QLabel(QStringLiteral("&Slots"), this);
    slotsLabel->setBuddy(m_slots);
    auto* slotsColumn = new QVBoxLayout;
    slotsColumn->addWidget(slotsLabel);
    slotsColumn->addWidget(m_slots);
    slotsColumn->addStretch();

    m_editorPages = new QStackedWidget(this);
    m_noSlot = new QLabel(QStringLiteral("Select a slot to edit it."), m_editorPages);
    m_noSlot->setAlignment(Qt::AlignCenter);
    m_noSlot->setForegroundRole(QPalette::PlaceholderText);
    m_sliceEditor = new SliceEditor(m_editor, m_editorPages);
    connect(m_sliceEditor, &SliceEditor::chooseApplicationRequested, this, &RingsSettings::chooseApplication);
    m_editorPages->addWidget(m_noSlot);
    m_editorPages->addWidget(m_sliceEditor);

    m_preview = new RingPreview(this);
    m_preview->setFixedSize(230, 230);
    connect(m_preview, &RingPreview::slotChosen, this, [this](int slot) { m_editor.selectSlot(slot); });
    connect(m_preview, &RingPreview::moveRequested, &m_editor, &RingEditor::moveSlot);
    auto* previewColumn = new QVBoxLayout;
    previewColumn->addWidget(m_preview);
    previewColumn->addStretch();

    auto* columns = new QHBoxLayout;
    columns->setSpacing(6);
    columns->addLayout(slotsColumn);
    columns->addWidget(m_editorPages, 1);
    columns->addSpacing(6);
    columns->addLayout(previewColumn);

    m_reset = new QPushButton(QStringLiteral("R&eset to defaults…"), this);
    connect(m_reset, &QPushButton::clicked, this, &RingsSettings::confirmReset);
    m_saveError = new QLabel(this);
    m_saveError->setWordWrap(true);
    m_saveError->setStyleSheet(QStringLiteral("color: #c01c28;"));
    m_saveError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_saveError->hide();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_reset, 0, Qt::AlignLeft);
    bottom->addWidget(m_saveError, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(ringRow);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);

    auto* undo = new QShortcut(this);
    undo->setKeys(QKeySequence::Undo);
    connect(undo, &QShortcut::activated, &m_editor, &RingEditor::undo);
    // Ctrl+Shift+Z everywhere, and whatever else the desktop binds to redo (Ctrl+Y, say), once.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    const QKeySequence controlShiftZ(Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z);
    if (!redoKeys.contains(controlShiftZ))
        redoKeys.prepend(controlShiftZ);
    auto* redo = new QShortcut(this);
    redo->setKeys(redoKeys);
    connect(redo, &QShortcut::activated, &m_editor, &RingEditor::redo);
    // Anywhere in the window while this tab is shown, the tab bar included.
    for (QShortcut* shortcut : { undo, redo })
        shortcut->setContext(Qt::WindowShortcut);
    // The fields' own undo would only take back characters; the ring's undo takes back whole edits,
    // typing included, and saves the file.
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->installEventFilter(this);

    connect(&m_editor, &RingEditor::changed, this, &RingsSettings::refresh);
    connect(&m_preferences, &Preferences::changed, this, [this](const QString& key) {
        if (key == PreferenceKey::ringGlass)
            refresh();
    });
    refresh();
    changeEvent(nullptr);
}

QMessageBox* RingsSettings::resetConfirmation() const
{
    return m_confirmReset.data();
}

ApplicationChooser* RingsSettings::applicationChooser() const
{
    return m_chooser.data();
}

bool RingsSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)
        && isUndoOrRedo(*static_cast<QKeyEvent*>(event))) {
        return true; // not taken by the field, so the window's shortcut gets it
    }
    return QWidget::eventFilter(watched, event);
}

void RingsSettings::changeEvent(QEvent* event)
{
    if (!event || event->type() == QEvent::PaletteChange) {
        const QColor text = palette().color(QPalette::ButtonText);
        m_addRing->setIcon(SymbolPainter::icon(QStringLiteral("plus"), text));
        m_removeRing->setIcon(SymbolPainter::icon(QStringLiteral("minus"), text));
    }
    if (event)
        QWidget::changeEvent(event);
}

void RingsSettings::refresh()
{
    const QuickhaloConfig& config = m_editor.config();
    {
        const QSignalBlocker blocker(m_ringPicker);
        QStringList names;
        for (const RingPage& ring : config.rings)
            names.append(ring.name.isEmpty() ? QStringLiteral("(unnamed)") : ring.name);
        bool same = m_ringPicker->count() == names.size();
        for (int i = 0; same && i < names.size(); ++i)
            same = m_ringPicker->itemText(i) == names[i];
        if (!same) {
            m_ringPicker->clear();
            m_ringPicker->addItems(names);
        }
        m_ringPicker->setCurrentIndex(m_editor.safeRing());
    }
    m_removeRing->setEnabled(m_editor.ringCount() >= 2);
    // A failed save is told once as a notification; here it stays in sight until a save works.
    const std::optional<QString>& error = m_editor.saveError();
    m_saveError->setVisible(error.has_value());
    if (error) {
        m_saveError->setText(
            QStringLiteral("Your rings could not be saved: %1. Changes are kept until Quickhalo quits.").arg(*error));
    }

    const RingPage* ring = m_editor.ring();
    m_name->setEnabled(ring != nullptr);
    if (ring && m_name->text() != ring->name)
        m_name->setText(ring->name);
    const RingPage shown = ring ? *ring : RingPage {};
    m_slots->showSlots(shown.slices, m_editor.slot());
    const RingGlassStyle glass = RingGlassStyles::stored(m_preferences);
    m_preview->showRing(shown, m_editor.slot(), glass);

    if (const std::optional<int> slot = m_editor.slot(); slot && ring) {
        m_sliceEditor->showSlice(*slot, m_editor.selectedSlice());
        m_editorPages->setCurrentWidget(m_sliceEditor);
    } else {
        m_editorPages->setCurrentWidget(m_noSlot);
    }
}

void RingsSettings::confirmReset()
{
    if (m_confirmReset)
        return;
    auto* ask = new QMessageBox(QMessageBox::Warning, QStringLiteral("Reset to Defaults"),
        QStringLiteral("Reset all rings to the defaults?"), QMessageBox::NoButton, this);
    ask->setInformativeText(QStringLiteral("Ctrl+Z in this window brings your rings back."));
    QPushButton* reset = ask->addButton(QStringLiteral("Reset"), QMessageBox::DestructiveRole);
    ask->addButton(QMessageBox::Cancel);
    ask->setDefaultButton(QMessageBox::Cancel);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::buttonClicked, this, [this, reset](QAbstractButton* clicked) {
        if (clicked == reset)
            m_editor.resetToDefaults();
    });
    m_confirmReset = ask;
    ask->open();
}

void RingsSettings::chooseApplication()
{
    if (m_chooser) {
        m_chooser->raise();
        return;
    }
    auto* chooser = new ApplicationChooser(m_applications, m_pickFile, this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &ApplicationChooser::chosen, this,
        [this](const ApplicationChooser::Choice& choice) { m_editor.chooseApplication(choice.path, choice.title); });
    m_chooser = chooser;
    chooser->open();
}

}
