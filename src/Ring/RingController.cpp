#include "Ring/RingController.h"

#include "Config/ConfigStore.h"
#include "Platform/Clock.h"
#include "Platform/PointerLocation.h"
#include "Ring/RingGeometry.h"
#include "Ring/VolumeArc.h"
#include "Tools/ToolRegistry.h"

#include <cmath>
#include <limits>

#include <QPointer>

namespace Quickhalo {

namespace {

constexpr int slotCount = static_cast<int>(RingPage::slotCount);

int wrapped(int value, int count)
{
    return ((value % count) + count) % count;
}

// A whole decimal number with an optional sign and nothing else.
std::optional<int> parseSlotNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    bool ok = false;
    qsizetype digitsFrom = (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')) ? 1 : 0;
    if (digitsFrom == text.size())
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}

RingController::RingController(ConfigStore& configStore, RingControllerServices services, QObject* parent)
    : QObject(parent)
    , m_configStore(configStore)
    , m_services(services)
    , m_pressTime(services.clock.now())
    , m_lastScrollSwitch(-std::numeric_limits<double>::infinity())
    , m_highlightStart(services.clock.now())
{ }

RingController::~RingController() = default;

int RingController::ringCount() const
{
    return static_cast<int>(m_configStore.config().rings.size());
}

const RingPage::Slots& RingController::currentSlices() const
{
    static const RingPage::Slots noSlices;
    if (m_transientPage)
        return m_transientPage->slices;
    const auto& rings = m_configStore.config().rings;
    if (m_currentRing >= 0 && m_currentRing < ringCount())
        return rings[static_cast<std::size_t>(m_currentRing)].slices;
    return noSlices;
}

std::optional<Slice> RingController::lastSlice() const
{
    if (!m_lastSliceId)
        return std::nullopt;
    for (const RingPage& ring : m_configStore.config().rings) {
        for (const auto& slot : ring.slices) {
            if (slot && slot->id == *m_lastSliceId)
                return slot;
        }
    }
    if (m_lastSliceValue && m_lastSliceValue->id == *m_lastSliceId)
        return m_lastSliceValue;
    return std::nullopt;
}

std::optional<Slice> RingController::volumeSlice(int index) const
{
    if (index < 0 || index >= slotCount)
        return std::nullopt;
    const auto& slot = currentSlices()[static_cast<std::size_t>(index)];
    if (!slot || slot->kind != ActionKind(Actions::Builtin { BuiltinTool::volume }))
        return std::nullopt;
    return slot;
}

void RingController::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

void RingController::setHighlighted(std::optional<int> index)
{
    if (m_highlighted == index)
        return;
    m_highlighted = index;
    Q_EMIT highlightedChanged();
    if (index && m_state != State::closed && *index >= 0 && *index < slotCount
        && currentSlices()[static_cast<std::size_t>(*index)].has_value())
        m_services.sounds.play(RingSound::tick);
}

void RingController::setFlyout(std::optional<FlyoutState> flyout)
{
    if (m_flyout == flyout)
        return;
    m_flyout = flyout;
    Q_EMIT flyoutChanged();
}

void RingController::setTransientPage(std::optional<RingPage> page)
{
    if (m_transientPage == page)
        return;
    m_transientPage = std::move(page);
    Q_EMIT transientPageChanged();
}

void RingController::hotkeyPressed()
{
    switch (m_state) {
    case State::closed:
        open(false, std::nullopt, std::nullopt);
        break;
    case State::holding:
        break;
    case State::sticky:
        // A second press brings a pinned ring back to the front, a third closes it.
        if (m_services.window.isKeyWindow() && m_services.window.isApplicationActive()) {
            close();
        } else {
            m_services.window.makeKeyAndOrderFront();
            m_services.window.activateApplication();
        }
        break;
    }
}

void RingController::hotkeyReleased()
{
    if (m_state != State::holding)
        return;
    updateHighlight(true, false);
    if (m_flyout) {
        if (const auto slice = volumeSlice(m_flyout->sliceIndex))
            recordLast(*slice);
        if (m_flyout->inMuteZone)
            m_services.volume.setMuted(true);
        close();
    } else if (m_highlighted) {
        runSlice(*m_highlighted);
    } else if (m_services.clock.now() - m_pressTime < tapThreshold) {
        becomeSticky();
    } else {
        close();
    }
}

void RingController::openPinned()
{
    if (m_state != State::closed)
        close();
    open(true, std::nullopt, std::nullopt);
}

void RingController::openTransient(const RingPage& page, QPointF at)
{
    if (m_state != State::closed)
        close();
    open(true, at, page);
}

void RingController::open(bool sticky, std::optional<QPointF> centre, std::optional<RingPage> page)
{
    if (m_currentRing >= ringCount()) {
        m_currentRing = 0;
        Q_EMIT currentRingChanged();
    }

    // Quickhalo's own windows are never the target: the previous one stays.
    if (const auto front = m_services.frontmost.frontmost();
        front && front->processId != m_services.frontmost.ownProcessId())
        m_targetApp = front;

    const bool isTransient = page.has_value();
    setTransientPage(std::move(page));
    m_origin = m_services.window.present(centre);
    m_services.backdrop.show(m_origin);
    if (!isTransient)
        m_services.sounds.play(RingSound::open);

    m_pressTime = m_services.clock.now();
    setHighlighted(std::nullopt);
    setFlyout(std::nullopt);
    m_services.volume.refresh();

    m_lastMouse = m_services.pointer.location();
    setState(State::holding);
    startPolling();
    m_services.nowPlaying.startPolling();

    if (sticky)
        becomeSticky();
}

void RingController::becomeSticky()
{
    setState(State::sticky);
    m_services.window.makeKeyAndOrderFront();
    m_services.window.activateApplication();
    if (m_watchingClicks)
        m_services.window.stopWatchingClicksOutside();
    QPointer<RingController> self(this);
    m_services.window.watchClicksOutside([self] {
        if (self)
            self->close();
    });
    m_watchingClicks = true;
}

void RingController::startPolling()
{
    m_pollTimer.reset();
    m_pollTimer = m_services.clock.startRepeating(pollInterval, [this] { updateHighlight(false, false); });
}

void RingController::close()
{
    m_pollTimer.reset();
    m_services.nowPlaying.stopPolling();
    if (m_watchingClicks) {
        m_services.window.stopWatchingClicksOutside();
        m_watchingClicks = false;
    }
    setState(State::closed);
    setHighlighted(std::nullopt);
    setFlyout(std::nullopt);
    setTransientPage(std::nullopt);
    m_services.window.orderOut();
    m_services.backdrop.orderOut();
}

void RingController::updateHighlight(bool force, bool armFlyout)
{
    const QPointF pointer = m_services.pointer.location();
    if (!force && m_state == State::sticky) {
        const QPointF moved = pointer - m_lastMouse;
        if (std::hypot(moved.x(), moved.y()) < stillPointerThreshold)
            return;
    }
    m_lastMouse = pointer;
    const QPointF offset = pointer - m_origin;
    const double distance = std::hypot(offset.x(), offset.y());
    const double angle = RingGeometry::compassAngle(offset.x(), offset.y());

    if (m_flyout) {
        if (distance >= flyoutKeepOpenDistance) {
            updateFlyout(angle, armFlyout);
            return;
        }
        setFlyout(std::nullopt);
    }

    const std::optional<int> index = RingGeometry::sliceIndex(offset.x(), offset.y());
    if (index != m_highlighted) {
        setHighlighted(index);
        m_highlightStart = m_services.clock.now();
    }
    const bool dwellSatisfied = m_state == State::sticky || m_services.clock.now() - m_highlightStart >= flyoutDwell;

    if (!index || !volumeSlice(*index))
        return;
    if (distance < flyoutOpenDistance || !m_services.volume.isAdjustable() || !dwellSatisfied)
        return;
    setFlyout(FlyoutState { *index, m_services.volume.level(), false });
    m_flyoutArmed = false;
    m_flyoutOpenAngle = angle;
    updateFlyout(angle, armFlyout);
}

void RingController::updateFlyout(double angle, bool arm)
{
    if (!m_flyout)
        return;
    const VolumeArc::Reading reading = VolumeArc::map(angle, m_flyout->sliceIndex * 45.0);

    double turned = std::fmod(angle - m_flyoutOpenAngle, 360.0);
    if (turned > 180)
        turned -= 360;
    else if (turned < -180)
        turned += 360;
    if (arm || std::fabs(turned) >= flyoutArmingAngle)
        m_flyoutArmed = true;

    float shown = m_flyout->level;
    if (m_flyoutArmed && !reading.inMuteZone) {
        m_services.volume.setLevel(reading.level);
        shown = reading.level;
    }
    setFlyout(FlyoutState { m_flyout->sliceIndex, shown, reading.inMuteZone });
}

void RingController::runSlice(int index)
{
    if (index < 0 || index >= slotCount || !currentSlices()[static_cast<std::size_t>(index)]) {
        close();
        return;
    }
    const Slice slice = *currentSlices()[static_cast<std::size_t>(index)];
    if (m_state == State::sticky && slice.kind == ActionKind(Actions::Builtin { BuiltinTool::volume })) {
        // Clicking the volume slot of a pinned ring toggles mute and keeps the ring open.
        recordLast(slice);
        m_services.volume.refresh();
        m_services.volume.setMuted(!m_services.volume.isMuted());
        return;
    }
    run(slice);
}

void RingController::run(const Slice& slice)
{
    recordLast(slice);
    m_services.sounds.play(RingSound::select);
    close();
    // A tool with a ring of its own (the window positions) reopens the ring with it, where this
    // one was.
    if (const auto* builtin = std::get_if<Actions::Builtin>(&slice.kind)) {
        if (const ToolEntry& tool = ToolRegistry::entry(builtin->tool); tool.run == ToolRun::ring && tool.ringPage) {
            QPointer<RingController> alive(this);
            m_services.clock.later([alive, origin = m_origin, page = tool.ringPage] {
                if (alive)
                    alive->openTransient(page(), origin);
            });
            return;
        }
    }
    // The action starts once the ring has gone, so that it acts on the window behind it.
    ActionExecutor* actions = &m_services.actions;
    m_services.clock.later([actions, kind = slice.kind, context = ActionContext { m_targetApp, m_origin }] {
        actions->run(kind, context);
    });
}

void RingController::recordLast(const Slice& slice)
{
    m_lastSliceValue = slice;
    if (m_lastSliceId != slice.id) {
        m_lastSliceId = slice.id;
        Q_EMIT lastSliceIdChanged();
    }
}

void RingController::handleClick()
{
    if (m_state != State::sticky)
        return;
    updateHighlight(true, true);
    if (m_flyout) {
        if (const auto slice = volumeSlice(m_flyout->sliceIndex))
            recordLast(*slice);
        if (!m_flyout->inMuteZone) {
            m_services.volume.setLevel(m_flyout->level);
        } else {
            m_services.volume.refresh();
            m_services.volume.setMuted(!m_services.volume.isMuted());
        }
    } else if (m_highlighted) {
        runSlice(*m_highlighted);
    }
}

bool RingController::handleKeyDown(int key, const QString& text)
{
    if (m_state != State::sticky)
        return false;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_highlighted) {
            runSlice(*m_highlighted);
        } else if (const auto last = lastSlice()) {
            run(*last);
        } else {
            close();
        }
        return true;
    case Qt::Key_Space:
        m_services.nowPlaying.playPause();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Left:
        switchRing(-1);
        return true;
    case Qt::Key_Right:
        switchRing(+1);
        return true;
    case Qt::Key_Down:
        moveHighlight(+1);
        return true;
    case Qt::Key_Up:
        moveHighlight(-1);
        return true;
    default:
        break;
    }
    if (const auto number = parseSlotNumber(text); number && *number >= 1 && *number <= slotCount) {
        runSlice(*number - 1);
        return true;
    }
    return false;
}

void RingController::moveHighlight(int by)
{
    if (!m_highlighted)
        setHighlighted(by < 1 ? slotCount - 1 : 0);
    else
        setHighlighted(wrapped(*m_highlighted + by, slotCount));
}

void RingController::switchRing(int by)
{
    const int count = ringCount();
    if (count <= 1 || m_transientPage)
        return;
    m_currentRing = wrapped(m_currentRing + by, count);
    Q_EMIT currentRingChanged();
    m_services.sounds.play(RingSound::tick);
}

void RingController::handleScroll(double deltaX, double deltaY, bool hasPreciseDeltas)
{
    if (m_state == State::closed)
        return;

    const bool scrollsVolume = m_flyout || (m_highlighted && volumeSlice(*m_highlighted));
    if (scrollsVolume && m_services.volume.isAdjustable()) {
        const double step = hasPreciseDeltas ? preciseScrollVolumeStep : lineScrollVolumeStep;
        // The volume ignores changes under 0.01, which one touchpad event rarely makes: slow
        // scrolling adds up here instead of being lost event by event. A level moved by
        // something else since is taken as it is.
        const double current = static_cast<double>(m_services.volume.level());
        const double base = m_scrollVolumeTarget && std::fabs(*m_scrollVolumeTarget - current) < 0.0101
            ? *m_scrollVolumeTarget
            : current;
        m_scrollVolumeTarget = std::clamp(base + deltaY * step, 0.0, 1.0);
        m_services.volume.setLevel(static_cast<float>(*m_scrollVolumeTarget));
        if (m_flyout) {
            FlyoutState updated = *m_flyout;
            updated.level = m_services.volume.level();
            setFlyout(updated);
        }
        return;
    }

    if (ringCount() < 2 || m_transientPage)
        return;
    m_scrollAccumulator += std::fabs(deltaX) > std::fabs(deltaY) ? deltaX : deltaY;
    const double threshold = hasPreciseDeltas ? preciseScrollSwitchThreshold : lineScrollSwitchThreshold;
    if (std::fabs(m_scrollAccumulator) < threshold)
        return;
    const double now = m_services.clock.now();
    if (now - m_lastScrollSwitch <= scrollSwitchDebounce)
        return;
    switchRing(m_scrollAccumulator > 0 ? -1 : +1);
    m_scrollAccumulator = 0;
    m_lastScrollSwitch = now;
}

}
