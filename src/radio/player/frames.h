// Compressed audio frames as stations send them: MPEG audio layer III and AAC in ADTS.
// A stream is a run of frames, each starting with a header that gives its length; bytes that
// look like a header turn up inside audio and garbage, so a header only counts once the next
// frame's header agrees with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonorin::radio {

enum class Codec { Mp3, Aac };

struct FrameInfo {
    Codec codec = Codec::Mp3;
    int sampleRate = 0;
    int channels = 0;
    int bytes = 0;        // the whole frame, header included
    int samples = 0;      // per channel
    int bitrateKbps = 0;  // MP3 only
    int mpegVersion = 0;  // MP3: 1, 2 or 25 (MPEG 2.5)
    int aacProfile = 0;   // ADTS: audio object type (2 = AAC-LC)
    int headerBytes = 0;  // ADTS: 7, or 9 with a CRC
};

// Parse one header at the start of `bytes`; nullopt when it is not a valid one (or too short:
// MP3 needs 4 bytes, ADTS 7).
std::optional<FrameInfo> parseMp3Header(std::span<const std::uint8_t> bytes);
std::optional<FrameInfo> parseAdtsHeader(std::span<const std::uint8_t> bytes);
std::optional<FrameInfo> parseFrameHeader(Codec codec, std::span<const std::uint8_t> bytes);

// Two headers that may follow each other in one stream (a change of bit rate is normal; a
// change of layout is a new stream or a false sync).
bool sameStream(const FrameInfo& a, const FrameInfo& b);

// Offset of the first header in `bytes` that the following header confirms, or nullopt.
std::optional<std::size_t> findConfirmedSync(Codec codec, std::span<const std::uint8_t> bytes);

struct FrameView {
    FrameInfo info;
    std::span<const std::uint8_t> bytes;  // valid until the next push()
};

// Cuts a byte stream into whole frames. Bytes come in pieces of any size; garbage between
// frames is skipped, an ID3v2 tag at the very start of the stream too.
class FrameReader {
  public:
    explicit FrameReader(Codec codec) : codec_(codec) {}

    void push(std::span<const std::uint8_t> bytes);
    // No more bytes will come: a last frame that nothing follows may now be taken unconfirmed.
    void finish() { ended_ = true; }
    // The next whole frame, or nullopt until more bytes arrive.
    std::optional<FrameView> next();

    Codec codec() const { return codec_; }
    std::size_t skippedBytes() const { return skipped_; }

  private:
    std::size_t minimumHeader() const { return codec_ == Codec::Mp3 ? 4 : 7; }
    bool skipId3Tag();

    Codec codec_;
    std::vector<std::uint8_t> buffer_;
    std::size_t position_ = 0;
    std::optional<FrameInfo> lock_;
    bool atStart_ = true;
    bool ended_ = false;
    std::size_t tagBytesLeft_ = 0;
    bool waitingForTag_ = false;
    std::size_t skipped_ = 0;
};

}  // namespace sonorin::radio
