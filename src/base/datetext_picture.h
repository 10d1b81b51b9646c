// The pieces of Windows date and time pictures that writing and reading date-time text share:
// the picture split into fields and literal text, and the Chinese day and month names.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"

namespace sonorin::datetext {

// Indexed by dayOfWeek() (Monday first) and by month - 1.
inline constexpr std::array<std::string_view, 7> kDayShort = {"周一", "周二", "周三", "周四",
                                                              "周五", "周六", "周日"};
inline constexpr std::array<std::string_view, 7> kDayLong = {"星期一", "星期二", "星期三", "星期四",
                                                             "星期五", "星期六", "星期日"};
inline constexpr std::array<std::string_view, 12> kMonthShort = {
    "1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"};
inline constexpr std::array<std::string_view, 12> kMonthLong = {"一月", "二月", "三月",   "四月",
                                                                "五月", "六月", "七月",   "八月",
                                                                "九月", "十月", "十一月", "十二月"};

// One element of a Windows date or time picture: a run of one field letter, or literal text.
struct Token {
    char field = 0;  // 0 for literal text
    int count = 0;
    std::string text;
};
using Picture = std::vector<Token>;

Picture tokenize(std::string_view picture);

// The am/pm designator a "t" (first character) or "tt" field writes and reads.
std::string_view designator(const DateFormats& formats, bool pm, int count);

}  // namespace sonorin::datetext
