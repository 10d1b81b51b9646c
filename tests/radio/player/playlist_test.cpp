#include "radio/player/playlist.h"

#include <gtest/gtest.h>

namespace sonorin::radio {
namespace {

using List = std::vector<std::string>;

TEST(Playlist, M3uEntriesResolvedAgainstWhereTheListCameFrom) {
    const std::string m3u =
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,中文台\r\nlive.mp3\r\n\r\n"
        "  ../aac/live.aac  \r/abs?x=1\n//other.example:8000/s\nhttps://h2/s\n"
        "ftp://nope/s\nhttps://h2/s\n";
    EXPECT_EQ(parsePlaylist(m3u, "http://h:8000/lists/radio.m3u?id=3"),
              (List{"http://h:8000/lists/live.mp3", "http://h:8000/aac/live.aac",
                    "http://h:8000/abs?x=1", "http://other.example:8000/s", "https://h2/s"}));
    EXPECT_FALSE(isHlsPlaylist(m3u));
    EXPECT_TRUE(parsePlaylist("#EXTM3U\n# nothing\n", "http://h/").empty());
}

TEST(Playlist, PlsInTheOrderOfItsNumbersWhateverTheEncoding) {
    const std::string pls =
        "[playlist]\nNumberOfEntries=3\nFile2=http://h/two\nTitle2=x\nfile1 = one\n"
        "File10=http://h/ten\nLength1=-1\nVersion=2\n";
    EXPECT_EQ(parsePlaylist(pls, "http://h/dir/list.pls"),
              (List{"http://h/dir/one", "http://h/two", "http://h/ten"}));

    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[playlist]\r\nFile1=http://h/s\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(parsePlaylist(utf16, ""), List{"http://h/s"});
}

TEST(Playlist, XspfLocationsInOrderEntitiesReplaced) {
    // As Icecast serves one for a mount.
    const std::string xspf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<playlist xmlns=\"http://xspf.org/ns/0/\" version=\"1\"><title/><trackList>\n"
        "<track><location>http://127.0.0.1:8000/a.mp3</location><title>中文</title></track>\n"
        "<track><Location> live.aac?a=1&amp;b=2 </Location></track>\n"
        "<track><location>file:///etc/passwd</location></track><track><location>"
        "</trackList></playlist>";
    EXPECT_EQ(parsePlaylist(xspf, "http://h/dir/a.mp3.xspf"),
              (List{"http://127.0.0.1:8000/a.mp3", "http://h/dir/live.aac?a=1&b=2"}));
}

TEST(Playlist, HlsListsAreRecognised) {
    EXPECT_TRUE(isHlsPlaylist("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\nseg1.ts\n"));
    EXPECT_TRUE(isHlsPlaylist("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlow/index.m3u8\n"));
}

}  // namespace
}  // namespace sonorin::radio
