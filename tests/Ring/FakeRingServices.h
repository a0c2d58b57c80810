#pragma once

#include "Platform/Fake/FakePointerLocation.h"
#include "Platform/FrontmostApplication.h"
#include "Ring/RingServices.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Quickhalo {

// Test doubles for everything the ring controller calls. Each records its calls as short lines in
// one shared journal, so that a test can check what happened and in which order.
class FakeJournal {
public:
    QStringList lines;
    void add(const QString& line) { lines.append(line); }
    int count(const QString& line) const { return static_cast<int>(lines.count(line)); }
    qsizetype indexOf(const QString& line) const { return lines.indexOf(line); }
};

class FakeRingWindow final : public RingWindow {
public:
    FakeRingWindow(FakeJournal& journal, const PointerLocation& pointer)
        : m_journal(journal)
        , m_pointer(pointer)
    { }

    // Scripted answers.
    std::optional<QPointF> clampedCentre; // what present returns when set, else the request or the pointer
    bool isKey = false;
    bool isActive = false;

    // Observations.
    bool isVisible = false;
    std::optional<QPointF> lastRequestedCentre;
    std::function<void()> clickOutsideHandler;

    QPointF present(std::optional<QPointF> centre) override
    {
        m_journal.add(QStringLiteral("window.present"));
        lastRequestedCentre = centre;
        isVisible = true;
        return clampedCentre.value_or(centre.value_or(m_pointer.location()));
    }
    void orderOut() override
    {
        m_journal.add(QStringLiteral("window.orderOut"));
        isVisible = false;
        isKey = false;
    }
    void makeKeyAndOrderFront() override
    {
        m_journal.add(QStringLiteral("window.makeKey"));
        isKey = true;
    }
    bool isKeyWindow() const override { return isKey; }
    void activateApplication() override
    {
        m_journal.add(QStringLiteral("app.activate"));
        isActive = true;
    }
    bool isApplicationActive() const override { return isActive; }
    void watchClicksOutside(std::function<void()> onClick) override
    {
        m_journal.add(QStringLiteral("clicks.watch"));
        clickOutsideHandler = std::move(onClick);
    }
    void stopWatchingClicksOutside() override
    {
        m_journal.add(QStringLiteral("clicks.stop"));
        clickOutsideHandler = nullptr;
    }

private:
    FakeJournal& m_journal;
    const PointerLocation& m_pointer;
};

class FakeRingBackdrop final : public RingBackdropWindow {
public:
    explicit FakeRingBackdrop(FakeJournal& journal)
        : m_journal(journal)
    { }
    bool isVisible = false;
    void show(QPointF) override
    {
        m_journal.add(QStringLiteral("backdrop.show"));
        isVisible = true;
    }
    void orderOut() override
    {
        m_journal.add(QStringLiteral("backdrop.orderOut"));
        isVisible = false;
    }

private:
    FakeJournal& m_journal;
};

class FakeRingSounds final : public RingSoundPlayer {
public:
    explicit FakeRingSounds(FakeJournal& journal)
        : m_journal(journal)
    { }
    std::vector<RingSound> played;
    void play(RingSound sound) override
    {
        played.push_back(sound);
        static const char* names[] = { "sound.open", "sound.tick", "sound.select" };
        m_journal.add(QLatin1String(names[static_cast<int>(sound)]));
    }
    int count(RingSound sound) const { return static_cast<int>(std::count(played.begin(), played.end(), sound)); }

private:
    FakeJournal& m_journal;
};

// Behaves as the real output does: levels are clamped, a change within 0.01 of the last written
// level is skipped unless it is an end, and setting a level unmutes.
class FakeVolumeControl final : public VolumeControl {
public:
    explicit FakeVolumeControl(FakeJournal& journal)
        : m_journal(journal)
    { }
    float currentLevel = 0.5f;
    bool muted = false;
    bool adjustable = true;
    std::vector<float> writtenLevels;

    void refresh() override { m_journal.add(QStringLiteral("volume.refresh")); }
    float level() const override { return currentLevel; }
    bool isMuted() const override { return muted; }
    bool isAdjustable() const override { return adjustable; }
    void setLevel(float wanted) override
    {
        const float clamped = std::clamp(wanted, 0.0f, 1.0f);
        const bool isEnd = clamped == 0.0f || clamped == 1.0f;
        if (!isEnd && std::fabs(clamped - currentLevel) < 0.01f)
            return;
        m_journal.add(QStringLiteral("volume.setLevel"));
        writtenLevels.push_back(clamped);
        currentLevel = clamped;
        muted = false;
        Q_EMIT changed();
    }
    void setMuted(bool value) override
    {
        m_journal.add(value ? QStringLiteral("volume.mute") : QStringLiteral("volume.unmute"));
        muted = value;
        Q_EMIT changed();
    }

private:
    FakeJournal& m_journal;
};

class FakeNowPlaying final : public NowPlayingControl {
public:
    explicit FakeNowPlaying(FakeJournal& journal)
        : m_journal(journal)
    { }
    bool isPolling = false;
    std::optional<NowPlayingTrack> currentTrack;

    void setTrack(std::optional<NowPlayingTrack> value)
    {
        currentTrack = std::move(value);
        Q_EMIT changed();
    }
    std::optional<NowPlayingTrack> track() const override { return currentTrack; }
    void nextTrack() override { m_journal.add(QStringLiteral("nowPlaying.next")); }
    void previousTrack() override { m_journal.add(QStringLiteral("nowPlaying.previous")); }
    void startPolling() override
    {
        m_journal.add(QStringLiteral("nowPlaying.start"));
        isPolling = true;
    }
    void stopPolling() override
    {
        if (isPolling)
            m_journal.add(QStringLiteral("nowPlaying.stop"));
        isPolling = false;
    }
    void playPause() override { m_journal.add(QStringLiteral("nowPlaying.playPause")); }

private:
    FakeJournal& m_journal;
};

class FakeActionExecutor final : public ActionExecutor {
public:
    explicit FakeActionExecutor(FakeJournal& journal)
        : m_journal(journal)
    { }
    std::vector<ActionKind> ran;
    std::vector<ActionContext> contexts; // beside `ran`
    std::function<void(const ActionKind&)> onRun; // lets a test look at the world when it runs
    void run(const ActionKind& kind, const ActionContext& context) override
    {
        m_journal.add(QStringLiteral("action.run"));
        ran.push_back(kind);
        contexts.push_back(context);
        if (onRun)
            onRun(kind);
    }

private:
    FakeJournal& m_journal;
};

class FakeFrontmostApplication final : public FrontmostApplication {
public:
    std::optional<TargetApplication> front;
    qint64 ownPid = 4242;
    std::optional<TargetApplication> frontmost() const override { return front; }
    qint64 ownProcessId() const override { return ownPid; }
};

using FakePointer = FakePointerLocation;

}

namespace Quickhalo {

// Every fake above, wired to one journal, for a ring controller built in a test or benchmark.
struct FakeRingServiceSet {
    FakeJournal journal;
    FakePointer pointer;
    FakeRingWindow window { journal, pointer };
    FakeRingBackdrop backdrop { journal };
    FakeRingSounds sounds { journal };
    FakeVolumeControl volume { journal };
    FakeNowPlaying nowPlaying { journal };
    FakeActionExecutor actions { journal };
    FakeFrontmostApplication frontmost;
};

}
