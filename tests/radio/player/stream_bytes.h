// Builds the bytes of small MP3 and ADTS streams for the player's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonorin::radio::testing {

using Bytes = std::vector<std::uint8_t>;

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz stereo: 417 bytes, 418 with padding. The body is
// filled with `fill` (never 0xFF, so it holds no false header).
inline Bytes mp3Frame(bool padding = false, std::uint8_t fill = 0x55) {
    Bytes frame(padding ? 418 : 417, fill);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = padding ? 0x92 : 0x90;
    frame[3] = 0x00;
    return frame;
}

// The same at 48 kHz: 384 bytes.
inline Bytes mp3Frame48k() {
    Bytes frame = mp3Frame();
    frame[2] = 0x94;
    frame.resize(384);
    return frame;
}

// AAC-LC in ADTS without CRC, 44.1 kHz stereo, `size` bytes in all.
// The header's length field says `size`; the bytes are never fewer than the 7 of the header,
// so a frame that claims less than its own header can be written too.
inline Bytes adtsFrame(int size = 300, std::uint8_t fill = 0x33) {
    Bytes frame(std::size_t(std::max(size, 7)), fill);
    frame[0] = 0xFF;
    frame[1] = 0xF1;
    frame[2] = 0x50;  // profile LC, rate index 4 (44.1 kHz), channel bit 2 = 0
    frame[3] = std::uint8_t(0x80 | (size >> 11));
    frame[4] = std::uint8_t((size >> 3) & 0xFF);
    frame[5] = std::uint8_t(((size & 7) << 5) | 0x1F);
    frame[6] = 0xFC;
    return frame;
}

inline Bytes bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes& operator+=(Bytes& a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a += b;
    return a;
}

inline Bytes repeat(const Bytes& piece, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

}  // namespace sonorin::radio::testing
