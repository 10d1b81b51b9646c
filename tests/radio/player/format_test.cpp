#include "radio/player/format.h"

#include <gtest/gtest.h>

#include "radio/player/stream_bytes.h"

namespace sonorin::radio {
namespace {

using namespace testing;

Bytes wavHeader(int tag, int channels, int rate, int bits, bool extensible = false) {
    auto le = [](Bytes& b, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(std::uint8_t(v >> (8 * i)));
    };
    Bytes b = bytes("RIFF");
    le(b, 0xFFFFFFFF, 4);
    b += bytes("WAVE");
    b += bytes("LIST");
    le(b, 4, 4);
    b += bytes("INFO");
    b += bytes("fmt ");
    le(b, extensible ? 40 : 16, 4);
    le(b, extensible ? 0xFFFE : std::uint32_t(tag), 2);
    le(b, std::uint32_t(channels), 2);
    le(b, std::uint32_t(rate), 4);
    le(b, std::uint32_t(rate * channels * bits / 8), 4);
    le(b, std::uint32_t(channels * bits / 8), 2);
    le(b, std::uint32_t(bits), 2);
    if (extensible) {
        le(b, 22, 2);
        le(b, std::uint32_t(bits), 2);
        le(b, 3, 4);
        le(b, std::uint32_t(tag), 2);
        b += Bytes(14, 0);
    }
    b += bytes("data");
    le(b, 0, 4);
    return b;
}

TEST(StreamFormat, SignaturesAndSyncsDecideAtOnce) {
    EXPECT_EQ(detectStreamKind("text/html", "", Bytes(3, 'x') + repeat(mp3Frame(), 2), false),
              StreamKind::Mp3);
    EXPECT_EQ(detectStreamKind("audio/mpeg", "", Bytes{1, 2} + repeat(adtsFrame(), 2), false),
              StreamKind::Aac);
    EXPECT_EQ(detectStreamKind("", "", bytes("ID3\x04"), false), StreamKind::Mp3);
    EXPECT_EQ(detectStreamKind("", "", wavHeader(1, 2, 44100, 16), false), StreamKind::Wav);
    EXPECT_EQ(
        detectStreamKind("audio/mpeg", "", bytes("\xEF\xBB\xBF\r\n[Playlist]\nFile1=x"), false),
        StreamKind::Pls);
    EXPECT_EQ(detectStreamKind("", "", bytes("#EXTM3U\n"), false), StreamKind::M3u);
    EXPECT_EQ(detectStreamKind("audio/mpeg", "", bytes("<!DOCTYPE html><html>"), false),
              StreamKind::Html);
    // One frame proves nothing yet.
    EXPECT_EQ(detectStreamKind("audio/mpeg", "", mp3Frame(), false), StreamKind::Unknown);
    EXPECT_EQ(detectStreamKind("audio/mpeg", "", bytes("OggS\x00\x02"), false), StreamKind::Ogg);
    EXPECT_EQ(detectStreamKind("text/xml", "",
                               bytes("<?xml version=\"1.0\"?>\n<playlist version=\"1\" "
                                     "xmlns=\"http://xspf.org/ns/0/\">"),
                               false),
              StreamKind::Xspf);
    // An XML declaration alone does not tell a playlist from a page yet.
    EXPECT_EQ(detectStreamKind("", "", bytes("<?xml version=\"1.0\"?>"), false),
              StreamKind::Unknown);
}

TEST(StreamFormat, TypeAndExtensionDecideOnlyAtTheEnd) {
    const Bytes list = bytes("http://127.0.0.1:8000/live\n");
    EXPECT_EQ(detectStreamKind("audio/x-scpls", "", bytes("File1=a"), false), StreamKind::Unknown);
    EXPECT_EQ(detectStreamKind("audio/x-scpls", "", bytes("File1=a"), true), StreamKind::Pls);
    EXPECT_EQ(detectStreamKind("Audio/X-MpegURL; charset=utf-8", "", list, true), StreamKind::M3u);
    EXPECT_EQ(detectStreamKind("application/octet-stream", "http://h/a/list.M3U8?x=1.mp3",
                               bytes("stream"), true),
              StreamKind::M3u);
    EXPECT_EQ(detectStreamKind("text/plain", "http://h/radio", list, true), StreamKind::M3u);
    EXPECT_EQ(detectStreamKind("text/html", "", bytes("Not found"), true), StreamKind::Html);
    EXPECT_EQ(detectStreamKind("Application/Ogg", "", bytes("?"), true), StreamKind::Ogg);
    EXPECT_EQ(detectStreamKind("", "http://h/a.opus", bytes("?"), true), StreamKind::Ogg);
    EXPECT_EQ(detectStreamKind("application/xspf+xml", "", bytes("?"), true), StreamKind::Xspf);
    EXPECT_EQ(detectStreamKind("audio/mpeg", "http://h/a.mp3", bytes("no frames"), true),
              StreamKind::Unknown);
}

TEST(WavHeader, PcmPlainAndExtensibleOthersRefused) {
    WavFormat format;
    const Bytes plain = wavHeader(1, 1, 22050, 16);
    ASSERT_EQ(parseWavHeader(plain, format), WavParse::Ok);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.sampleRate, 22050);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.dataOffset, plain.size());
    for (std::size_t cut = 0; cut < plain.size(); ++cut) {
        EXPECT_EQ(parseWavHeader(std::span(plain).first(cut), format), WavParse::NeedMore) << cut;
    }
    const Bytes extensible = wavHeader(1, 2, 48000, 16, true);
    ASSERT_EQ(parseWavHeader(extensible, format), WavParse::Ok);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.dataOffset, extensible.size());

    EXPECT_EQ(parseWavHeader(wavHeader(3, 2, 44100, 32), format), WavParse::Invalid);  // float
    EXPECT_EQ(parseWavHeader(wavHeader(3, 2, 44100, 32, true), format), WavParse::Invalid);
    EXPECT_EQ(parseWavHeader(wavHeader(1, 6, 44100, 16), format), WavParse::Invalid);
    EXPECT_EQ(parseWavHeader(bytes(std::string_view("RIFF\0\0\0\0AVI LIST", 16)), format),
              WavParse::Invalid);
}

TEST(WavHeader, EndlessChunksBeforeTheSamplesAreRefusedBeforeTheyArrive) {
    // Chunk headers claiming 512 KB each, without their bytes: the claim alone decides.
    Bytes head = wavHeader(1, 2, 44100, 16);
    head.resize(head.size() - 8);  // without its "data" chunk
    WavFormat format;
    const Bytes junk = bytes(std::string_view("junk\0\0\x08\0", 8));
    WavParse parse = WavParse::NeedMore;
    int chunks = 0;
    while (parse == WavParse::NeedMore && chunks < 10) {
        Bytes probe = head;
        for (int i = 0; i < chunks; ++i)
            probe += junk + Bytes(512 * 1024, 0);
        probe += junk;
        parse = parseWavHeader(probe, format);
        ++chunks;
    }
    EXPECT_EQ(parse, WavParse::Invalid);
    EXPECT_LE(chunks, 3);
}

}  // namespace
}  // namespace sonorin::radio
