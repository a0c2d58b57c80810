#include "Tools/Clock/AlarmStore.h"

#include "Base/Log.h"
#include "Platform/Fake/FakeAlarmScheduler.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace Quickhalo;

namespace {

const QUuid idA = QUuid::fromString(QStringLiteral("{8f14e45f-ceea-467f-a0e6-0123456789ab}"));
const QUuid idB = QUuid::fromString(QStringLiteral("{c9f0f895-fb98-4b91-99f5-1a2b3c4d5e6f}"));
const QUuid idC = QUuid::fromString(QStringLiteral("{45c48cce-2e2d-4fbd-8f6a-abcdefabcdef}"));
const QString textA = QStringLiteral("8F14E45F-CEEA-467F-A0E6-0123456789AB");

class AlarmStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<AlarmStore> make()
    {
        return std::make_unique<AlarmStore>(scheduler, folder.filePath(QStringLiteral("alarms.json")),
            [this] { ++authorizationRequests; });
    }
    QByteArray file(AlarmStore& store)
    {
        store.waitForWrites();
        return folder.read(QStringLiteral("alarms.json"));
    }
    QStringList kept() const { return QDir(folder.path()).entryList({ QStringLiteral("alarms.json.kept-*") }); }

    Testing::TemporaryFolder folder;
    FakeAlarmScheduler scheduler;
    Log::Capture log;
    int authorizationRequests = 0;
};

}

TEST_F(AlarmStoreTest, KeepsTheAlarmsSortedByTimeInMemoryAndOnDisk)
{
    auto store = make();
    store->add({ idA, 9, 0, {}, true, false });
    store->add({ idB, 7, 30, QStringLiteral("Run"), true, true });
    store->add({ idC, 9, 0, QStringLiteral("B"), false, false });
    QStringList order;
    for (const Alarm& alarm : store->alarms())
        order << alarm.time() + u' ' + alarm.subtitle();
    EXPECT_EQ(order, QStringList({ QStringLiteral("07:30 Run · Every day"), QStringLiteral("09:00 Once"),
                         QStringLiteral("09:00 B · Once") }))
        << "same times keep the order they were added in";

    const QByteArray bytes = file(*store);
    EXPECT_EQ(AlarmStore::decode(bytes), store->alarms());
    qsizetype at = -1;
    for (const char* key : { "\"enabled\"", "\"hour\"", "\"id\"", "\"label\"", "\"minute\"", "\"repeatsDaily\"" }) {
        const qsizetype next = bytes.indexOf(key);
        EXPECT_GT(next, at) << key << " in order";
        at = next;
    }
    EXPECT_TRUE(bytes.contains(textA.toLatin1())) << "ids are written in upper case";

    store.reset();
    EXPECT_EQ(make()->alarms().size(), 3) << "read back at the next start";
}

TEST_F(AlarmStoreTest, RegistersExactlyTheEnabledAlarms)
{
    auto store = make();
    store->add({ idA, 7, 5, {}, true, false });
    store->add({ idB, 6, 0, QStringLiteral("Wake"), false, true });
    EXPECT_EQ(scheduler.registered.keys(), QStringList { textA });
    EXPECT_EQ(scheduler.registered.value(textA), (ScheduledAlarm { textA, 7, 5, false, QStringLiteral("Alarm"), QStringLiteral("07:05") }));

    Alarm off = *store->alarm(idA);
    off.enabled = false;
    store->update(off);
    EXPECT_TRUE(scheduler.registered.isEmpty());
    EXPECT_TRUE(file(*store).contains("\"enabled\": false"));
    off.enabled = true;
    store->update(off);
    EXPECT_EQ(scheduler.registered.keys(), QStringList { textA });

    store->update({ QUuid::createUuid(), 1, 1, {}, true, false });
    EXPECT_EQ(store->alarms().size(), 2) << "an unknown id changes nothing";

    store.reset(); // its saves are on disk once it is gone
    // What an earlier run left registered for an alarm since deleted.
    scheduler.registered.insert(QStringLiteral("GONE"), {});
    scheduler.calls.clear();
    make()->rescheduleAll();
    EXPECT_EQ(scheduler.registered.keys(), QStringList { textA }) << "only the enabled one, the stale one withdrawn";
    EXPECT_EQ(scheduler.calls, QStringList { QStringLiteral("replaceAll 1") }) << "one reconciliation, nothing registered twice";
    EXPECT_GT(authorizationRequests, 0);
}

TEST_F(AlarmStoreTest, RemovingRewritesTheFileAndWithdraws)
{
    auto store = make();
    store->add({ idA, 7, 5, {}, true, false });
    const QByteArray before = file(*store);
    store->remove(idC);
    EXPECT_EQ(file(*store), before) << "rewritten unchanged";
    EXPECT_EQ(scheduler.calls.last(), QStringLiteral("withdraw 45C48CCE-2E2D-4FBD-8F6A-ABCDEFABCDEF"));
    store->remove(idA);
    EXPECT_TRUE(store->alarms().isEmpty());
    EXPECT_TRUE(scheduler.registered.isEmpty());
    EXPECT_EQ(AlarmStore::decode(file(*store)), QList<Alarm> {});
}

TEST_F(AlarmStoreTest, AOneTimeAlarmIsSwitchedOffOnceItHasRung)
{
    auto store = make();
    store->add({ idA, 7, 5, {}, true, false });
    store->add({ idB, 8, 0, {}, true, true });
    store->fired(idA);
    store->fired(idB);
    EXPECT_FALSE(store->alarm(idA)->enabled);
    EXPECT_TRUE(store->alarm(idB)->enabled) << "a daily alarm stays on";
    EXPECT_FALSE(scheduler.registered.contains(textA));
    store.reset();
    EXPECT_FALSE(make()->alarm(idA)->enabled) << "so it does not ring again after a restart";
}

TEST_F(AlarmStoreTest, AHostileFileMeansNoAlarmsAndIsKeptBeforeItIsReplaced)
{
    const QByteArray good = R"([{"enabled":true,"hour":7,"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","label":"","minute":5,"repeatsDaily":false}])";
    ASSERT_TRUE(AlarmStore::decode(good));
    const std::pair<const char*, QByteArray> files[] = {
        { "no repeatsDaily", R"([{"enabled":true,"hour":7,"id":"8F14E45F-CEEA-467F-A0E6-0123456789AB","label":"","minute":5}])" },
        { "hour as text", QByteArray(good).replace("\"hour\":7", "\"hour\":\"7\"") },
        { "hour 24", QByteArray(good).replace("\"hour\":7", "\"hour\":24") },
        { "minute 5.5", QByteArray(good).replace("\"minute\":5", "\"minute\":5.5") },
        { "enabled as 1", QByteArray(good).replace("\"enabled\":true", "\"enabled\":1") },
        { "no id", QByteArray(good).replace("\"id\":\"8F14E45F-CEEA-467F-A0E6-0123456789AB\",", "") },
        { "an id that is no UUID", QByteArray(good).replace("8F14E45F-CEEA", "nonsense") },
        { "label null", QByteArray(good).replace("\"label\":\"\"", "\"label\":null") },
        { "an object", R"({"alarms":[]})" },
        { "a number in the list", "[1]" },
        { "not JSON", "alarms: 07:05" },
        { "bytes", QByteArray("\xff\xfe\0\x01", 4) },
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        for (const QString& old : QDir(folder.path()).entryList(QDir::Files))
            QFile::remove(folder.filePath(old));
        folder.write(QStringLiteral("alarms.json"), bytes);
        auto store = make();
        EXPECT_TRUE(store->alarms().isEmpty());
        store.reset();
        EXPECT_TRUE(kept().isEmpty()) << "nothing is copied until something would replace it";

        store = make();
        store->add({ idB, 6, 0, {}, true, false });
        const QByteArray now = file(*store);
        ASSERT_EQ(kept().size(), 1);
        EXPECT_EQ(folder.read(kept().first()), bytes) << "the user's file is kept";
        EXPECT_EQ(AlarmStore::decode(now)->size(), 1);
    }
}

TEST_F(AlarmStoreTest, AFolderInItsPlaceIsLeftAlone)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("alarms.json")));
    auto store = make();
    EXPECT_TRUE(store->alarms().isEmpty());
    store->add({ idA, 7, 5, {}, true, false });
    store->waitForWrites();
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("alarms.json"))).isDir());
    EXPECT_EQ(store->alarms().size(), 1) << "the change stays in memory";
}
