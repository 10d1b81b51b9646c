// Reading date-time text: the picture is matched against what the user typed, field by field,
// trying the shorter number where a longer one leads nowhere.
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "base/ascii.h"
#include "base/datetext.h"
#include "base/datetext_picture.h"
#include "base/text.h"

namespace sonorin {
namespace {

using namespace datetext;

// What a user types is short; anything longer is not a date-time and is not worth scanning.
constexpr std::size_t kMaxInput = 256;

// What a picture match found; -1 where nothing was found.
struct Fields {
    int year = -1;
    int month = -1;
    int day = -1;
    int hour = -1;    // from H
    int hour12 = -1;  // from h
    int minute = -1;
    int second = -1;
    int weekday = -1;
    int pm = -1;  // 0 before noon, 1 after
};

// A field may appear twice in a picture; both places must then agree.
bool setField(int& slot, int value) {
    if (slot == -1)
        slot = value;
    return slot == value;
}

// Two-digit years lie from 50 years before to 49 years after the current year, so that what
// was written with a yy picture around now reads back as the same year.
int widenYear(int twoDigits, int nowYear) {
    const int low = nowYear - 50;
    int year = low - ((low % 100) + 100) % 100 + twoDigits;
    if (year < low)
        year += 100;
    return year;
}

bool isBlank(char c) {
    return c == ' ';
}

class Matcher {
  public:
    Matcher(const Picture& picture, std::string_view input, const DateFormats& formats, int nowYear)
        : picture_(picture), input_(input), formats_(formats), nowYear_(nowYear) {}

    // True when the whole input matches the whole picture; `out` then holds the fields.
    bool run(Fields& out) { return match(0, 0, Fields{}, out); }

  private:
    bool match(std::size_t ti, std::size_t pos, Fields f, Fields& out) const {
        if (ti == picture_.size()) {
            if (pos != input_.size())
                return false;
            out = f;
            return true;
        }
        const Token& token = picture_[ti];
        switch (token.field) {
            case 0:
                return matchLiteral(ti, pos, f, out);
            case 'g':
                return match(ti + 1, pos, f, out);  // eras are never written, never read
            case 't':
                return matchDesignator(ti, pos, f, out);
            case 'd':
                if (token.count >= 3) {
                    return matchName(ti, pos, f, out, token.count == 3 ? kDayShort : kDayLong,
                                     &Fields::weekday);
                }
                break;
            case 'M':
                if (token.count >= 3) {
                    return matchName(ti, pos, f, out, token.count == 3 ? kMonthShort : kMonthLong,
                                     &Fields::month, 1);
                }
                break;
        }
        return matchNumber(ti, pos, f, out);
    }

    bool matchNumber(std::size_t ti, std::size_t pos, const Fields& f, Fields& out) const {
        const Token& token = picture_[ti];
        int minDigits = 1;
        int maxDigits = 2;
        if (token.field == 'y' && token.count >= 3) {
            minDigits = maxDigits = 4;
        } else if ((token.field == 'm' || token.field == 's') && token.count >= 2) {
            minDigits = 2;  // "9:5" could mean 9:05 or 9:50
        }
        int available = 0;
        while (available < maxDigits && pos + available < input_.size() &&
               input_[pos + available] >= '0' && input_[pos + available] <= '9') {
            ++available;
        }
        // Longest first; a shorter run is tried for pictures without separators ("HHmmss").
        for (int digits = available; digits >= minDigits; --digits) {
            int value = 0;
            for (int i = 0; i < digits; ++i)
                value = value * 10 + (input_[pos + i] - '0');
            Fields next = f;
            bool consistent = false;
            switch (token.field) {
                case 'y':
                    consistent =
                        setField(next.year, token.count >= 3 ? value : widenYear(value, nowYear_));
                    break;
                case 'M':
                    consistent = setField(next.month, value);
                    break;
                case 'd':
                    consistent = setField(next.day, value);
                    break;
                case 'H':
                    consistent = setField(next.hour, value);
                    break;
                case 'h':
                    consistent = setField(next.hour12, value);
                    break;
                case 'm':
                    consistent = setField(next.minute, value);
                    break;
                case 's':
                    consistent = setField(next.second, value);
                    break;
            }
            if (consistent && match(ti + 1, pos + digits, next, out))
                return true;
        }
        return false;
    }

    template <std::size_t N>
    bool matchName(std::size_t ti, std::size_t pos, const Fields& f, Fields& out,
                   const std::array<std::string_view, N>& names, int Fields::*slot,
                   int base = 0) const {
        for (std::size_t i = 0; i < N; ++i) {
            if (!input_.substr(pos).starts_with(names[i]))
                continue;
            Fields next = f;
            if (setField(next.*slot, static_cast<int>(i) + base) &&
                match(ti + 1, pos + names[i].size(), next, out)) {
                return true;
            }
        }
        return false;
    }

    bool matchDesignator(std::size_t ti, std::size_t pos, const Fields& f, Fields& out) const {
        const int count = picture_[ti].count;
        bool any = false;
        for (int pm = 0; pm <= 1; ++pm) {
            const std::string_view text = designator(formats_, pm == 1, count);
            if (text.empty())
                continue;
            any = true;
            if (!ascii::startsWithNoCase(input_.substr(pos), text))
                continue;
            Fields next = f;
            if (setField(next.pm, pm) && match(ti + 1, pos + text.size(), next, out))
                return true;
        }
        // A locale without designators writes nothing for them.
        return !any && match(ti + 1, pos, f, out);
    }

    bool matchLiteral(std::size_t ti, std::size_t pos, const Fields& f, Fields& out) const {
        const std::string& text = picture_[ti].text;
        // A blank next to an am/pm designator may be left out ("8:00PM").
        const bool nearDesignator = (ti > 0 && picture_[ti - 1].field == 't') ||
                                    (ti + 1 < picture_.size() && picture_[ti + 1].field == 't');
        std::size_t i = 0;
        while (i < text.size()) {
            if (isBlank(text[i])) {
                while (i < text.size() && isBlank(text[i]))
                    ++i;
                const std::size_t start = pos;
                while (pos < input_.size() && isBlank(input_[pos]))
                    ++pos;
                const bool wholeLiteral = start == pos && i == text.size() && nearDesignator &&
                                          text.find_first_not_of(' ') == std::string::npos;
                if (pos == start && !wholeLiteral)
                    return false;
            } else {
                if (pos >= input_.size() || ascii::lower(input_[pos]) != ascii::lower(text[i])) {
                    return false;
                }
                ++pos;
                ++i;
            }
        }
        return match(ti + 1, pos, f, out);
    }

    const Picture& picture_;
    std::string_view input_;
    const DateFormats& formats_;
    int nowYear_;
};

// Turns what a match found into a date-time: a missing date is the date of `now`, a missing
// time is midnight.
std::optional<DateTime> assemble(const Fields& f, const DateTime& now) {
    if (f.year == -1 && f.month == -1 && f.day == -1 && f.hour == -1 && f.hour12 == -1 &&
        f.minute == -1 && f.second == -1) {
        return std::nullopt;  // a picture of literals alone says nothing
    }
    DateTime t;
    const bool anyDate = f.year != -1 || f.month != -1 || f.day != -1;
    t.year = f.year != -1 ? f.year : now.year;
    t.month = f.month != -1 ? f.month : (anyDate ? 1 : now.month);
    t.day = f.day != -1 ? f.day : (anyDate ? 1 : now.day);

    int hour = f.hour;
    if (f.hour12 != -1) {
        int fromTwelve = f.hour12;
        if (f.pm != -1) {
            if (f.hour12 < 1 || f.hour12 > 12)
                return std::nullopt;
            fromTwelve = f.hour12 % 12 + (f.pm == 1 ? 12 : 0);
        }
        if (!setField(hour, fromTwelve))
            return std::nullopt;
    } else if (hour != -1 && f.pm != -1) {
        // A 24-hour field with a designator: "8:00 PM" is 20:00, "20:00 AM" is nonsense.
        if (f.pm == 1 && hour < 12)
            hour += 12;
        if (f.pm == 0 && hour >= 12)
            return std::nullopt;
    }
    t.hour = hour != -1 ? hour : 0;
    t.minute = f.minute != -1 ? f.minute : 0;
    t.second = f.second != -1 ? f.second : 0;

    if (!t.isValid())
        return std::nullopt;
    if (f.weekday != -1 && f.weekday != dayOfWeek(t))
        return std::nullopt;
    return t;
}

// The time picture without its seconds ("H:mm:ss" -> "H:mm", "h:mm:ss tt" -> "h:mm tt",
// "H'时'mm'分'ss'秒'" -> "H'时'mm'分'"); empty when the picture has no seconds. A separator
// such as ":" goes with the seconds when it precedes them; otherwise the text after the
// seconds is their unit and goes instead.
Picture withoutSeconds(const Picture& picture) {
    auto isSeparator = [](const Token& token) {
        return token.field == 0 && !token.text.empty() &&
               std::all_of(token.text.begin(), token.text.end(), [](char c) {
                   return c == ' ' || c == ':' || c == '.' || c == '-' || c == '/' || c == ',';
               });
    };
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (picture[i].field != 's')
            continue;
        std::size_t from = i;
        std::size_t to = i + 1;
        if (i > 0 && isSeparator(picture[i - 1])) {
            from = i - 1;
        } else if (to < picture.size() && picture[to].field == 0) {
            ++to;
        }
        Picture out(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(from));
        out.insert(out.end(), picture.begin() + static_cast<std::ptrdiff_t>(to), picture.end());
        return out;
    }
    return {};
}

// Date picture, separator and time picture as one; literal text meeting at the joins becomes one
// literal, so that a blank ending the date and the separating blank read as one run of blanks.
Picture joined(const Picture& date, std::string_view separator, const Picture& time) {
    Picture out;
    auto append = [&out](const Token& token) {
        if (token.field == 0 && !out.empty() && out.back().field == 0) {
            out.back().text += token.text;
        } else {
            out.push_back(token);
        }
    };
    for (const Token& token : date)
        append(token);
    append(Token{0, 0, std::string(separator)});
    for (const Token& token : time)
        append(token);
    return out;
}

// The input has its blanks around cut off; so have the pictures it is matched against.
Picture trimmed(Picture picture) {
    if (!picture.empty() && picture.front().field == 0) {
        std::string& text = picture.front().text;
        text.erase(0, text.find_first_not_of(' '));
        if (text.empty())
            picture.erase(picture.begin());
    }
    if (!picture.empty() && picture.back().field == 0) {
        std::string& text = picture.back().text;
        const std::size_t last = text.find_last_not_of(' ');
        text.erase(last == std::string::npos ? 0 : last + 1);
        if (text.empty())
            picture.pop_back();
    }
    return picture;
}

// Full-width forms that a Chinese input method produces, and tabs, as their ASCII forms.
std::string plainForms(std::string_view text) {
    std::string s(text);
    static const std::array<std::pair<std::string_view, std::string_view>, 17> kForms = {{
        {"０", "0"},
        {"１", "1"},
        {"２", "2"},
        {"３", "3"},
        {"４", "4"},
        {"５", "5"},
        {"６", "6"},
        {"７", "7"},
        {"８", "8"},
        {"９", "9"},
        {"：", ":"},
        {"／", "/"},
        {"－", "-"},
        {"　", " "},        // ideographic space
        {"\xC2\xA0", " "},  // no-break space
        {"\t", " "},
        {"Ｔ", "T"},
    }};
    for (const auto& [from, to] : kForms)
        s = replaceAll(std::move(s), from, to);
    return s;
}

// Typed text in plain forms with the blanks and line breaks around it cut off.
std::string normalize(std::string_view text) {
    return std::string(ascii::trim(plainForms(text), " \r\n"));
}

}  // namespace

std::optional<DateTime> parseDateTime(std::string_view text, const DateFormats& formats,
                                      const DateTime& now) {
    if (text.size() > kMaxInput)
        return std::nullopt;
    const std::string input = normalize(text);
    if (input.empty())
        return std::nullopt;

    // The user's own pictures first, then the year-first forms that work on any system. The
    // pictures are cleaned as the input is, so that what a picture with a tab, a no-break
    // space or a full-width separator writes reads back.
    const std::string shortDate = plainForms(formats.shortDate);
    const std::string longTimePicture = plainForms(formats.longTime);
    std::vector<Picture> dates = {tokenize(shortDate)};
    for (std::string_view fixed : {"yyyy/M/d", "yyyy-M-d", "yyyy'年'M'月'd'日'"}) {
        if (fixed != shortDate)
            dates.push_back(tokenize(fixed));
    }
    const Picture longTime = tokenize(longTimePicture);
    std::vector<Picture> times = {longTime};
    if (Picture shortTime = withoutSeconds(longTime); !shortTime.empty()) {
        times.push_back(std::move(shortTime));
    }
    for (std::string_view fixed : {"H:mm:ss", "H:mm"}) {
        if (fixed != longTimePicture)
            times.push_back(tokenize(fixed));
    }

    std::vector<Picture> candidates;
    for (const Picture& date : dates) {
        for (const Picture& time : times)
            candidates.push_back(joined(date, " ", time));
    }
    for (std::string_view iso : {"H:mm:ss", "H:mm"}) {
        candidates.push_back(joined(tokenize("yyyy-MM-dd"), "T", tokenize(iso)));
    }
    candidates.insert(candidates.end(), dates.begin(), dates.end());
    candidates.insert(candidates.end(), times.begin(), times.end());

    for (const Picture& candidate : candidates) {
        const Picture picture = trimmed(candidate);
        Fields fields;
        if (!Matcher(picture, input, formats, now.year).run(fields))
            continue;
        if (auto t = assemble(fields, now))
            return t;
    }
    return std::nullopt;
}

}  // namespace sonorin
