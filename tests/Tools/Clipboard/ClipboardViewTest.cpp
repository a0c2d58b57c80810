#include "Tools/Clipboard/ClipboardView.h"

#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Tools/Clipboard/ClipboardListing.h"
#include "Tools/Clipboard/ClipboardStore.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

class ClipboardViewTest : public ::testing::Test {
protected:
    // The history as the user copied it: the last one is the newest.
    void copied(const QStringList& texts)
    {
        for (const QString& text : texts)
            store.record(text);
    }

    ClipboardView& open()
    {
        view = std::make_unique<ClipboardView>(store,
            ToolViewHandoff { [this] { handoff << QStringLiteral("close"); },
                [this](const QString& toast) { handoff << QStringLiteral("paste or toast: ") + toast; } });
        view->resize(360, 420);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }

    void type(const QString& text) { QTest::keyClicks(view->searchField(), text); }
    void press(Qt::Key key) { QTest::keyClick(view->searchField(), key); }

    QStringList rows() const
    {
        QStringList shown;
        for (int i = 0; i < view->list()->count(); ++i)
            shown << view->list()->item(i)->text();
        return shown;
    }
    QString message() const { return view->emptyMessage()->isVisible() ? view->emptyMessage()->text() : QString(); }

    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore store { clipboard, clock };
    QStringList handoff;
    std::unique_ptr<ClipboardView> view;
};

}

TEST_F(ClipboardViewTest, ShowsFirstLinesAndTheRightEmptyMessage)
{
    open();
    EXPECT_EQ(message(), QStringLiteral("Nothing copied yet"));

    copied({ QStringLiteral("say hello"), QStringLiteral("\n  two\nlines "), QStringLiteral("  hello  ") });
    EXPECT_EQ(message(), QString());
    EXPECT_EQ(rows(), (QStringList { QStringLiteral("hello"), QStringLiteral("two"), QStringLiteral("say hello") }));

    type(QStringLiteral("HELLO"));
    EXPECT_EQ(view->shownItems(), (QStringList { QStringLiteral("  hello  "), QStringLiteral("say hello") }));
    type(QStringLiteral("x"));
    EXPECT_EQ(message(), QStringLiteral("No matches"));

    view->clearButton()->click();
    EXPECT_TRUE(store.items().isEmpty());
    EXPECT_EQ(message(), QStringLiteral("Nothing copied yet"));
}

TEST_F(ClipboardViewTest, ArrowsMoveTheSelectionWithinTheListAndTypingResetsIt)
{
    copied({ QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a") });
    open();
    press(Qt::Key_Up);
    EXPECT_EQ(view->selection(), 0);
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Down);
    EXPECT_EQ(view->selection(), 2) << "down at the last row stays there";
    EXPECT_EQ(view->searchField()->text(), QString()) << "the arrows are the list's, not the field's";
    press(Qt::Key_Up);
    EXPECT_EQ(view->selection(), 1);
    type(QStringLiteral("c"));
    EXPECT_EQ(view->selection(), 0);

    // With nothing shown the arrows leave a usable selection for when something arrives.
    type(QStringLiteral("zzz"));
    press(Qt::Key_Down);
    EXPECT_EQ(view->selection(), 0);
}

TEST_F(ClipboardViewTest, ReturnCopiesTheSelectedEntryThenClosesThenPastes)
{
    copied({ QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three") });
    open();
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(clipboard.text(), QStringLiteral("two"));
    EXPECT_EQ(store.items().first(), QStringLiteral("two"));
    EXPECT_EQ(store.items().size(), 3);
    EXPECT_EQ(store.lastChangeCount(), clipboard.changeCount()) << "the poller would take it again";
    EXPECT_EQ(handoff, (QStringList { QStringLiteral("close"), QStringLiteral("paste or toast: Copied — press Ctrl+V to paste") }));
}

TEST_F(ClipboardViewTest, ReturnOrChoosingOutsideTheListDoesNothing)
{
    open();
    press(Qt::Key_Return);
    copied({ QStringLiteral("only") });
    view->choose(1);
    view->choose(-1);
    EXPECT_TRUE(handoff.isEmpty());
    EXPECT_EQ(clipboard.changeCount(), 0u);
}

TEST_F(ClipboardViewTest, ClickingARowChoosesIt)
{
    copied({ QStringLiteral("first"), QStringLiteral("second") });
    open();
    QListWidget* list = view->list();
    const QRect secondRow = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, secondRow.center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !handoff.isEmpty(); }, 1000));
    EXPECT_EQ(clipboard.text(), QStringLiteral("first"));
}

TEST_F(ClipboardViewTest, SelectionScrollsIntoView)
{
    QStringList many;
    for (int i = 0; i < ClipboardStore::capacity; ++i)
        many << QStringLiteral("entry %1").arg(i);
    copied(many);
    open();
    QListWidget* list = view->list();
    for (int i = 0; i < 40; ++i)
        press(Qt::Key_Down);
    ASSERT_EQ(view->selection(), 40);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(40))));
}

TEST_F(ClipboardViewTest, AHugeEntryShowsAShortRowAndPastesWhole)
{
    const QString huge = QStringLiteral("  log start\n") + QString(10 * 1000 * 1000, QLatin1Char('x'));
    copied({ huge, QStringLiteral("small") });
    open();
    ASSERT_EQ(rows(), (QStringList { QStringLiteral("small"), QStringLiteral("log start") }));
    EXPECT_LE(view->list()->item(1)->toolTip().size(), ClipboardListing::Preview::toolTipLength);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_TRUE(clipboard.text() == huge) << "the whole text, not its preview";
    EXPECT_EQ(store.previews().size(), store.items().size());
    EXPECT_EQ(store.previews().first().row, QStringLiteral("log start"));
}
