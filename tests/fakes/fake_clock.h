// A clock that stands still until the test moves it; zh-CN date pictures.
#pragma once

#include "services/clock.h"

namespace sonorin {

class FakeClock : public Clock {
  public:
    DateTime now() override { return current; }
    DateFormats dateFormats() override { return formats; }
    std::int64_t tickMs() override { return ticks; }
    void advanceSeconds(int seconds) {
        current = current.addSeconds(seconds);
        ticks += std::int64_t{seconds} * 1000;
    }

    std::int64_t ticks = 1000000;

    DateTime current{2026, 12, 6, 9, 5, 7};
    DateFormats formats;
};

}  // namespace sonorin
