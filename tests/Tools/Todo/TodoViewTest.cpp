#include "Tools/Todo/TodoView.h"

#include "Base/Log.h"
#include "Tools/Todo/TodoStore.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

using namespace Quickhalo;

namespace {

class TodoViewTest : public ::testing::Test {
protected:
    std::unique_ptr<TodoStore> makeStore()
    {
        return std::make_unique<TodoStore>(folder.filePath(QStringLiteral("todo.json")), [this] { return now; });
    }
    std::unique_ptr<TodoView> show()
    {
        auto view = std::make_unique<TodoView>(*store, [this] { return now; });
        view->resize(340, 420);
        view->show();
        return view;
    }
    void type(TodoView& view, const QString& text)
    {
        QTest::keyClicks(view.input(), text);
        QTest::keyClick(view.input(), Qt::Key_Return);
    }
    // What the file holds, in its order.
    QStringList onDisk()
    {
        store->waitForWrites();
        QStringList texts;
        for (const TodoItem& item : TodoStore::decode(folder.read(QStringLiteral("todo.json"))).value_or(QList<TodoItem> {}))
            texts << item.text + (item.done ? QStringLiteral(" (done)") : QString());
        return texts;
    }
    static QStringList shown(const TodoView& view)
    {
        QStringList rows;
        const QAbstractItemModel& model = *view.list()->model();
        for (int row = 0; row < model.rowCount(); ++row)
            rows << model.index(row, 0).data().toString();
        return rows;
    }
    static bool showsEmptyLine(const TodoView& view)
    {
        return qobject_cast<QStackedWidget*>(view.emptyLine()->parentWidget())->currentWidget() == view.emptyLine();
    }
    QRect rowRect(const TodoView& view, int row) const
    {
        return view.list()->visualRect(view.list()->model()->index(row, 0));
    }

    Testing::TemporaryFolder folder;
    Log::Capture log;
    QDateTime now { QDate(2026, 12, 10), QTime(9, 30) };
    std::unique_ptr<TodoStore> store = makeStore();
};

}

TEST_F(TodoViewTest, TheEntryLineAddsAtTheTopAndTheFooterCounts)
{
    auto view = show();
    EXPECT_TRUE(showsEmptyLine(*view));
    EXPECT_EQ(view->footer()->text(), QStringLiteral("0 left"));
    EXPECT_FALSE(view->clearDoneButton()->isEnabled());
    EXPECT_EQ(view->keptAsideLine(), nullptr);
    EXPECT_TRUE(view->input()->hasFocus() || !QGuiApplication::focusWindow()) << "the line takes the keyboard";

    type(*view, QStringLiteral("  buy milk "));
    type(*view, QStringLiteral("   "));
    EXPECT_TRUE(view->input()->text().isEmpty()) << "a blank line is ignored, yet the field is emptied";
    type(*view, QStringLiteral("call Ann"));
    EXPECT_FALSE(showsEmptyLine(*view));
    EXPECT_EQ(shown(*view), (QStringList { QStringLiteral("call Ann"), QStringLiteral("buy milk") }));
    EXPECT_EQ(onDisk(), shown(*view));
    EXPECT_EQ(view->footer()->text(), QStringLiteral("2 left"));
}

TEST_F(TodoViewTest, ClicksTickAndDeleteAndClearDoneTakesOnlyTheFinished)
{
    for (const char* text : { "c", "b", "a" })
        store->add(QString::fromLatin1(text));
    auto view = show();
    // The round tick at the row's left edge.
    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowRect(*view, 1).topLeft() + QPoint(12, rowRect(*view, 1).height() / 2));
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("a"), QStringLiteral("b (done)"), QStringLiteral("c") }));
    EXPECT_EQ(view->footer()->text(), QStringLiteral("2 left"));
    EXPECT_TRUE(view->clearDoneButton()->isEnabled());
    // A click on the text itself ticks nothing.
    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowRect(*view, 0).center());
    EXPECT_EQ(view->footer()->text(), QStringLiteral("2 left"));

    // The cross at the right edge, drawn while the pointer is over the row.
    QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, rowRect(*view, 2).topRight() + QPoint(-14, rowRect(*view, 2).height() / 2));
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("a"), QStringLiteral("b (done)") }));

    store->add(QStringLiteral("d"));
    store->toggle(store->items()[0].id);
    QTest::mouseClick(view->clearDoneButton(), Qt::LeftButton);
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("a") }));
    EXPECT_FALSE(view->clearDoneButton()->isEnabled());
}

TEST_F(TodoViewTest, TheKeyboardTicksMovesAndDeletes)
{
    for (const char* text : { "c", "b", "a" })
        store->add(QString::fromLatin1(text));
    auto view = show();
    view->input()->setFocus();
    QTest::keyClick(view->input(), Qt::Key_Down);
    ASSERT_EQ(view->list()->currentIndex().row(), 0);
    QTest::keyClick(view->list(), Qt::Key_Space);
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("a (done)"), QStringLiteral("b"), QStringLiteral("c") }));
    QTest::keyClick(view->list(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(view->list(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(view->list(), Qt::Key_Down, Qt::AltModifier); // already last: stays
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a (done)") }));
    EXPECT_EQ(view->list()->currentIndex().row(), 2) << "the moved row stays current";
    QTest::keyClick(view->list(), Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(view->list(), Qt::Key_Delete);
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("b"), QStringLiteral("c") }));
    EXPECT_EQ(view->list()->currentIndex().row(), 1);
}

TEST_F(TodoViewTest, DraggingTheThirdRowToTheTopIsSavedAndComesBack)
{
    for (const char* text : { "c", "b", "a", "0" })
        store->add(QString::fromLatin1(text));
    auto view = show();
    QAbstractItemModel& model = *view->list()->model();
    // What the list does on a drop between rows.
    ASSERT_TRUE(model.moveRows({}, 2, 1, {}, 0));
    EXPECT_FALSE(model.moveRows({}, 1, 1, {}, 2)) << "a drop just below itself is no move";
    EXPECT_EQ(shown(*view), (QStringList { QStringLiteral("b"), QStringLiteral("0"), QStringLiteral("a"), QStringLiteral("c") }));
    EXPECT_EQ(onDisk(), shown(*view));
    view.reset();
    store = makeStore();
    EXPECT_EQ(shown(*show()), (QStringList { QStringLiteral("b"), QStringLiteral("0"), QStringLiteral("a"), QStringLiteral("c") }));
}

TEST_F(TodoViewTest, OpeningOnALaterDayDropsWhatWasFinishedBefore)
{
    for (const char* text : { "kept open", "done late yesterday" })
        store->add(QString::fromLatin1(text));
    now = QDateTime(QDate(2026, 12, 10), QTime(23, 50));
    store->toggle(store->items()[0].id);
    auto view = show();
    EXPECT_EQ(shown(*view).size(), 2) << "finished today: still there, struck through";
    view.reset();

    now = QDateTime(QDate(2026, 12, 11), QTime(0, 5));
    view = show();
    EXPECT_EQ(shown(*view), (QStringList { QStringLiteral("kept open") }));
    EXPECT_EQ(onDisk(), shown(*view));
}

TEST_F(TodoViewTest, AnUnreadableListIsKeptAsideAndThePanelSaysSo)
{
    const QByteArray users = "[{\"id\": \"not-a-uuid\", \"text\": \"mine\"}";
    folder.write(QStringLiteral("todo.json"), users);
    store = makeStore();
    auto view = show();
    ASSERT_NE(view->keptAsideLine(), nullptr);
    EXPECT_TRUE(view->keptAsideLine()->text().contains(QStringLiteral("todo.json")));
    type(*view, QStringLiteral("new"));
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("new") }));
    const QStringList aside = QDir(folder.path()).entryList({ QStringLiteral("todo*") }, QDir::Files);
    ASSERT_EQ(aside.size(), 2) << aside.join(u' ').toStdString();
    const QString keptName = aside[0] == QStringLiteral("todo.json") ? aside[1] : aside[0];
    EXPECT_EQ(folder.read(keptName), users);
}
