#include "support/DunstHistory.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

using namespace Quickhalo;

namespace {

// Runs the real quickhalo on the test desktop with its own home folders.
class TrayApplication : public ::testing::Test {
protected:
    void start(int milliseconds = 15000, const QStringList& arguments = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
        ASSERT_TRUE(m_process.waitForStarted());
        ASSERT_TRUE(waitForLog("Quickhalo: started", milliseconds)) << m_log.constData();
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

    // A second quickhalo with the same home folders; answers its exit code.
    int runAgain(const QStringList& arguments)
    {
        QProcess second;
        second.setProcessEnvironment(m_process.processEnvironment());
        second.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
        EXPECT_TRUE(second.waitForFinished(20000));
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    // The settings windows the X server shows, as any client sees them.
    static QStringList settingsWindows()
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QStringLiteral("^Quickhalo Settings$") });
        search.waitForFinished(10000);
        return QString::fromUtf8(search.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

    static bool waitForSettingsWindows(qsizetype count)
    {
        QDeadlineTimer deadline(10000);
        while (settingsWindows().size() != count && !deadline.hasExpired())
            QThread::msleep(100);
        return settingsWindows().size() == count;
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

TEST_F(TrayApplication, FifosInPlaceOfItsFilesNeitherHangNorGoUnnoticed)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
    QDir().mkpath(m_home.filePath(QStringLiteral("data/Quickhalo")));
    QDir().mkpath(m_home.filePath(QStringLiteral("config/Quickhalo")));
    const QString rings = m_home.filePath(QStringLiteral("data/Quickhalo/config.json"));
    const QString preferences = m_home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf"));
    for (const QString& path : { rings, preferences })
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    start(2000);
    EXPECT_TRUE(m_log.contains("it is a FIFO")) << m_log.constData();
    const auto ringsNotice = Testing::receivedByDunst(QStringLiteral("Quickhalo could not read your rings"));
    ASSERT_TRUE(ringsNotice) << "no notification about config.json";
    EXPECT_TRUE(ringsNotice->body.contains(rings)) << ringsNotice->body.toStdString();
    EXPECT_TRUE(Testing::receivedByDunst(QStringLiteral("Quickhalo could not read its preferences")));

    // It quits when asked and leaves both FIFOs as they were.
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    ASSERT_TRUE(m_process.waitForFinished(10000));
    EXPECT_EQ(m_process.exitCode(), 0);
    for (const QString& path : { rings, preferences }) {
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << path.toStdString();
    }
}

TEST_F(TrayApplication, WithoutADisplayOpenRingStillReachesTheRunningOneAndNothingAborts)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
    const auto runWithBadDisplay = [this](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = m_process.processEnvironment();
        if (environment.isEmpty())
            environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
        EXPECT_TRUE(process.waitForFinished(20000));
        return std::make_pair(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError()));
    };

    const auto [alone, aloneSays] = runWithBadDisplay({ QStringLiteral("--open-ring") });
    EXPECT_EQ(alone, 1) << "no running Quickhalo to ask: a failure, not an abort";
    EXPECT_TRUE(aloneSays.contains(QStringLiteral("cannot open the display \":4711\""))) << aloneSays.toStdString();
    const auto [plain, plainSays] = runWithBadDisplay({});
    EXPECT_EQ(plain, 1);
    EXPECT_TRUE(plainSays.contains(QStringLiteral("needs an X11 session"))) << plainSays.toStdString();

    start();
    const auto [forwarded, forwardedSays] = runWithBadDisplay({ QStringLiteral("--open-ring") });
    EXPECT_EQ(forwarded, 0) << forwardedSays.toStdString();
}

// Without a tray host the menu is out of reach: the settings open from the command line and from
// a second start, as the application menu does it.
TEST_F(TrayApplication, SettingsOpenWithoutATrayFromASecondStart)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
    ASSERT_TRUE(settingsWindows().isEmpty());
    start(15000, { QStringLiteral("--settings") });
    ASSERT_TRUE(waitForSettingsWindows(1)) << "--settings opens the window of the one it starts";
    const QString first = settingsWindows().value(0);
    // Closed as the window manager's close button does it.
    QProcess::execute(QStringLiteral("wmctrl"), { QStringLiteral("-i"), QStringLiteral("-c"), first });
    ASSERT_TRUE(waitForSettingsWindows(0));

    EXPECT_EQ(runAgain({ QStringLiteral("--autostart") }), 0);
    QThread::msleep(1000);
    EXPECT_TRUE(settingsWindows().isEmpty()) << "the login entry starting it again opens nothing";

    EXPECT_EQ(runAgain({}), 0);
    ASSERT_TRUE(waitForSettingsWindows(1)) << "starting it again opens the running one's window";
    EXPECT_EQ(runAgain({ QStringLiteral("--settings") }), 0);
    QThread::msleep(500); // a second window would have been mapped by now
    EXPECT_EQ(settingsWindows().size(), 1) << "the same window, not a second one";
    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_FALSE(m_home.exists(QStringLiteral("data/Quickhalo/config.json"))) << "opening changes nothing";
}
