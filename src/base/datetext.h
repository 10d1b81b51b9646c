// Date-time text: how a DateTime is shown to the user and read back from what the user types.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/datetime.h"

namespace sonorin {

// The general date format: the short date, a blank and the long time; at exactly midnight
// only the short date. The pictures are Windows date and time pictures (d dd ddd dddd, M MM
// MMM MMMM, y yy yyyy, gg, h hh H HH, m mm, s ss, t tt, 'quoted text'); day and month names
// are the Chinese ones (周一/星期一, 1月/一月).
std::string formatDateTime(const DateTime& t, const DateFormats& formats);

// The time of day as the listening plans store it: "9:05:07", "0:00:00", "23:59:59".
std::string formatPlanTime(const DateTime& t);

// Reads a date-time typed by the user. Accepted, with blanks around ignored and full-width
// digits, colons, slashes, hyphens and blanks taken as their ASCII forms:
// - the general date format of `formats`, also without seconds, and its date or time alone;
// - "2026/12/6 20:00:00" and "2026-12-06 20:00" (year first, "/" or "-", seconds optional),
//   "2026年12月6日 20:00", and ISO 8601 "2026-12-06T20:00:00";
// - a date alone (midnight) or a time alone ("20:00", "20:00:00"; on the date of `now`).
// Hours may have one digit, minutes and seconds always have two. A two-digit year (pictures
// with y or yy) is the year with those last digits from 50 years before to 49 years after the
// year of `now`. Anything else, including a field out of range, a weekday name that does not
// fit the date or text after the date-time, gives nullopt.
std::optional<DateTime> parseDateTime(std::string_view text, const DateFormats& formats,
                                      const DateTime& now);

// 0 for Monday ... 6 for Sunday.
int dayOfWeek(const DateTime& t);

}  // namespace sonorin
