#include "SettingsFixture.h"

#include "Settings/ApplicationChooser.h"
#include "Settings/RingPreview.h"
#include "Settings/SlotList.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QToolButton>

#include <chrono>
#include <thread>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

class RingsSettingsTest : public SettingsFixture {
protected:
    void SetUp() override
    {
        open();
        showRingsTab();
    }

    // The rings a fresh start shows: the defaults, not yet saved.
    const QuickhaloConfig& live() const { return store->config(); }

    QString rowText(int row) const { return rings().slotList().item(row)->text(); }

    // Through the window, as the keyboard does it, so that shortcuts see the key.
    void press(QWidget& focus, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        focus.activateWindow();
        focus.setFocus();
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
};

// Starts from a file the test writes.
class RingsFromFileTest : public SettingsFixture { };

}

TEST_F(RingsSettingsTest, PlusAddsRingNSelectedWithEightEmptySlots)
{
    ASSERT_EQ(live().rings.size(), 3u);
    rings().addRingButton().click();
    const QuickhaloConfig saved = onDisk();
    ASSERT_EQ(saved.rings.size(), 4u);
    EXPECT_EQ(saved.rings[3].name, QStringLiteral("Ring 4"));
    for (const auto& slot : saved.rings[3].slices)
        EXPECT_FALSE(slot.has_value());
    EXPECT_FALSE(saved.rings[3].id.isNull());
    EXPECT_EQ(rings().ringPicker().currentIndex(), 3);
    EXPECT_EQ(rings().ringPicker().currentText(), QStringLiteral("Ring 4"));
    EXPECT_EQ(rings().nameField().text(), QStringLiteral("Ring 4"));
    EXPECT_TRUE(rings().noSlotText().isVisible()) << "no slot is selected in the new ring";
    EXPECT_EQ(rowText(0), QStringLiteral("Empty"));
}

TEST_F(RingsSettingsTest, RemovingTheSelectedLastRingSelectsTheNewLast)
{
    rings().addRingButton().click();
    ASSERT_EQ(rings().ringPicker().currentIndex(), 3);
    rings().removeRingButton().click();
    EXPECT_EQ(onDisk().rings.size(), 3u);
    EXPECT_EQ(rings().ringPicker().currentIndex(), 2);
    EXPECT_EQ(rings().nameField().text(), QStringLiteral("More"));

    // A middle ring goes and the one after it takes its place.
    pick(rings().ringPicker(), QStringLiteral("Launch"));
    rings().removeRingButton().click();
    const QuickhaloConfig saved = onDisk();
    ASSERT_EQ(saved.rings.size(), 2u);
    EXPECT_EQ(saved.rings[1].name, QStringLiteral("More"));
    EXPECT_EQ(rings().nameField().text(), QStringLiteral("More"));
}

TEST_F(RingsSettingsTest, TheLastRingIsNeverRemoved)
{
    rings().removeRingButton().click();
    rings().removeRingButton().click();
    ASSERT_EQ(onDisk().rings.size(), 1u);
    EXPECT_FALSE(rings().removeRingButton().isEnabled());
    const QByteArray before = folder.read(QStringLiteral("config.json"));
    window->ringEditor().removeRing(); // even when asked directly
    EXPECT_EQ(folder.read(QStringLiteral("config.json")), before);
    EXPECT_EQ(live().rings.size(), 1u);
}

TEST_F(RingsSettingsTest, TypingANameSavesEachEditAndNamesThePickerEntry)
{
    typeInto(rings().nameField(), QStringLiteral("Daily"));
    EXPECT_EQ(onDisk().rings[0].name, QStringLiteral("Daily"));
    EXPECT_EQ(rings().ringPicker().itemText(0), QStringLiteral("Daily"));
    QTest::keyClick(&rings().nameField(), Qt::Key_Backspace);
    EXPECT_EQ(onDisk().rings[0].name, QStringLiteral("Dail"));
}

TEST_F(RingsSettingsTest, SlotRowsShowTitlesOrEmpty)
{
    EXPECT_EQ(rowText(0), QStringLiteral("Clipboard"));
    pick(rings().ringPicker(), QStringLiteral("More"));
    EXPECT_EQ(rowText(5), QStringLiteral("Reminders"));
    EXPECT_EQ(rowText(6), QStringLiteral("Empty"));
    EXPECT_EQ(rings().slotList().count(), 8);
}

TEST_F(RingsSettingsTest, AddActionFillsAnEmptySlotAndClearEmptiesIt)
{
    pick(rings().ringPicker(), QStringLiteral("More"));
    rings().slotList().setCurrentRow(7);
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 8"));
    EXPECT_FALSE(slice().isShowingForm()) << "the empty slot offers Add action";
    slice().addActionButton().click();
    const std::optional<Slice> added = diskSlots(2)[7];
    ASSERT_TRUE(added);
    EXPECT_EQ(added->title, QStringLiteral("Clipboard"));
    EXPECT_EQ(added->symbol, QStringLiteral("doc.on.clipboard"));
    EXPECT_EQ(added->kind, ActionKind(Actions::Builtin { BuiltinTool::clipboard }));
    EXPECT_FALSE(added->id.isNull());
    EXPECT_TRUE(slice().isShowingForm());

    slice().clearButton().click();
    EXPECT_FALSE(diskSlots(2)[7].has_value());
    EXPECT_EQ(rowText(7), QStringLiteral("Empty"));
}

TEST_F(RingsSettingsTest, AnotherTypeStartsFromItsInitialPayloadKeepingTitleAndSymbol)
{
    struct Case {
        const char* label;
        ActionKind expected;
        const char* payloadLabel; // empty: no payload row
    };
    const Case cases[] = {
        { "App", Actions::App {}, "App path" },
        { "Website", Actions::Url { QStringLiteral("https://") }, "URL" }, // from an app, as users often do
        { "Shortcut", Actions::Shortcut {}, "Shortcut name" },
        { "Shell command", Actions::Shell {}, "Command" },
        { "Window snap", Actions::Snap { WindowPosition::leftHalf }, "" },
        { "Built-in", Actions::Builtin { BuiltinTool::clipboard }, "" },
    };
    fillSlot(7);
    typeInto(slice().titleField(), QStringLiteral("Mine"));
    typeInto(slice().symbolField(), QStringLiteral("star"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        pick(slice().typePicker(), QString::fromLatin1(c.label));
        const std::optional<Slice> saved = diskSlots()[7];
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->kind, c.expected);
        EXPECT_EQ(saved->title, QStringLiteral("Mine"));
        EXPECT_EQ(saved->symbol, QStringLiteral("star"));
        EXPECT_EQ(slice().payloadLabel(), QString::fromLatin1(c.payloadLabel));
    }
}

TEST_F(RingsSettingsTest, PickingTheTypeItAlreadyHasKeepsWhatWasTyped)
{
    fillSlot(7);
    pick(slice().typePicker(), QStringLiteral("Shell command"));
    typeInto(slice().payloadField(), QStringLiteral("echo hi"));
    pick(slice().typePicker(), QStringLiteral("Shell command"));
    EXPECT_EQ(diskSlots()[7]->kind, ActionKind(Actions::Shell { QStringLiteral("echo hi") }));
}

TEST_F(RingsSettingsTest, EachTypesFieldIsSavedAsTyped)
{
    struct Case {
        const char* type;
        const char* typed;
        ActionKind expected;
    };
    const Case cases[] = {
        { "App", "/usr/bin/xterm", Actions::App { QStringLiteral("/usr/bin/xterm") } },
        { "Website", "https://debian.org", Actions::Url { QStringLiteral("https://debian.org") } },
        { "Shortcut", "Backup", Actions::Shortcut { QStringLiteral("Backup") } },
        { "Shell command", "notify-send 'a b'", Actions::Shell { QStringLiteral("notify-send 'a b'") } },
        { "Website", "not a url", Actions::Url { QStringLiteral("not a url") } }, // fails only when run
    };
    fillSlot(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        pick(slice().typePicker(), QString::fromLatin1(c.type));
        typeInto(slice().payloadField(), QString::fromUtf8(c.typed));
        EXPECT_EQ(diskSlots()[7]->kind, c.expected);
    }
}

TEST_F(RingsSettingsTest, ChoosingAToolOrPositionCopiesItsTitleAndSymbol)
{
    fillSlot(7);
    pick(slice().toolPicker(), QStringLiteral("Units"));
    std::optional<Slice> saved = diskSlots()[7];
    EXPECT_EQ(saved->kind, ActionKind(Actions::Builtin { BuiltinTool::units }));
    EXPECT_EQ(saved->title, QStringLiteral("Units"));
    EXPECT_EQ(saved->symbol, QStringLiteral("arrow.left.arrow.right"));
    EXPECT_EQ(slice().toolPicker().count(), 16) << "every built-in tool";

    pick(slice().typePicker(), QStringLiteral("Window snap"));
    pick(slice().positionPicker(), WindowPositions::title(WindowPosition::topRight));
    saved = diskSlots()[7];
    EXPECT_EQ(saved->kind, ActionKind(Actions::Snap { WindowPosition::topRight }));
    EXPECT_EQ(saved->title, WindowPositions::title(WindowPosition::topRight));
    EXPECT_EQ(saved->symbol, WindowPositions::symbol(WindowPosition::topRight));
    EXPECT_EQ(rowText(7), WindowPositions::title(WindowPosition::topRight));
}

TEST_F(RingsSettingsTest, AnUnknownIconNameShowsTheQuestionMarkAndIsStoredAsTyped)
{
    rings().slotList().setCurrentRow(0);
    QLabel& preview = slice().symbolPreview();
    EXPECT_TRUE(preview.property("isKnownSymbol").toBool());
    typeInto(slice().symbolField(), QStringLiteral("not.a.symbol"));
    EXPECT_FALSE(preview.property("isKnownSymbol").toBool());
    EXPECT_EQ(preview.toolTip(), QStringLiteral("Unknown symbol name"));
    EXPECT_EQ(diskSlots()[0]->symbol, QStringLiteral("not.a.symbol"));

    typeInto(slice().symbolField(), QStringLiteral("folder"));
    EXPECT_TRUE(preview.property("isKnownSymbol").toBool());
    EXPECT_NE(preview.toolTip(), QStringLiteral("Unknown symbol name"));
}

TEST_F(RingsSettingsTest, ResetAsksFirstThenRestoresTheDefaultsAndShowsTheFirstRing)
{
    rings().addRingButton().click();
    ASSERT_EQ(onDisk().rings.size(), 4u);

    rings().resetButton().click();
    QMessageBox* ask = rings().resetConfirmation();
    ASSERT_TRUE(ask);
    EXPECT_EQ(ask->text(), QStringLiteral("Reset all rings to the defaults?"));
    ask->button(QMessageBox::Cancel)->click();
    EXPECT_EQ(onDisk().rings.size(), 4u) << "cancelled";
    ASSERT_TRUE(waitUntil([this] { return rings().resetConfirmation() == nullptr; }));

    rings().resetButton().click();
    ask = rings().resetConfirmation();
    ASSERT_TRUE(ask);
    QAbstractButton* reset = nullptr;
    for (QAbstractButton* button : ask->buttons()) {
        if (button->text() == QStringLiteral("Reset"))
            reset = button;
    }
    ASSERT_TRUE(reset);
    EXPECT_EQ(ask->buttonRole(reset), QMessageBox::DestructiveRole);
    reset->click();
    const QuickhaloConfig saved = onDisk();
    ASSERT_EQ(saved.rings.size(), 3u);
    EXPECT_EQ(saved.rings[0].name, QStringLiteral("Tools"));
    EXPECT_EQ(saved.rings[2].name, QStringLiteral("More"));
    EXPECT_EQ(rings().ringPicker().currentIndex(), 0);
}

TEST_F(RingsSettingsTest, ChoosingAnApplicationByKeyboardSetsPathAndTitle)
{
    fillSlot(7);
    pick(slice().typePicker(), QStringLiteral("App"));
    slice().chooseButton().click();
    ApplicationChooser* chooser = rings().applicationChooser();
    ASSERT_TRUE(chooser);
    ASSERT_TRUE(waitUntil([chooser] { return chooser->isLoaded(); }));
    EXPECT_EQ(chooser->shownCount(), 3);

    QTest::keyClicks(&chooser->searchField(), QStringLiteral("E"));
    EXPECT_EQ(chooser->shownCount(), 3) << "Firefox ESR, Files and XTerm all hold an e";
    QTest::keyClick(&chooser->searchField(), Qt::Key_Backspace);
    QTest::keyClicks(&chooser->searchField(), QStringLiteral("r"));
    EXPECT_EQ(chooser->shownCount(), 2) << "Firefox ESR and XTerm";
    EXPECT_EQ(chooser->currentName(), QStringLiteral("Firefox ESR"));
    QTest::keyClick(&chooser->searchField(), Qt::Key_Down);
    EXPECT_EQ(chooser->currentName(), QStringLiteral("XTerm"));
    QTest::keyClick(&chooser->searchField(), Qt::Key_Return);

    const std::optional<Slice> saved = diskSlots()[7];
    EXPECT_EQ(saved->kind, ActionKind(Actions::App { QStringLiteral("/usr/share/applications/xterm.desktop") }));
    EXPECT_EQ(saved->title, QStringLiteral("XTerm"));
    EXPECT_TRUE(waitUntil([this] { return rings().applicationChooser() == nullptr; })) << "the chooser closes";
}

TEST_F(RingsSettingsTest, OtherFileTakesAnyFileAndNamesItWithoutItsExtension)
{
    struct Case {
        const char* file;
        const char* title;
    };
    const Case cases[] = {
        { "/Applications/Safari.app", "Safari" },
        { "/usr/bin/gimp", "gimp" },
        { "/usr/share/applications/org.gnome.Nautilus.desktop", "Files" }, // a desktop entry names itself
    };
    fillSlot(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        pickedFile = QString::fromLatin1(c.file);
        slice().chooseButton().click();
        ApplicationChooser* chooser = rings().applicationChooser();
        ASSERT_TRUE(chooser);
        QPushButton* other = nullptr;
        for (QPushButton* button : chooser->findChildren<QPushButton*>()) {
            if (button->text().remove(u'&') == QStringLiteral("Other file…"))
                other = button;
        }
        ASSERT_TRUE(other);
        other->click();
        const std::optional<Slice> saved = diskSlots()[7];
        EXPECT_EQ(saved->kind, ActionKind(Actions::App { pickedFile }));
        EXPECT_EQ(saved->title, QString::fromLatin1(c.title));
        ASSERT_TRUE(waitUntil([this] { return rings().applicationChooser() == nullptr; }));
    }
}

TEST_F(RingsSettingsTest, DraggingARowOntoAnotherSwapsThemInOneSave)
{
    const RingPage::Slots before = live().rings[0].slices;
    SlotList& list = rings().slotList();
    QSignalSpy saves(store.get(), &ConfigStore::configChanged);
    const QPoint from = list.visualItemRect(list.item(0)).center();
    const QPoint to = list.visualItemRect(list.item(3)).center();
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(list.viewport(), from + QPoint(0, 10));
    QTest::mouseMove(list.viewport(), to);
    EXPECT_EQ(list.dropTarget(), 3);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, to);

    EXPECT_EQ(saves.count(), 1);
    const RingPage::Slots saved = diskSlots();
    EXPECT_EQ(saved[3], before[0]);
    EXPECT_EQ(saved[0], before[3]);
    EXPECT_EQ(saved[1], before[1]);
    EXPECT_EQ(list.currentRow(), 3) << "the selection follows the dragged slot";

    // The keyboard does the same, one place at a time.
    QTest::keyClick(&list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(diskSlots()[2], before[0]);
    EXPECT_EQ(list.currentRow(), 2);
}

TEST_F(RingsSettingsTest, DraggingASlotInThePreviewSwapsThem)
{
    const RingPage::Slots before = live().rings[0].slices;
    RingPreview& preview = rings().preview();
    const QPoint from = preview.slotCentre(1).toPoint();
    const QPoint to = preview.slotCentre(5).toPoint();
    QSignalSpy saves(store.get(), &ConfigStore::configChanged);
    QTest::mousePress(&preview, Qt::LeftButton, {}, from);
    QTest::mouseMove(&preview, from + QPoint(8, 8));
    QTest::mouseMove(&preview, to);
    EXPECT_EQ(preview.dropTarget(), 5);
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, to);

    EXPECT_EQ(saves.count(), 1);
    const RingPage::Slots saved = diskSlots();
    EXPECT_EQ(saved[5], before[1]);
    EXPECT_EQ(saved[1], before[5]);
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 6"));

    // A click without a drag only selects.
    QTest::mouseClick(&preview, Qt::LeftButton, {}, preview.slotCentre(2).toPoint());
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 3"));
    EXPECT_EQ(saves.count(), 1);
}

TEST_F(RingsSettingsTest, CtrlZUndoesTheEditsAndCtrlShiftZRedoesThemOnDisk)
{
    rings().addRingButton().click(); // saves the defaults as they were, plus a ring
    const QuickhaloConfig afterAdding = onDisk();
    QLineEdit& name = rings().nameField();
    typeInto(name, QStringLiteral("Work")); // typing is one step
    rings().slotList().setCurrentRow(0);
    slice().addActionButton().click();
    pick(slice().toolPicker(), QStringLiteral("Notes"));
    const QuickhaloConfig edited = onDisk();

    press(name, Qt::Key_Z, Qt::ControlModifier); // the field's own undo gives way
    EXPECT_FALSE(onDisk().rings[3].slices[0].value().kind == ActionKind(Actions::Builtin { BuiltinTool::notes }));
    press(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(onDisk().rings[3].slices[0].has_value());
    press(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(onDisk(), afterAdding);
    EXPECT_EQ(name.text(), QStringLiteral("Ring 4"));
    press(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(onDisk().rings.size(), 3u);

    for (int i = 0; i < 4; ++i)
        press(name, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(onDisk(), edited);
    EXPECT_EQ(rings().ringPicker().currentText(), QStringLiteral("Work"));
}

TEST_F(RingsSettingsTest, UndoReachesBackAtLeastTwentyStepsAndEndsWithTheWindow)
{
    RingEditor& editor = window->ringEditor();
    editor.selectSlot(0);
    editor.setTitle(QStringLiteral("start"));
    const QuickhaloConfig start = onDisk();
    for (int i = 0; i < 30; ++i)
        editor.moveSlot(i % 8, (i + 3) % 8);
    const QuickhaloConfig end = onDisk();
    for (int i = 0; i < 30; ++i)
        editor.undo();
    EXPECT_EQ(onDisk(), start);
    for (int i = 0; i < 30; ++i)
        editor.redo();
    EXPECT_EQ(onDisk(), end);

    window->close();
    EXPECT_FALSE(editor.canUndo()) << "a new opening starts a new history";
    EXPECT_EQ(onDisk(), end);
}

TEST_F(RingsSettingsTest, EditsWithoutAValidSlotWriteNothing)
{
    RingEditor& editor = window->ringEditor();
    editor.selectSlot(8);
    editor.selectSlot(-1);
    EXPECT_FALSE(editor.slot());
    editor.setTitle(QStringLiteral("nowhere"));
    editor.clearSlot();
    editor.moveSlot(0, 8);
    editor.selectRing(7);
    EXPECT_EQ(editor.safeRing(), 0);
    EXPECT_FALSE(folder.exists(QStringLiteral("config.json"))) << "nothing was saved";
    EXPECT_FALSE(editor.canUndo());
}

TEST_F(RingsFromFileTest, ALossyFileShowsItsKeptSlotsAndTheFirstEditSavesItClean)
{
    folder.write(QStringLiteral("config.json"), R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"Mine",
        "slices":[{"id":"0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0","title":"Files","symbol":"folder",
                   "kind":{"app":{"path":"/usr/bin/nautilus"}}},
                  {"id":"1F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0","title":"Future","symbol":"star",
                   "kind":{"teleport":{"_0":"moon"}}},
                  null,
                  {"id":"2F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0","title":"Web","symbol":"globe",
                   "kind":{"url":{"_0":"https://debian.org"}}}]}]})");
    open();
    showRingsTab();
    SlotList& list = rings().slotList();
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Files"));
    EXPECT_EQ(list.item(1)->text(), QStringLiteral("Empty")) << "the slot that could not be read";
    EXPECT_EQ(list.item(2)->text(), QStringLiteral("Empty"));
    EXPECT_EQ(list.item(3)->text(), QStringLiteral("Web"));

    typeInto(rings().nameField(), QStringLiteral("Mine too"));
    const QuickhaloConfig saved = onDisk(); // checks that nothing was dropped this time
    ASSERT_EQ(saved.rings.size(), 1u);
    EXPECT_EQ(saved.rings[0].name, QStringLiteral("Mine too"));
    EXPECT_EQ(saved.rings[0].slices[3]->title, QStringLiteral("Web"));
    EXPECT_FALSE(saved.rings[0].slices[1].has_value());
    const QStringList kept = QDir(folder.path()).entryList({ QStringLiteral("config.json.kept-*") });
    EXPECT_EQ(kept.size(), 1) << "the file as it was is kept beside";
}

TEST_F(RingsSettingsTest, ClosingWhileTheApplicationsAreStillReadWaitsForTheReading)
{
    QSemaphore slowDisk;
    applications.gate = &slowDisk;
    fillSlot(7);
    pick(slice().typePicker(), QStringLiteral("App"));
    slice().chooseButton().click();
    ASSERT_TRUE(rings().applicationChooser());
    EXPECT_FALSE(rings().applicationChooser()->isLoaded());

    std::thread disk([&slowDisk] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        slowDisk.release();
    });
    window.reset(); // the reading uses what the window was given, which may go next
    disk.join();
    EXPECT_EQ(applications.listCount(), 1) << "the reading was over before the window was gone";
    applications.gate = nullptr;
    QCoreApplication::processEvents(); // its answer finds no chooser, and nothing happens
}

TEST_F(RingsSettingsTest, UndoBringsBackARemovedRingThenTheEditBeforeIt)
{
    const QuickhaloConfig start = live();
    pick(rings().ringPicker(), QStringLiteral("More"));
    rings().slotList().setCurrentRow(6);
    slice().addActionButton().click();
    const QuickhaloConfig edited = onDisk();
    pick(rings().ringPicker(), QStringLiteral("Launch"));
    rings().removeRingButton().click();
    ASSERT_EQ(onDisk().rings.size(), 2u);

    RingEditor& editor = window->ringEditor();
    editor.undo();
    EXPECT_EQ(onDisk(), edited);
    EXPECT_EQ(rings().ringPicker().currentText(), QStringLiteral("Launch")) << "shows the ring it brought back";
    editor.undo();
    EXPECT_EQ(onDisk(), start);
    EXPECT_EQ(rings().ringPicker().currentText(), QStringLiteral("More"));
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 7"));
    EXPECT_EQ(rowText(6), QStringLiteral("Empty"));
}

TEST_F(RingsFromFileTest, AFailedSaveStaysInSightUntilASaveWorks)
{
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("config.json")))); // a folder in the file's place
    open();
    showRingsTab();
    EXPECT_FALSE(rings().saveError().isVisible());
    typeInto(rings().nameField(), QStringLiteral("Kept in memory"));
    ASSERT_TRUE(rings().saveError().isVisible());
    EXPECT_TRUE(rings().saveError().text().contains(QStringLiteral("could not be saved")))
        << rings().saveError().text().toStdString();
    EXPECT_EQ(store->config().rings[0].name, QStringLiteral("Kept in memory"));

    ASSERT_TRUE(QDir(folder.filePath(QStringLiteral("config.json"))).removeRecursively());
    QTest::keyClicks(&rings().nameField(), QStringLiteral("!"));
    EXPECT_FALSE(rings().saveError().isVisible());
    EXPECT_EQ(onDisk().rings[0].name, QStringLiteral("Kept in memory!"));
}

// Every control is reached from the keyboard; a mnemonic taken twice in one view would do nothing.
TEST_F(RingsSettingsTest, TheKeyboardAloneEditsASlot)
{
    QWidget& anywhere = rings().nameField();
    press(anywhere, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(window->tabs().currentIndex(), 0);
    press(*QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(window->tabs().currentIndex(), 1);

    press(*QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), &rings().slotList());
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 1")) << "the list shows where it stands";
    press(rings().slotList(), Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot 2"));

    press(*QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), &slice().titleField());
    QTest::keyClick(window->windowHandle(), Qt::Key_End);
    for (const char key : { ' ', '2' })
        QTest::keyClick(window->windowHandle(), key);
    EXPECT_EQ(diskSlots()[1]->title, QStringLiteral("Screenshot 2"));

    press(*QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &slice().symbolField());
    press(*QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &slice().typePicker());
    press(*QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &rings().ringPicker());
}
