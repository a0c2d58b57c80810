#include "Tools/Todo/TodoStore.h"
#include "Tools/Todo/TodoView.h"

#include "Base/Log.h"
#include "support/DesktopTestSupport.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QListView>
#include <QProcess>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

// A real drag with the pointer, through the window system's drag and drop, reorders the list
// and the file.
TEST(TodoDragDesktopTest, DraggingTheThirdRowToTheTopSavesTheNewOrder)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    TemporaryFolder folder;
    Log::Capture log;
    TodoStore store(folder.filePath(QStringLiteral("todo.json")));
    for (const char* text : { "c", "b", "a" })
        store.add(QString::fromLatin1(text));
    TodoView view(store);
    view.resize(340, 420);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.activateWindow();
    QTest::qWait(200);

    QListView& list = *view.list();
    const auto onScreen = [&list](int row, int dy) {
        const QRect rect = list.visualRect(list.model()->index(row, 0));
        return list.viewport()->mapToGlobal(QPoint(rect.center().x(), rect.top() + dy));
    };
    const QPoint from = onScreen(2, list.visualRect(list.model()->index(2, 0)).height() / 2);
    const QPoint to = onScreen(0, 3); // the upper edge of the first row: above it
    // Run beside this process: the drag's own loop runs here while the pointer moves.
    const QString moves = QStringLiteral(
        "xdotool mousemove %1 %2 sleep 0.2 mousedown 1 sleep 0.2 mousemove %1 %3 sleep 0.1 mousemove %1 %4 "
        "sleep 0.1 mousemove %1 %5 sleep 0.3 mouseup 1")
                              .arg(from.x())
                              .arg(from.y())
                              .arg(from.y() - 12)
                              .arg((from.y() + to.y()) / 2)
                              .arg(to.y());
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sh"), { QStringLiteral("-c"), moves }));
    const auto texts = [&store] {
        QStringList result;
        for (const TodoItem& item : store.items())
            result << item.text;
        return result;
    };
    EXPECT_TRUE(waitUntil([&] { return texts() == QStringList { QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b") }; }, 5000))
        << texts().join(u',').toStdString();
    store.waitForWrites();
    EXPECT_EQ(store.items().size(), 3) << "moved, not copied or lost";
    const std::optional<QList<TodoItem>> onDisk = TodoStore::decode(folder.read(QStringLiteral("todo.json")));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(*onDisk, store.items());
}
