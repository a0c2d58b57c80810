#pragma once

#include "Platform/Clock.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

namespace Quickhalo {

// Time moves only when a test says so. `advance` fires due repeating timers in time order;
// tasks given to `later` wait for `runLater`.
class FakeClock final : public Clock {
public:
    double time = 1000.0;
    // Ticks delivered so far, over every timer: the wake-ups a real main loop would have.
    int ticks = 0;

    double now() const override { return time; }

    std::unique_ptr<RepeatingTimer> startRepeating(double interval, std::function<void()> tick) override
    {
        const int id = m_nextId++;
        m_timers[id] = Timer { interval, time + interval, std::move(tick) };
        return std::make_unique<Handle>(this, id);
    }

    void later(std::function<void()> task) override { m_later.push_back(std::move(task)); }

    void advance(double seconds)
    {
        const double end = time + seconds;
        for (;;) {
            auto due = std::min_element(m_timers.begin(), m_timers.end(),
                [](const auto& a, const auto& b) { return a.second.next < b.second.next; });
            if (due == m_timers.end() || due->second.next > end + 1e-12)
                break;
            time = due->second.next;
            due->second.next += due->second.interval;
            const auto tick = due->second.tick; // the tick may stop its own timer
            ++ticks;
            tick();
        }
        time = end;
    }

    // Runs what was posted with `later`, including what those tasks post in turn.
    int runLater()
    {
        int count = 0;
        while (!m_later.empty()) {
            auto task = std::move(m_later.front());
            m_later.pop_front();
            task();
            ++count;
        }
        return count;
    }

    std::size_t pendingLater() const { return m_later.size(); }
    std::size_t activeTimers() const { return m_timers.size(); }

private:
    struct Timer {
        double interval;
        double next;
        std::function<void()> tick;
    };
    class Handle final : public RepeatingTimer {
    public:
        Handle(FakeClock* clock, int id)
            : m_clock(clock)
            , m_id(id)
        {
        }
        ~Handle() override { m_clock->m_timers.erase(m_id); }

    private:
        FakeClock* m_clock;
        int m_id;
    };

    std::map<int, Timer> m_timers;
    std::deque<std::function<void()>> m_later;
    int m_nextId = 1;
};

}
