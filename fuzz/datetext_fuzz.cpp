// Date-time text. Half of the inputs build a date and a time picture of the kinds Windows
// locales and users write, and a time; what formatDateTime writes must read back as that
// time. The other half hands arbitrary pictures and text to the reader and the writer, which
// must neither crash nor return an invalid date.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <string>
#include <vector>

#include "base/datetext.h"
#include "fuzz_check.h"

namespace sonorin {
namespace {

const DateTime kNow{2026, 12, 6, 20, 0, 0};

template <std::size_t N>
std::string pick(FuzzedDataProvider& in, const std::array<const char*, N>& choices) {
    return choices[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

// Separators between fields: ASCII, Chinese units, and the forms typed text is cleaned of
// (tab, no-break space, ideographic space, full-width colon, slash and hyphen).
const std::array<const char*, 14> kDateSeparators = {
    "/", "-", ".", " ", ", ", "\t", "\xC2\xA0", "　", "：", "／", "－", "'年'", "' 年 '", ". "};
const std::array<const char*, 10> kTimeSeparators = {":",  ".",  " ",    "\t",   "\xC2\xA0",
                                                     "　", "：", "'时'", "'分'", "' h '"};
const std::array<std::array<const char*, 2>, 3> kDesignators = {
    {{"上午", "下午"}, {"AM", "PM"}, {"am", "pm"}}};

void roundTrip(FuzzedDataProvider& in) {
    DateFormats formats;
    const std::string year = pick(in, std::array{"yyyy", "yy", "y"});
    const std::string month = pick(in, std::array{"M", "MM", "MMM", "MMMM"});
    const std::string day = pick(in, std::array{"d", "dd"});
    const std::string s1 = pick(in, kDateSeparators);
    const std::string s2 = pick(in, kDateSeparators);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            formats.shortDate = year + s1 + month + s2 + day;
            break;
        case 1:
            formats.shortDate = month + s1 + day + s2 + year;
            break;
        default:
            formats.shortDate = day + s1 + month + s2 + year;
            break;
    }
    if (in.ConsumeBool())
        formats.shortDate =
            pick(in, std::array{"dddd", "ddd"}) + pick(in, kDateSeparators) + formats.shortDate;

    const bool twelveHours = in.ConsumeBool();
    const auto& designators = kDesignators[in.ConsumeIntegralInRange<std::size_t>(0, 2)];
    formats.am = designators[0];
    formats.pm = designators[1];
    std::string time =
        twelveHours ? pick(in, std::array{"h", "hh"}) : pick(in, std::array{"H", "HH"});
    time += pick(in, kTimeSeparators) + pick(in, std::array{"m", "mm"});
    if (in.ConsumeBool())
        time += pick(in, kTimeSeparators) + pick(in, std::array{"s", "ss"});
    if (in.ConsumeBool())
        time += "'秒'";
    if (twelveHours || in.ConsumeBool()) {
        const std::string designator = pick(in, std::array{"tt", "t"});
        const std::string blank = pick(in, std::array{" ", "", "\xC2\xA0"});
        time = in.ConsumeBool() ? designator + blank + time : time + blank + designator;
    }
    formats.longTime = time;

    // Years written with one or two digits read back within 50 years of now.
    const bool shortYear = year.size() < 3;
    DateTime t;
    t.year = shortYear ? in.ConsumeIntegralInRange(kNow.year - 50, kNow.year + 49)
                       : in.ConsumeIntegralInRange(1601, 9999);
    t.month = in.ConsumeIntegralInRange(1, 12);
    t.day = in.ConsumeIntegralInRange(1, daysInMonth(t.year, t.month));
    t.hour = in.ConsumeIntegralInRange(0, 23);
    t.minute = in.ConsumeIntegralInRange(0, 59);
    t.second =
        formats.longTime.find('s') == std::string::npos ? 0 : in.ConsumeIntegralInRange(0, 59);
    if (in.ConsumeBool())
        t.hour = t.minute = t.second = 0;

    const std::string text = formatDateTime(t, formats);
    const std::optional<DateTime> back = parseDateTime(text, formats, kNow);
    FUZZ_CHECK(back && *back == t, "pictures " + fuzz::escaped(formats.shortDate) + " " +
                                       fuzz::escaped(formats.longTime) + ", text " +
                                       fuzz::escaped(text));
}

void anything(FuzzedDataProvider& in) {
    // Windows keeps date and time pictures to 80 characters.
    DateFormats formats;
    formats.shortDate = in.ConsumeRandomLengthString(80);
    formats.longTime = in.ConsumeRandomLengthString(80);
    formats.am = in.ConsumeRandomLengthString(16);
    formats.pm = in.ConsumeRandomLengthString(16);
    const std::string text = in.ConsumeRandomLengthString(300);
    if (const std::optional<DateTime> t = parseDateTime(text, formats, kNow))
        FUZZ_CHECK(t->isValid(), "text " + fuzz::escaped(text));
    formatDateTime(kNow, formats);
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool()) {
        sonorin::roundTrip(in);
    } else {
        sonorin::anything(in);
    }
    return 0;
}
