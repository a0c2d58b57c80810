#pragma once

#include "Config/Models.h"
#include "Platform/FrontmostApplication.h"

#include <QObject>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>

namespace Quickhalo {

// What the ring controller asks of the rest of the system. Every call is made on the main
// thread and returns at once; the providers report their own failures.

// The ring's window.
class RingWindow {
public:
    virtual ~RingWindow() = default;
    // Shows the ring in front without activating Quickhalo, centred on `centre` or, without one,
    // on the pointer, clamped into the screen. Returns the centre used (y up).
    virtual QPointF present(std::optional<QPointF> centre) = 0;
    virtual void orderOut() = 0;
    // Makes the window receive the keyboard and brings it to the front.
    virtual void makeKeyAndOrderFront() = 0;
    virtual bool isKeyWindow() const = 0;
    virtual void activateApplication() = 0;
    virtual bool isApplicationActive() const = 0;
    // Calls `onClick` for a left or right click outside Quickhalo's windows until stopped.
    virtual void watchClicksOutside(std::function<void()> onClick) = 0;
    virtual void stopWatchingClicksOutside() = 0;
};

// The dimming window behind the ring; shows nothing when the preference is off.
class RingBackdropWindow {
public:
    virtual ~RingBackdropWindow() = default;
    virtual void show(QPointF around) = 0;
    virtual void orderOut() = 0;
};

enum class RingSound { open, tick, select };

class RingSoundPlayer {
public:
    virtual ~RingSoundPlayer() = default;
    // Never fails; silent when sounds are off.
    virtual void play(RingSound sound) = 0;
};

// The default output's volume as of the last refresh or set. Announces every change of its
// readings so that views can redraw.
class VolumeControl : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    virtual void refresh() = 0;
    virtual float level() const = 0;
    virtual bool isMuted() const = 0;
    virtual bool isAdjustable() const = 0;
    // Clamped to 0..1; setting a level unmutes. Readings right after give the values in force.
    virtual void setLevel(float level) = 0;
    virtual void setMuted(bool muted) = 0;

Q_SIGNALS:
    void changed();
};

struct NowPlayingTrack {
    QString title;
    QString artist;
    bool isPlaying = false;
    QString artworkFile; // a local image file, or empty
    bool operator==(const NowPlayingTrack&) const = default;
};

// What the music player is doing. Announces every change of the track.
class NowPlayingControl : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // Refreshes the track at once and every second until stopped.
    virtual void startPolling() = 0;
    virtual void stopPolling() = 0;
    // Nothing when no player is playing or paused.
    virtual std::optional<NowPlayingTrack> track() const = 0;
    virtual void playPause() = 0;
    virtual void nextTrack() = 0;
    virtual void previousTrack() = 0;

Q_SIGNALS:
    void changed();
};

// What an action needs of the moment the ring opened, captured then and handed over with it, so
// that nothing the action does has to ask the ring again.
struct ActionContext {
    // The application in front when the ring opened: where results are pasted, whose window snaps.
    std::optional<TargetApplication> target;
    // The ring's centre (y up).
    QPointF origin;
    bool operator==(const ActionContext&) const = default;
};

// Carries out a slice's action (launch, open, snap, tools...).
class ActionExecutor {
public:
    virtual ~ActionExecutor() = default;
    virtual void run(const ActionKind& kind, const ActionContext& context) = 0;
};

}
