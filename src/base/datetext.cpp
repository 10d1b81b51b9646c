#include "base/datetext.h"

#include <algorithm>
#include <chrono>

#include "base/datetext_picture.h"

namespace sonorin {
namespace {

using namespace datetext;

std::string padded(int value, int width) {
    std::string digits = std::to_string(value);
    if (value >= 0 && static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return digits;
}

std::string format(const Picture& picture, const DateTime& t, const DateFormats& formats) {
    std::string out;
    const bool monthKnown = t.month >= 1 && t.month <= 12;
    for (const Token& token : picture) {
        const int n = token.count;
        switch (token.field) {
            case 0:
                out += token.text;
                break;
            case 'd':
                if (n <= 2) {
                    out += padded(t.day, n);
                } else {
                    out += (n == 3 ? kDayShort : kDayLong)[static_cast<std::size_t>(dayOfWeek(t))];
                }
                break;
            case 'M':
                if (n <= 2 || !monthKnown) {
                    out += padded(t.month, std::min(n, 2));
                } else {
                    out +=
                        (n == 3 ? kMonthShort : kMonthLong)[static_cast<std::size_t>(t.month - 1)];
                }
                break;
            case 'y':
                out += n <= 2 ? padded((t.year % 100 + 100) % 100, n) : padded(t.year, 4);
                break;
            case 'g':
                break;  // no eras in the Gregorian calendar worth writing
            case 'h':
                out += padded(t.hour % 12 == 0 ? 12 : t.hour % 12, std::min(n, 2));
                break;
            case 'H':
                out += padded(t.hour, std::min(n, 2));
                break;
            case 'm':
                out += padded(t.minute, std::min(n, 2));
                break;
            case 's':
                out += padded(t.second, std::min(n, 2));
                break;
            case 't':
                out += designator(formats, t.hour >= 12, n);
                break;
        }
    }
    return out;
}

}  // namespace

int dayOfWeek(const DateTime& t) {
    // ISO 8601 numbers the days from Monday = 1 to Sunday = 7.
    return static_cast<int>(std::chrono::weekday(t.calendarDay()).iso_encoding()) - 1;
}

std::string formatDateTime(const DateTime& t, const DateFormats& formats) {
    std::string text = format(tokenize(formats.shortDate), t, formats);
    if (t.isMidnight())
        return text;
    return text + " " + format(tokenize(formats.longTime), t, formats);
}

std::string formatPlanTime(const DateTime& t) {
    return std::to_string(t.hour) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2);
}

}  // namespace sonorin
