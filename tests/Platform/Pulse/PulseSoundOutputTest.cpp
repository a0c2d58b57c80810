#include "Platform/Pulse/PulseSoundOutput.h"

#include "Platform/Pulse/PulseAudioOutputDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iostream>
#include <limits>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Platform/Qt/QtClock.h"
#include "Ring/RingSoundSynthesis.h"
#include "Ring/RingSounds.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

using namespace Quickhalo;
using Testing::waitUntil;

// Runs inside scripts/test-desktop. The desktop's own sink carries a looping test tone, so these
// tests play into a sink of their own (float, mono, 44.1 kHz: the monitor returns the samples
// unchanged) and record its monitor.

namespace {

const QString testSink = QStringLiteral("quickhalo_sound_test");
constexpr std::size_t rate = 44100;

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(QLatin1Char(' ')).toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

QJsonArray pactlList(const QString& what)
{
    return QJsonDocument::fromJson(
        run(QStringLiteral("pactl"), { QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"), what }))
        .array();
}

bool isOurs(const QJsonValue& entry)
{
    return entry[QStringLiteral("properties")][QStringLiteral("application.name")].toString()
        == QStringLiteral("Quickhalo");
}

// Quickhalo's playback streams and clients on the server.
struct ServerView {
    int streams = 0;
    int streamsOnTestSink = 0;
    int streamsWithEventRole = 0;
    int clients = 0;
};

ServerView serverView()
{
    int sinkIndex = -1;
    for (const QJsonValue sink : pactlList(QStringLiteral("sinks"))) {
        if (sink[QStringLiteral("name")].toString() == testSink)
            sinkIndex = sink[QStringLiteral("index")].toInt();
    }
    ServerView view;
    for (const QJsonValue input : pactlList(QStringLiteral("sink-inputs"))) {
        if (!isOurs(input))
            continue;
        ++view.streams;
        view.streamsOnTestSink += input[QStringLiteral("sink")].toInt() == sinkIndex ? 1 : 0;
        view.streamsWithEventRole
            += input[QStringLiteral("properties")][QStringLiteral("media.role")].toString() == QStringLiteral("event")
            ? 1
            : 0;
    }
    for (const QJsonValue client : pactlList(QStringLiteral("clients")))
        view.clients += isOurs(client) ? 1 : 0;
    return view;
}

// Records the test sink's monitor as mono float samples.
class MonitorRecording {
public:
    MonitorRecording()
    {
        m_process.start(QStringLiteral("parecord"),
            { QStringLiteral("--device=") + testSink + QStringLiteral(".monitor"), QStringLiteral("--raw"),
                QStringLiteral("--format=float32le"), QStringLiteral("--channels=1"), QStringLiteral("--rate=44100"),
                QStringLiteral("--latency-msec=10") });
    }
    ~MonitorRecording()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    std::size_t size()
    {
        m_bytes += m_process.readAllStandardOutput();
        return static_cast<std::size_t>(m_bytes.size()) / sizeof(float);
    }

    // Waits for `count` more samples than there are now; the server delivers them in real time.
    bool record(std::size_t count)
    {
        const std::size_t target = size() + count;
        return waitUntil([&] {
            m_process.waitForReadyRead(20);
            return size() >= target;
        });
    }

    // True once `condition` holds for some sample recorded from now on.
    bool recordUntil(const std::function<bool(float)>& condition)
    {
        std::size_t checked = size();
        return waitUntil([&] {
            m_process.waitForReadyRead(20);
            const std::vector<float> all = samples();
            const bool found = std::any_of(all.begin() + static_cast<std::ptrdiff_t>(checked), all.end(), condition);
            checked = all.size();
            return found;
        });
    }

    std::vector<float> samples()
    {
        std::vector<float> result(size());
        std::memcpy(result.data(), m_bytes.constData(), result.size() * sizeof(float));
        return result;
    }

private:
    QProcess m_process;
    QByteArray m_bytes;
};

bool near(float sample, float level)
{
    return std::abs(sample - level) < 0.01f;
}

std::size_t countNear(const std::vector<float>& samples, float level)
{
    return static_cast<std::size_t>(
        std::count_if(samples.begin(), samples.end(), [&](float s) { return near(s, level); }));
}

std::vector<float> constant(float level, double seconds)
{
    return std::vector<float>(static_cast<std::size_t>(seconds * static_cast<double>(rate)), level);
}

double peak(const std::vector<float>& samples)
{
    double largest = 0;
    for (const float sample : samples)
        largest = std::max(largest, std::abs(static_cast<double>(sample)));
    return largest;
}

class PulseSoundOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER")) << "run inside scripts/test-desktop";
        s_module
            = QString::fromUtf8(run(QStringLiteral("pactl"),
                                    { QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                        QStringLiteral("sink_name=") + testSink, QStringLiteral("format=float32le"),
                                        QStringLiteral("rate=44100"), QStringLiteral("channels=1"),
                                        QStringLiteral("sink_properties=device.description=QuickhaloSoundTest") }))
                  .trimmed();
        ASSERT_FALSE(s_module.isEmpty());
        // libpulse sends streams without a device here.
        qputenv("PULSE_SINK", testSink.toUtf8());
    }

    static void TearDownTestSuite()
    {
        qunsetenv("PULSE_SINK");
        if (!s_module.isEmpty())
            run(QStringLiteral("pactl"), { QStringLiteral("unload-module"), s_module });
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_module.isEmpty());
        ASSERT_TRUE(waitUntil([] { return serverView().clients == 0; })) << "a Quickhalo client from before is left";
    }

    const std::vector<float> tick = RingSoundSynthesis::tick([] { return 1.0; });
    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };

    static inline QString s_module;
};

}

TEST_F(PulseSoundOutputTest, TickArrivesAtTheSinkSampleForSample)
{
    MonitorRecording monitor;
    ASSERT_TRUE(monitor.record(rate / 10)) << "the monitor delivers nothing";
    PulseSoundOutput output;
    ASSERT_TRUE(output.start());
    output.play(0, tick);
    ASSERT_TRUE(monitor.recordUntil([](float s) { return std::abs(s) > 0.01f; })) << "the tick never reached the sink";
    ASSERT_TRUE(monitor.record(rate / 2));
    const std::vector<float> recorded = monitor.samples();

    // A stream that joins a running sink makes the sink rewind and mix it in at once; the monitor
    // has already passed on the rewound span, so it may miss the tick's first few milliseconds.
    // What follows must be the rest of the tick, sample for sample, once.
    const auto first = static_cast<std::size_t>(std::find_if(recorded.begin(), recorded.end(), [](float s) {
        return std::abs(s) > 0.005f;
    }) - recorded.begin());
    const std::size_t mostMissed = rate / 50;
    double bestError = std::numeric_limits<double>::max();
    std::size_t missed = 0;
    for (std::size_t skip = 0; skip <= mostMissed; ++skip) {
        double error = 0;
        for (std::size_t i = 0; skip + i < tick.size() && first + i < recorded.size(); ++i)
            error = std::max(error, std::abs(static_cast<double>(recorded[first + i] - tick[skip + i])));
        if (error < bestError) {
            bestError = error;
            missed = skip;
        }
    }
    const std::size_t end = first + tick.size() - missed;
    ASSERT_LE(end, recorded.size());
    EXPECT_LT(bestError, 1e-5) << "the monitor carries the tick from sample " << missed << " on";
    EXPECT_LT(missed, mostMissed) << "more than 20 ms of the tick are missing";
    EXPECT_EQ(peak({ recorded.begin() + static_cast<std::ptrdiff_t>(end), recorded.end() }), 0.0)
        << "played once, then silence";
    std::cout << "[   INFO   ] tick on the monitor from sample " << missed << " of " << tick.size()
              << ", largest difference " << bestError << '\n';
}

TEST_F(PulseSoundOutputTest, VoicesOverlap)
{
    MonitorRecording monitor;
    ASSERT_TRUE(monitor.record(rate / 10));
    PulseSoundOutput output;
    ASSERT_TRUE(output.start());
    output.play(0, constant(0.2f, 1.0));
    output.play(1, constant(0.3f, 1.0));
    ASSERT_TRUE(monitor.recordUntil([](float s) { return near(s, 0.5f); })) << "the voices never sounded together";
    ASSERT_TRUE(monitor.record(rate * 3 / 2));
    const std::vector<float> recorded = monitor.samples();
    EXPECT_GT(countNear(recorded, 0.5f), rate * 8 / 10) << "most of the second they play together";
    EXPECT_LT(std::abs(recorded.back()), 1e-4f) << "and then they end";
}

TEST_F(PulseSoundOutputTest, PlayingAVoiceAgainCutsItOffAndStartsOver)
{
    MonitorRecording monitor;
    ASSERT_TRUE(monitor.record(rate / 10));
    PulseSoundOutput output;
    ASSERT_TRUE(output.start());
    output.play(0, constant(0.2f, 3.0));
    ASSERT_TRUE(monitor.recordUntil([](float s) { return near(s, 0.2f); }));
    ASSERT_TRUE(monitor.record(rate / 5));
    output.play(0, constant(0.4f, 0.2));
    ASSERT_TRUE(monitor.recordUntil([](float s) { return near(s, 0.4f); }));
    ASSERT_TRUE(monitor.record(rate * 3));

    const std::vector<float> recorded = monitor.samples();
    const auto replaced = std::find_if(recorded.begin(), recorded.end(), [](float s) { return near(s, 0.4f); });
    EXPECT_EQ(std::count_if(replaced, recorded.end(), [](float s) { return near(s, 0.2f); }), 0)
        << "the first buffer does not come back";
    EXPECT_LT(countNear(recorded, 0.2f), rate * 2) << "the 3 s buffer was cut off";
    const std::size_t replacement = countNear(recorded, 0.4f);
    EXPECT_GT(replacement, rate / 5 - rate / 50) << "the new buffer plays whole";
    EXPECT_LE(replacement, rate / 5);
}

TEST_F(PulseSoundOutputTest, NothingReachesTheServerWhenSoundsAreOff)
{
    preferences.setFlag(PreferenceKey::ringSounds, false);
    PulseSoundOutput output;
    QtClock clock;
    RingSounds sounds(preferences, output, clock);
    MonitorRecording monitor;
    ASSERT_TRUE(monitor.record(rate / 10));
    for (const RingSound sound : { RingSound::open, RingSound::tick, RingSound::select })
        sounds.play(sound);
    ASSERT_TRUE(monitor.record(rate));
    EXPECT_EQ(peak(monitor.samples()), 0.0);
    EXPECT_FALSE(output.isRunning());
    EXPECT_EQ(serverView().clients, 0);
}

TEST_F(PulseSoundOutputTest, StreamsAndClientLeaveTheServerOnStop)
{
    PulseSoundOutput output;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(output.start());
        output.play(0, tick);
        output.play(2, tick);
        ASSERT_TRUE(waitUntil([] { return serverView().streams == 2; })) << "the streams never appeared";
        const ServerView view = serverView();
        EXPECT_EQ(view.clients, 1);
        EXPECT_EQ(view.streamsOnTestSink, 2);
        EXPECT_EQ(view.streamsWithEventRole, 2);

        output.stop();
        EXPECT_FALSE(output.isRunning());
        EXPECT_TRUE(waitUntil([] {
            const ServerView after = serverView();
            return after.streams == 0 && after.clients == 0;
        })) << "the server still lists Quickhalo after stop()";
    }
}

TEST_F(PulseSoundOutputTest, RingSoundsStopsTheOutputThreeSecondsAfterTheLastSound)
{
    PulseSoundOutput output;
    QtClock clock;
    RingSounds sounds(preferences, output, clock);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QElapsedTimer sinceSound;
        sounds.play(RingSound::tick);
        sinceSound.start();
        ASSERT_TRUE(waitUntil([] { return serverView().streams == 1; })) << "the tick's stream never appeared";
        ASSERT_TRUE(waitUntil([] { return serverView().clients == 0; })) << "the output was never stopped";
        EXPECT_GT(sinceSound.elapsed(), 2500) << "stopped before the sounds were idle";
        EXPECT_EQ(serverView().streams, 0);
        EXPECT_FALSE(output.isRunning());
    }
}

TEST_F(PulseSoundOutputTest, TheVolumeAndBothSoundOutputsAreOneClientOfTheServer)
{
    PulseSoundOutput ringSounds;
    PulseSoundOutput alarms;
    PulseAudioOutputDevice volume;
    std::optional<AudioOutputState> state;
    volume.start([&state](const AudioOutputState& update) { state = update; });
    ASSERT_TRUE(ringSounds.start());
    ASSERT_TRUE(alarms.start());
    ringSounds.play(0, tick);
    alarms.play(1, tick);
    ASSERT_TRUE(waitUntil([] { return serverView().streams == 2; })) << "the streams never appeared";
    ASSERT_TRUE(waitUntil([&state] { return state && state->hasOutput; })) << "the volume was never read";
    EXPECT_EQ(serverView().clients, 1);

    // The connection lasts while anyone holds it, and goes with the last.
    ringSounds.stop();
    alarms.stop();
    ASSERT_TRUE(waitUntil([] { return serverView().streams == 0; }));
    EXPECT_EQ(serverView().clients, 1) << "the volume still follows the server";
    volume.stop();
    EXPECT_TRUE(waitUntil([] { return serverView().clients == 0; })) << "the last holder left the client behind";
}

TEST_F(PulseSoundOutputTest, DestroyingOrStoppingWhileConnectingIsSafe)
{
    for (int i = 0; i < 20; ++i) {
        PulseSoundOutput output;
        ASSERT_TRUE(output.start());
        output.play(i % 3, tick);
        if (i % 2 == 0)
            output.stop();
        output.stop();
    }
    PulseSoundOutput unused;
    unused.stop();
    unused.play(0, tick); // not running: ignored
    EXPECT_FALSE(unused.isRunning());
    EXPECT_TRUE(waitUntil([] { return serverView().clients == 0; })) << "a destroyed output left its client behind";
}

TEST_F(PulseSoundOutputTest, AMissingServerCostsOneLogLineAndNothingElse)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + folder.filePath(QStringLiteral("no-such-socket")));
    environment.insert(QStringLiteral("QUICKHALO_SOUND_TEST_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=PulseSoundOutputChild.DISABLED_WithoutAServer"),
            QStringLiteral("--gtest_also_run_disabled_tests") });
    ASSERT_TRUE(child.waitForFinished(30000)) << "the child hangs";
    const std::string output = child.readAll().toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// Run by the test above, in a child whose PULSE_SERVER names a socket that does not exist.
TEST(PulseSoundOutputChild, DISABLED_WithoutAServer)
{
    if (!qEnvironmentVariableIsSet("QUICKHALO_SOUND_TEST_CHILD"))
        GTEST_SKIP() << "only meaningful in the child process";
    const std::vector<float> tick = RingSoundSynthesis::tick([] { return 1.0; });
    Log::Capture log;
    PulseSoundOutput output;
    ASSERT_TRUE(output.start()) << "starting only begins to connect";
    for (int voice = 0; voice < 3; ++voice)
        output.play(voice, tick);
    ASSERT_TRUE(waitUntil([&] { return !log.lines().isEmpty(); })) << "the failure is never reported";
    EXPECT_TRUE(output.isRunning()) << "stays running, silently, until stopped";
    for (int i = 0; i < 10; ++i)
        output.play(i % 3, tick);

    // Later attempts fail the same way without another line.
    output.stop();
    ASSERT_TRUE(output.start());
    output.play(0, tick);
    QThread::msleep(300); // lets the second attempt fail
    output.play(0, tick);
    const QStringList lines = log.lines();
    ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Quickhalo: ")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("sound server"))) << lines[0].toStdString();

    // Gone before its thread even tried.
    PulseSoundOutput discarded;
    discarded.start();
    discarded.play(1, tick);
}
