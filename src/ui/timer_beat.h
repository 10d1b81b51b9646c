// One wake-up for many timers. Under Wine every wake-up of the interface thread costs a few
// round trips to the wineserver, and the program's timers (two 200-ms monitors, a 300-ms
// countdown, 1-s clocks, a 2-s check) started at different moments on different windows each
// woke the thread on their own. The beat wakes it once per shortest running interval and ticks
// every timer whose time has come at that moment.
//
// What a timer keeps: its ticks never come early, each comes at most one beat late, and over
// any stretch it ticks as often as its interval says (it keeps its phase; a beat that finds it
// behind, the thread having been busy, gives one tick and drops the missed ones, as a Windows
// timer does). A timer whose interval is a multiple of the beat ticks at exactly its interval
// after its first tick; one that is not (300 ms on a 200-ms beat) alternates between the beats
// around its interval.
#pragma once

#include <cstdint>
#include <vector>

namespace sonorin::ui {

class TimerBeat {
  public:
    using Key = const void*;

    // Runs a timer (again): its next tick is due `intervalMs` after `nowMs`. Returns true when
    // the beat's period changed; the caller then restarts its wake-up at that period from now.
    bool start(Key key, int intervalMs, std::int64_t nowMs);
    // Stops a timer; true when the beat's period changed (0: no wake-up needed any more).
    bool stop(Key key, std::int64_t nowMs);
    bool running(Key key) const;

    // The shortest running interval; 0 when no timer runs.
    int period() const { return period_; }

    // How long from `nowMs` to the beat after the one a wake-up at `nowMs` stands for (more
    // than the clock's early-wake allowance, so a loop that waits this long never spins); -1
    // when no timer runs.
    std::int64_t untilNextBeat(std::int64_t nowMs) const;

    // The timers due at the beat that woke at `nowMs`, in the order they were started. Each is
    // then due one interval later, past this beat.
    std::vector<Key> due(std::int64_t nowMs);

  private:
    struct Entry {
        Key key;
        int interval;
        std::int64_t due;
    };
    bool periodChanged(std::int64_t nowMs);
    // The beat a wake-up at `nowMs` stands for: the last one at or before it, allowing for an
    // early wake-up.
    std::int64_t beatAt(std::int64_t nowMs) const;

    std::vector<Entry> entries_;
    int period_ = 0;
    std::int64_t origin_ = 0;  // when the wake-up at this period was started
};

}  // namespace sonorin::ui
