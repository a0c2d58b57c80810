#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

using namespace Quickhalo;

namespace {

// Runs the real quickhalo on the test desktop with its own home folders.
class TrayApplication : public ::testing::Test {
protected:
    void start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(QUICKHALO_EXECUTABLE), QStringList {});
        ASSERT_TRUE(m_process.waitForStarted());
        ASSERT_TRUE(waitForLog("Quickhalo: started")) << m_log.constData();
    }

    bool waitForLog(const char* text, int milliseconds = 15000)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!m_log.contains(text) && !deadline.hasExpired()) {
            m_process.waitForReadyRead(100);
            m_log += m_process.readAllStandardError();
        }
        return m_log.contains(text);
    }

    void TearDown() override
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    Testing::TemporaryFolder m_home;
    QProcess m_process;
    QByteArray m_log;
};

}

TEST_F(TrayApplication, KeepsRunningWithoutATrayHostAndWritesNothing)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
    start();
    EXPECT_TRUE(m_log.contains("no system tray")) << "the test desktop has no tray host";
    QThread::msleep(1000);
    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_FALSE(m_home.exists(QStringLiteral("data/Quickhalo/config.json")));
    m_log += m_process.readAllStandardError();
    EXPECT_FALSE(m_log.contains("QWidget")) << "no widget warnings: " << m_log.constData();
}

TEST_F(TrayApplication, QuitsCleanlyOnSigintAndSigterm)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
    for (const int signalNumber : { SIGTERM, SIGINT }) {
        SCOPED_TRACE(signalNumber);
        m_log.clear();
        start();
        ::kill(static_cast<pid_t>(m_process.processId()), signalNumber);
        ASSERT_TRUE(m_process.waitForFinished(10000));
        m_log += m_process.readAllStandardError();
        EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(m_process.exitCode(), 0);
        EXPECT_TRUE(m_log.contains(signalNumber == SIGTERM ? "received SIGTERM" : "received SIGINT")) << m_log.constData();
        EXPECT_TRUE(m_log.contains("Quickhalo: stopped"));
    }
}
