#include "Platform/Pulse/PulseAudioOutputDevice.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <optional>

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
#include "Platform/Pulse/PulseMainloopLock.h"

namespace Quickhalo {

namespace {
constexpr pa_usec_t firstRetryDelay = 250 * PA_USEC_PER_MSEC;
constexpr pa_usec_t longestRetryDelay = 4 * PA_USEC_PER_SEC;
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

// One connection to the server and everything learnt over it. Its fields are touched only with
// the mainloop lock held: by the main thread through the setters and by the mainloop thread in
// the callbacks.
struct PulseAudioOutputDevice::Connection {
    // Hands a state to the main thread with the number of changes sent before it was read.
    using Post = std::function<void(std::uint64_t writes, const AudioOutputState& state)>;

    QByteArray server;
    Post post;
    pa_threaded_mainloop* mainloop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr; // the live one; none between attempts
    pa_context* retired = nullptr; // a failed one, released before the next attempt
    pa_time_event* retry = nullptr;
    pa_usec_t retryDelay = firstRetryDelay;
    bool reportedOutage = false;

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

    Connection(QByteArray serverName, Post poster)
        : server(std::move(serverName))
        , post(std::move(poster))
    { }

    ~Connection()
    {
        if (!mainloop)
            return;
        {
            PulseMainloopLock lock(mainloop);
            if (retry)
                api->time_free(retry);
            if (context) {
                pa_context_set_state_callback(context, nullptr, nullptr);
                pa_context_set_subscribe_callback(context, nullptr, nullptr);
                pa_context_disconnect(context);
                pa_context_unref(context);
            }
            if (retired)
                pa_context_unref(retired);
        }
        pa_threaded_mainloop_stop(mainloop);
        pa_threaded_mainloop_free(mainloop);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open()
    {
        mainloop = pa_threaded_mainloop_new();
        if (!mainloop)
            return false;
        api = pa_threaded_mainloop_get_api(mainloop);
        pa_threaded_mainloop_set_name(mainloop, "quickhalo-volume");
        // Making a context may read X11 properties: the first attempt runs on the mainloop thread too.
        scheduleAttempt(0);
        return pa_threaded_mainloop_start(mainloop) >= 0;
    }

    bool isReady() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }

    void scheduleAttempt(pa_usec_t delay)
    {
        timeval when {};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, delay);
        if (retry)
            api->time_restart(retry, &when);
        else
            retry = api->time_new(api, &when, &Connection::attemptNow, this);
    }

    void connect()
    {
        if (context)
            return;
        if (retired) {
            pa_context_unref(retired);
            retired = nullptr;
        }
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quickhalo");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quickhalo");
        context = pa_context_new_with_proplist(api, "Quickhalo", properties);
        pa_proplist_free(properties);
        if (!context) {
            lose("the sound client could not be set up");
            return;
        }
        pa_context_set_state_callback(context, &Connection::contextChanged, this);
        // No autospawn: a sound server is the session's business, not a menu's.
        if (pa_context_connect(
                context, server.isEmpty() ? nullptr : server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr)
            < 0)
            lose(pa_strerror(pa_context_errno(context)));
    }

    // The server is gone or was never there: say so and try again later, less and less often.
    void lose(const char* reason)
    {
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            retired = context;
            context = nullptr;
        }
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
        scheduleAttempt(retryDelay);
        retryDelay = std::min(retryDelay * 2, longestRetryDelay);
    }

    // From the main thread: an answer now, and without a server a new attempt now.
    void requestUpdate()
    {
        if (isReady()) {
            query();
        } else if (!context) {
            retryDelay = firstRetryDelay;
            scheduleAttempt(0);
        }
    }

    void query()
    {
        if (!isReady())
            return;
        if (isQuerying) {
            queryAgain = true;
            return;
        }
        pa_operation* operation
            = pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@", &Connection::sinkRead, this);
        if (!operation)
            return;
        releaseOperation(operation);
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
        if (!isReady() || !hasSink)
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
        if (isReady() && hasSink)
            sent(pa_context_set_sink_mute_by_index(context, sinkIndex, muted ? 1 : 0, &Connection::written, this));
    }

    bool sent(pa_operation* operation)
    {
        if (!operation)
            return false;
        releaseOperation(operation);
        ++writesInFlight;
        ++writes;
        return true;
    }

    static void attemptNow(pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata)
    {
        static_cast<Connection*>(userdata)->connect();
    }

    static void contextChanged(pa_context* context, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            self->retryDelay = firstRetryDelay;
            self->reportedOutage = false;
            pa_context_set_subscribe_callback(context, &Connection::serverEvent, self);
            releaseOperation(pa_context_subscribe(context,
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER), nullptr,
                nullptr));
            self->query();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->lose(pa_strerror(pa_context_errno(context)));
            break;
        default:
            break;
        }
    }

    static void serverEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        // Server events carry default-sink changes; other sinks do not matter.
        const bool isSinkEvent = (type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK;
        if (isSinkEvent && self->hasSink && index != self->sinkIndex)
            return;
        self->query();
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
    auto connection = std::make_unique<Connection>(
        m_server.toUtf8(), [this, receiver, id](std::uint64_t writes, const AudioOutputState& state) {
            QMetaObject::invokeMethod(
                receiver, [this, id, writes, state] { deliver(id, writes, state); }, Qt::QueuedConnection);
        });
    if (!connection->open()) {
        Log::write(QStringLiteral("the output volume is unavailable: the sound client could not be set up"));
        return;
    }
    m_connection = std::move(connection);
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
    PulseMainloopLock lock(m_connection->mainloop);
    m_connection->requestUpdate();
}

void PulseAudioOutputDevice::setVolume(float volume)
{
    if (!m_connection || std::isnan(volume))
        return;
    PulseMainloopLock lock(m_connection->mainloop);
    m_connection->setVolume(volume);
}

void PulseAudioOutputDevice::setMuted(bool muted)
{
    if (!m_connection)
        return;
    PulseMainloopLock lock(m_connection->mainloop);
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
