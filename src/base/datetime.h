// A local calendar date and time of day with one-second resolution, the only time type the
// program uses. Arithmetic goes through a serial second count so that adding minutes crosses
// midnight, month and year ends correctly.
#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <string>

namespace sonorin {

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // The date as a day count. A month or day out of range counts on into the following
    // ones (month 13 is January of the next year, day 0 the last day of the month before).
    std::chrono::sys_days calendarDay() const;
    // Seconds since 0001-01-01 00:00:00 of the proleptic Gregorian calendar.
    std::int64_t serial() const;
    static DateTime fromSerial(std::int64_t seconds);

    DateTime addSeconds(std::int64_t seconds) const { return fromSerial(serial() + seconds); }
    DateTime addMinutes(std::int64_t minutes) const { return addSeconds(minutes * 60); }

    bool isMidnight() const { return hour == 0 && minute == 0 && second == 0; }
    // True when the fields name a real calendar date and a valid time of day.
    bool isValid() const;

    friend auto operator<=>(const DateTime& a, const DateTime& b) {
        return a.serial() <=> b.serial();
    }
    friend bool operator==(const DateTime& a, const DateTime& b) {
        return a.serial() == b.serial();
    }
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// The date and time pictures of the user's locale ("yyyy/M/d", "H:mm:ss" on zh-CN systems).
struct DateFormats {
    std::string shortDate = "yyyy/M/d";  // Windows date picture, as LOCALE_SSHORTDATE
    std::string longTime = "H:mm:ss";    // Windows time picture, as LOCALE_STIMEFORMAT
    std::string am = "上午";             // designators for "tt" in 12-hour pictures
    std::string pm = "下午";
};

}  // namespace sonorin
