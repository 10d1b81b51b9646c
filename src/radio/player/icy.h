// Icecast/SHOUTcast streams: the answer's header lines and the metadata blocks inside the body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonorin::radio {

// Some HTTP stacks take a SHOUTcast "ICY 200 OK" answer for a headerless HTTP/1.0 one and hand
// over its header lines as the start of the body. This finds and reads them.
struct BodyHeaders {
    std::size_t length = 0;  // bytes to drop from the body's start
    std::string contentType;
    std::size_t metaint = 0;
};
enum class BodyHeaderScan { NeedMore, None, Found };
BodyHeaderScan scanBodyHeaders(std::span<const std::uint8_t> start, BodyHeaders& out);

// The number in an "icy-metaint" header; 0 when absent or not a sensible number.
std::size_t parseMetaint(std::string_view text);

// The StreamTitle of one metadata block ("StreamTitle='…';StreamUrl='…';", padded with NULs),
// as UTF-8 (stations that send GBK are converted); nullopt when the block has none.
std::optional<std::string> streamTitle(std::string_view metadata);

// Every `metaint` audio bytes the server puts one length byte n and 16·n bytes of metadata.
// This takes them out of the audio, whatever the pieces the body arrives in.
class IcyStripper {
  public:
    explicit IcyStripper(std::size_t metaint) : metaint_(metaint), audioLeft_(metaint) {}

    // Appends the audio bytes of `in` to `audio`.
    void feed(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& audio);
    // A title that arrived since the last call.
    std::optional<std::string> takeTitle();

  private:
    std::size_t metaint_;
    std::size_t audioLeft_;
    bool readingMetadata_ = false;
    std::size_t metadataLeft_ = 0;
    std::string metadata_;
    std::optional<std::string> title_;
    std::string lastTitle_;
    bool haveTitle_ = false;
};

}  // namespace sonorin::radio
