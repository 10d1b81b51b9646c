#include "radio/player/frames.h"

#include <algorithm>
#include <cstring>

namespace sonorin::radio {

namespace {

constexpr int kMp3BitratesV1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                    112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMp3BitratesV2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                    64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kMp3RatesV1[3] = {44100, 48000, 32000};
constexpr int kAdtsRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                22050, 16000, 12000, 11025, 8000,  7350};

}  // namespace

std::optional<FrameInfo> parseMp3Header(std::span<const std::uint8_t> b) {
    if (b.size() < 4 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    // Only layer III; free-format and reserved values are never real headers.
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3 || (b[3] & 3) == 2) {
        return std::nullopt;
    }
    FrameInfo info;
    info.codec = Codec::Mp3;
    info.mpegVersion = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    const bool v1 = info.mpegVersion == 1;
    info.bitrateKbps = v1 ? kMp3BitratesV1[bitrateIndex] : kMp3BitratesV2[bitrateIndex];
    info.sampleRate = kMp3RatesV1[rateIndex] / (v1 ? 1 : info.mpegVersion == 2 ? 2 : 4);
    info.channels = (b[3] >> 6) == 3 ? 1 : 2;
    info.samples = v1 ? 1152 : 576;
    const int padding = (b[2] >> 1) & 1;
    info.bytes = (v1 ? 144 : 72) * info.bitrateKbps * 1000 / info.sampleRate + padding;
    info.headerBytes = 4;
    return info;
}

std::optional<FrameInfo> parseAdtsHeader(std::span<const std::uint8_t> b) {
    if (b.size() < 7 || b[0] != 0xFF || (b[1] & 0xF6) != 0xF0)
        return std::nullopt;
    const int rateIndex = (b[2] >> 2) & 0xF;
    const int channels = ((b[2] & 1) << 2) | (b[3] >> 6);
    if (rateIndex >= 13 || channels == 0)
        return std::nullopt;
    FrameInfo info;
    info.codec = Codec::Aac;
    info.aacProfile = (b[2] >> 6) + 1;
    info.sampleRate = kAdtsRates[rateIndex];
    info.channels = channels == 7 ? 8 : channels;
    info.headerBytes = (b[1] & 1) ? 7 : 9;
    info.bytes = ((b[3] & 3) << 11) | (b[4] << 3) | (b[5] >> 5);
    info.samples = 1024 * ((b[6] & 3) + 1);
    if (info.bytes <= info.headerBytes)
        return std::nullopt;
    return info;
}

std::optional<FrameInfo> parseFrameHeader(Codec codec, std::span<const std::uint8_t> bytes) {
    return codec == Codec::Mp3 ? parseMp3Header(bytes) : parseAdtsHeader(bytes);
}

bool sameStream(const FrameInfo& a, const FrameInfo& b) {
    return a.codec == b.codec && a.sampleRate == b.sampleRate && a.channels == b.channels &&
           a.mpegVersion == b.mpegVersion && a.aacProfile == b.aacProfile;
}

std::optional<std::size_t> findConfirmedSync(Codec codec, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != 0xFF)
            continue;
        const auto first = parseFrameHeader(codec, bytes.subspan(at));
        if (!first || at + first->bytes >= bytes.size())
            continue;
        const auto second = parseFrameHeader(codec, bytes.subspan(at + first->bytes));
        if (second && sameStream(*first, *second))
            return at;
    }
    return std::nullopt;
}

void FrameReader::push(std::span<const std::uint8_t> bytes) {
    if (position_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(position_));
        position_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

// An ID3v2 tag at the very start of the stream: "ID3", version, flags, then a 28-bit size in
// four seven-bit bytes (plus a 10-byte footer when flagged). Returns true while skipping or
// while the first bytes do not yet tell.
bool FrameReader::skipId3Tag() {
    if (tagBytesLeft_ == 0) {
        const std::size_t available = buffer_.size() - position_;
        if (!atStart_ || available == 0)
            return false;
        if (std::memcmp(buffer_.data() + position_, "ID3", std::min<std::size_t>(3, available)) !=
                0 ||
            (available < 10 && ended_)) {
            atStart_ = false;
            return false;
        }
        if (available < 10) {
            waitingForTag_ = true;
            return true;
        }
        atStart_ = false;
        const std::uint8_t* h = buffer_.data() + position_;
        if ((h[6] | h[7] | h[8] | h[9]) & 0x80)
            return false;
        tagBytesLeft_ = 10 + (std::size_t(h[6]) << 21 | std::size_t(h[7]) << 14 |
                              std::size_t(h[8]) << 7 | std::size_t(h[9]));
        if (h[5] & 0x10)
            tagBytesLeft_ += 10;
    }
    const std::size_t skip = std::min(tagBytesLeft_, buffer_.size() - position_);
    position_ += skip;
    tagBytesLeft_ -= skip;
    return true;
}

std::optional<FrameView> FrameReader::next() {
    const std::size_t header = minimumHeader();
    while (true) {
        waitingForTag_ = false;
        if (skipId3Tag() && (tagBytesLeft_ > 0 || waitingForTag_))
            return std::nullopt;
        const std::size_t available = buffer_.size() - position_;
        if (available < header)
            return std::nullopt;
        const std::uint8_t* at = buffer_.data() + position_;
        if (at[0] != 0xFF) {
            // Garbage: jump to the next possible header.
            const void* found = std::memchr(at + 1, 0xFF, available - 1);
            const std::size_t skip =
                found ? std::size_t(static_cast<const std::uint8_t*>(found) - at) : available;
            position_ += skip;
            skipped_ += skip;
            lock_.reset();
            continue;
        }
        const auto info = parseFrameHeader(codec_, {at, available});
        if (info) {
            const std::size_t end = std::size_t(info->bytes);
            const bool locked = lock_ && sameStream(*lock_, *info);
            bool confirmed = locked;
            if (!confirmed) {
                if (end + header <= available) {
                    const auto following = parseFrameHeader(codec_, {at + end, available - end});
                    confirmed = following && sameStream(*info, *following);
                } else if (!(ended_ && end == available)) {
                    return std::nullopt;  // the next header decides
                } else {
                    confirmed = true;  // the stream's last frame
                }
            }
            if (confirmed) {
                if (end > available)
                    return std::nullopt;
                lock_ = info;
                position_ += end;
                return FrameView{*info, {at, end}};
            }
        }
        ++position_;
        ++skipped_;
        lock_.reset();
    }
}

}  // namespace sonorin::radio
