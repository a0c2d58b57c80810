#include "Platform/Pulse/PulseAudioOutputDevice.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop-api.h>
#include <pulse/proplist.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>
#include <pulse/volume.h>

#include <QByteArray>
#include <QMetaObject>
#include <QObject>

#include "Base/Log.h"
#include "Platform/Pulse/PulseConnection.h"
#include "Platform/Pulse/PulseMainloopLock.h"

namespace Quickhalo {

namespace {
// A server that keeps volumes as floating-point numbers may give back a unit more or less.
constexpr pa_volume_t echoTolerance = 2;

double norm()
{
    return static_cast<double>(PA_VOLUME_NORM);
}

pa_volume_t toPulse(float volume)
{
    const double scaled = std::round(std::max(static_cast<double>(volume), 0.0) * norm());
    return static_cast<pa_volume_t>(std::min(scaled, static_cast<double>(PA_VOLUME_MAX)));
}

float fromPulse(pa_volume_t volume)
{
    return static_cast<float>(static_cast<double>(volume) / norm());
}

// The channels of `reference` in the same proportions, the loudest at `loudest`. Rounded, not
// truncated like pa_cvolume_scale, so that the quieter channels do not creep down step by step.
pa_cvolume scaledTo(const pa_cvolume& reference, pa_volume_t loudest)
{
    pa_cvolume result = reference;
    const pa_volume_t top = pa_cvolume_max(&reference);
    if (top == PA_VOLUME_MUTED) {
        pa_cvolume_set(&result, reference.channels, loudest);
        return result;
    }
    const double factor = static_cast<double>(loudest) / static_cast<double>(top);
    for (unsigned channel = 0; channel < reference.channels; ++channel)
        result.values[channel]
            = static_cast<pa_volume_t>(std::llround(static_cast<double>(reference.values[channel]) * factor));
    return result;
}

bool nearlyEqual(const pa_cvolume& a, const pa_cvolume& b)
{
    if (a.channels != b.channels)
        return false;
    for (unsigned channel = 0; channel < a.channels; ++channel) {
        const pa_volume_t larger = std::max(a.values[channel], b.values[channel]);
        const pa_volume_t smaller = std::min(a.values[channel], b.values[channel]);
        if (larger - smaller > echoTolerance)
            return false;
    }
    return true;
}
}

// Everything learnt over the shared connection to the server. Its fields are touched only with
// the mainloop lock held: by the main thread through the setters and by the mainloop thread in
// the callbacks.
struct PulseAudioOutputDevice::Connection {
    // Hands a state to the main thread with the number of changes sent before it was read.
    using Post = std::function<void(std::uint64_t writes, const AudioOutputState& state)>;

    std::shared_ptr<PulseConnection> pulse;
    Post post;
    int listener = 0;
    bool reportedOutage = false;
    // Requests whose callbacks reach this object; cancelled when it ends, as the connection may
    // outlive it.
    std::vector<pa_operation*> operations;

    // The default sink as last read or written.
    bool hasSink = false;
    std::uint32_t sinkIndex = PA_INVALID_INDEX;
    pa_cvolume sinkVolume {};
    // The proportions that volumes are scaled from: the sink's own, not a rounding of ours, and
    // not lost when the volume goes down to silence.
    pa_cvolume balance {};
    std::optional<pa_cvolume> lastWrite;
    std::optional<pa_cvolume> expectedEcho; // the last volume sent before the query in flight

    // One query at a time; what happens meanwhile asks for one more.
    bool isQuerying = false;
    bool queryAgain = false;
    std::uint64_t queryWrites = 0;
    std::optional<AudioOutputState> answer;

    int writesInFlight = 0;
    std::atomic<std::uint64_t> writes = 0;

    Connection(std::shared_ptr<PulseConnection> connection, Post poster)
        : pulse(std::move(connection))
        , post(std::move(poster))
    {
        PulseMainloopLock lock(pulse->mainloop());
        listener = pulse->addListener({ .ready = [this](pa_context*) { becameReady(); },
            .lost = [this](const char* reason) { lose(reason); },
            .event = [this](pa_subscription_event_type_t type, std::uint32_t index) { serverEvent(type, index); } });
        pulse->subscribe(static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER));
        // Another output may have connected already.
        if (isReady())
            query();
    }

    ~Connection()
    {
        PulseMainloopLock lock(pulse->mainloop());
        pulse->removeListener(listener);
        for (pa_operation* operation : operations) {
            if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
                pa_operation_cancel(operation);
            pa_operation_unref(operation);
        }
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isReady() const { return pulse->readyContext() != nullptr; }

    bool track(pa_operation* operation)
    {
        if (!operation)
            return false;
        std::erase_if(operations, [](pa_operation* done) {
            if (pa_operation_get_state(done) == PA_OPERATION_RUNNING)
                return false;
            pa_operation_unref(done);
            return true;
        });
        operations.push_back(operation);
        return true;
    }

    void becameReady()
    {
        reportedOutage = false;
        query();
    }

    // The server is gone or was never there: say so once; the connection tries again.
    void lose(const char* reason)
    {
        hasSink = false;
        isQuerying = false;
        queryAgain = false;
        writesInFlight = 0;
        post(writes, AudioOutputState {});
        if (!reportedOutage) {
            reportedOutage = true;
            Log::write(QStringLiteral("the output volume is unavailable: the sound server is not reachable (%1)")
                           .arg(QString::fromUtf8(reason)));
        }
    }

    // From the main thread: an answer now, and without a server a new attempt now.
    void requestUpdate()
    {
        if (isReady())
            query();
        else
            pulse->attemptNow();
    }

    void query()
    {
        pa_context* context = pulse->readyContext();
        if (!context)
            return;
        if (isQuerying) {
            queryAgain = true;
            return;
        }
        if (!track(pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", &Connection::sinkRead, this)))
            return;
        isQuerying = true;
        // The server answers a connection's requests in order: this reading follows every change sent so far.
        queryWrites = writes;
        expectedEcho = lastWrite;
        answer.reset();
    }

    void learn(const pa_sink_info& info)
    {
        const bool isOurEcho = expectedEcho && nearlyEqual(info.volume, *expectedEcho);
        if (!hasSink || info.index != sinkIndex) {
            balance = info.volume;
            lastWrite.reset();
            expectedEcho.reset();
        } else if (!isOurEcho && pa_cvolume_max(&info.volume) != PA_VOLUME_MUTED) {
            balance = info.volume;
        }
        hasSink = true;
        sinkIndex = info.index;
        sinkVolume = info.volume;
        answer = AudioOutputState { true, fromPulse(pa_cvolume_max(&info.volume)), info.mute != 0 };
    }

    void setVolume(float volume)
    {
        pa_context* context = pulse->readyContext();
        if (!context || !hasSink)
            return;
        const pa_cvolume& reference = balance.channels == sinkVolume.channels ? balance : sinkVolume;
        const pa_cvolume wanted = scaledTo(reference, toPulse(volume));
        if (!pa_cvolume_valid(&wanted))
            return;
        if (sent(pa_context_set_sink_volume_by_index(context, sinkIndex, &wanted, &Connection::written, this))) {
            sinkVolume = wanted;
            lastWrite = wanted;
        }
    }

    void setMuted(bool muted)
    {
        if (pa_context* context = pulse->readyContext(); context && hasSink)
            sent(pa_context_set_sink_mute_by_index(context, sinkIndex, muted ? 1 : 0, &Connection::written, this));
    }

    bool sent(pa_operation* operation)
    {
        if (!track(operation))
            return false;
        ++writesInFlight;
        ++writes;
        return true;
    }

    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index)
    {
        // Server events carry default-sink changes; other sinks do not matter.
        const bool isSinkEvent = (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK;
        if (isSinkEvent && hasSink && index != sinkIndex)
            return;
        query();
    }

    static void sinkRead(pa_context*, const pa_sink_info* info, int endOfList, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        if (info) {
            self->learn(*info);
            return;
        }
        if (endOfList < 0) { // most likely no default sink
            self->hasSink = false;
            self->answer = AudioOutputState {};
        }
        self->isQuerying = false;
        if (self->answer)
            self->post(self->queryWrites, *self->answer);
        if (self->queryAgain) {
            self->queryAgain = false;
            self->query();
        }
    }

    static void written(pa_context*, int, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        // Once our changes are through, read back what is in force.
        if (self->writesInFlight > 0 && --self->writesInFlight == 0)
            self->query();
    }
};

PulseAudioOutputDevice::PulseAudioOutputDevice(QString server)
    : m_server(std::move(server))
    , m_receiver(std::make_unique<QObject>())
{ }

PulseAudioOutputDevice::~PulseAudioOutputDevice()
{
    stop();
}

void PulseAudioOutputDevice::start(Handler handler)
{
    m_handler = std::move(handler);
    if (m_connection) {
        requestUpdate();
        return;
    }
    const std::uint64_t id = ++m_connectionCount;
    QObject* receiver = m_receiver.get();
    std::shared_ptr<PulseConnection> pulse = PulseConnection::acquire(m_server.toUtf8());
    if (!pulse) {
        Log::write(QStringLiteral("the output volume is unavailable: the sound client could not be set up"));
        return;
    }
    m_connection = std::make_unique<Connection>(
        std::move(pulse), [this, receiver, id](std::uint64_t writes, const AudioOutputState& state) {
            QMetaObject::invokeMethod(
                receiver, [this, id, writes, state] { deliver(id, writes, state); }, Qt::QueuedConnection);
        });
}

void PulseAudioOutputDevice::stop()
{
    m_connection.reset();
    m_handler = nullptr;
}

void PulseAudioOutputDevice::requestUpdate()
{
    if (!m_connection)
        return;
    PulseMainloopLock lock(m_connection->pulse->mainloop());
    m_connection->requestUpdate();
}

void PulseAudioOutputDevice::setVolume(float volume)
{
    if (!m_connection || std::isnan(volume))
        return;
    PulseMainloopLock lock(m_connection->pulse->mainloop());
    m_connection->setVolume(volume);
}

void PulseAudioOutputDevice::setMuted(bool muted)
{
    if (!m_connection)
        return;
    PulseMainloopLock lock(m_connection->pulse->mainloop());
    m_connection->setMuted(muted);
}

void PulseAudioOutputDevice::deliver(std::uint64_t connection, std::uint64_t writes, const AudioOutputState& state)
{
    if (!m_connection || connection != m_connectionCount || !m_handler)
        return;
    // Read before a change we have sent since: the reading that follows that change is on its way.
    if (writes < m_connection->writes)
        return;
    m_handler(state);
}

}
