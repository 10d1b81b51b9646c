#include "base/datetime.h"

#include <gtest/gtest.h>

#include "base/datetime_print.h"

namespace sonorin {
namespace {

bool sameFields(const DateTime& a, const DateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

TEST(DateTime, SerialAnchors) {
    EXPECT_EQ((DateTime{1, 1, 1, 0, 0, 0}.serial()), 0);
    EXPECT_EQ((DateTime{1970, 1, 1, 0, 0, 0}.serial()), 719162LL * 86400);
    EXPECT_EQ((DateTime{1970, 1, 1, 1, 2, 3}.serial()), 719162LL * 86400 + 3723);
    // The default value is the zero date of the OLE calendar, 2 days before 1900-01-01.
    EXPECT_EQ(DateTime().serial(), (DateTime{1900, 1, 1, 0, 0, 0}.serial() - 2 * 86400));
}

TEST(DateTime, AddingCrossesDayMonthAndYearEnds) {
    struct Case {
        DateTime from;
        long long seconds;
        DateTime to;
    };
    const Case cases[] = {
        {{2026, 12, 6, 23, 50, 0}, 15 * 60, {2026, 12, 7, 0, 5, 0}},
        {{2026, 1, 31, 23, 59, 59}, 1, {2026, 2, 1, 0, 0, 0}},
        {{2026, 4, 30, 23, 45, 0}, 15 * 60, {2026, 5, 1, 0, 0, 0}},
        {{2026, 12, 31, 23, 50, 0}, 15 * 60, {2027, 1, 1, 0, 5, 0}},
        {{2024, 2, 28, 23, 0, 0}, 3600, {2024, 2, 29, 0, 0, 0}},
        {{2024, 2, 29, 23, 59, 59}, 1, {2024, 3, 1, 0, 0, 0}},
        {{2023, 2, 28, 23, 59, 59}, 1, {2023, 3, 1, 0, 0, 0}},
        {{2100, 2, 28, 12, 0, 0}, 86400, {2100, 3, 1, 12, 0, 0}},
        {{2000, 2, 28, 12, 0, 0}, 86400, {2000, 2, 29, 12, 0, 0}},
        {{2026, 3, 1, 0, 0, 0}, -1, {2026, 2, 28, 23, 59, 59}},
        {{2024, 3, 1, 0, 0, 0}, -1, {2024, 2, 29, 23, 59, 59}},
        {{2027, 1, 1, 0, 0, 0}, -1, {2026, 12, 31, 23, 59, 59}},
        {{2026, 12, 6, 9, 5, 7}, 366LL * 86400, {2027, 12, 7, 9, 5, 7}},
        {{2026, 12, 6, 9, 5, 7}, 0, {2026, 12, 6, 9, 5, 7}},
        {{1, 1, 1, 0, 0, 0}, -1, {0, 12, 31, 23, 59, 59}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toString(c.from) + " + " + std::to_string(c.seconds));
        const DateTime got = c.from.addSeconds(c.seconds);
        EXPECT_TRUE(sameFields(got, c.to)) << toString(got);
    }
    EXPECT_TRUE(sameFields(DateTime{2026, 12, 31, 23, 50, 0}.addMinutes(15),
                           DateTime{2027, 1, 1, 0, 5, 0}));
    EXPECT_TRUE(sameFields(DateTime{2026, 1, 1, 0, 10, 0}.addMinutes(-15),
                           DateTime{2025, 12, 31, 23, 55, 0}));
}

TEST(DateTime, SerialFollowsTheCalendarDayByDay) {
    // Walk the calendar by hand from 1600 to 2400 and check that every day is exactly one
    // day's worth of seconds after the one before, and that the serial converts back.
    DateTime day{1600, 1, 1, 0, 0, 0};
    long long expected = day.serial();
    while (day.year < 2400) {
        ASSERT_EQ(day.serial(), expected) << toString(day);
        ASSERT_TRUE(sameFields(DateTime::fromSerial(expected), day)) << toString(day);
        expected += 86400;
        if (++day.day > daysInMonth(day.year, day.month)) {
            day.day = 1;
            if (++day.month > 12) {
                day.month = 1;
                ++day.year;
            }
        }
    }
}

TEST(DateTime, ComparisonsFollowTime) {
    const DateTime t{2026, 12, 6, 9, 5, 7};
    EXPECT_EQ(t, (DateTime{2026, 12, 6, 9, 5, 7}));
    EXPECT_LT(t, (DateTime{2026, 12, 6, 9, 5, 8}));
    EXPECT_LT(t, (DateTime{2026, 12, 7, 0, 0, 0}));
    EXPECT_LT((DateTime{2026, 11, 30, 23, 59, 59}), t);
    EXPECT_LT((DateTime{2025, 12, 31, 23, 59, 59}), (DateTime{2026, 1, 1, 0, 0, 0}));
    EXPECT_GT(t.addMinutes(15), t);
    EXPECT_NE(t, t.addSeconds(1));
    EXPECT_LE(t, t);
    EXPECT_GE(t, t);
}

TEST(DateTime, IsValidRejectsFieldsOutOfRange) {
    struct Case {
        DateTime t;
        bool valid;
    };
    const Case cases[] = {
        {{2026, 12, 6, 9, 5, 7}, true},    {{2024, 2, 29, 0, 0, 0}, true},
        {{2000, 2, 29, 0, 0, 0}, true},    {{2023, 2, 29, 0, 0, 0}, false},
        {{2100, 2, 29, 0, 0, 0}, false},   {{2026, 4, 31, 0, 0, 0}, false},
        {{2026, 1, 31, 23, 59, 59}, true}, {{2026, 0, 1, 0, 0, 0}, false},
        {{2026, 13, 1, 0, 0, 0}, false},   {{2026, 1, 0, 0, 0, 0}, false},
        {{2026, 1, 32, 0, 0, 0}, false},   {{2026, 1, 1, 24, 0, 0}, false},
        {{2026, 1, 1, 0, 60, 0}, false},   {{2026, 1, 1, 0, 0, 60}, false},
        {{2026, 1, 1, -1, 0, 0}, false},   {{100, 1, 1, 0, 0, 0}, true},
        {{99, 12, 31, 0, 0, 0}, false},    {{9999, 12, 31, 23, 59, 59}, true},
        {{10000, 1, 1, 0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.t.isValid(), c.valid) << toString(c.t);
    }
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(isLeapYear(2024));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_FALSE(isLeapYear(2026));
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2026, 2), 28);
    EXPECT_EQ(daysInMonth(2026, 4), 30);
    EXPECT_EQ(daysInMonth(2026, 12), 31);
    EXPECT_EQ(daysInMonth(2026, 0), 0);
    EXPECT_EQ(daysInMonth(2026, 13), 0);
}

}  // namespace
}  // namespace sonorin
