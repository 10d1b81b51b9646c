#include "radio/player/hls.h"

#include <gtest/gtest.h>

#include "radio/player/stream_bytes.h"

namespace sonorin::radio {
namespace {

using namespace testing;

// One 188-byte packet: header, then `payload`, padded in front by an adaptation field.
Bytes tsPacket(int pid, bool unitStart, const Bytes& payload) {
    Bytes packet{0x47, std::uint8_t((unitStart ? 0x40 : 0) | pid >> 8), std::uint8_t(pid), 0x10};
    const std::size_t room = 184 - payload.size();
    if (room > 0) {
        packet[3] = 0x30;
        packet.push_back(std::uint8_t(room - 1));
        if (room > 1)
            packet.push_back(0x00);
        packet.insert(packet.end(), room > 2 ? room - 2 : 0, 0xFF);
    }
    return packet + payload;
}

// A table section behind its pointer field, with four bytes where the CRC goes.
Bytes section(std::uint8_t table, const Bytes& body) {
    const std::size_t length = 5 + body.size() + 4;
    Bytes s{0x00, table, std::uint8_t(0xB0 | length >> 8), std::uint8_t(length), 0, 1, 0xC1, 0,
            0};
    return s + body + Bytes(4, 0);
}

// A transport stream carrying `audio` on PID 0x101 as stream type `type`, in PES packets of
// at most `perPes` bytes.
Bytes transportStream(const Bytes& audio, std::uint8_t type, std::size_t perPes = 1000) {
    Bytes ts = tsPacket(0, true, section(0x00, {0, 1, 0xE1, 0x00}));
    ts += tsPacket(0x100, true,
                   section(0x02, {0xE1, 0x01, 0xF0, 0x00, 0x1B, 0xE1, 0x02, 0xF0, 0x00, type,
                                  0xE1, 0x01, 0xF0, 0x00}));
    for (std::size_t at = 0; at < audio.size(); at += perPes) {
        Bytes pes{0, 0, 1, 0xC0, 0, 0, 0x80, 0x80, 5, 0x21, 0, 1, 0, 1};
        pes.insert(pes.end(), audio.begin() + std::ptrdiff_t(at),
                   audio.begin() + std::ptrdiff_t(std::min(audio.size(), at + perPes)));
        for (std::size_t p = 0; p < pes.size(); p += 184) {
            const Bytes part(pes.begin() + std::ptrdiff_t(p),
                             pes.begin() + std::ptrdiff_t(std::min(pes.size(), p + 184)));
            ts += tsPacket(0x101, p == 0, part);
            ts += tsPacket(0x102, p == 0, Bytes(184, 0x00));  // video, left out
        }
    }
    return ts;
}

TEST(Hls, MediaPlaylistSegmentsSequenceAndMarks) {
    const HlsPlaylist list = parseHlsPlaylist(
        "\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-TARGETDURATION:6\r\n#EXT-X-MEDIA-SEQUENCE:41\r\n"
        "#EXT-X-KEY:METHOD=NONE\r\n#EXTINF:5.5,Morning\r\nseg41.ts\r\n\r\n"
        "#EXT-X-DISCONTINUITY\r\n#EXTINF:6,\r\n/abs/seg42.aac?x=1\r\n#EXTINF:6,\r\nftp://no\r\n"
        "#EXTINF:6,\r\nhttp://other/seg44.ts\r\n",
        "http://s/live/index.m3u8");
    ASSERT_EQ(list.segments.size(), 3u);
    EXPECT_EQ(list.segments[0].url, "http://s/live/seg41.ts");
    EXPECT_EQ(list.segments[0].sequence, 41);
    EXPECT_DOUBLE_EQ(list.segments[0].seconds, 5.5);
    EXPECT_FALSE(list.segments[0].discontinuity);
    EXPECT_EQ(list.segments[1].url, "http://s/abs/seg42.aac?x=1");
    EXPECT_TRUE(list.segments[1].discontinuity);
    EXPECT_EQ(list.segments[2].sequence, 44);  // the ftp entry kept its number
    EXPECT_DOUBLE_EQ(list.targetSeconds, 6);
    EXPECT_FALSE(list.ended || list.encrypted || list.unsupportedSegments);
    // The player waits some segments' time in milliseconds: that stays a number it can hold.
    const double huge =
        parseHlsPlaylist("#EXT-X-TARGETDURATION:9000000000000000000.5\n", "http://s/")
            .targetSeconds;
    EXPECT_LT(huge * 3000, 9.0e18);
    EXPECT_EQ(hlsLiveStart(list), 0u);

    const HlsPlaylist vod = parseHlsPlaylist(
        "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"k,1\"\n#EXT-X-MAP:URI=\"init.mp4\"\n"
        "a\nb\nc\nd\ne\n#EXT-X-ENDLIST\n",
        "http://s/");
    EXPECT_TRUE(vod.ended && vod.encrypted && vod.unsupportedSegments);
    EXPECT_EQ(hlsLiveStart(vod), 0u);
    HlsPlaylist live = vod;
    live.ended = false;
    EXPECT_EQ(hlsLiveStart(live), 2u);
}

TEST(Hls, TheMasterPlaylistOffersAudioUpTo192kFirstThenTheLeanestVideo) {
    using Choices = std::vector<std::string>;
    const std::string audio =
        "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.5\"\nlow.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=256000,CODECS=\"mp4a.40.2\"\nhuge.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\nhigh.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS=\"ec-3\"\nsurround.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=2000000,CODECS=\"avc1.4d401f,mp4a.40.2\"\nvideo.m3u8\n";
    EXPECT_EQ(hlsMediaChoices(parseHlsPlaylist(audio, "http://s/a/master.m3u8")),
              (Choices{"http://s/a/high.m3u8", "http://s/a/low.m3u8", "http://s/a/huge.m3u8",
                       "http://s/a/video.m3u8"}));

    const std::string renditions =
        "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"en\",URI=\"en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"zh\",DEFAULT=YES,URI=\"zh.m3u8\"\n";
    const std::string video =
        "#EXT-X-STREAM-INF:BANDWIDTH=3000000,CODECS=\"avc1.64001f,mp4a.40.2\",AUDIO=\"aud\"\n"
        "hd.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=500000\nsd.m3u8\n";
    EXPECT_EQ(hlsMediaChoices(parseHlsPlaylist(renditions + video, "http://s/")),
              (Choices{"http://s/sd.m3u8", "http://s/zh.m3u8"}));
    EXPECT_EQ(hlsMediaChoices(parseHlsPlaylist(
                  "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"opus\"\nx.m3u8\n", "http://s/")),
              Choices{});
}

TEST(Hls, TheAudioOfATransportStreamComesOutWholeFromAnyPieces) {
    Bytes audio;
    for (int i = 0; i < 20; ++i)
        audio += adtsFrame(300 + i, std::uint8_t(i + 1));
    // Garbage before the first packet and a packet boundary lost in the middle.
    Bytes ts = Bytes{1, 2, 3} + transportStream(audio, 0x0F);
    ts.insert(ts.begin() + 188 * 7 + 3, {0x47, 9, 9});
    for (std::size_t piece : {std::size_t(1), std::size_t(100), std::size_t(188), ts.size()}) {
        TsAudio demuxer;
        Bytes out;
        for (std::size_t at = 0; at < ts.size(); at += piece)
            demuxer.push(std::span(ts).subspan(at, std::min(piece, ts.size() - at)), out);
        EXPECT_EQ(demuxer.codec(), Codec::Aac);
        // The packet whose start was overwritten by the stray bytes loses its audio only.
        FrameReader reader(Codec::Aac);
        reader.push(out);
        reader.finish();
        int frames = 0;
        while (reader.next())
            ++frames;
        EXPECT_GE(frames, 18) << "pieces of " << piece;
    }
    TsAudio latm;
    Bytes out;
    latm.push(transportStream(audio, 0x11), out);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(latm.onlyUnplayableAudio());
}

TEST(Hls, SegmentsAreToldByTheirFirstBytes) {
    Bytes aac;
    for (int i = 0; i < 3; ++i)
        aac += adtsFrame();
    const Bytes tag = bytes("ID3\x04") + Bytes{0, 0, 0, 0, 0, 5} + Bytes(5, 'x');
    EXPECT_EQ(id3TagsLength(tag + tag + aac), 30u);
    EXPECT_EQ(id3TagsLength(Bytes(tag.begin(), tag.end() - 1)), 0u);
    EXPECT_EQ(detectSegmentKind(tag + aac), SegmentKind::Aac);
    EXPECT_EQ(detectSegmentKind(tag + repeat(mp3Frame(), 3)), SegmentKind::Mp3);
    EXPECT_EQ(detectSegmentKind(transportStream(aac, 0x0F)), SegmentKind::TransportStream);
    EXPECT_EQ(detectSegmentKind(bytes("<html>not found</html>")), SegmentKind::Unknown);
}

}  // namespace
}  // namespace sonorin::radio
