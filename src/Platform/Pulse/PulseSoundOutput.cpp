#include "Platform/Pulse/PulseSoundOutput.h"

#include <map>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include "Base/Log.h"
#include "Platform/Pulse/PulseMainloopLock.h"

namespace Quickhalo {

namespace {
constexpr pa_usec_t targetLatency = 20 * PA_USEC_PER_MSEC;

pa_sample_spec sampleSpec()
{
    pa_sample_spec spec {};
    spec.format = PA_SAMPLE_FLOAT32NE;
    spec.rate = static_cast<uint32_t>(SoundOutput::sampleRate);
    spec.channels = 1;
    return spec;
}

// Cuts off what the stream still holds and plays `samples` at once. The server handles the
// three requests in order; the trigger starts playback even when less than the prebuffer arrived.
void writeFromStart(pa_stream* stream, const std::vector<float>& samples)
{
    releaseOperation(pa_stream_flush(stream, nullptr, nullptr));
    if (!samples.empty())
        pa_stream_write(stream, samples.data(), samples.size() * sizeof(float), nullptr, 0, PA_SEEK_RELATIVE);
    releaseOperation(pa_stream_trigger(stream, nullptr, nullptr));
}
}

// Everything between start() and stop(). Its fields are touched only with the mainloop lock
// held: by the caller's thread through play() and by the mainloop thread in the callbacks.
struct PulseSoundOutput::Connection {
    struct Voice {
        pa_stream* stream = nullptr;
        std::vector<float> pending; // waits for the stream to become ready
        bool hasPending = false;
    };

    std::atomic<bool>& reportedFailure;
    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    std::map<int, Voice> voices; // nodes stay put, so a stream's callback may hold its voice
    bool failed = false;

    explicit Connection(std::atomic<bool>& reported)
        : reportedFailure(reported)
    {
    }

    ~Connection()
    {
        if (!mainloop)
            return;
        {
            PulseMainloopLock lock(mainloop);
            for (auto& entry : voices)
                closeStream(entry.second);
            voices.clear();
            if (context) {
                pa_context_set_state_callback(context, nullptr, nullptr);
                pa_context_disconnect(context);
                pa_context_unref(context);
                context = nullptr;
            }
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
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop);
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quickhalo");
        pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quickhalo");
        context = pa_context_new_with_proplist(api, "Quickhalo", properties);
        pa_proplist_free(properties);
        if (!context)
            return false;
        pa_context_set_state_callback(context, &Connection::contextChanged, this);
        // Connecting may read X11 properties or resolve a host name: keep that off the caller's thread.
        pa_mainloop_api_once(api, &Connection::connectInLoop, this);
        pa_threaded_mainloop_set_name(mainloop, "quickhalo-sound");
        return pa_threaded_mainloop_start(mainloop) >= 0;
    }

    void play(int index, const std::vector<float>& samples)
    {
        PulseMainloopLock lock(mainloop);
        if (failed || !context)
            return;
        Voice& voice = voices[index];
        if (voice.stream) {
            const pa_stream_state_t state = pa_stream_get_state(voice.stream);
            if (state == PA_STREAM_READY) {
                writeFromStart(voice.stream, samples);
                return;
            }
            if (!PA_STREAM_IS_GOOD(state))
                closeStream(voice); // the sink went away; a new stream finds the current one
        }
        voice.pending = samples;
        voice.hasPending = true;
        if (!voice.stream && pa_context_get_state(context) == PA_CONTEXT_READY)
            openStream(voice);
    }

    void openStream(Voice& voice)
    {
        const pa_sample_spec spec = sampleSpec();
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
        pa_stream* stream = pa_stream_new_with_proplist(context, "Ring sound", &spec, nullptr, properties);
        pa_proplist_free(properties);
        if (!stream)
            return;
        pa_buffer_attr attributes {};
        attributes.maxlength = static_cast<uint32_t>(-1);
        attributes.tlength = static_cast<uint32_t>(pa_usec_to_bytes(targetLatency, &spec));
        attributes.prebuf = static_cast<uint32_t>(pa_frame_size(&spec));
        attributes.minreq = static_cast<uint32_t>(-1);
        attributes.fragsize = static_cast<uint32_t>(-1);
        pa_stream_set_state_callback(stream, &Connection::streamChanged, &voice);
        if (pa_stream_connect_playback(stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_unref(stream);
            return;
        }
        voice.stream = stream;
    }

    static void closeStream(Voice& voice)
    {
        if (!voice.stream)
            return;
        pa_stream_set_state_callback(voice.stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(voice.stream)))
            pa_stream_disconnect(voice.stream);
        pa_stream_unref(voice.stream);
        voice.stream = nullptr;
    }

    void fail(const char* reason)
    {
        failed = true;
        for (auto& entry : voices)
            entry.second.hasPending = false;
        if (!reportedFailure.exchange(true))
            Log::write(QStringLiteral("ring sounds are silent: the sound server is not reachable (%1)")
                           .arg(QString::fromUtf8(reason)));
    }

    static void connectInLoop(pa_mainloop_api*, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        // No autospawn: a sound server is the session's business, not a menu's.
        if (self->context && pa_context_connect(self->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
            && !self->failed)
            self->fail(pa_strerror(pa_context_errno(self->context)));
    }

    static void contextChanged(pa_context* context, void* userdata)
    {
        auto* self = static_cast<Connection*>(userdata);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            for (auto& entry : self->voices) {
                if (entry.second.hasPending && !entry.second.stream)
                    self->openStream(entry.second);
            }
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            if (!self->failed)
                self->fail(pa_strerror(pa_context_errno(context)));
            break;
        default:
            break;
        }
    }

    static void streamChanged(pa_stream* stream, void* userdata)
    {
        auto* voice = static_cast<Voice*>(userdata);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY && voice->hasPending) {
            writeFromStart(stream, voice->pending);
            voice->hasPending = false;
            voice->pending.clear();
        } else if (!PA_STREAM_IS_GOOD(state)) {
            voice->hasPending = false;
        }
    }
};

PulseSoundOutput::PulseSoundOutput() = default;

PulseSoundOutput::~PulseSoundOutput()
{
    stop();
}

bool PulseSoundOutput::start()
{
    if (m_connection)
        return true;
    auto connection = std::make_unique<Connection>(m_reportedFailure);
    if (!connection->open()) {
        if (!m_reportedFailure.exchange(true))
            Log::write(QStringLiteral("ring sounds are silent: the sound client could not be set up"));
        return false;
    }
    m_connection = std::move(connection);
    return true;
}

void PulseSoundOutput::stop()
{
    m_connection.reset();
}

bool PulseSoundOutput::isRunning() const
{
    return m_connection != nullptr;
}

void PulseSoundOutput::play(int voice, const std::vector<float>& samples)
{
    if (m_connection && voice >= 0)
        m_connection->play(voice, samples);
}

}
