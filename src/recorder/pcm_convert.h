// Sound of any rate and channel count turned into the format of a take: the rate, channels
// and bits the recording settings chose. Same rate and channels give the samples unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "radio/station_player.h"

namespace sonorin {

struct TakeFormat {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
    int blockAlign() const { return channels * bits / 8; }
    std::int64_t bytesPerSecond() const { return std::int64_t{rate} * blockAlign(); }
};

// The 44 bytes that start a PCM WAV file holding dataBytes of sound.
std::string wavHeader(const TakeFormat& format, std::uint32_t dataBytes);

class PcmConverter {
  public:
    explicit PcmConverter(const TakeFormat& out) : out_(out) {}
    // Appends the frames of bytes, converted, to out. Sound of 8 or 16 bits with one or more
    // channels is taken (beyond two, the first two); anything else gives nothing. A change
    // of the input's format starts the rate conversion afresh.
    void convert(const DecodedFormat& in, const std::uint8_t* bytes, std::size_t size,
                 std::string& out);

  private:
    void put(int left, int right, std::string& out) const;

    TakeFormat out_;
    DecodedFormat last_{};
    // Linear interpolation between the previous input frame and the next ones; the position
    // of the next output frame counts in 1/out_.rate parts of an input frame, from previous_.
    bool havePrevious_ = false;
    int previous_[2] = {0, 0};
    std::int64_t position_ = 0;
    // The last input frames (left, right, …) and their sums, for the average that damps what
    // a lower rate cannot hold.
    std::vector<int> recent_;
    std::int64_t recentSum_[2] = {0, 0};
    std::size_t recentNext_ = 0;
};

}  // namespace sonorin
