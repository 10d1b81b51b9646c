#include "radio/player/answer_head.h"

#include <gtest/gtest.h>

namespace sonorin::radio {
namespace {

TEST(AnswerHead, ReadsShoutcastAndHttpHeadsWithTheHeadersThePlayerUses) {
    const std::string icy =
        "ICY 200 OK\r\nicy-name: Test\r\ncontent-type: audio/mpeg\r\nicy-metaint: 8192\r\n"
        "odd line without colon\r\n\r\n\xff\xfb";
    const std::size_t size = answerHeadSize(icy);
    ASSERT_EQ(icy.substr(size), "\xff\xfb");
    const auto shoutcast = parseAnswerHead(std::string_view(icy).substr(0, size));
    ASSERT_TRUE(shoutcast);
    EXPECT_EQ(shoutcast->answer.status, 200);
    EXPECT_EQ(shoutcast->answer.contentType, "audio/mpeg");
    EXPECT_EQ(shoutcast->answer.icyMetaint, 8192u);
    EXPECT_EQ(shoutcast->answer.contentLength, -1);

    // Some servers end their lines with LF alone; a signed address is long.
    const std::string far = "http://cdn.example/s?sig=" + std::string(6000, 'a');
    const std::string moved = "HTTP/1.1 302 Found\nLOCATION: " + far + "\nContent-Length: 0\n\n";
    ASSERT_EQ(answerHeadSize(moved), moved.size());
    const auto redirect = parseAnswerHead(moved);
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->answer.status, 302);
    EXPECT_EQ(redirect->location, far);
    EXPECT_EQ(redirect->answer.contentLength, 0);
}

TEST(AnswerHead, RefusesWhatIsNoAnswerAndWaitsForTheBlankLine) {
    EXPECT_EQ(answerHeadSize("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n"), 0u);
    for (const char* head : {"", "\xff\xfb\x90\x00", "HTTP/1.0 2x0 OK", "ICY -20 OK",
                             "HTTP/1.0 2000 OK", "SIP/2.0 200 OK", "HTTP/1.0"})
        EXPECT_FALSE(parseAnswerHead(head)) << head;
    const auto badLength = parseAnswerHead("HTTP/1.0 200 OK\r\nContent-Length: -5\r\n");
    ASSERT_TRUE(badLength);
    EXPECT_EQ(badLength->answer.contentLength, -1);
}

}  // namespace
}  // namespace sonorin::radio
