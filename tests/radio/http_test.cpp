// Requests the portal reads and the answers the stand-in pane reads.
#include "radio/http.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace sonorin::radio {
namespace {

TEST(HttpRequests, HeadsAreFoundAndParsed) {
    EXPECT_EQ(requestHeadSize("GET / HTTP/1.1\r\nHost: a\r\n"), 0u);
    EXPECT_EQ(requestHeadSize("GET / HTTP/1.1\r\nHost: a\r\n\r\nbody"), 27u);
    EXPECT_EQ(requestHeadSize("GET / HTTP/1.0\n\n"), 16u);
    // Blank lines before the request line belong to the head, not end it.
    const std::string late = "\r\n\n\r\nGET / HTTP/1.1\r\nHost: a\r\n\r\n";
    ASSERT_EQ(requestHeadSize(late + "body"), late.size());
    EXPECT_EQ(parseRequest(late)->target, "/");
    EXPECT_EQ(requestHeadSize("\r\n\r\n"), 0u);
    const auto request =
        parseRequest("GET /play?station=3&token=ab%63+d HTTP/1.1\r\nHOST:  127.0.0.1:1 \r\n\r\n");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->method, "GET");
    EXPECT_EQ(request->path(), "/play");
    EXPECT_EQ(headerValue(request->headers, "host"), "127.0.0.1:1");
    EXPECT_EQ(queryValue(request->query(), "token"), "abc d");
    EXPECT_EQ(queryValue(request->query(), "station"), "3");
    EXPECT_FALSE(queryValue(request->query(), "none"));
    EXPECT_FALSE(parseRequest("GET /\r\n\r\n"));
    EXPECT_FALSE(parseRequest("GET / FTP/1.0\r\n\r\n"));
    EXPECT_FALSE(parseRequest("G(T / HTTP/1.0\r\n\r\n"));
    EXPECT_FALSE(parseRequest(""));
}

TEST(HttpAnswers, ResponsesAreWrittenAndRead) {
    HttpResponse response;
    response.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    response.body = "电台";
    const std::string bytes = response.serialize();
    EXPECT_EQ(bytes,
              "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
              "Content-Length: 6\r\nConnection: close\r\n\r\n电台");
    const auto parsed = parseResponse(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->status, 200);
    EXPECT_EQ(parsed->body, "电台");
    const HttpResponse noContent{204, {}, ""};
    EXPECT_EQ(noContent.serialize(), "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");

    const auto chunked = parseResponse(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nBroken header\r\n\r\n"
        "4\r\nabcd\r\n3;ext=1\r\nefg\r\n0\r\n\r\n");
    ASSERT_TRUE(chunked);
    EXPECT_EQ(chunked->body, "abcdefg");
    EXPECT_FALSE(parseResponse("garbage"));
    EXPECT_FALSE(parseResponse("HTTP/1.1 xyz\r\n\r\n"));
    EXPECT_FALSE(parseResponse("HTTP/1.1 -01 OK\r\n\r\n"));
    EXPECT_FALSE(parseResponse("HTTP/1.1 20\r\n\r\n"));
    EXPECT_EQ(parseResponse("HTTP/1.0 404")->status, 404);
}

TEST(HttpAnswers, AChunkLongerThanWhatArrivedEndsTheBody) {
    // A size that would wrap the read offset back onto its own line.
    const auto wrapped = parseResponse(
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
        "4\r\nabcd\r\nFFFFFFFFFFFFFFEE\r\nxy");
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->body, "abcdxy");
}

TEST(HttpAnswers, BodiesInGbkBecomeUtf8) {
    const std::string gbk = utf8ToGbk("北京新闻");
    auto body = [](HttpHeaders headers, std::string bytes) {
        return bodyAsUtf8(ParsedResponse{200, std::move(headers), std::move(bytes)});
    };
    EXPECT_EQ(body({{"Content-Type", "text/html; charset=GB2312"}}, gbk), "北京新闻");
    EXPECT_EQ(body({}, "<meta charset=\"gbk\">" + gbk), "<meta charset=\"gbk\">北京新闻");
    EXPECT_EQ(body({}, gbk), "北京新闻");  // not UTF-8: the system's code page
    EXPECT_EQ(body({}, "北京新闻"), "北京新闻");
    // A charset that does not fit the bytes still gives UTF-8.
    EXPECT_EQ(body({{"Content-Type", "text/html; charset=latin1"}}, gbk), "北京新闻");
    EXPECT_EQ(body({{"Content-Type", "text/html; charset=utf-8"}},
                   "a\xC4"
                   "z"),
              "a\xEF\xBF\xBD"
              "z");
}

}  // namespace
}  // namespace sonorin::radio
