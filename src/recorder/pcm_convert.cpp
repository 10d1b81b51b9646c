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
        recent_.clear();
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
    // The frames as (left, right) pairs; when the rate comes down, each is first averaged
    // with the ones before it over about one period of the lower rate, so that what the lower
    // rate cannot hold is damped rather than folded back as noise.
    const std::size_t width =
        in.sampleRate > out_.rate ? static_cast<std::size_t>(in.sampleRate / out_.rate) : 1;
    // Afresh, the average starts as if the first frame had always been there.
    const bool fresh = frames > 0 && recent_.size() != width * 2;
    if (fresh)
        recent_.assign(width * 2, 0);
    std::vector<int> lr(frames * 2);
    for (std::size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < 2; ++c) {
            const int value = read(f, c < in.channels ? c : 0);
            if (width == 1) {
                lr[f * 2 + static_cast<std::size_t>(c)] = value;
                continue;
            }
            if (fresh && f == 0) {
                for (std::size_t i = 0; i < width; ++i)
                    recent_[i * 2 + static_cast<std::size_t>(c)] = value;
                recentSum_[c] = std::int64_t{value} * static_cast<std::int64_t>(width);
                recentNext_ = 0;
            }
            int& oldest = recent_[recentNext_ * 2 + static_cast<std::size_t>(c)];
            recentSum_[c] += value - oldest;
            oldest = value;
            lr[f * 2 + static_cast<std::size_t>(c)] =
                static_cast<int>(recentSum_[c] / static_cast<std::int64_t>(width));
        }
        recentNext_ = (recentNext_ + 1) % width;
    }

    if (in.sampleRate == out_.rate) {
        for (std::size_t f = 0; f < frames; ++f)
            put(lr[f * 2], lr[f * 2 + 1], out);
        return;
    }
    std::size_t first = 0;
    if (!havePrevious_ && frames > 0) {
        previous_[0] = lr[0];
        previous_[1] = lr[1];
        havePrevious_ = true;
        position_ = 0;
        first = 1;
    }
    // Input frame k (k = 0 is previous_, k >= 1 the k-th new one) lies at k * outRate.
    const std::int64_t outRate = out_.rate;
    const std::int64_t step = in.sampleRate;
    const std::int64_t count = static_cast<std::int64_t>(frames - first);
    while (position_ < count * outRate) {
        const std::int64_t k = position_ / outRate;
        const std::int64_t rest = position_ % outRate;
        const int* a = k == 0 ? previous_ : &lr[(first + static_cast<std::size_t>(k) - 1) * 2];
        const int* b = &lr[(first + static_cast<std::size_t>(k)) * 2];
        put(static_cast<int>(a[0] + (b[0] - a[0]) * rest / outRate),
            static_cast<int>(a[1] + (b[1] - a[1]) * rest / outRate), out);
        position_ += step;
    }
    if (count > 0) {
        previous_[0] = lr[(frames - 1) * 2];
        previous_[1] = lr[(frames - 1) * 2 + 1];
        position_ -= count * outRate;
    }
}

}  // namespace sonorin
