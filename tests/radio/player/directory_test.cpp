#include "radio/player/directory.h"

#include <gtest/gtest.h>

namespace sonorin::radio {
namespace {

using List = std::vector<std::string>;

TEST(StationDirectory, LookupAddressEncodesTheName) {
    EXPECT_EQ(directoryLookupUrl("http://127.0.0.1:9/", "中文 a/b"),
              "http://127.0.0.1:9/json/stations/byname/%E4%B8%AD%E6%96%87%20a%2Fb");
}

TEST(StationDirectory, WorkingStationsFirstPlainStreamsBeforeHlsThenMostVotes) {
    const std::string answer = R"([
        {"name":"a","url":"http://a/","url_resolved":"","votes":5,"lastcheckok":1},
        {"name":"dead","url":"http://dead/","votes":900,"lastcheckok":0},
        {"name":"b","url":"http://b-playlist.pls","url_resolved":"http://b/","votes":"50"},
        {"name":"hls","url_resolved":"http://hls/index.m3u8","votes":999,"hls":1},
        {"name":"tie","url_resolved":"http://tie/","votes":5,"lastcheckok":1},
        {"name":"again","url_resolved":"http://b/","votes":1},
        {"name":"noaddress","url":"","votes":1000},
        {"name":"notweb","url":"rtsp://x/","votes":1000},
        42, {"url": 7}
    ])";
    EXPECT_EQ(directoryCandidates(answer),
              (List{"http://b/", "http://a/", "http://tie/", "http://hls/index.m3u8",
                    "http://dead/"}));
}

TEST(StationDirectory, EmptyAndBrokenAnswers) {
    EXPECT_EQ(directoryCandidates("[]"), List{});
    EXPECT_EQ(directoryCandidates(R"([{"name":"x"}])"), List{});
    EXPECT_FALSE(directoryCandidates("<html>"));
    EXPECT_FALSE(directoryCandidates(R"({"error":"x"})"));
    EXPECT_FALSE(directoryCandidates(R"([{"url":"http://a/")"));
    // Numbers sent as floats, some far beyond any integer, still rank.
    EXPECT_EQ(directoryCandidates(
                  R"([{"url":"http://a/","votes":2.5,"lastcheckok":5e55},)"
                  R"({"url":"http://b/","votes":-1e300},{"url":"http://c/","votes":5e55}])"),
              (List{"http://c/", "http://a/", "http://b/"}));
}

}  // namespace
}  // namespace sonorin::radio
