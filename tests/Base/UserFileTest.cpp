#include "Base/UserFile.h"

#include "support/FifosAndDevices.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

using namespace Quickhalo;

namespace {

bool makeLink(const QString& target, const QString& link)
{
    return QFile::link(target, link);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct ChildRun {
    int exitCode = -1;
    bool crashed = false;
    QString out;
};

ChildRun runChild(const QStringList& arguments)
{
    QProcess child;
    child.start(QStringLiteral(USER_FILE_CHILD), arguments);
    EXPECT_TRUE(child.waitForFinished(30000));
    return { child.exitCode(), child.exitStatus() == QProcess::CrashExit,
        QString::fromUtf8(child.readAllStandardOutput()).trimmed() };
}

}

TEST(UserFile, ReadsRegularFilesAndLinksToThemAndRefusesTheRestAtOnce)
{
    Testing::TemporaryFolder folder;
    folder.write(QStringLiteral("real.conf"), "a=1\n");
    ASSERT_TRUE(makeLink(folder.filePath(QStringLiteral("real.conf")), folder.filePath(QStringLiteral("linked.conf"))));
    ASSERT_TRUE(Testing::makeNode(folder.filePath(QStringLiteral("fifo")), S_IFIFO));
    ASSERT_TRUE(makeLink(folder.filePath(QStringLiteral("fifo")), folder.filePath(QStringLiteral("to-fifo"))));
    ASSERT_TRUE(makeLink(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("to-zero"))));
    ASSERT_TRUE(makeLink(folder.filePath(QStringLiteral("gone")), folder.filePath(QStringLiteral("dangling"))));
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    folder.write(QStringLiteral("exactly-limit"), QByteArray(1000, 'x'));
    folder.write(QStringLiteral("over-limit"), QByteArray(1001, 'x'));

    using Status = UserFile::ReadResult::Status;
    struct Case {
        const char* name;
        Status status;
        const char* reason;
    } cases[] = {
        { "real.conf", Status::ok, "" },
        { "linked.conf", Status::ok, "" },
        { "fifo", Status::notRegular, "FIFO" },
        { "to-fifo", Status::notRegular, "FIFO" },
        { "to-zero", Status::notRegular, "device" },
        { "dangling", Status::missing, "no such file" },
        { "nothing-here", Status::missing, "no such file" },
        { "sub", Status::notRegular, "folder" },
        { "exactly-limit", Status::ok, "" },
        { "over-limit", Status::tooLarge, "larger than 1000 bytes" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer timer;
        timer.start();
        const UserFile::ReadResult result = UserFile::read(folder.filePath(QString::fromUtf8(c.name)), 1000);
        EXPECT_LT(timer.elapsed(), 1000) << "nothing waits for a writer";
        EXPECT_EQ(result.status, c.status);
        EXPECT_TRUE(result.reason.contains(QString::fromUtf8(c.reason))) << result.reason.toStdString();
        if (c.status != Status::ok) {
            EXPECT_TRUE(result.bytes.isEmpty());
        }
    }
    EXPECT_EQ(UserFile::read(folder.filePath(QStringLiteral("linked.conf")), 1000).bytes, QByteArray("a=1\n"));
}

TEST(UserFile, ALinkToAFileStaysALinkAndItsTargetKeepsItsPermissions)
{
    Testing::TemporaryFolder folder;
    const QString target = folder.write(QStringLiteral("dotfiles/Quickhalo.conf"), "old\n");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    const QString link = folder.filePath(QStringLiteral("config/Quickhalo.conf"));
    QDir().mkpath(folder.filePath(QStringLiteral("config")));
    // A relative link, as dotfile managers make them.
    ASSERT_EQ(::symlink("../dotfiles/Quickhalo.conf", QFile::encodeName(link).constData()), 0);

    EXPECT_FALSE(UserFile::write(link, "new\n").has_value());
    EXPECT_EQ(Testing::fileTypeAt(link), S_IFLNK);
    EXPECT_EQ(folder.read(QStringLiteral("dotfiles/Quickhalo.conf")), QByteArray("new\n"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(folder.filePath(QStringLiteral("dotfiles"))), QStringList { QStringLiteral("Quickhalo.conf") });
}

TEST(UserFile, WhatIsNotARegularFileIsNeverReplaced)
{
    Testing::TemporaryFolder folder;
    const bool canMakeDevices = Testing::canMakeDevices();
    ASSERT_TRUE(Testing::makeNode(folder.filePath(QStringLiteral("fifo")), S_IFIFO));
    if (canMakeDevices) {
        ASSERT_TRUE(Testing::makeNode(folder.filePath(QStringLiteral("zero")), S_IFCHR));
    }
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    struct Case {
        const char* name;
        QString target; // what the written path leads to
        mode_t kind;
    } cases[] = {
        { "a FIFO", QStringLiteral("fifo"), S_IFIFO },
        { "a link to a FIFO", QStringLiteral("fifo"), S_IFIFO },
        { "a link to a device", QStringLiteral("zero"), S_IFCHR },
        { "a folder", QStringLiteral("sub"), S_IFDIR },
        { "a link to nothing", QStringLiteral("gone"), 0u },
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.kind == S_IFCHR && !canMakeDevices)
            continue; // device nodes need root, which CI has
        const QString target = folder.filePath(c.target);
        QString path = target;
        if (QString::fromUtf8(c.name).startsWith(QLatin1String("a link"))) {
            path = folder.filePath(QStringLiteral("link%1").arg(++number));
            ASSERT_TRUE(makeLink(target, path));
        }
        const std::optional<QString> error = UserFile::write(path, "the preferences\n");
        ASSERT_TRUE(error.has_value());
        EXPECT_FALSE(error->isEmpty());
        EXPECT_EQ(Testing::fileTypeAt(target), c.kind) << "still what it was";
    }
    EXPECT_EQ(Testing::fileTypeAt(folder.filePath(QStringLiteral("gone"))), 0u);
    EXPECT_TRUE(entries(folder.path()).filter(QStringLiteral("quickhalo")).isEmpty()) << entries(folder.path()).join(QLatin1Char(' ')).toStdString();
}

// A full disk: every write past the limit fails (EFBIG, the signal ignored), as ENOSPC would.
TEST(UserFile, AFullDiskLeavesTheOldFileByteForByte)
{
    Testing::TemporaryFolder folder;
    const QByteArray original = QByteArray("{\"rings\": []}\n").repeated(200);
    const QString path = folder.write(QStringLiteral("config.json"), original);
    for (const int limit : { 0, 4096, 8192 }) {
        SCOPED_TRACE(limit);
        const ChildRun run = runChild({ QStringLiteral("write-limited"), QString::number(limit), path, QStringLiteral("20000") });
        EXPECT_EQ(run.exitCode, 1) << "the failure is reported";
        EXPECT_TRUE(run.out.contains(QStringLiteral("too large"))) << run.out.toStdString();
        EXPECT_EQ(folder.read(QStringLiteral("config.json")), original);
        EXPECT_EQ(entries(folder.path()), QStringList { QStringLiteral("config.json") }) << "no temporary file left";
    }
    const ChildRun roomy = runChild({ QStringLiteral("write-limited"), QStringLiteral("100000"), path, QStringLiteral("20000") });
    EXPECT_EQ(roomy.exitCode, 0) << roomy.out.toStdString();
    EXPECT_EQ(folder.read(QStringLiteral("config.json")), QByteArray(20000, 'n'));
}

TEST(UserFile, ACrashAtAnyStepLeavesOneWholeFileAndLeftoversAreSweptAtStart)
{
    for (const char* step : { "created", "written", "synced", "linked", "renamed" }) {
        SCOPED_TRACE(step);
        Testing::TemporaryFolder folder;
        const QString path = folder.write(QStringLiteral("config.json"), "old contents\n");
        // Names of the user's own that look alike stay.
        for (const char* bystander : { "config.json.backup", ".config.json.quickhalo-abc", ".other.json.quickhalo-ABC123",
                 "config.json.kept-2026-12-10-101010" })
            folder.write(QString::fromUtf8(bystander), "mine");

        const ChildRun run = runChild({ QStringLiteral("crash-at"), QString::fromUtf8(step), path });
        EXPECT_TRUE(run.crashed);
        const QByteArray now = folder.read(QStringLiteral("config.json"));
        EXPECT_TRUE(now == "old contents\n" || now == "new contents\n") << now.constData();
        EXPECT_EQ(now == "new contents\n", QByteArray(step) == "renamed");

        UserFile::removeLeftovers(path);
        EXPECT_EQ(entries(folder.path()),
            (QStringList { QStringLiteral(".config.json.quickhalo-abc"), QStringLiteral(".other.json.quickhalo-ABC123"),
                QStringLiteral("config.json"), QStringLiteral("config.json.backup"),
                QStringLiteral("config.json.kept-2026-12-10-101010") }));
    }
}

TEST(UserFile, KeptCopiesAreDatedNeverOverwrittenAndOutliveTheReplacement)
{
    Testing::TemporaryFolder folder;
    const QString path = folder.write(QStringLiteral("Quickhalo.conf"), "; my comments\nautoPaste=false\n");
    const QDateTime now(QDate(2026, 12, 10), QTime(11, 15, 0));

    const std::optional<QString> first = UserFile::keepAside(path, now);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(QFileInfo(*first).fileName(), QStringLiteral("Quickhalo.conf.kept-2026-12-10-111500"));
    ASSERT_FALSE(UserFile::write(path, "autoPaste=true\n").has_value());
    EXPECT_EQ(folder.read(QStringLiteral("Quickhalo.conf.kept-2026-12-10-111500")), QByteArray("; my comments\nautoPaste=false\n"));

    const std::optional<QString> second = UserFile::keepAside(path, now);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(QFileInfo(*second).fileName(), QStringLiteral("Quickhalo.conf.kept-2026-12-10-111500-2"));
    EXPECT_EQ(folder.read(QStringLiteral("Quickhalo.conf.kept-2026-12-10-111500")), QByteArray("; my comments\nautoPaste=false\n"));
    EXPECT_EQ(folder.read(QStringLiteral("Quickhalo.conf.kept-2026-12-10-111500-2")), QByteArray("autoPaste=true\n"));

    QString reason;
    EXPECT_FALSE(UserFile::keepAside(folder.filePath(QStringLiteral("absent")), now, &reason).has_value());
    EXPECT_FALSE(reason.isEmpty());
}
