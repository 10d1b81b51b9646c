// What a station's answer holds: audio we can play, a playlist to follow, or something else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sonorin::radio {

// Ogg (Vorbis, Opus) is recognised only to say that it is not played.
enum class StreamKind { Unknown, Mp3, Aac, Wav, M3u, Pls, Xspf, Ogg, Html };

// `head` is the start of the body (after any ICY header lines and metadata). While `complete`
// is false more may still come, and only certain signs count (a signature, two frames in a
// row); once it is true the content type and the address's extension decide the rest.
StreamKind detectStreamKind(std::string_view contentType, std::string_view url,
                            std::span<const std::uint8_t> head, bool complete);

// RIFF/WAVE with PCM samples.
struct WavFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::size_t dataOffset = 0;
};
enum class WavParse { NeedMore, Invalid, Ok };
WavParse parseWavHeader(std::span<const std::uint8_t> head, WavFormat& out);

}  // namespace sonorin::radio
