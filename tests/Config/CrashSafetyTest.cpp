#include "Config/ConfigCodec.h"
#include "LargeConfigs.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

using namespace Quickhalo;

// A process killed at a random moment while saving leaves the previous file or the new one,
// never a truncated or mixed one.
TEST(CrashSafety, KilledSaverLeavesAWholeFile)
{
    Testing::TemporaryFolder folder;
    const QString configPath = folder.filePath(QStringLiteral("config.json"));
    const QuickhaloConfig a = Testing::largeConfig('a');
    const QuickhaloConfig b = Testing::largeConfig('b');
    QRandomGenerator random(20261210);

    for (int round = 0; round < 40; ++round) {
        QProcess child;
        child.start(QStringLiteral(SAVE_LOOP_CHILD), { folder.path() });
        ASSERT_TRUE(child.waitForStarted());
        // After its first pair of saves the child is always in the middle of one; one save takes
        // tens of milliseconds, so a random moment lands anywhere inside the write.
        ASSERT_TRUE(child.waitForReadyRead(30000));
        QThread::msleep(static_cast<unsigned long>(random.bounded(0, 150)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child must still be saving when killed";

        QFile file(configPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto decoded = ConfigCodec::decode(file.readAll());
        ASSERT_TRUE(decoded.config.has_value()) << "round " << round << ": " << decoded.error.toStdString();
        EXPECT_TRUE(*decoded.config == a || *decoded.config == b) << "round " << round;
    }
}
