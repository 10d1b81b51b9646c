// Stops the radio at a set time, fading it out over the last seconds before it. Times are the
// clock's milliseconds that never go back, so that a clock set meanwhile changes nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace sonorin::radio {

class SleepTimer {
  public:
    static constexpr std::int64_t kFadeMs = 10000;

    void arm(std::int64_t nowMs, std::int64_t inMs) { deadline_ = nowMs + (inMs > 0 ? inMs : 0); }
    void cancel() { deadline_.reset(); }
    bool armed() const { return deadline_.has_value(); }
    std::optional<std::int64_t> deadline() const { return deadline_; }
    std::int64_t remainingMs(std::int64_t nowMs) const {
        return deadline_ && *deadline_ > nowMs ? *deadline_ - nowMs : 0;
    }
    bool due(std::int64_t nowMs) const { return deadline_ && nowMs >= *deadline_; }
    // The share of the volume left: 1 until the fade begins, then down to 0 at the deadline.
    // Squared, so that the sound seems to fade evenly rather than hang on and drop at the end.
    double level(std::int64_t nowMs) const {
        if (!deadline_)
            return 1;
        const double left = double(remainingMs(nowMs)) / double(kFadeMs);
        return left >= 1 ? 1 : left * left;
    }

  private:
    std::optional<std::int64_t> deadline_;
};

}  // namespace sonorin::radio
