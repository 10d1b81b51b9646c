// The station stream parser: header lines at the start of the body, ICY metadata, MP3 and ADTS
// framing, format detection and the WAV header. The first two bytes choose the metadata
// interval and the size of the pieces the body arrives in. Whatever the pieces, the audio
// must come out the same, and every frame must be whole and match its own header.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "radio/player/format.h"
#include "radio/player/frames.h"
#include "radio/player/icy.h"

namespace sonorin {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string text(std::span<const std::uint8_t> bytes) {
    return fuzz::escaped(std::string(bytes.begin(), bytes.end()));
}

// The frames of `stream` pushed in pieces of `piece` bytes, checked one by one.
std::vector<Bytes> frames(radio::Codec codec, const Bytes& stream, std::size_t piece) {
    radio::FrameReader reader(codec);
    std::vector<Bytes> out;
    auto take = [&] {
        while (auto frame = reader.next()) {
            const auto again = radio::parseFrameHeader(codec, frame->bytes);
            FUZZ_CHECK(again && again->bytes == int(frame->bytes.size()) &&
                           frame->info.bytes == again->bytes,
                       text(frame->bytes));
            out.emplace_back(frame->bytes.begin(), frame->bytes.end());
        }
    };
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        reader.push(std::span(stream).subspan(at, std::min(piece, stream.size() - at)));
        take();
    }
    reader.finish();
    take();
    return out;
}

}  // namespace
}  // namespace sonorin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    if (size < 2)
        return 0;
    const std::size_t metaint = data[0] % 64;
    const std::size_t piece = data[1] % 97 + 1;
    std::span<const std::uint8_t> body(data + 2, size - 2);

    radio::BodyHeaders headers;
    if (radio::scanBodyHeaders(body, headers) == radio::BodyHeaderScan::Found) {
        FUZZ_CHECK(headers.length <= body.size(), text(body));
        body = body.subspan(headers.length);
    }

    radio::IcyStripper whole(metaint);
    Bytes audio;
    whole.feed(body, audio);
    whole.takeTitle();
    radio::IcyStripper pieces(metaint);
    Bytes audioInPieces;
    for (std::size_t at = 0; at < body.size(); at += piece) {
        pieces.feed(body.subspan(at, std::min(piece, body.size() - at)), audioInPieces);
        pieces.takeTitle();
    }
    FUZZ_CHECK(audio == audioInPieces, text(body));

    for (radio::Codec codec : {radio::Codec::Mp3, radio::Codec::Aac}) {
        FUZZ_CHECK(frames(codec, audio, piece) == frames(codec, audio, audio.size() + 1),
                   text(audio));
    }
    radio::detectStreamKind("audio/mpeg", "http://h/list.pls", audio, false);
    radio::detectStreamKind("", "", audio, true);
    // The WAV header: decided once, whatever more comes, and never after more than a megabyte.
    radio::WavFormat wav;
    const radio::WavParse parse = radio::parseWavHeader(audio, wav);
    if (parse == radio::WavParse::Ok)
        FUZZ_CHECK(wav.dataOffset <= audio.size() && wav.dataOffset <= (1 << 20) + 8, text(audio));
    for (std::size_t cut = 0; cut < audio.size(); cut += piece) {
        radio::WavFormat early;
        const radio::WavParse earlyParse =
            radio::parseWavHeader(std::span(audio).first(cut), early);
        FUZZ_CHECK(earlyParse == radio::WavParse::NeedMore ||
                       (earlyParse == parse &&
                        (parse != radio::WavParse::Ok || early.dataOffset == wav.dataOffset)),
                   text(audio));
    }
    radio::streamTitle(std::string(audio.begin(), audio.end()));
    return 0;
}
