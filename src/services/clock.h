// The user's clock and calendar: the local time now and the date and time pictures of the
// user's locale, from which the general date text is written and user input is read.
#pragma once

#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace sonorin {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() = 0;
    virtual DateFormats dateFormats() = 0;
    // Milliseconds from an arbitrary start, never going back (not the time of day, which
    // the user may set): what a recording measures its length by.
    virtual std::int64_t tickMs() = 0;
};

}  // namespace sonorin
