// The system's own decoders: MP3 through the ACM MP3 codec, AAC (ADTS) through the Media
// Foundation AAC decoder transform. Both turn whole frames into 16-bit PCM.
#pragma once

#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>
#include <msacm.h>

#include <cstdint>
#include <vector>

#include "radio/player/frames.h"
#include "radio/player/session.h"

struct IMFTransform;
struct IMFSample;

namespace sonorin::win32 {

class Mp3Decoder {
  public:
    ~Mp3Decoder() { close(); }
    // Appends the PCM of one frame (possibly none yet: the codec works a frame behind) to
    // `pcm`. Reopens the codec when the layout changes. False when the codec refuses it.
    bool decode(const radio::FrameView& frame, std::vector<std::uint8_t>& pcm,
                radio::PcmFormat& format);
    void close();

  private:
    bool open(const radio::FrameInfo& info);

    HACMSTREAM stream_ = nullptr;
    ACMSTREAMHEADER header_{};
    std::vector<std::uint8_t> input_;
    std::vector<std::uint8_t> output_;
    std::size_t carried_ = 0;  // input bytes the codec left for the next call
    radio::FrameInfo info_;
    bool first_ = true;
};

class AacDecoder {
  public:
    AacDecoder();
    ~AacDecoder();
    AacDecoder(const AacDecoder&) = delete;
    AacDecoder& operator=(const AacDecoder&) = delete;
    bool decode(const radio::FrameView& frame, std::vector<std::uint8_t>& pcm,
                radio::PcmFormat& format);
    void close();

  private:
    bool open(const radio::FrameInfo& info);
    bool selectOutput();
    bool drainOutput(std::vector<std::uint8_t>& pcm);

    bool mediaFoundation_ = false;
    IMFTransform* transform_ = nullptr;
    radio::FrameInfo info_;
    radio::PcmFormat output_;
};

}  // namespace sonorin::win32
