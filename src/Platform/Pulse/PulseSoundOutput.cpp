#include "Platform/Pulse/PulseSoundOutput.h"

#include <map>
#include <memory>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

#include "Base/Log.h"
#include "Platform/Pulse/PulseConnection.h"
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

// Everything between start() and stop(): the voices' streams over the shared connection. Its
// fields are touched only with the mainloop lock held: by the caller's thread through play() and
// by the mainloop thread in the callbacks.
struct PulseSoundOutput::Connection {
    struct Voice {
        pa_stream* stream = nullptr;
        std::vector<float> pending; // waits for the stream to become ready
        bool hasPending = false;
    };

    std::atomic<bool>& reportedFailure;
    std::shared_ptr<PulseConnection> pulse;
    QByteArray streamName;
    int listener = 0;
    std::map<int, Voice> voices; // nodes stay put, so a stream's callback may hold its voice
    // Since the server was last found missing, until it is back: sounds are dropped, not kept.
    bool isUnreachable = false;

    Connection(std::atomic<bool>& reported, std::shared_ptr<PulseConnection> connection, QByteArray name)
        : reportedFailure(reported)
        , pulse(std::move(connection))
        , streamName(std::move(name))
    {
        PulseMainloopLock lock(pulse->mainloop());
        listener = pulse->addListener({ .ready = [this](pa_context* context) { openPending(context); },
            .lost = [this](const char* reason) { fail(reason); } });
    }

    ~Connection()
    {
        PulseMainloopLock lock(pulse->mainloop());
        pulse->removeListener(listener);
        for (auto& entry : voices)
            closeStream(entry.second);
        voices.clear();
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void play(int index, const std::vector<float>& samples)
    {
        PulseMainloopLock lock(pulse->mainloop());
        if (isUnreachable)
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
        if (pa_context* context = pulse->readyContext(); context && !voice.stream)
            openStream(voice, context);
    }

    void openPending(pa_context* context)
    {
        isUnreachable = false;
        for (auto& entry : voices) {
            if (entry.second.hasPending && !entry.second.stream)
                openStream(entry.second, context);
        }
    }

    void openStream(Voice& voice, pa_context* context)
    {
        const pa_sample_spec spec = sampleSpec();
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "event");
        pa_stream* stream = pa_stream_new_with_proplist(context, streamName.constData(), &spec, nullptr, properties);
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
        isUnreachable = true;
        for (auto& entry : voices) {
            entry.second.hasPending = false;
            closeStream(entry.second); // the streams went with the context
        }
        if (!reportedFailure.exchange(true))
            Log::write(QStringLiteral("ring sounds are silent: the sound server is not reachable (%1)")
                           .arg(QString::fromUtf8(reason)));
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

PulseSoundOutput::PulseSoundOutput(QByteArray streamName)
    : m_streamName(std::move(streamName))
{
}

PulseSoundOutput::~PulseSoundOutput()
{
    stop();
}

bool PulseSoundOutput::start()
{
    if (m_connection)
        return true;
    std::shared_ptr<PulseConnection> pulse = PulseConnection::acquire({});
    if (!pulse) {
        if (!m_reportedFailure.exchange(true))
            Log::write(QStringLiteral("ring sounds are silent: the sound client could not be set up"));
        return false;
    }
    m_connection = std::make_unique<Connection>(m_reportedFailure, std::move(pulse), m_streamName);
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
