#include "Platform/Pulse/PulseConnection.h"

#include <pulse/error.h>
#include <pulse/mainloop-api.h>
#include <pulse/proplist.h>
#include <pulse/timeval.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "Platform/Pulse/PulseMainloopLock.h"

namespace Quickhalo {

namespace {
constexpr pa_usec_t firstRetryDelay = 250 * PA_USEC_PER_MSEC;
constexpr pa_usec_t longestRetryDelay = 4 * PA_USEC_PER_SEC;

std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<QByteArray, std::weak_ptr<PulseConnection>>& registry()
{
    static std::map<QByteArray, std::weak_ptr<PulseConnection>> connections;
    return connections;
}
}

std::shared_ptr<PulseConnection> PulseConnection::acquire(const QByteArray& server)
{
    const std::lock_guard guard(registryMutex());
    if (std::shared_ptr<PulseConnection> existing = registry()[server].lock())
        return existing;
    std::shared_ptr<PulseConnection> connection(new PulseConnection(server));
    if (!connection->open())
        return nullptr;
    registry()[server] = connection;
    return connection;
}

PulseConnection::PulseConnection(QByteArray server)
    : m_server(std::move(server))
    , m_retryDelay(firstRetryDelay)
{ }

PulseConnection::~PulseConnection()
{
    if (!m_mainloop)
        return;
    {
        PulseMainloopLock lock(m_mainloop);
        if (m_retry)
            m_api->time_free(m_retry);
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_retired)
            pa_context_unref(m_retired);
    }
    pa_threaded_mainloop_stop(m_mainloop);
    pa_threaded_mainloop_free(m_mainloop);
}

bool PulseConnection::open()
{
    m_mainloop = pa_threaded_mainloop_new();
    if (!m_mainloop)
        return false;
    m_api = pa_threaded_mainloop_get_api(m_mainloop);
    pa_threaded_mainloop_set_name(m_mainloop, "quickhalo-pulse");
    // Making a context may read X11 properties or resolve a host name: the first attempt runs on
    // the mainloop thread too.
    scheduleAttempt(0);
    return pa_threaded_mainloop_start(m_mainloop) >= 0;
}

pa_context* PulseConnection::readyContext() const
{
    return m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY ? m_context : nullptr;
}

int PulseConnection::addListener(Listener listener)
{
    const int id = ++m_nextListener;
    const Listener& added = m_listeners.emplace(id, std::move(listener)).first->second;
    if (m_lossReason && added.lost)
        added.lost(m_lossReason->constData());
    return id;
}

void PulseConnection::removeListener(int id)
{
    m_listeners.erase(id);
}

void PulseConnection::attemptNow()
{
    if (m_context)
        return;
    m_retryDelay = firstRetryDelay;
    scheduleAttempt(0);
}

void PulseConnection::subscribe(pa_subscription_mask_t mask)
{
    m_mask |= mask;
    if (pa_context* context = readyContext())
        releaseOperation(pa_context_subscribe(context, static_cast<pa_subscription_mask_t>(m_mask), nullptr, nullptr));
}

void PulseConnection::scheduleAttempt(std::uint64_t delay)
{
    timeval when {};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, delay);
    if (m_retry)
        m_api->time_restart(m_retry, &when);
    else
        m_retry = m_api->time_new(m_api, &when, &PulseConnection::attemptEvent, this);
}

void PulseConnection::connect()
{
    if (m_context)
        return;
    if (m_retired) {
        pa_context_unref(m_retired);
        m_retired = nullptr;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Quickhalo");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "quickhalo");
    m_context = pa_context_new_with_proplist(m_api, "Quickhalo", properties);
    pa_proplist_free(properties);
    if (!m_context) {
        lose("the sound client could not be set up");
        return;
    }
    pa_context_set_state_callback(m_context, &PulseConnection::contextChanged, this);
    // No autospawn: a sound server is the session's business, not a menu's.
    if (pa_context_connect(
            m_context, m_server.isEmpty() ? nullptr : m_server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr)
        < 0)
        lose(pa_strerror(pa_context_errno(m_context)));
}

void PulseConnection::lose(const char* reason)
{
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        // Not released inside its own callback: before the next attempt.
        m_retired = m_context;
        m_context = nullptr;
    }
    m_lossReason = QByteArray(reason);
    const QByteArray told = *m_lossReason;
    tellListeners([&told](const Listener& listener) {
        if (listener.lost)
            listener.lost(told.constData());
    });
    scheduleAttempt(m_retryDelay);
    m_retryDelay = std::min(m_retryDelay * 2, static_cast<std::uint64_t>(longestRetryDelay));
}

void PulseConnection::tellListeners(const std::function<void(const Listener&)>& tell)
{
    // A listener may remove itself or another while it hears the news.
    std::vector<int> ids;
    for (const auto& entry : m_listeners)
        ids.push_back(entry.first);
    for (const int id : ids) {
        const auto found = m_listeners.find(id);
        if (found != m_listeners.end())
            tell(found->second);
    }
}

void PulseConnection::attemptEvent(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata)
{
    static_cast<PulseConnection*>(userdata)->connect();
}

void PulseConnection::contextChanged(pa_context* context, void* userdata)
{
    auto* self = static_cast<PulseConnection*>(userdata);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        self->m_retryDelay = firstRetryDelay;
        self->m_lossReason.reset();
        pa_context_set_subscribe_callback(context, &PulseConnection::serverEvent, self);
        if (self->m_mask != 0)
            releaseOperation(
                pa_context_subscribe(context, static_cast<pa_subscription_mask_t>(self->m_mask), nullptr, nullptr));
        self->tellListeners([context](const Listener& listener) {
            if (listener.ready)
                listener.ready(context);
        });
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->lose(pa_strerror(pa_context_errno(context)));
        break;
    default:
        break;
    }
}

void PulseConnection::serverEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* userdata)
{
    auto* self = static_cast<PulseConnection*>(userdata);
    self->tellListeners([type, index](const Listener& listener) {
        if (listener.event)
            listener.event(type, index);
    });
}

}
