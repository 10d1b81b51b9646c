// HLS lists and the segments they name. Every segment and every variant chosen are http or https
// addresses, the segments' numbers rise; the audio of a transport stream comes out the same
// whatever the pieces it arrives in (the first byte chooses their size).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "fuzz_check.h"
#include "radio/player/hls.h"

namespace {

bool isWebAddress(const std::string& url) {
    using sonorin::ascii::startsWithNoCase;
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const radio::HlsPlaylist list = radio::parseHlsPlaylist(input, "http://h/live/index.m3u8");
    for (std::size_t i = 0; i < list.segments.size(); ++i) {
        FUZZ_CHECK(isWebAddress(list.segments[i].url), fuzz::escaped(input));
        FUZZ_CHECK(i == 0 || list.segments[i].sequence > list.segments[i - 1].sequence,
                   fuzz::escaped(input));
    }
    FUZZ_CHECK(radio::hlsLiveStart(list) <= list.segments.size(), fuzz::escaped(input));
    for (const std::string& media : radio::hlsMediaChoices(list))
        FUZZ_CHECK(isWebAddress(media), fuzz::escaped(input));

    const std::span<const std::uint8_t> bytes(data, size);
    FUZZ_CHECK(radio::id3TagsLength(bytes) <= size, fuzz::escaped(input));
    radio::detectSegmentKind(bytes);
    radio::TsAudio whole;
    radio::TsAudio pieces;
    std::vector<std::uint8_t> fromWhole;
    std::vector<std::uint8_t> fromPieces;
    whole.push(bytes, fromWhole);
    const std::size_t piece = size ? std::size_t(data[0]) % 200 + 1 : 1;
    for (std::size_t at = 0; at < size; at += piece)
        pieces.push(bytes.subspan(at, std::min(piece, size - at)), fromPieces);
    FUZZ_CHECK(fromWhole == fromPieces && whole.codec() == pieces.codec(), fuzz::escaped(input));
    FUZZ_CHECK(fromWhole.size() <= size, fuzz::escaped(input));
    return 0;
}
