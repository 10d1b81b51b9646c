// Addresses: links of the portal's pages and the stand-in pane, and playlist entries, read
// against where they came from.
#include "radio/url.h"

#include <gtest/gtest.h>

namespace sonorin::radio {
namespace {

TEST(Addresses, ReferencesResolveAgainstTheirBase) {
    EXPECT_EQ(resolveUrl("http://h/a/b/c", "../../../x"), "http://h/x");
    EXPECT_EQ(resolveUrl("http://h/a/b/", "./x/."), "http://h/a/b/x/");
    EXPECT_EQ(resolveUrl("https://h", "s.mp3"), "https://h/s.mp3");
    EXPECT_EQ(resolveUrl("https://h?q", "s.mp3"), "https://h/s.mp3");
    EXPECT_EQ(resolveUrl("https://h/a", "HTTP://x/y"), "HTTP://x/y");
    EXPECT_EQ(resolveUrl("https://h/a/b", "?x=1"), "https://h/a/b?x=1");
    EXPECT_EQ(resolveUrl("", "s.mp3"), "s.mp3");
    EXPECT_EQ(resolveUrl("about:blank", "s.mp3"), "s.mp3");
    // A fragment alone keeps the base's query; a ".." or "." at the end keeps the folder's "/".
    EXPECT_EQ(resolveUrl("http://h/a/b?q#top", "#f"), "http://h/a/b?q#f");
    EXPECT_EQ(resolveUrl("http://h/a/b?q#top", ""), "http://h/a/b?q");
    EXPECT_EQ(resolveUrl("http://h/a/b/c", ".."), "http://h/a/");
    // A scheme is a letter and then letters, digits, "+", "-" or "."; anything else is a path.
    EXPECT_EQ(resolveUrl("http://h/a/", "mailto:x@y"), "mailto:x@y");
    EXPECT_EQ(resolveUrl("http://h/a/", "1x:2"), "http://h/a/1x:2");
    EXPECT_EQ(resolveUrl("http://h/a/", "b/c:d"), "http://h/a/b/c:d");
}

TEST(Addresses, HttpAddressesParsedAndLinksResolvedAsABrowserDoes) {
    const auto base = parseHttpUrl("http://127.0.0.1:18673/guangbo/index?x=1#top");
    ASSERT_TRUE(base);
    EXPECT_EQ(base->host, "127.0.0.1");
    EXPECT_EQ(base->port, 18673);
    EXPECT_EQ(base->target, "/guangbo/index?x=1");
    EXPECT_EQ(parseHttpUrl("HTTP://Example.COM")->text(), "http://example.com/");
    EXPECT_EQ(parseHttpUrl("http://a.example?q")->target, "/?q");
    EXPECT_EQ(parseHttpUrl("http://[::1]:8080/")->hostHeader(), "[::1]:8080");
    EXPECT_EQ(parseHttpUrl("http://a.example/电台?x=\x7F")->target, "/%E7%94%B5%E5%8F%B0?x=%7F");
    for (const char* bad :
         {"https://a.example/", "ftp://x", "http://", "http://:80/", "http://a:99999/",
          "http://a:x/", "http://a b/", "about:blank", "http://a:b:/"})
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

}  // namespace
}  // namespace sonorin::radio
