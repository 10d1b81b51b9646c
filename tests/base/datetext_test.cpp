#include "base/datetext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/datetime_print.h"

namespace sonorin {
namespace {

const DateFormats kZhCn{};  // "yyyy/M/d", "H:mm:ss", 上午/下午
const DateFormats kEnUs{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
const DateFormats kEnGb{"dd/MM/yyyy", "HH:mm:ss", "AM", "PM"};
const DateFormats kDeDe{"dd.MM.yyyy", "HH:mm:ss", "", ""};
const DateFormats kZhTwelve{"yy/M/d", "tt h:mm:ss", "上午", "下午"};
const DateFormats kNames{"dddd yyyy'年'MMMM d'日'", "H'时'mm'分'ss'秒'", "上午", "下午"};
const DateFormats kCompact{"yyyyMMdd", "HHmmss", "", ""};
const DateFormats kShortNames{"ddd d MMM yyyy", "h:mm:ss t", "AM", "PM"};
const DateFormats kPadded{"yyyy.MM.dd ", " HH:mm:ss", "", ""};  // blanks at the join
// Separators that typed text has cleaned: full-width colon, no-break space, tab, ideographic
// space.
const DateFormats kFullWidth{"yyyy：M：d", "H\u00A0mm\u00A0ss", "", ""};
const DateFormats kTabbed{"yyyy\tM\td", "H　mm　ss", "", ""};

const DateTime kNow{2026, 12, 6, 10, 0, 0};

std::string show(const std::optional<DateTime>& t) {
    return t ? toString(*t) : "nullopt";
}

// ---- Writing ----

TEST(FormatDateTime, DefaultChineseFormat) {
    EXPECT_EQ(formatDateTime({2026, 12, 6, 9, 5, 7}, kZhCn), "2026/12/6 9:05:07");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 0, 0}, kZhCn), "2026/12/6");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 0, 1}, kZhCn), "2026/12/6 0:00:01");
    EXPECT_EQ(formatDateTime({2026, 1, 1, 23, 59, 59}, kZhCn), "2026/1/1 23:59:59");
    EXPECT_EQ(formatDateTime({2026, 1, 1, 12, 0, 0}, kZhCn), "2026/1/1 12:00:00");
}

TEST(FormatDateTime, TwelveHourClock) {
    EXPECT_EQ(formatDateTime({2026, 12, 6, 9, 5, 7}, kEnUs), "12/6/2026 9:05:07 AM");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 12, 0, 0}, kEnUs), "12/6/2026 12:00:00 PM");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 30, 0}, kEnUs), "12/6/2026 12:30:00 AM");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 23, 59, 59}, kEnUs), "12/6/2026 11:59:59 PM");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 13, 1, 2}, kZhTwelve), "26/12/6 下午 1:01:02");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 13, 1, 2}, kShortNames), "周日 6 12月 2026 1:01:02 P");
}

TEST(FormatDateTime, PictureElements) {
    const DateTime t{2005, 3, 4, 9, 5, 7};  // a Friday
    struct Case {
        std::string picture;
        std::string expected;
    };
    const Case cases[] = {
        {"d dd ddd dddd", "4 04 周五 星期五"},
        {"M MM MMM MMMM", "3 03 3月 三月"},
        {"y yy yyy yyyy yyyyy", "5 05 2005 2005 2005"},
        {"gg yyyy", " 2005"},
        {"h hh H HH m mm s ss", "9 09 9 09 5 05 7 07"},
        {"t tt", "A AM"},
        {"yyyy'年'M'月'd'日'", "2005年3月4日"},
        {"'d''M' d", "d'M 4"},
        {"''yy''", "'05'"},
        {"'unterminated d", "unterminated d"},
        {"yyyy.MM.dd, ", "2005.03.04, "},
        {"", ""},
    };
    const DateFormats base{"", "", "AM", "PM"};
    for (const auto& c : cases) {
        DateFormats f = base;
        f.shortDate = c.picture;
        EXPECT_EQ(formatDateTime(t, f).substr(0, c.expected.size()), c.expected) << c.picture;
    }
    EXPECT_EQ(formatDateTime({2026, 11, 30, 0, 0, 0}, kNames), "星期一 2026年十一月 30日");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 0, 0}, {"MMMM", "", "", ""}), "十二月");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 0, 0}, {"ddd", "", "", ""}), "周日");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 20, 0, 0}, {"", "hh tt t", "上午", "下午"}),
              " 08 下午 下");
    EXPECT_EQ(formatDateTime({2026, 12, 6, 0, 0, 1}, {"", "h t", "上午", "下午"}), " 12 上");
    EXPECT_EQ(formatDateTime({980, 1, 2, 0, 0, 0}, {"yyyy yy y", "", "", ""}), "0980 80 80");
}

TEST(FormatPlanTime, HourWithoutLeadingZero) {
    EXPECT_EQ(formatPlanTime({2026, 12, 6, 9, 5, 7}), "9:05:07");
    EXPECT_EQ(formatPlanTime({2026, 12, 6, 0, 0, 0}), "0:00:00");
    EXPECT_EQ(formatPlanTime({2026, 12, 6, 23, 59, 59}), "23:59:59");
    EXPECT_EQ(formatPlanTime({2026, 12, 6, 10, 10, 10}), "10:10:10");
}

TEST(DayOfWeek, KnownDates) {
    EXPECT_EQ(dayOfWeek({2026, 12, 6, 0, 0, 0}), 6);   // Sunday
    EXPECT_EQ(dayOfWeek({2026, 12, 7, 23, 0, 0}), 0);  // Monday
    EXPECT_EQ(dayOfWeek({2000, 1, 1, 0, 0, 0}), 5);    // Saturday
    EXPECT_EQ(dayOfWeek({1, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(dayOfWeek({2024, 2, 29, 12, 0, 0}), 3);  // Thursday
}

// ---- Reading ----

struct ParseCase {
    std::string text;
    std::optional<DateTime> expected;
};

void expectParses(const std::vector<ParseCase>& cases, const DateFormats& formats) {
    for (const auto& c : cases) {
        EXPECT_EQ(show(parseDateTime(c.text, formats, kNow)), show(c.expected))
            << "input: \"" << c.text << "\"";
    }
}

TEST(ParseDateTime, AcceptedChineseSystemInput) {
    expectParses(
        {
            {"2026/12/6 9:05:07", DateTime{2026, 12, 6, 9, 5, 7}},
            {"2026/12/6 20:00:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026/12/6 20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026-12-06 20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026-12-6 20:00:30", DateTime{2026, 12, 6, 20, 0, 30}},
            {"2026/12/06 08:05:07", DateTime{2026, 12, 6, 8, 5, 7}},
            {"2026-12-06T20:00:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026-12-06T20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026-12-06t20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026/12/6", DateTime{2026, 12, 6, 0, 0, 0}},
            {"2027-01-01", DateTime{2027, 1, 1, 0, 0, 0}},
            {"2026年12月6日", DateTime{2026, 12, 6, 0, 0, 0}},
            {"2026年12月6日 20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"8:05:09", DateTime{2026, 12, 6, 8, 5, 9}},
            {"08:05", DateTime{2026, 12, 6, 8, 5, 0}},
            {"0:00", DateTime{2026, 12, 6, 0, 0, 0}},
            {"23:59:59", DateTime{2026, 12, 6, 23, 59, 59}},
            {"  2026/12/6 20:00  ", DateTime{2026, 12, 6, 20, 0, 0}},
            {"\t20:00\r\n", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2026/12/6   20:00", DateTime{2026, 12, 6, 20, 0, 0}},
            {"2024/2/29 12:00", DateTime{2024, 2, 29, 12, 0, 0}},
            {"2000/2/29", DateTime{2000, 2, 29, 0, 0, 0}},
            {"9999/12/31 23:59:59", DateTime{9999, 12, 31, 23, 59, 59}},
            {"0100/1/1", DateTime{100, 1, 1, 0, 0, 0}},
            // Full-width forms from a Chinese input method.
            {"２０２６／１２／６　２０：００", DateTime{2026, 12, 6, 20, 0, 0}},
            {"２０：３０：１５", DateTime{2026, 12, 6, 20, 30, 15}},
            {"２０２６－１２－０６", DateTime{2026, 12, 6, 0, 0, 0}},
            {"２０２６年１２月６日", DateTime{2026, 12, 6, 0, 0, 0}},
            {"　20:00　", DateTime{2026, 12, 6, 20, 0, 0}},
        },
        kZhCn);
}

TEST(ParseDateTime, RejectedInput) {
    const std::vector<std::string> rejected = {
        "",
        "   ",
        "abc",
        "今天",
        "2026/12/6 20:00:00x",
        "2026/12/6x",
        "x2026/12/6",
        "2026/12/6 20:00 下午",  // no am/pm in a 24-hour picture
        "20:00:00 2026/12/6",
        "2026/12/6 20",
        "2026/12/6 20:",
        "2026/12/6 20:00:",
        "20",
        "2026",
        "2026/12",
        "12/6",
        "2026/13/1",
        "2026/0/1",
        "2026/12/0",
        "2026/12/32",
        "2026/2/29",
        "2100/2/29",
        "2026/4/31",
        "2026/2/30 12:00",
        "24:00:00",
        "24:00",
        "23:60",
        "23:59:60",
        "7:5",
        "7:05:5",
        "123:00",
        "-1:00",
        "+8:00",
        "2026/-1/1",
        "-2026/12/6",
        "0000/1/1",
        "10000/1/1",
        "99999999999999999999/1/1",
        "2026/12/6 99999999999999999999:00",
        "2026/012/6",
        "2026/1/006",
        "26/12/6",
        "2026/12-6",
        "2026-12/6",
        "2026.12.6",
        "2026/12/6T20:00",
        "2026-12-06T20:00:00Z",
        "2026-12-06T20:00:00+08:00",
        "2026-12-06T20:00:00.5",
        "2026-12-06 T20:00",
        "20:00:00.000",
        "20.00",
        "20：００：",
        "2026/12/6\n20:00",
        std::string("20:00\0", 6),
        "2026/12/6 20:00:00 20:00:00",
        "2026/12/6 2026/12/6",
        "PM 8:00",
        std::string(300, ' ') + "20:00",
        std::string(1000, '9'),
    };
    for (const auto& text : rejected) {
        EXPECT_EQ(show(parseDateTime(text, kZhCn, kNow)), "nullopt") << "input: \"" << text << "\"";
    }
}

TEST(ParseDateTime, TwelveHourPictures) {
    expectParses(
        {
            {"12/6/2026 9:05:07 PM", DateTime{2026, 12, 6, 21, 5, 7}},
            {"12/6/2026 9:05:07 AM", DateTime{2026, 12, 6, 9, 5, 7}},
            {"12/6/2026 12:00:00 AM", DateTime{2026, 12, 6, 0, 0, 0}},
            {"12/6/2026 12:00:00 PM", DateTime{2026, 12, 6, 12, 0, 0}},
            {"12/6/2026 9:05 pm", DateTime{2026, 12, 6, 21, 5, 0}},
            {"12/6/2026 9:05PM", DateTime{2026, 12, 6, 21, 5, 0}},
            {"12/6/2026", DateTime{2026, 12, 6, 0, 0, 0}},
            {"9:05 PM", DateTime{2026, 12, 6, 21, 5, 0}},
            {"12/6/2026 21:05", DateTime{2026, 12, 6, 21, 5, 0}},  // 24-hour works everywhere
            {"2026/12/6 21:05", DateTime{2026, 12, 6, 21, 5, 0}},
            {"12/6/2026 9:05:07", DateTime{2026, 12, 6, 9, 5, 7}},  // read as 24-hour
            {"12/6/2026 0:30:00 AM", std::nullopt},
            {"12/6/2026 13:05:00 PM", std::nullopt},
            {"12/6/2026 9:05:07 XM", std::nullopt},
            {"6/13/2026", DateTime{2026, 6, 13, 0, 0, 0}},
            {"13/6/2026", std::nullopt},
            {"2/29/2026", std::nullopt},
        },
        kEnUs);
    expectParses(
        {
            {"26/12/6 下午 1:01:02", DateTime{2026, 12, 6, 13, 1, 2}},
            {"26/12/6 上午 12:00:00", DateTime{2026, 12, 6, 0, 0, 0}},
            {"26/12/6 下午1:01", DateTime{2026, 12, 6, 13, 1, 0}},
            {"上午 9:00:00", DateTime{2026, 12, 6, 9, 0, 0}},
            {"26/12/6 中午 1:01:02", std::nullopt},
        },
        kZhTwelve);
}

TEST(ParseDateTime, TwoDigitYearsLieWithinFiftyYearsOfNow) {
    const DateFormats f{"yy/M/d", "H:mm:ss", "", ""};
    expectParses(
        {
            {"26/12/6", DateTime{2026, 12, 6, 0, 0, 0}},
            {"75/1/1", DateTime{2075, 1, 1, 0, 0, 0}},
            {"76/1/1", DateTime{1976, 1, 1, 0, 0, 0}},
            {"00/1/1", DateTime{2000, 1, 1, 0, 0, 0}},
            {"99/1/1", DateTime{1999, 1, 1, 0, 0, 0}},
            {"5/1/1", DateTime{2005, 1, 1, 0, 0, 0}},
            {"2026/1/1", DateTime{2026, 1, 1, 0, 0, 0}},  // the year-first form still works
            {"123/1/1", std::nullopt},
        },
        f);
    // The window moves with the clock.
    EXPECT_EQ(show(parseDateTime("75/1/1", f, {2000, 1, 1, 0, 0, 0})), "1975-1-1 0:00:00");
    EXPECT_EQ(show(parseDateTime("49/1/1", f, {2000, 1, 1, 0, 0, 0})), "2049-1-1 0:00:00");
    EXPECT_EQ(show(parseDateTime("50/1/1", f, {2000, 1, 1, 0, 0, 0})), "1950-1-1 0:00:00");
}

TEST(ParseDateTime, NamesMustFitTheDate) {
    expectParses(
        {
            {"星期日 2026年十二月 6日 9时05分07秒", DateTime{2026, 12, 6, 9, 5, 7}},
            {"星期日 2026年十二月 6日", DateTime{2026, 12, 6, 0, 0, 0}},
            {"星期一 2026年十一月 30日", DateTime{2026, 11, 30, 0, 0, 0}},
            {"星期一 2026年十二月 6日", std::nullopt},
            {"星期八 2026年十二月 6日", std::nullopt},
            {"星期日 2026年十三月 6日", std::nullopt},
            {"9时05分", DateTime{2026, 12, 6, 9, 5, 0}},
        },
        kNames);
    expectParses(
        {
            {"周日 6 12月 2026 1:01:02 P", DateTime{2026, 12, 6, 13, 1, 2}},
            {"周二 1 1月 2030", DateTime{2030, 1, 1, 0, 0, 0}},
            {"周二 1 11月 2030", std::nullopt},  // 2030-11-01 is a Friday
            {"周五 1 11月 2030", DateTime{2030, 11, 1, 0, 0, 0}},
        },
        kShortNames);
}

TEST(ParseDateTime, PicturesWithoutSeparators) {
    expectParses(
        {
            {"20261206 090507", DateTime{2026, 12, 6, 9, 5, 7}},
            {"20260106", DateTime{2026, 1, 6, 0, 0, 0}},
            {"090507", DateTime{2026, 12, 6, 9, 5, 7}},
            {"0905", DateTime{2026, 12, 6, 9, 5, 0}},
            {"202612060", std::nullopt},
            {"2026120", std::nullopt},  // 2026-12-0, not 2026-1-20: fields take all they can
        },
        kCompact);
}

// Whatever formatDateTime writes reads back as the same time, for each kind of picture.
TEST(ParseDateTime, ReadsBackWhatFormatWrites) {
    struct Set {
        const char* name;
        DateFormats formats;
        int firstYear, lastYear;
    };
    const Set sets[] = {
        {"zh-CN", kZhCn, 1900, 2200},
        {"en-US", kEnUs, 1900, 2200},
        {"en-GB", kEnGb, 1900, 2200},
        {"de-DE", kDeDe, 1900, 2200},
        {"two-digit years", kZhTwelve, 1977, 2075},
        {"names", kNames, 1900, 2200},
        {"compact", kCompact, 1900, 2200},
        {"short names", kShortNames, 1900, 2200},
        {"blanks at the join", kPadded, 1900, 2200},
        {"full-width and no-break separators", kFullWidth, 1900, 2200},
        {"tab and ideographic space", kTabbed, 1900, 2200},
    };
    for (const auto& set : sets) {
        SCOPED_TRACE(set.name);
        const DateTime first{set.firstYear, 1, 1, 0, 0, 0};
        const DateTime last{set.lastYear, 12, 31, 23, 59, 59};
        int checked = 0;
        // Some 600 instants, stepping an odd number of seconds so that the times of day vary
        // widely, plus the midnight of each of those days.
        for (DateTime t = first; t <= last; t = t.addSeconds(15'000'000 + 3'607)) {
            for (const DateTime& u : {t, DateTime{t.year, t.month, t.day, 0, 0, 0}}) {
                const std::string text = formatDateTime(u, set.formats);
                ASSERT_EQ(show(parseDateTime(text, set.formats, kNow)), show(u))
                    << "text: \"" << text << "\"";
                ++checked;
            }
        }
        EXPECT_GT(checked, 300);
    }
}

}  // namespace
}  // namespace sonorin
