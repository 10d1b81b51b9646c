#include "base/datetime.h"

namespace sonorin {
namespace {

using namespace std::chrono;

constexpr sys_days kFirstDay = sys_days(std::chrono::year(1) / January / 1);
constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

bool isLeapYear(int year) {
    return std::chrono::year(year).is_leap();
}

int daysInMonth(int year, int month) {
    if (month < 1 || month > 12)
        return 0;
    const year_month_day_last last(
        std::chrono::year(year), month_day_last(std::chrono::month(static_cast<unsigned>(month))));
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

sys_days DateTime::calendarDay() const {
    const year_month first = std::chrono::year(year) / January + months(month - 1);
    return sys_days(first / 1) + days(day - 1);
}

std::int64_t DateTime::serial() const {
    return (calendarDay() - kFirstDay).count() * kSecondsPerDay + hour * 3600 + minute * 60 +
           second;
}

DateTime DateTime::fromSerial(std::int64_t seconds) {
    std::int64_t dayCount = seconds / kSecondsPerDay;
    std::int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --dayCount;
    }
    const year_month_day date(kFirstDay + days(dayCount));
    DateTime t;
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

bool DateTime::isValid() const {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
           minute < 60 && second >= 0 && second < 60;
}

}  // namespace sonorin
