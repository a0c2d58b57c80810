#include "Base/JsonFile.h"

#include "Base/Log.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Quickhalo;

TEST(JsonFile, SavesSortedPrettyJsonCreatingMissingFolders)
{
    Testing::TemporaryFolder folder;
    const QJsonObject value { { QLatin1String("zebra"), 1 }, { QLatin1String("apple"), QJsonObject { { QLatin1String("y"), true }, { QLatin1String("b"), QJsonValue::Null } } },
        { QLatin1String("list"), QJsonArray { 3, QLatin1String("two") } } };
    const QString path = folder.filePath(QStringLiteral("a/b/c/todo.json"));

    EXPECT_TRUE(JsonFile::save(value, path));
    const QByteArray bytes = folder.read(QStringLiteral("a/b/c/todo.json"));
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object(), value);
    EXPECT_LT(bytes.indexOf("\"apple\""), bytes.indexOf("\"list\""));
    EXPECT_LT(bytes.indexOf("\"list\""), bytes.indexOf("\"zebra\""));
    EXPECT_LT(bytes.indexOf("\"b\""), bytes.indexOf("\"y\""));
    EXPECT_TRUE(bytes.contains('\n')) << "pretty-printed";

    // Replacing leaves exactly the one file behind: no temporary files linger.
    EXPECT_TRUE(JsonFile::save(QJsonArray { 1 }, path));
    EXPECT_EQ(QDir(folder.filePath(QStringLiteral("a/b/c"))).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("todo.json") });
}

TEST(JsonFile, FailureIsLoggedWithTheFileNameAndReturnsFalse)
{
    Testing::TemporaryFolder folder;
    folder.write(QStringLiteral("blocker"), "a file, not a folder");
    struct Case {
        const char* name;
        QString path;
    } cases[] = {
        { "parent is a file", folder.filePath(QStringLiteral("blocker/links.json")) },
        { "target is a folder", folder.path() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Log::Capture log;
        EXPECT_FALSE(JsonFile::save(QJsonObject {}, c.path));
        ASSERT_EQ(log.lines().size(), 1);
        const QString expectedStart = QStringLiteral("Quickhalo: failed to save %1: ").arg(QFileInfo(c.path).fileName());
        EXPECT_TRUE(log.lines()[0].startsWith(expectedStart)) << log.lines()[0].toStdString();
        EXPECT_GT(log.lines()[0].size(), expectedStart.size()) << "the reason follows";
    }
    EXPECT_EQ(folder.read(QStringLiteral("blocker")), QByteArray("a file, not a folder"));
}
