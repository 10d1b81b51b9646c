// Many timers on one wake-up: when each ticks, against when a timer of its own would have.
#include "ui/timer_beat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

namespace sonorin::ui {
namespace {

using Ticks = std::map<TimerBeat::Key, std::vector<std::int64_t>>;

// A loop that, from `from` up to `to`, waits as long as the beat says and is woken `lateMs`
// after that (negative: that much early), and notes when each timer ticked.
void runBeat(TimerBeat& beat, std::int64_t from, std::int64_t to, Ticks& ticks, int lateMs = 0) {
    for (std::int64_t t = from + beat.untilNextBeat(from) + lateMs; t <= to;
         t += beat.untilNextBeat(t) + lateMs)
        for (TimerBeat::Key key : beat.due(t))
            ticks[key].push_back(t);
}

TEST(TimerBeatTest, TimersStartedApartTickOnOneBeatNeverEarlyAndAtMostABeatLate) {
    const int monitor = 0, offlineMonitor = 0, countdown = 0, clock = 0;
    struct Started {
        TimerBeat::Key key;
        int interval;
        std::int64_t at;
    };
    const std::vector<Started> timers = {{&monitor, 200, 0},
                                         {&countdown, 300, 40},
                                         {&clock, 1000, 130},
                                         {&offlineMonitor, 200, 170}};
    for (int lateMs : {0, 7, -10}) {
        TimerBeat beat;
        for (const Started& s : timers)
            beat.start(s.key, s.interval, s.at);
        ASSERT_EQ(beat.period(), 200);
        Ticks ticks;
        runBeat(beat, 0, 60'000, ticks, lateMs);
        for (const Started& s : timers) {
            const std::vector<std::int64_t>& got = ticks[s.key];
            ASSERT_GE(got.size(), 59'000u / s.interval) << s.interval;
            for (std::size_t n = 0; n < got.size(); ++n) {
                const std::int64_t wanted = s.at + static_cast<std::int64_t>(n + 1) * s.interval;
                EXPECT_GE(got[n] - lateMs, wanted) << s.interval << " ms, tick " << n;
                EXPECT_LT(got[n] - lateMs, wanted + 200) << s.interval << " ms, tick " << n;
            }
        }
        // The two monitors, started 170 ms apart, wake the thread together.
        EXPECT_EQ(ticks[&offlineMonitor].back(), ticks[&monitor].back());
    }
}

TEST(TimerBeatTest, ThePeriodFollowsTheShortestRunningTimerAndAStoppedOneIsQuiet) {
    const int monitor = 0, clock = 0;
    TimerBeat beat;
    EXPECT_TRUE(beat.start(&clock, 1000, 0));
    EXPECT_TRUE(beat.start(&monitor, 200, 50));
    EXPECT_FALSE(beat.start(&monitor, 200, 60)) << "restarted at the same interval";
    EXPECT_EQ(beat.period(), 200);
    EXPECT_TRUE(beat.stop(&monitor, 300));
    EXPECT_EQ(beat.period(), 1000);
    EXPECT_FALSE(beat.running(&monitor));
    Ticks ticks;
    runBeat(beat, 300, 5'300, ticks);
    EXPECT_EQ(ticks.count(&monitor), 0u);
    EXPECT_EQ(ticks[&clock].size(), 5u);
    EXPECT_TRUE(beat.stop(&clock, 5'400));
    EXPECT_EQ(beat.period(), 0);
    EXPECT_TRUE(beat.due(6'000).empty());
    EXPECT_EQ(beat.untilNextBeat(6'000), -1) << "no beat: wait for messages only";
}

TEST(TimerBeatTest, ABusyThreadGetsOneTickForTheBeatsItMissedAndThenTheOldPhase) {
    const int monitor = 0;
    TimerBeat beat;
    beat.start(&monitor, 200, 0);
    EXPECT_EQ(beat.due(200).size(), 1u);
    EXPECT_EQ(beat.due(1'450).size(), 1u) << "five beats missed, one tick";
    EXPECT_EQ(beat.untilNextBeat(1'450), 150);
    // A wake-up more than a clock step early ticks nothing and waits for the rest.
    EXPECT_TRUE(beat.due(1'580).empty());
    EXPECT_EQ(beat.untilNextBeat(1'580), 20);
    EXPECT_EQ(beat.due(1'600).size(), 1u);
}

}  // namespace
}  // namespace sonorin::ui
