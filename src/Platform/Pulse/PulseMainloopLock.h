#pragma once

#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

namespace Quickhalo {

// Holds a threaded mainloop's lock for a scope. The mainloop thread holds it only while it runs
// callbacks, so taking it does not wait for the server.
class PulseMainloopLock {
public:
    explicit PulseMainloopLock(pa_threaded_mainloop* mainloop)
        : m_mainloop(mainloop)
    {
        pa_threaded_mainloop_lock(m_mainloop);
    }
    ~PulseMainloopLock() { pa_threaded_mainloop_unlock(m_mainloop); }
    PulseMainloopLock(const PulseMainloopLock&) = delete;
    PulseMainloopLock& operator=(const PulseMainloopLock&) = delete;

private:
    pa_threaded_mainloop* m_mainloop;
};

// For requests whose completion is not awaited.
inline void releaseOperation(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

}
