#include "radio/player/icy.h"

#include <gtest/gtest.h>

#include "radio/player/stream_bytes.h"

namespace sonorin::radio {
namespace {

using namespace testing;

Bytes metadataBlock(std::string_view text) {
    const std::size_t blocks = (text.size() + 15) / 16;
    Bytes block{std::uint8_t(blocks)};
    block += bytes(text);
    block.resize(1 + blocks * 16, 0);
    return block;
}

TEST(IcyStripper, TakesOutEveryMetadataBlockWhereverTheReadsSplitIt) {
    constexpr std::size_t metaint = 16;
    Bytes audio;
    Bytes stream;
    for (int i = 0; i < 5; ++i) {
        Bytes chunk(metaint);
        for (std::size_t k = 0; k < metaint; ++k)
            chunk[k] = std::uint8_t(i * 16 + int(k));
        audio += chunk;
        stream += chunk;
        // Titles, an empty block, a repeated title.
        stream += i == 1   ? Bytes{0}
                  : i == 3 ? metadataBlock("StreamTitle='First';")
                           : metadataBlock(i < 3 ? "StreamTitle='First';StreamUrl='';"
                                                 : "StreamTitle='Second';");
    }
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        IcyStripper icy(metaint);
        Bytes out;
        std::vector<std::string> titles;
        for (auto piece : {std::span(stream).first(split), std::span(stream).subspan(split)}) {
            icy.feed(piece, out);
            if (auto title = icy.takeTitle())
                titles.push_back(*title);
        }
        EXPECT_EQ(out, audio) << "split at " << split;
        if (split == 0 || split == stream.size()) {
            EXPECT_EQ(titles, std::vector<std::string>{"Second"});
        }
    }
    // Byte by byte: both titles, each once.
    IcyStripper icy(metaint);
    Bytes out;
    std::vector<std::string> titles;
    for (std::uint8_t byte : stream) {
        icy.feed(std::span(&byte, 1), out);
        if (auto title = icy.takeTitle())
            titles.push_back(*title);
    }
    EXPECT_EQ(out, audio);
    EXPECT_EQ(titles, (std::vector<std::string>{"First", "Second"}));
}

TEST(IcyMetadata, StreamTitleTextForms) {
    EXPECT_EQ(streamTitle("StreamTitle='Rock 'n' Roll';StreamUrl='x';"), "Rock 'n' Roll");
    EXPECT_EQ(streamTitle(std::string("StreamTitle='';\0\0\0", 18)), "");
    EXPECT_EQ(streamTitle("StreamTitle='新闻联播';"), "新闻联播");
    EXPECT_EQ(streamTitle("StreamTitle='\xD0\xC2\xCE\xC5';"), "新闻");  // sent as GBK
    EXPECT_FALSE(streamTitle("StreamUrl='x';"));
    EXPECT_EQ(parseMetaint(" 16000 "), 16000u);
    EXPECT_EQ(parseMetaint("-1"), 0u);
    EXPECT_EQ(parseMetaint("99999999999"), 0u);
}

TEST(BodyHeaders, IcyHeaderLinesAtTheStartOfTheBody) {
    const Bytes head = bytes(
        "ICY 200 OK\r\nicy-name: Test\r\nContent-Type: audio/aacp\r\nicy-metaint:8192\r\n\r\n");
    Bytes body = head;
    body += mp3Frame();
    BodyHeaders headers;
    ASSERT_EQ(scanBodyHeaders(body, headers), BodyHeaderScan::Found);
    EXPECT_EQ(headers.length, head.size());
    EXPECT_EQ(headers.metaint, 8192u);
    EXPECT_EQ(headers.contentType, "audio/aacp");

    // Only the fields, no status line, bare line feeds.
    ASSERT_EQ(scanBodyHeaders(bytes("icy-metaint: 100\nicy-br: 128\n\n\xFF\xFB"), headers),
              BodyHeaderScan::Found);
    EXPECT_EQ(headers.metaint, 100u);
    EXPECT_EQ(headers.length, 30u);

    ASSERT_EQ(scanBodyHeaders(bytes("Content-Type: audio/mpeg\r\n\r\n"), headers),
              BodyHeaderScan::Found);
    EXPECT_EQ(headers.contentType, "audio/mpeg");

    EXPECT_EQ(scanBodyHeaders(bytes("IC"), headers), BodyHeaderScan::NeedMore);
    EXPECT_EQ(scanBodyHeaders(bytes("Content-T"), headers), BodyHeaderScan::NeedMore);
    EXPECT_EQ(scanBodyHeaders(bytes("ICY 200 OK\r\nicy-"), headers), BodyHeaderScan::NeedMore);
    EXPECT_EQ(scanBodyHeaders(mp3Frame(), headers), BodyHeaderScan::None);
    EXPECT_EQ(scanBodyHeaders(bytes("http://127.0.0.1/a.mp3\r\n"), headers), BodyHeaderScan::None);
    EXPECT_EQ(scanBodyHeaders(bytes("ICY 200 OK\r\n") + Bytes(20000, 'x'), headers),
              BodyHeaderScan::None);
}

}  // namespace
}  // namespace sonorin::radio
