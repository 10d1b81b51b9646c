// The scheduler: every plan fires once a day at its time, whatever the timer's jitter.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/plan_window_fixture.h"

namespace sonorin {
namespace {

class SchedulerTest : public PlanWindowFixture {
  protected:
    // The plan window with its plans, the main window hidden, and the main window's two
    // operations logged with the clock time and the station they were handed.
    frmDingshishouting& withPlans(const std::vector<ListeningPlan>& plans) {
        frmDingshishouting& w = open();
        for (const ListeningPlan& p : plans)
            w.addPlan(p);
        main().hide();
        main().Command1.onClick = [this, &w] {
            log.push_back("start " + w.TBoxMingCheng.text());
            EXPECT_TRUE(main().visible());
        };
        main().Command3.onClick = [this] {
            log.push_back("stop");
            EXPECT_TRUE(main().visible());
        };
        return w;
    }
    std::vector<std::string> log;
};

TEST_F(SchedulerTest, ADayOfJitteryTicksFiresEveryPlanOnceAtItsTime) {
    clock.current = {2026, 12, 6, 0, 0, 40};
    frmDingshishouting& w = withPlans({
        {"8:05:00", "8:35:00", "北京新闻"},
        {"8:05:00", "9:00:00", "中文环球"},  // same start, lower in the list: never starts
        {"12:00:00", "不确定", "美国之音"},
        {"13:00:00", "14:00:00", "英国BBC"},
        {"14:00:00", "15:00:00", "CRI新闻"},  // starts in the second the plan above stops
        {"08:00:00", "8:10:00 ", "前导零"},   // not the plan time form: never matches
        {"23:59:59", "0:00:30", "北京音乐"},  // ends on the next day
    });
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> step(0, 99);
    const DateTime end{2026, 12, 7, 0, 1, 0};
    while (clock.current < end) {
        const int r = step(random);
        // Mostly a tick a second; sometimes two in one second, sometimes up to 3 s late.
        clock.advanceSeconds(r < 10 ? 0 : r < 80 ? 1 : r < 92 ? 2 : 3);
        w.定时提醒时钟.tick();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"start 北京新闻", "stop", "stop", "start 美国之音",
                                             "start 英国BBC", "start CRI新闻", "stop", "stop",
                                             "start 北京音乐", "stop"}));
}

TEST_F(SchedulerTest, TwoTicksInOneSecondFireOnceAndALateTickCatchesUp) {
    clock.current = {2026, 12, 6, 7, 59, 58};
    frmDingshishouting& w = withPlans({{"8:00:00", "8:00:01", "北京新闻"}});
    w.CheckPlans();
    clock.advanceSeconds(3);  // 8:00:01: the tick for 8:00:00 came late
    w.CheckPlans();
    w.CheckPlans();
    EXPECT_EQ(log, (std::vector<std::string>{"start 北京新闻", "stop"}));
    EXPECT_EQ(w.TBoxMingCheng.text(), "北京新闻");
}

TEST_F(SchedulerTest, APlanWithoutAStationShowsTheMainWindowButClicksNoLink) {
    clock.current = {2026, 12, 6, 9, 59, 59};
    frmDingshishouting& w = withPlans({{"10:00:00", "10:30:00", ""}});
    w.TBoxMingCheng.setText("北京新闻");
    w.CheckPlans();
    clock.advanceSeconds(1);
    w.CheckPlans();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(w.TBoxMingCheng.text(), "");
}

TEST_F(SchedulerTest, AClockThatJumpsChecksOnlyTheSecondItShows) {
    clock.current = {2026, 12, 6, 9, 59, 0};
    frmDingshishouting& w = withPlans({{"10:00:00", "不确定", "北京新闻"}});
    w.CheckPlans();
    clock.current = {2026, 12, 6, 10, 0, 30};  // set forward by more than a minute
    w.CheckPlans();
    EXPECT_TRUE(log.empty());
    clock.current = {2026, 12, 6, 10, 0, 0};  // and back again
    w.CheckPlans();
    EXPECT_EQ(log, std::vector<std::string>{"start 北京新闻"});
    clock.current = {2026, 12, 7, 10, 0, 0};  // the next day, by a jump
    w.CheckPlans();
    EXPECT_EQ(log.size(), 2u) << "every plan repeats daily";
}

}  // namespace
}  // namespace sonorin
