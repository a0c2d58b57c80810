#include "Config/ConfigCodec.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Quickhalo;

namespace {

struct CheckRun {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QString err;
};

CheckRun checkConfig(const QStringList& arguments, const QString& dataHome = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY")); // the command needs no display
    if (!dataHome.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUICKHALO_EXECUTABLE), QStringList { QStringLiteral("--check-config") } + arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitCode(), process.exitStatus() == QProcess::CrashExit, process.readAllStandardOutput(),
        QString::fromUtf8(process.readAllStandardError()) };
}

const QByteArray validRing = R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"Work","slices":[)"
                             R"(null,null,{"id":"11111111-2222-4333-8444-555555555555","title":"t","symbol":"s","kind":{"builtin":{"_0":"espresso"}}},)"
                             R"({"id":"0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0","kind":{"builtin":{"_0":"clipboard"}},"symbol":"doc.on.clipboard","title":"Clipboard"}]}]})";

}

TEST(CheckConfig, UsableFileIsPrintedNormalisedWithDroppedSlotsReported)
{
    Testing::TemporaryFolder folder;
    const QString path = folder.write(QStringLiteral("config.json"), validRing);
    const CheckRun run = checkConfig({ path });
    EXPECT_EQ(run.exitCode, 0);
    const auto printed = ConfigCodec::decode(run.out);
    ASSERT_TRUE(printed.config.has_value()) << run.out.constData();
    EXPECT_EQ(ConfigCodec::encode(*printed.config), run.out) << "printed in the canonical form";
    const RingPage& ring = printed.config->rings.at(0);
    EXPECT_FALSE(ring.slices[2].has_value());
    EXPECT_EQ(ring.slices[3]->title, QStringLiteral("Clipboard"));

    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("ring \"Work\", slot 3: unknown tool \"espresso\""))) << lines[0].toStdString();
}

TEST(CheckConfig, ExitCodesForRejectedAndUnreadableFiles)
{
    Testing::TemporaryFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("fifo.json"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("zero.json"))));
    struct Case {
        const char* name;
        QString path;
        int exitCode;
        const char* message;
    } cases[] = {
        { "rejected", folder.write(QStringLiteral("bad.json"), R"({"rings":[{"name":"x"}]})"), 1, "rejected" },
        { "no rings", folder.write(QStringLiteral("empty.json"), R"({"rings":[]})"), 1, "no rings" },
        { "missing", folder.filePath(QStringLiteral("nope.json")), 2, "cannot be read" },
        { "a folder", folder.path(), 2, "cannot be read" },
        // Neither waits for a writer nor reads without end.
        { "a FIFO", folder.filePath(QStringLiteral("fifo.json")), 2, "FIFO" },
        { "a link to /dev/zero", folder.filePath(QStringLiteral("zero.json")), 2, "device" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CheckRun run = checkConfig({ c.path });
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        if (c.exitCode == 1) {
            // What would be used instead: the default rings.
            const auto printed = ConfigCodec::decode(run.out);
            ASSERT_TRUE(printed.config.has_value());
            EXPECT_EQ(printed.config->rings.size(), 3u);
        } else {
            EXPECT_TRUE(run.out.isEmpty());
        }
    }
}

TEST(CheckConfig, DefaultsToTheUsersConfigFile)
{
    Testing::TemporaryFolder folder;
    folder.write(QStringLiteral("Quickhalo/config.json"), validRing);
    const CheckRun run = checkConfig({}, folder.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("\"Work\""));
}

TEST(CheckConfig, CorpusOfNastyFilesNeverCrashesIt)
{
    const QDir corpus(QStringLiteral(QUICKHALO_SOURCE_DIR "/tests/data/config-corpus"));
    for (const QString& name : corpus.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const CheckRun run = checkConfig({ corpus.filePath(name) });
        EXPECT_FALSE(run.crashed);
        EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.exitCode << " " << run.err.toStdString();
        EXPECT_TRUE(ConfigCodec::decode(run.out).config.has_value()) << "it always prints a usable configuration";
    }
}
