#include "Tools/Todo/TodoStore.h"

#include "Base/Log.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTimeZone>

using namespace Quickhalo;

namespace {

class TodoStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<TodoStore> make()
    {
        return std::make_unique<TodoStore>(folder.filePath(QStringLiteral("todo.json")), [this] { return now; });
    }
    QByteArray file(TodoStore& store)
    {
        store.waitForWrites();
        return folder.read(QStringLiteral("todo.json"));
    }
    static QStringList texts(const TodoStore& store)
    {
        QStringList result;
        for (const TodoItem& item : store.items())
            result << item.text;
        return result;
    }

    Testing::TemporaryFolder folder;
    Log::Capture log;
    QDateTime now { QDate(2026, 12, 10), QTime(9, 30, 15, 700), QTimeZone::utc() };
};

}

TEST_F(TodoStoreTest, AddsTrimmedAtTheTopAndWritesTheFileAsSpecified)
{
    auto store = make();
    store->add(QStringLiteral("  A \n"));
    store->add(QStringLiteral("B"));
    store->add(QStringLiteral(" \t\n "));
    store->add(QStringLiteral("C"));
    EXPECT_EQ(texts(*store), (QStringList { QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A") }));
    EXPECT_EQ(store->openCount(), 3);
    store->toggle(store->items()[1].id);
    EXPECT_EQ(store->openCount(), 2);

    const QByteArray bytes = file(*store);
    const QString text = QString::fromUtf8(bytes);
    // Keys sorted: createdAt, done, doneAt, id, text.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\"createdAt\": \"[^\"]+\",\\s*\"done\": true,\\s*\"doneAt\": \"[^\"]+\",\\s*"
                                                  "\"id\": \"[^\"]+\",\\s*\"text\": \"B\""))
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"createdAt\": \"2026-12-10T09:30:15Z\""))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("\"doneAt\"")), 1) << "only the done item has one";
    EXPECT_TRUE(text.contains(store->items()[0].id.toString(QUuid::WithoutBraces).toUpper()));
    EXPECT_EQ(TodoStore::decode(bytes), store->items()) << "whole seconds: what is kept reads back the same";

    // Ticked back: no doneAt any more.
    store->toggle(store->items()[1].id);
    EXPECT_EQ(store->items()[1].doneAt, std::nullopt);
    store->waitForWrites();
    EXPECT_EQ(make()->items(), store->items()) << "a new store reads what this one saved";
}

TEST_F(TodoStoreTest, ForgetsOnlyWhatWasTickedOffBeforeToday)
{
    auto store = make();
    for (const char* text : { "done yesterday late", "done this morning", "open" })
        store->add(QString::fromLatin1(text));
    now = QDateTime(QDate(2026, 12, 10), QTime(23, 50)); // local
    store->toggle(store->items()[2].id);
    now = QDateTime(QDate(2026, 12, 11), QTime(0, 5));
    store->toggle(store->items()[1].id);
    store->purgeOldDone(QDateTime(QDate(2026, 12, 11), QTime(0, 10)));
    EXPECT_EQ(texts(*store), (QStringList { QStringLiteral("open"), QStringLiteral("done this morning") }));

    const QByteArray saved = file(*store);
    store->purgeOldDone(QDateTime(QDate(2026, 12, 11), QTime(0, 20)));
    EXPECT_EQ(file(*store), saved);
    store->clearDone();
    EXPECT_EQ(texts(*store), QStringList { QStringLiteral("open") });
    store->remove(store->items()[0].id);
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(TodoStoreTest, MovesRowsAsAListDoes)
{
    const struct {
        QList<int> rows;
        int destination;
        const char* expected;
    } cases[] = {
        { { 0 }, 2, "BACD" },
        { { 3 }, 0, "DABC" },
        { { 0, 2 }, 4, "BDAC" },
        { { 1 }, 1, "ABCD" },
        { { 1 }, 2, "ABCD" },
        { { 2, 0 }, 2, "BACD" }, // the order given does not matter
        { { 9 }, 0, "ABCD" },
    };
    for (const auto& c : cases) {
        folder.write(QStringLiteral("todo.json"), "[]");
        auto store = make();
        for (const char* text : { "D", "C", "B", "A" })
            store->add(QString::fromLatin1(text));
        store->move(c.rows, c.destination);
        EXPECT_EQ(texts(*store).join(QString()), QString::fromLatin1(c.expected)) << c.destination;
    }
}

TEST_F(TodoStoreTest, AnUnreadableFileIsKeptAsideBeforeTheFirstChangeReplacesIt)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        { "not JSON", "{{{" },
        { "an object", "{\"items\": []}" },
        { "a missing key", R"([{"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","text":"x","done":false}])" },
        { "a wrong type", R"([{"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","text":1,"done":false,"createdAt":"2026-12-10T09:30:15Z"}])" },
        { "a bad doneAt", R"([{"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","text":"x","done":true,"createdAt":"2026-12-10T09:30:15Z","doneAt":"soon"}])" },
    };
    for (const auto& c : cases) {
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        folder.write(QStringLiteral("todo.json"), c.bytes);
        auto store = make();
        EXPECT_TRUE(store->items().isEmpty()) << c.name;
        EXPECT_TRUE(store->startedFromUnreadableFile()) << c.name;
        EXPECT_EQ(folder.read(QStringLiteral("todo.json")), c.bytes) << c.name << ": untouched until a change";
        store->add(QStringLiteral("new"));
        file(*store);
        const QStringList kept = QDir(folder.path()).entryList({ QStringLiteral("todo.json.kept-*") });
        ASSERT_EQ(kept.size(), 1) << c.name;
        EXPECT_EQ(folder.read(kept.first()), c.bytes) << c.name;
    }
    // A folder where the file should be: an empty list, and nothing crashes.
    QDir(folder.path()).removeRecursively();
    QDir().mkpath(folder.filePath(QStringLiteral("todo.json")));
    auto store = make();
    EXPECT_TRUE(store->items().isEmpty());
    store->add(QStringLiteral("x"));
    file(*store);
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("todo.json"))).isDir()) << "left as it is";
}

TEST(TodoStoreFile, TimesWrittenElsewhereAreReadAsTheWholeSecondsInUtc)
{
    const std::optional<QList<TodoItem>> items = TodoStore::decode(
        R"([{"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","text":"x","done":true,"createdAt":"2026-12-10T09:30:15.750+02:00","doneAt":"2026-12-10T10:00:00Z"}])");
    ASSERT_TRUE(items);
    EXPECT_EQ((*items)[0].createdAt, QDateTime(QDate(2026, 12, 10), QTime(7, 30, 15), QTimeZone::utc()));
    EXPECT_EQ(TodoStore::decode(TodoStore::encode(*items)), items);
}
