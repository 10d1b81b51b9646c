#include "recorder/pcm_convert.h"

#include <algorithm>
#include <vector>

namespace sonorin {
namespace {

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string wavHeader(const TakeFormat& format, std::uint32_t dataBytes) {
    std::string h = "RIFF";
    putLe(h, dataBytes + 36u, 4);
    h += "WAVEfmt ";
    putLe(h, 16, 4);
    putLe(h, 1, 2);  // PCM
    putLe(h, static_cast<std::uint32_t>(format.channels), 2);
    putLe(h, static_cast<std::uint32_t>(format.rate), 4);
    putLe(h, static_cast<std::uint32_t>(format.bytesPerSecond()), 4);
    putLe(h, static_cast<std::uint32_t>(format.blockAlign()), 2);
    putLe(h, static_cast<std::uint32_t>(format.bits), 2);
    h += "data";
    putLe(h, dataBytes, 4);
    return h;
}

void PcmConverter::put(int left, int right, std::string& out) const {
    auto sample = [&](int value) {
        if (out_.bits == 8) {
            out += static_cast<char>((value >> 8) + 128);
        } else {
            out += static_cast<char>(value & 0xFF);
            out += static_cast<char>((value >> 8) & 0xFF);
        }
    };
    if (out_.channels == 1) {
        sample((left + right) >> 1);
    } else {
        sample(left);
        sample(right);
    }
}

void PcmConverter::convert(const DecodedFormat& in, const std::uint8_t* bytes, std::size_t size,
                           std::string& out) {
    if ((in.bitsPerSample != 8 && in.bitsPerSample != 16) || in.channels < 1 || in.sampleRate < 1 ||
        in.sampleRate > 1000000)
        return;
    if (in.channels != last_.channels || in.sampleRate != last_.sampleRate ||
        in.bitsPerSample != last_.bitsPerSample) {
        last_ = in;
        havePrevious_ = false;
    }
    const std::size_t sampleBytes = static_cast<std::size_t>(in.bitsPerSample / 8);
    const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(in.channels);
    const std::size_t frames = size / frameBytes;
    auto read = [&](std::size_t frame, int channel) {
        const std::uint8_t* at =
            bytes + frame * frameBytes + static_cast<std::size_t>(channel) * sampleBytes;
        if (sampleBytes == 1)
            return (int{at[0]} - 128) * 256;
        return int{static_cast<std::int16_t>(at[0] | (at[1] << 8))};
    };
    auto frameAt = [&](std::size_t frame, int* lr) {
        lr[0] = read(frame, 0);
        lr[1] = in.channels > 1 ? read(frame, 1) : lr[0];
    };

    std::size_t first = 0;
    if (in.sampleRate == out_.rate) {
        int lr[2];
        for (std::size_t f = 0; f < frames; ++f) {
            frameAt(f, lr);
            put(lr[0], lr[1], out);
        }
        return;
    }
    if (!havePrevious_ && frames > 0) {
        frameAt(0, previous_);
        havePrevious_ = true;
        position_ = 0;
        first = 1;
    }
    // Input frame k (k = 0 is previous_, k >= 1 the k-th new one) lies at k * outRate.
    const std::int64_t outRate = out_.rate;
    const std::int64_t step = in.sampleRate;
    const std::int64_t count = static_cast<std::int64_t>(frames - first);
    int a[2];
    int b[2];
    while (position_ < count * outRate) {
        const std::int64_t k = position_ / outRate;
        const std::int64_t rest = position_ % outRate;
        if (k == 0) {
            a[0] = previous_[0];
            a[1] = previous_[1];
        } else {
            frameAt(first + static_cast<std::size_t>(k - 1), a);
        }
        frameAt(first + static_cast<std::size_t>(k), b);
        put(static_cast<int>(a[0] + (b[0] - a[0]) * rest / outRate),
            static_cast<int>(a[1] + (b[1] - a[1]) * rest / outRate), out);
        position_ += step;
    }
    if (count > 0) {
        frameAt(frames - 1, previous_);
        position_ -= count * outRate;
    }
}

}  // namespace sonorin
