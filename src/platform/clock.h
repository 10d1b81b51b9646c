// The user's clock and calendar: the local time now and the date and time pictures of the
// user's locale ("yyyy/M/d", "H:mm:ss" on zh-CN systems), from which the general date text
// is written and user input is read.
#pragma once

#include <string>

#include "base/datetime.h"

namespace sonorin {

struct DateFormats {
    std::string shortDate = "yyyy/M/d";  // Windows date picture, as LOCALE_SSHORTDATE
    std::string longTime = "H:mm:ss";    // Windows time picture, as LOCALE_STIMEFORMAT
    std::string am = "上午";             // designators for "tt" in 12-hour pictures
    std::string pm = "下午";
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    virtual DateFormats dateFormats() = 0;
};

}  // namespace sonorin
