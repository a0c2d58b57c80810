#pragma once

#include <pulse/context.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace Quickhalo {

// One client connection to a sound server, shared by everything of Quickhalo that uses that
// server: one mainloop thread and one context, made again after the server goes away, waiting
// longer each time. Every member but `acquire` and `mainloop` wants the mainloop lock held, and
// the listeners are called on the mainloop thread with it held.
class PulseConnection {
public:
    struct Listener {
        // The context is ready (again).
        std::function<void(pa_context*)> ready = {};
        // The server is gone or was never there; another attempt follows.
        std::function<void(const char* reason)> lost = {};
        // An event of the facilities subscribed to.
        std::function<void(pa_subscription_event_type_t type, std::uint32_t index)> event = {};
    };

    // The connection to `server` as libpulse names servers (empty: the session's own), made on
    // first use and ended when its last holder lets go, never on its own thread. Null when the
    // client could not be set up.
    static std::shared_ptr<PulseConnection> acquire(const QByteArray& server);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    pa_threaded_mainloop* mainloop() const { return m_mainloop; }

    // The ready context, or null.
    pa_context* readyContext() const;
    // A listener added while the server is known to be unreachable hears so at once.
    int addListener(Listener listener);
    void removeListener(int id);
    // Without a context, tries again now and from the shortest delay on.
    void attemptNow();
    // Adds facilities to the subscription, kept across reconnections.
    void subscribe(pa_subscription_mask_t mask);

private:
    explicit PulseConnection(QByteArray server);
    bool open();
    void scheduleAttempt(std::uint64_t delay);
    void connect();
    void lose(const char* reason);
    void tellListeners(const std::function<void(const Listener&)>& tell);

    static void attemptEvent(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata);
    static void contextChanged(pa_context* context, void* userdata);
    static void serverEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* userdata);

    QByteArray m_server;
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_mainloop_api* m_api = nullptr;
    pa_context* m_context = nullptr; // the live one; none between attempts
    pa_context* m_retired = nullptr; // a failed one, released before the next attempt
    pa_time_event* m_retry = nullptr;
    std::uint64_t m_retryDelay;
    std::optional<QByteArray> m_lossReason;
    int m_mask = 0;
    std::map<int, Listener> m_listeners;
    int m_nextListener = 0;
};

}
