#pragma once

#include <functional>

namespace Quickhalo {

// What the sound server last said about the default output.
struct AudioOutputState {
    // False when there is no sound server or it has no default output.
    bool hasOutput = false;
    // The loudest channel, 1.0 at the output's nominal full volume; may be above 1 (amplified).
    float volume = 0;
    bool isMuted = false;
    bool operator==(const AudioOutputState&) const = default;
};

// The default output's volume and mute on the sound server. No call waits for the server:
// changes are sent and forgotten, and the state comes back through the handler.
class AudioOutputDevice {
public:
    using Handler = std::function<void(const AudioOutputState&)>;

    virtual ~AudioOutputDevice() = default;

    // Follows the default output, also when it changes, when the server goes away or comes back,
    // and when others change it. Calls `handler` on the main thread after each change and each
    // `requestUpdate`, never from inside a call of this interface, and never with a state older
    // than a `setVolume` or `setMuted` already made. A second start replaces the first.
    virtual void start(Handler handler) = 0;
    // Nothing more is reported once this returns.
    virtual void stop() = 0;
    // Asks for the state afresh (and, without a server, tries to reach it now).
    virtual void requestUpdate() = 0;
    // Scales every channel so that the loudest is at `volume`, keeping their balance. Ignored
    // when there is no output; errors are dropped.
    virtual void setVolume(float volume) = 0;
    virtual void setMuted(bool muted) = 0;
};

}
