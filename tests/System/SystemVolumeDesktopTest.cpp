#include "System/SystemVolume.h"

#include <cmath>
#include <csignal>
#include <functional>
#include <memory>
#include <vector>

#include <sys/types.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include "Base/Log.h"
#include "Platform/Pulse/PulseAudioOutputDevice.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

using namespace Quickhalo;
using Testing::waitUntil;

// Runs inside scripts/test-desktop, against its PulseAudio (whose volume and default sink it
// puts back afterwards) and against private PulseAudio servers that it starts, stops and freezes.

namespace {

constexpr double norm = 65536.0; // PA_VOLUME_NORM


// Lets queued readings arrive for a while.
void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

// pactl against the desktop's server, or another one.
class Pactl {
public:
    explicit Pactl(QString server = {})
        : m_server(std::move(server))
    { }

    QString run(QStringList arguments, bool mayFail = false) const
    {
        if (!m_server.isEmpty())
            arguments.prepend(QStringLiteral("--server=") + m_server);
        QProcess process;
        process.start(QStringLiteral("pactl"), arguments);
        const bool ok
            = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!ok && !mayFail)
            ADD_FAILURE() << "pactl " << arguments.join(QLatin1Char(' ')).toStdString()
                          << " failed: " << process.readAllStandardError().toStdString();
        return ok ? QString::fromUtf8(process.readAllStandardOutput()).trimmed() : QString();
    }

    // The raw channel volumes (65536 = 100 %).
    std::vector<long> volumes(const QString& sink = QStringLiteral("@DEFAULT_SINK@")) const
    {
        std::vector<long> result;
        const QString text = run({ QStringLiteral("get-sink-volume"), sink });
        static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
        for (auto match = channel.globalMatch(text.section(QLatin1Char('\n'), 0, 0)); match.hasNext();)
            result.push_back(match.next().captured(1).toLong());
        return result;
    }

    bool isMuted() const
    {
        return run({ QStringLiteral("get-sink-mute"), QStringLiteral("@DEFAULT_SINK@") })
            == QStringLiteral("Mute: yes");
    }

    QString defaultSink() const { return run({ QStringLiteral("get-default-sink") }); }

    void setVolumes(const QString& sink, const std::vector<long>& volumes) const
    {
        QStringList arguments { QStringLiteral("set-sink-volume"), sink };
        for (const long volume : volumes)
            arguments << QString::number(volume);
        run(arguments);
    }

    // Whether a Quickhalo client is connected.
    bool hasOurClient() const
    {
        const QStringList prefix
            = m_server.isEmpty() ? QStringList() : QStringList { QStringLiteral("--server=") + m_server };
        QProcess process;
        process.start(QStringLiteral("pactl"),
            prefix
                + QStringList {
                    QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"), QStringLiteral("clients") });
        if (!process.waitForFinished(10000))
            return false;
        for (const QJsonValue client : QJsonDocument::fromJson(process.readAllStandardOutput()).array()) {
            if (client[QStringLiteral("properties")][QStringLiteral("application.name")].toString()
                == QStringLiteral("Quickhalo"))
                return true;
        }
        return false;
    }

private:
    QString m_server;
};

long raw(double level)
{
    return std::lround(level * norm);
}

std::vector<long> allChannels(std::size_t count, long volume)
{
    return std::vector<long>(count, volume);
}

// The model over the real device, counting its announcements.
struct Subject {
    explicit Subject(QString server = {})
        : device(std::move(server))
    {
        QObject::connect(&volume, &VolumeControl::changed, [this] {
            ++changes;
            levels.push_back(volume.level());
        });
    }

    PulseAudioOutputDevice device;
    SystemVolume volume { device };
    int changes = 0;
    std::vector<float> levels;
};

// The slowest of `calls` runs of `call`, in milliseconds.
double slowest(int calls, const std::function<void(int)>& call)
{
    double longest = 0;
    for (int i = 0; i < calls; ++i) {
        QElapsedTimer timer;
        timer.start();
        call(i);
        longest = std::max(longest, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return longest;
}

class DesktopVolumeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER")) << "run inside scripts/test-desktop";
        const Pactl pactl;
        s_defaultSink = pactl.defaultSink();
        s_volumes = pactl.volumes();
        s_muted = pactl.isMuted();
        ASSERT_FALSE(s_defaultSink.isEmpty());
        ASSERT_FALSE(s_volumes.empty());
    }

    static void TearDownTestSuite()
    {
        const Pactl pactl;
        pactl.run({ QStringLiteral("set-default-sink"), s_defaultSink });
        pactl.setVolumes(s_defaultSink, s_volumes);
        pactl.run(
            { QStringLiteral("set-sink-mute"), s_defaultSink, s_muted ? QStringLiteral("1") : QStringLiteral("0") });
    }

    void SetUp() override
    {
        pactl.setVolumes(s_defaultSink, allChannels(s_volumes.size(), raw(0.5)));
        pactl.run({ QStringLiteral("set-sink-mute"), s_defaultSink, QStringLiteral("0") });
        ASSERT_TRUE(waitUntil([this] { return subject.volume.isAdjustable() && subject.volume.level() == 0.5f; }))
            << "never read the desktop's default sink";
        subject.changes = 0;
        subject.levels.clear();
    }

    const Pactl pactl;
    Subject subject;

    static inline QString s_defaultSink;
    static inline std::vector<long> s_volumes;
    static inline bool s_muted = false;
};

}

TEST_F(DesktopVolumeTest, LevelAndMuteReachTheServerAndAreInForceAtOnce)
{
    SystemVolume& volume = subject.volume;
    const std::size_t channels = s_volumes.size();

    volume.setLevel(0.3f);
    EXPECT_EQ(volume.level(), 0.3f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(channels, raw(0.3)); })) << "30 % never arrived";

    volume.setMuted(true);
    EXPECT_TRUE(volume.isMuted());
    EXPECT_TRUE(waitUntil([&] { return pactl.isMuted(); }));

    // Moving the level unmutes.
    volume.setLevel(0.62f);
    EXPECT_FALSE(volume.isMuted());
    EXPECT_TRUE(waitUntil([&] { return !pactl.isMuted() && pactl.volumes() == allChannels(channels, raw(0.62)); }));

    volume.setLevel(1.4f);
    EXPECT_EQ(volume.level(), 1.0f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(channels, raw(1.0)); })) << "100 % never arrived";
    volume.setLevel(0.0f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(channels, 0); }));

    // Our own changes come back as readings of the same values, not as anything older.
    settle(300);
    EXPECT_EQ(volume.level(), 0.0f);
    EXPECT_FALSE(volume.isMuted());
}

TEST_F(DesktopVolumeTest, ChangesMadeElsewhereArriveOnTheirOwnAndAfterRefresh)
{
    SystemVolume& volume = subject.volume;
    pactl.run({ QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("40%") });
    EXPECT_TRUE(waitUntil([&] { return std::fabs(volume.level() - 0.4f) < 0.001f; })) << volume.level();
    EXPECT_GE(subject.changes, 1);

    pactl.run({ QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("1") });
    EXPECT_TRUE(waitUntil([&] { return volume.isMuted(); }));

    pactl.run({ QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("0") });
    pactl.run({ QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("70%") });
    const int before = subject.changes;
    volume.refresh();
    EXPECT_TRUE(waitUntil([&] { return std::fabs(volume.level() - 0.7f) < 0.001f && !volume.isMuted(); }));
    EXPECT_GT(subject.changes, before);

    // The step is counted from the reading: 0.7 was not written by us, yet 0.705 is no change.
    const std::vector<long> seventy = pactl.volumes();
    volume.setLevel(0.705f);
    volume.setMuted(true); // sent after the level would have been: once it is in force, so would that be
    ASSERT_TRUE(waitUntil([&] { return pactl.isMuted(); }));
    EXPECT_EQ(pactl.volumes(), seventy);
}

TEST_F(DesktopVolumeTest, AnAmplifiedOutputReadsAsFullAndIsLeftAloneAtTheTop)
{
    SystemVolume& volume = subject.volume;
    const std::size_t channels = s_volumes.size();
    pactl.setVolumes(QStringLiteral("@DEFAULT_SINK@"), allChannels(channels, raw(1.3)));
    ASSERT_TRUE(waitUntil([&] { return volume.level() == 1.0f; })) << volume.level();

    volume.setLevel(1.0f);
    volume.setMuted(true); // sent after the level would have been: once it is in force, so would that be
    ASSERT_TRUE(waitUntil([&] { return pactl.isMuted(); }));
    EXPECT_EQ(pactl.volumes(), allChannels(channels, raw(1.3)));

    volume.setLevel(0.9f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(channels, raw(0.9)); }));
    EXPECT_FALSE(volume.isMuted());
}

TEST_F(DesktopVolumeTest, FollowsTheDefaultSinkAndKeepsTheBalanceOfItsChannels)
{
    SystemVolume& volume = subject.volume;
    const QString sink = QStringLiteral("quickhalo_volume_test");
    const QString module = pactl.run(
        { QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + sink,
            QStringLiteral("channels=4"), QStringLiteral("channel_map=front-left,front-right,rear-left,rear-right") });
    ASSERT_FALSE(module.isEmpty());
    struct Unload {
        const Pactl& pactl;
        QString module;
        ~Unload()
        {
            pactl.run({ QStringLiteral("set-default-sink"), s_defaultSink });
            pactl.run({ QStringLiteral("unload-module"), module });
        }
    } unload { pactl, module };

    const std::vector<long> uneven { raw(0.8), raw(0.4), raw(0.2), raw(0.6) };
    pactl.setVolumes(sink, uneven);
    pactl.run({ QStringLiteral("set-default-sink"), sink });
    ASSERT_TRUE(waitUntil([&] { return std::fabs(volume.level() - 0.8f) < 0.0001f; }))
        << "the new default sink was not followed: " << volume.level();

    const auto scaled = [&](double loudest) {
        std::vector<long> result;
        for (const long channel : uneven)
            result.push_back(
                std::lround(static_cast<double>(channel) * loudest * norm / static_cast<double>(uneven[0])));
        return result;
    };
    volume.setLevel(0.5f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes(sink) == scaled(0.5); }));

    // Through silence and back up: the proportions are remembered, not flattened.
    volume.setLevel(0.0f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes(sink) == allChannels(4, 0); }));
    volume.setLevel(1.0f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes(sink) == scaled(1.0); })) << "the balance was lost at silence";

    // Many steps, quicker than the server answers so that readings of earlier steps arrive
    // between later ones, do not wear the quiet channels down: rounding at a low level, taken
    // back as the sink's own balance, would be magnified on the way up.
    for (int step = 0; step < 200; ++step) {
        volume.setLevel(step % 2 == 0 ? 0.03f : 0.97f);
        QThread::usleep(200);
    }
    volume.setLevel(1.0f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes(sink) == scaled(1.0); }));

    // Back to the desktop's own sink.
    pactl.setVolumes(s_defaultSink, allChannels(s_volumes.size(), raw(0.35)));
    pactl.run({ QStringLiteral("set-default-sink"), s_defaultSink });
    EXPECT_TRUE(waitUntil([&] { return std::fabs(volume.level() - 0.35f) < 0.0001f; })) << volume.level();
}

TEST_F(DesktopVolumeTest, ReadingsNeverRunBehindTheWritesOfAMovingPointer)
{
    SystemVolume& volume = subject.volume;
    for (int step = 0; step <= 40; ++step) {
        volume.setLevel(0.2f + 0.015f * static_cast<float>(step));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::msleep(2);
    }
    ASSERT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(s_volumes.size(), raw(0.8)); }));
    settle(300);
    ASSERT_GE(subject.levels.size(), 40u);
    for (std::size_t i = 1; i < subject.levels.size(); ++i)
        EXPECT_GT(subject.levels[i], subject.levels[i - 1] - 0.001f) << "went back at announcement " << i;
    EXPECT_NEAR(volume.level(), 0.8f, 0.0001f);
}

namespace {

// A PulseAudio of the test's own on a socket in a temporary folder, started and stopped by its
// process id, so that the desktop's server stays up for the other tests.
class PrivateServer {
public:
    explicit PrivateServer(const QString& folder)
        : m_folder(folder)
    {
        QDir(folder).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(folder + QStringLiteral("/runtime"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile script(folder + QStringLiteral("/server.pa"));
        if (script.open(QIODevice::WriteOnly))
            script.write(
                "load-module module-native-protocol-unix auth-anonymous=1 socket=" + socketPath().toUtf8() + '\n');
    }
    ~PrivateServer() { stop(); }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    QString address() const { return QStringLiteral("unix:") + socketPath(); }

    // Starts it with no sink, and waits until it answers.
    bool start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")); // the desktop's server owns the names there
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder + QStringLiteral("/runtime"));
        environment.insert(QStringLiteral("HOME"), m_folder);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder);
        m_process = std::make_unique<QProcess>();
        m_process->setProcessEnvironment(environment);
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->start(QStringLiteral("pulseaudio"),
            { QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"), QStringLiteral("-n"),
                QStringLiteral("-F"), m_folder + QStringLiteral("/server.pa"), QStringLiteral("--log-target=stderr") });
        if (!m_process->waitForStarted(5000))
            return false;
        const Pactl pactl(address());
        return waitUntil([&] { return !pactl.run({ QStringLiteral("info") }, true).isEmpty(); });
    }

    void stop()
    {
        if (!m_process)
            return;
        resume();
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_process.reset();
    }

    void freeze() { sendSignal(SIGSTOP); }
    void resume() { sendSignal(SIGCONT); }

private:
    QString socketPath() const { return m_folder + QStringLiteral("/native"); }

    void sendSignal(int number)
    {
        if (m_process && m_process->processId() > 0)
            ::kill(static_cast<pid_t>(m_process->processId()), number);
    }

    QString m_folder;
    std::unique_ptr<QProcess> m_process;
};

}

TEST(PrivateServerVolumeTest, ComesAndGoesWithTheServerAndNeverWaitsForIt)
{
    Log::Capture log;
    Testing::TemporaryFolder folder;
    PrivateServer server(folder.path());
    const Pactl pactl(server.address());
    Subject subject(server.address());
    SystemVolume& volume = subject.volume;
    const auto everyCall = [&](int i) {
        volume.setLevel(static_cast<float>(i % 10) / 10.0f);
        volume.setMuted(i % 2 == 0);
        volume.refresh();
        static_cast<void>(volume.level() + static_cast<float>(volume.isAdjustable()));
    };

    // No server yet.
    settle(300);
    EXPECT_FALSE(volume.isAdjustable());
    EXPECT_LT(slowest(50, everyCall), 50.0) << "a call waited without a server";
    EXPECT_TRUE(subject.levels.empty());

    // A server without any sink: reachable, but still nothing to adjust.
    ASSERT_TRUE(server.start());
    volume.refresh();
    ASSERT_TRUE(waitUntil([&] { return pactl.hasOurClient(); })) << "never connected to the new server";
    settle(200);
    EXPECT_FALSE(volume.isAdjustable());

    // A sink appears and becomes the default.
    pactl.run({ QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=first") });
    pactl.run({ QStringLiteral("set-sink-volume"), QStringLiteral("first"), QString::number(raw(0.35)) });
    ASSERT_TRUE(waitUntil([&] { return volume.isAdjustable() && std::fabs(volume.level() - 0.35f) < 0.0001f; }));

    // Frozen server: it takes the connection's requests but answers none.
    server.freeze();
    EXPECT_LT(slowest(50, everyCall), 50.0) << "a call waited for a frozen server";
    volume.setLevel(0.77f);
    volume.setMuted(true);
    server.resume();
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(2, raw(0.77)) && pactl.isMuted(); }))
        << "the changes made while the server was frozen were lost";

    // The server goes away: nothing to adjust, the last readings stay, nothing waits.
    const float lastLevel = volume.level();
    server.stop();
    ASSERT_TRUE(waitUntil([&] { return !volume.isAdjustable(); })) << "still adjustable without a server";
    EXPECT_NEAR(volume.level(), lastLevel, 0.0001f);
    EXPECT_LT(slowest(50, everyCall), 50.0) << "a call waited for a server that is gone";

    // It comes back (with a sink from the start this time): found again without a refresh.
    ASSERT_TRUE(server.start());
    pactl.run(
        { QStringLiteral("load-module"), QStringLiteral("module-null-sink"), QStringLiteral("sink_name=second") });
    pactl.run({ QStringLiteral("set-sink-volume"), QStringLiteral("second"), QString::number(raw(0.45)) });
    EXPECT_TRUE(waitUntil([&] { return volume.isAdjustable() && std::fabs(volume.level() - 0.45f) < 0.0001f; }, 15000))
        << "the server's return went unnoticed";
    volume.setLevel(0.6f);
    EXPECT_TRUE(waitUntil([&] { return pactl.volumes() == allChannels(2, raw(0.6)); }));

    // One line for each of the two outages, however often it tried meanwhile.
    const QStringList lines = log.lines();
    EXPECT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    for (const QString& line : lines)
        EXPECT_TRUE(line.contains(QStringLiteral("sound server is not reachable"))) << line.toStdString();
}
