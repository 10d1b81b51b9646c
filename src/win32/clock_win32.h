// The local clock and the user's date and time pictures.
#pragma once

#include <optional>

#include "services/clock.h"

namespace sonorin::win32 {

class Win32Clock : public Clock {
  public:
    DateTime now() override;
    // Read from the user's locale once and kept: the monitor writes dates five times a
    // second. settingsChanged() makes the next call read them again.
    DateFormats dateFormats() override;
    std::int64_t tickMs() override;
    // The user may have changed the regional settings (WM_SETTINGCHANGE).
    void settingsChanged() { formats_.reset(); }

  private:
    std::optional<DateFormats> formats_;
};

}  // namespace sonorin::win32
