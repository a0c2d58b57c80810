#pragma once

#include "Base/SharedInstance.h"
#include "Config/Models.h"
#include "Platform/FrontmostApplication.h"
#include "Ring/RingServices.h"

#include <QObject>
#include <QPointF>
#include <QUuid>

#include <memory>
#include <optional>

namespace Quickhalo {

class Clock;
class ConfigStore;
class PointerLocation;
class RepeatingTimer;

// Everything the controller reaches outside itself.
struct RingControllerServices {
    RingWindow& window;
    RingBackdropWindow& backdrop;
    RingSoundPlayer& sounds;
    VolumeControl& volume;
    NowPlayingControl& nowPlaying;
    ActionExecutor& actions;
    FrontmostApplication& frontmost;
    PointerLocation& pointer;
    Clock& clock;
};

// The ring's state machine: opens under the pointer on a trigger, follows the pointer to
// highlight a slot, tells a hold from a tap that pins the ring, handles clicks, keys and the
// wheel while open, runs the chosen slice, remembers it for repeating and drives the volume
// flyout. It draws nothing and owns no window; it talks to the rest only through its services.
class RingController : public QObject, public Shared<RingController> {
    Q_OBJECT

public:
    enum class State { closed, holding, sticky };

    struct FlyoutState {
        int sliceIndex = 0;
        float level = 0;
        bool inMuteZone = false;
        bool operator==(const FlyoutState&) const = default;
    };

    static constexpr double pollInterval = 1.0 / 60.0;
    static constexpr double tapThreshold = 0.25;
    static constexpr double stillPointerThreshold = 0.5;
    static constexpr double hubClickRadius = 70;
    static constexpr double flyoutOpenDistance = 150;
    static constexpr double flyoutKeepOpenDistance = 138;
    static constexpr double flyoutDwell = 0.15;
    static constexpr double flyoutArmingAngle = 2;
    static constexpr double preciseScrollVolumeStep = 0.002;
    static constexpr double lineScrollVolumeStep = 0.02;
    static constexpr double preciseScrollSwitchThreshold = 24;
    static constexpr double lineScrollSwitchThreshold = 1;
    static constexpr double scrollSwitchDebounce = 0.2;

    RingController(ConfigStore& configStore, RingControllerServices services, QObject* parent = nullptr);
    ~RingController() override;


    // Published state; each has a change signal.
    State state() const { return m_state; }
    std::optional<int> highlighted() const { return m_highlighted; }
    int currentRing() const { return m_currentRing; }
    std::optional<QUuid> lastSliceId() const { return m_lastSliceId; }
    const std::optional<RingPage>& transientPage() const { return m_transientPage; }
    const std::optional<FlyoutState>& flyout() const { return m_flyout; }

    const std::optional<TargetApplication>& targetApp() const { return m_targetApp; }
    QPointF origin() const { return m_origin; }

    // The transient page's slots, else the current ring's, else eight empty slots. Valid until
    // the configuration or the transient page changes.
    const RingPage::Slots& currentSlices() const;
    // The last slice as it is now in the configuration (edited form), else the remembered copy.
    std::optional<Slice> lastSlice() const;
    std::optional<Slice> volumeSlice(int index) const;
    int ringCount() const;

    // Triggers.
    void hotkeyPressed();
    void hotkeyReleased();

    // Menu command and start option: reopen pinned at the pointer.
    void openPinned();
    // The action runner's sub-ring, shown pinned in place of the configured rings.
    void openTransient(const RingPage& page, QPointF at);

    void open(bool sticky, std::optional<QPointF> centre, std::optional<RingPage> page);
    void close();
    void becomeSticky();

    // From the ring window.
    void handleClick();
    // Qt key code and the key's text without modifiers; answers whether the key was used.
    bool handleKeyDown(int key, const QString& text);
    void handleScroll(double deltaX, double deltaY, bool hasPreciseDeltas);

    // From the ring view.
    void switchRing(int by);
    void run(const Slice& slice);

Q_SIGNALS:
    void stateChanged();
    void highlightedChanged();
    void currentRingChanged();
    void lastSliceIdChanged();
    void transientPageChanged();
    void flyoutChanged();

private:
    void setState(State state);
    void setHighlighted(std::optional<int> index);
    void setFlyout(std::optional<FlyoutState> flyout);
    void setTransientPage(std::optional<RingPage> page);
    void startPolling();
    void updateHighlight(bool force, bool armFlyout);
    void updateFlyout(double angle, bool arm);
    void runSlice(int index);
    void recordLast(const Slice& slice);
    void moveHighlight(int by);

    ConfigStore& m_configStore;
    RingControllerServices m_services;

    State m_state = State::closed;
    std::optional<int> m_highlighted;
    int m_currentRing = 0;
    std::optional<QUuid> m_lastSliceId;
    std::optional<RingPage> m_transientPage;
    std::optional<FlyoutState> m_flyout;

    std::optional<TargetApplication> m_targetApp;
    std::optional<Slice> m_lastSliceValue;
    QPointF m_origin;
    double m_pressTime = 0;
    std::unique_ptr<RepeatingTimer> m_pollTimer;
    QPointF m_lastMouse;
    bool m_watchingClicks = false;
    double m_scrollAccumulator = 0;
    std::optional<double> m_scrollVolumeTarget;
    double m_lastScrollSwitch;
    double m_highlightStart = 0;
    bool m_flyoutArmed = false;
    double m_flyoutOpenAngle = 0;
};

}
