#pragma once

#include <memory>

class QThread;

namespace Quickhalo {

// Loads the ring's fonts on another thread while start-up goes on. The first paint of the ring
// otherwise spends some 30 ms in the font database and in parsing the icon font, which a user
// who summons the ring right after login would feel. Only the process-wide font data is shared
// with the main thread; each thread keeps its own glyph caches.
class RingFontWarmUp {
public:
    RingFontWarmUp();
    // Waits for the loading to end: it must not outlive the application object.
    ~RingFontWarmUp();
    RingFontWarmUp(const RingFontWarmUp&) = delete;
    RingFontWarmUp& operator=(const RingFontWarmUp&) = delete;

    void wait();

private:
    std::unique_ptr<QThread> m_thread;
};

}
