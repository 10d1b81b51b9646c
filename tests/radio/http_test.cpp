// Requests the portal reads, addresses the stand-in pane follows, answers it reads.
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

TEST(HttpAddresses, ParsedAndResolvedAsABrowserDoes) {
    const auto base = parseHttpUrl("http://127.0.0.1:18673/guangbo/index?x=1#top");
    ASSERT_TRUE(base);
    EXPECT_EQ(base->host, "127.0.0.1");
    EXPECT_EQ(base->port, 18673);
    EXPECT_EQ(base->target, "/guangbo/index?x=1");
    EXPECT_EQ(parseHttpUrl("HTTP://Example.COM")->text(), "http://example.com/");
    EXPECT_EQ(parseHttpUrl("http://a.example?q")->target, "/?q");
    for (const char* bad : {"https://a.example/", "ftp://x", "http://", "http://:80/",
                            "http://a:99999/", "http://a:x/", "http://a b/", "about:blank"})
        EXPECT_FALSE(parseHttpUrl(bad)) << bad;

    auto resolved = [&](const char* href) {
        const auto url = resolveUrl(*base, href);
        return url ? url->text() : std::string("none");
    };
    EXPECT_EQ(resolved("/play?station=1&token=t"), "http://127.0.0.1:18673/play?station=1&token=t");
    EXPECT_EQ(resolved("../radio"), "http://127.0.0.1:18673/radio");
    EXPECT_EQ(resolved("a/./b/../c"), "http://127.0.0.1:18673/guangbo/a/c");
    EXPECT_EQ(resolved("?y=2"), "http://127.0.0.1:18673/guangbo/index?y=2");
    EXPECT_EQ(resolved("#part"), "http://127.0.0.1:18673/guangbo/index?x=1");
    EXPECT_EQ(resolved("//other.example/x"), "http://other.example/x");
    EXPECT_EQ(resolved(" http://b.example:81/p "), "http://b.example:81/p");
    EXPECT_EQ(resolved("/电台"), "http://127.0.0.1:18673/%E7%94%B5%E5%8F%B0");
    EXPECT_EQ(resolved("/../../x"), "http://127.0.0.1:18673/x");
    for (const char* other : {"javascript:alert(1)", "mailto:a@b", "https://a.example/"})
        EXPECT_EQ(resolved(other), "none") << other;
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
    EXPECT_EQ(parseResponse("HTTP/1.0 404")->status, 404);
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
}

}  // namespace
}  // namespace sonorin::radio
