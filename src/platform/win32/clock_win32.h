// The local clock and the user's date and time pictures.
#pragma once

#include "platform/clock.h"

namespace sonorin::win32 {

class Win32Clock : public Clock {
  public:
    DateTime now() override;
    DateFormats dateFormats() override;
};

}  // namespace sonorin::win32
