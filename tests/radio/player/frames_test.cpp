#include "radio/player/frames.h"

#include <gtest/gtest.h>

#include "radio/player/stream_bytes.h"

namespace sonorin::radio {
namespace {

using namespace testing;

std::vector<Bytes> readAll(FrameReader& reader) {
    std::vector<Bytes> frames;
    while (auto frame = reader.next())
        frames.emplace_back(frame->bytes.begin(), frame->bytes.end());
    return frames;
}

// Feeds `stream` in pieces of `piece` bytes and collects every frame.
std::vector<Bytes> framesOf(Codec codec, const Bytes& stream, std::size_t piece, bool finish) {
    FrameReader reader(codec);
    std::vector<Bytes> frames;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        reader.push({stream.data() + at, std::min(piece, stream.size() - at)});
        for (Bytes& frame : readAll(reader))
            frames.push_back(std::move(frame));
    }
    if (finish) {
        reader.finish();
        for (Bytes& frame : readAll(reader))
            frames.push_back(std::move(frame));
    }
    return frames;
}

TEST(FrameHeaders, Mp3FieldsAndInvalidHeaders) {
    auto info = parseMp3Header(mp3Frame(true));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->mpegVersion, 1);
    EXPECT_EQ(info->bitrateKbps, 128);
    EXPECT_EQ(info->sampleRate, 44100);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->bytes, 418);
    EXPECT_EQ(info->samples, 1152);

    // MPEG-2, 64 kbit/s, 22.05 kHz, mono: 72 * 64000 / 22050 = 208 bytes of 576 samples.
    info = parseMp3Header(Bytes{0xFF, 0xF3, 0x80, 0xC0});
    ASSERT_TRUE(info);
    EXPECT_EQ(info->mpegVersion, 2);
    EXPECT_EQ(info->sampleRate, 22050);
    EXPECT_EQ(info->channels, 1);
    EXPECT_EQ(info->bytes, 208);
    EXPECT_EQ(info->samples, 576);

    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xFB, 0x00, 0x00}));  // free format
    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xFB, 0xF0, 0x00}));  // bad bit rate
    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xFB, 0x9C, 0x00}));  // reserved sample rate
    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xFD, 0x90, 0x00}));  // layer II
    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xEB, 0x90, 0x00}));  // reserved version
    EXPECT_FALSE(parseMp3Header(Bytes{0xFF, 0xFB, 0x90}));        // too short
}

TEST(FrameHeaders, AdtsFieldsAndInvalidHeaders) {
    auto info = parseAdtsHeader(adtsFrame(371));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->aacProfile, 2);
    EXPECT_EQ(info->sampleRate, 44100);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->bytes, 371);
    EXPECT_EQ(info->headerBytes, 7);
    EXPECT_EQ(info->samples, 1024);

    Bytes crc = adtsFrame(200);
    crc[1] = 0xF0;  // protection present: a 9-byte header
    EXPECT_EQ(parseAdtsHeader(crc)->headerBytes, 9);
    Bytes layer = adtsFrame();
    layer[1] = 0xF3;
    EXPECT_FALSE(parseAdtsHeader(layer));
    Bytes rate = adtsFrame();
    rate[2] = 0x50 | (13 << 2);
    EXPECT_FALSE(parseAdtsHeader(rate));
    EXPECT_FALSE(parseAdtsHeader(adtsFrame(5)));  // shorter than its own header
    // An MP3 header is no ADTS header and the other way round.
    EXPECT_FALSE(parseAdtsHeader(mp3Frame()));
    EXPECT_FALSE(parseMp3Header(adtsFrame()));
}

TEST(FrameReader, FindsEveryFrameThroughGarbageAndFalseSyncsInPiecesOfAnySize) {
    // Garbage holds a false header (FF FB 90 00 whose "next frame" is not one) and stray FFs.
    Bytes garbage = bytes("junk");
    garbage += Bytes{0xFF, 0xFB, 0x90, 0x00, 0x12, 0xFF, 0x00, 0xFF};
    garbage += Bytes(500, 0x11);
    std::vector<Bytes> expected;
    Bytes stream = garbage;
    for (int i = 0; i < 6; ++i) {
        expected.push_back(mp3Frame(i % 2 == 1, std::uint8_t(0x20 + i)));
        stream += expected.back();
        if (i == 2)
            stream += garbage;
    }
    for (std::size_t piece : {std::size_t(1), std::size_t(3), std::size_t(417), stream.size()}) {
        EXPECT_EQ(framesOf(Codec::Mp3, stream, piece, true), expected) << "pieces of " << piece;
    }
}

TEST(FrameReader, AStreamCutMidFrameKeepsThePartialFrame) {
    Bytes stream = repeat(mp3Frame(), 2);
    Bytes half = mp3Frame();
    half.resize(200);
    stream += half;
    EXPECT_EQ(framesOf(Codec::Mp3, stream, 64, true).size(), 2u);

    // A single frame needs the end of the stream to confirm it.
    EXPECT_TRUE(framesOf(Codec::Mp3, mp3Frame(), 1000, false).empty());
    EXPECT_EQ(framesOf(Codec::Mp3, mp3Frame(), 1000, true).size(), 1u);
}

TEST(FrameReader, SkipsAnId3TagAndFollowsASampleRateChange) {
    Bytes stream = bytes("ID3");
    stream += Bytes{4, 0, 0, 0, 0, 0x10, 0};  // a 2048-byte tag body
    // Inside the tag, what looks like two frames (a picture can hold anything).
    Bytes tag = repeat(mp3Frame(false, 0x77), 2);
    tag.resize(2048, 0);
    stream += tag;
    stream += repeat(mp3Frame(), 3);
    stream += repeat(mp3Frame48k(), 3);
    // The tag's header split over pushes is still a tag.
    EXPECT_EQ(framesOf(Codec::Mp3, stream, 1, true).size(), 6u);
    FrameReader reader(Codec::Mp3);
    reader.push(stream);
    reader.finish();
    std::vector<int> rates;
    while (auto frame = reader.next())
        rates.push_back(frame->info.sampleRate);
    EXPECT_EQ(rates, (std::vector<int>{44100, 44100, 44100, 48000, 48000, 48000}));
    EXPECT_EQ(reader.skippedBytes(), 0u);
}

TEST(FrameReader, AdtsFramesOfChangingLength) {
    Bytes stream = bytes("garbage");
    std::vector<Bytes> expected;
    for (int size : {300, 280, 512, 9, 300}) {
        expected.push_back(adtsFrame(size));
        stream += expected.back();
    }
    EXPECT_EQ(framesOf(Codec::Aac, stream, 7, true), expected);
    EXPECT_EQ(findConfirmedSync(Codec::Aac, stream), 7u);
    EXPECT_FALSE(findConfirmedSync(Codec::Mp3, stream));
}

}  // namespace
}  // namespace sonorin::radio
