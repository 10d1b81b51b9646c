#include "ui/timer_beat.h"

#include <algorithm>

namespace sonorin::ui {
namespace {

// A wake-up may come a clock tick before its time (Windows counts milliseconds in steps of
// about 16); it still counts as that beat.
constexpr std::int64_t kEarlyWakeMs = 16;

}  // namespace

bool TimerBeat::start(Key key, int intervalMs, std::int64_t nowMs) {
    const Entry entry{key, std::max(intervalMs, 1), nowMs + std::max(intervalMs, 1)};
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [key](const Entry& e) { return e.key == key; });
    if (it != entries_.end())
        *it = entry;  // restarted where it stands among the others
    else
        entries_.push_back(entry);
    return periodChanged(nowMs);
}

bool TimerBeat::stop(Key key, std::int64_t nowMs) {
    std::erase_if(entries_, [key](const Entry& e) { return e.key == key; });
    return periodChanged(nowMs);
}

bool TimerBeat::running(Key key) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [key](const Entry& e) { return e.key == key; });
}

bool TimerBeat::periodChanged(std::int64_t nowMs) {
    int shortest = 0;
    for (const Entry& e : entries_)
        shortest = shortest == 0 ? e.interval : std::min(shortest, e.interval);
    if (shortest == period_)
        return false;
    period_ = shortest;
    origin_ = nowMs;
    return true;
}

std::int64_t TimerBeat::beatAt(std::int64_t nowMs) const {
    const std::int64_t since = std::max<std::int64_t>(nowMs - origin_ + kEarlyWakeMs, 0);
    return origin_ + since / period_ * period_;
}

std::int64_t TimerBeat::untilNextBeat(std::int64_t nowMs) const {
    return period_ == 0 ? -1 : beatAt(nowMs) + period_ - nowMs;
}

std::vector<TimerBeat::Key> TimerBeat::due(std::int64_t nowMs) {
    std::vector<Key> keys;
    if (period_ == 0)
        return keys;
    // The beat this wake-up stands for: the last one at or before it. A wake-up that comes
    // late (the thread was busy) stands for the beat it missed, so no tick comes early.
    const std::int64_t beat = beatAt(nowMs);
    for (Entry& e : entries_) {
        if (e.due > beat)
            continue;
        keys.push_back(e.key);
        e.due += (beat - e.due) / e.interval * e.interval + e.interval;
    }
    return keys;
}

}  // namespace sonorin::ui
