// A clock that stands still until the test moves it; zh-CN date pictures.
#pragma once

#include "services/clock.h"

namespace sonorin {

class FakeClock : public Clock {
  public:
    DateTime now() override { return current; }
    DateFormats dateFormats() override { return formats; }
    void advanceSeconds(int seconds) { current = current.addSeconds(seconds); }

    DateTime current{2026, 12, 6, 9, 5, 7};
    DateFormats formats;
};

}  // namespace sonorin
